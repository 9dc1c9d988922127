#pragma once

#include "AbstractContentFrameUnit.h"
#include "Models.Book.h"

#include <QAbstractListModel>
#include <QStyledItemDelegate>

#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QSlider;
class QTimer;
class QToolButton;
class TActionList;
class TQUVEditRectangle;
class TRectangle;
class TTabControl;
class TTabItem;
class TPullRefreshIndicator;

enum class TSortOrder { Title = 0, Produced = 1, Added = 2 };

// The order of two books in the list: negative when ALeft comes first.
// Titles compare character by character with only a-z folded to A-Z (no
// language rules: Å, Ä and Ö come after Z); the dates compare by day only,
// latest first.
int CompareBooks(const TBook &ALeft, const TBook &ARight, TSortOrder ASortOrder);

// The titles as the list shows them: sorted, and narrowed by the search box.
// It points into the page's FBooks, which it never outlives a reload of.
class TBooksListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    // Data keys of an item, as the item's display objects are named.
    enum TRole { TitleRole = Qt::UserRole + 1, AuthorRole, CnrRole };

    explicit TBooksListModel(QObject *AParent = nullptr);

    // Replaces all items; ABooks is in list order.
    void SetBooks(std::vector<const TBook *> ABooks);
    // Shows only books whose title, author or id contains the text, without
    // regard to case; an empty text shows all.
    void SetFilter(const QString &AText);
    const QString &Filter() const { return FFilter; }
    const TBook *BookAt(int ARow) const;
    int TotalCount() const { return static_cast<int>(FAll.size()); }

    int rowCount(const QModelIndex &AParent = QModelIndex()) const override;
    QVariant data(const QModelIndex &AIndex, int ARole = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void ApplyFilter(bool ANarrowing);

    std::vector<const TBook *> FAll;
    std::vector<int> FShown; // indexes into FAll
    QString FFilter;
};

// Paints one list item: title, author, the id ("Cnr") and the accessory mark.
class TBooksItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TBooksItemDelegate(QObject *AParent = nullptr);
    static constexpr int ItemHeight = 65;
    void paint(QPainter *APainter, const QStyleOptionViewItem &AOption, const QModelIndex &AIndex) const override;
    QSize sizeHint(const QStyleOptionViewItem &AOption, const QModelIndex &AIndex) const override;

private:
    QFont FTitleFont;
    QFont FTextFont;
};

// The books page: the catalogue in one of three orders, the details of one
// title, and the order of 1 to 20 copies of it.
class TBooksFrame : public TAbstractContentFrame
{
    Q_OBJECT
public:
    explicit TBooksFrame(QWidget *AOwner = nullptr);
    ~TBooksFrame() override;

    void Populate();
    void NavigateBack();
    TSortOrder SortOrder() const { return FSortOrder; }
    void SetSortOrder(TSortOrder Value) { ChangeSortOrder(Value); }

    TTabControl *tcBooks = nullptr;
    TTabItem *tiBooksBookList = nullptr;
    TTabItem *tiBooksBookDetails = nullptr;

    const TListOfBooks &Books() const { return FBooks; }
    TBooksListModel *BooksModel() const { return FModel; }
    QString CurrentBookId() const { return FCurrentBookId; }
    // How many times the list has been reloaded since the page was made.
    int PopulateCount() const { return FPopulateCount; }

    // Event handlers, named after their component and event.
    void tcBooksChange();
    void tmrRefreshTimer();
    void lvBooksItemClick(const QModelIndex &AItem);
    void lvBooksPullRefresh();
    void edEditEnter(QWidget *Sender);
    void edEditExit(QWidget *Sender);
    void alBooksUpdate();
    void actProduceBooksExecute();

    void ShowBookDetails(const QString &ABookId);
    void OrderProduction(const QString &ABookId, int ACopies);

protected:
    void DoReceiveFocus() override;
    bool eventFilter(QObject *AWatched, QEvent *AEvent) override;

private:
    void BuildLayout();
    void ChangeSortOrder(TSortOrder Value);
    void DoPopulateBooksList();
    void FillBooksListView(const TListOfBooks &ABooks);
    void StartPullRefresh();
    bool HandleListMouse(QEvent *AEvent);
    int Copies() const;

    TListOfBooks FBooks;
    QString FCurrentBookId;
    TSortOrder FSortOrder = TSortOrder::Title;
    int FPopulateCount = 0;

    TBooksListModel *FModel = nullptr;
    QListView *lvBooks = nullptr;
    QLineEdit *lvBooksSearch = nullptr;
    TPullRefreshIndicator *lvBooksRefreshIndicator = nullptr;
    TQUVEditRectangle *Title = nullptr;
    QLineEdit *edTitle = nullptr;
    TQUVEditRectangle *AuthorEdit = nullptr;
    QLineEdit *edAuthor = nullptr;
    TRectangle *rctProduceBook = nullptr;
    QLabel *Label1 = nullptr;
    QSlider *tbarCopies = nullptr;
    QToolButton *btnStartProduction = nullptr;
    QTimer *tmrRefresh = nullptr;
    TActionList *alBooks = nullptr;
    QAction *actProduceBooks = nullptr;
    QAction *actRefreshBooks = nullptr;

    // Dragging the list: scrolls it, and pulls it down past its top to reload.
    bool FPointerDown = false;
    bool FDragging = false;
    bool FSuppressClick = false;
    QPoint FPressPos;
    int FPressScroll = 0;
    int FPullDistance = 0;
};
