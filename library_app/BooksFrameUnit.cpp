#include "BooksFrameUnit.h"

#include "Enums.h"
#include "FMX.QUVEditRectangle.h"
#include "LibraryCatalogue.h"
#include "MainFormUnit.h"
#include "MorvikStyle.h"
#include "QUV.Misc.h"
#include "QUV.Types.h"
#include "TouchControls.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QSlider>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QVariantAnimation>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QString kBooksSQL =
    QStringLiteral("select *, ( select max( produced ) from productions where id = b.id ) as Produced from books b");

// How far the list must be pulled down past its top to reload.
constexpr int kPullThreshold = 80;

QChar FoldAZ(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - (u'a' - u'A'))) : c;
}

QString FoldedAZ(const QString &AText)
{
    QString folded = AText;
    for (QChar &c : folded)
        c = FoldAZ(c);
    return folded;
}

// Code unit by code unit; a text that is a prefix of the other comes first.
int CompareCodeUnits(QStringView ALeft, QStringView ARight)
{
    const qsizetype n = std::min(ALeft.size(), ARight.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t l = ALeft[i].unicode();
        const char16_t r = ARight[i].unicode();
        if (l != r)
            return l < r ? -1 : 1;
    }
    return ALeft.size() == ARight.size() ? 0 : (ALeft.size() < ARight.size() ? -1 : 1);
}

int CompareFoldedTexts(const QString &ALeft, const QString &ARight)
{
    return CompareCodeUnits(FoldedAZ(ALeft), FoldedAZ(ARight));
}

// The day of a date-time, as QUV::FromDateTime(AValue).date() gives it but
// without a local-time conversion (which asks the time zone every call).
QDate DayOf(TDateTime AValue)
{
    constexpr qint64 msPerDay = 86400000;
    double whole = std::trunc(AValue);
    if (std::llround(std::fabs(AValue - whole) * msPerDay) >= msPerDay)
        whole += AValue >= 0 ? 1 : -1;
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
}

// The date as the number YYYYMMDD, which orders as its text does.
int DayKey(TDateTime AValue)
{
    const QDate d = DayOf(AValue);
    return d.year() * 10000 + d.month() * 100 + d.day();
}

// Digits of AText from AFrom as a number; -1 when one is not a digit.
int Digits(const QString &AText, int AFrom, int ACount)
{
    int value = 0;
    for (int i = AFrom; i < AFrom + ACount; ++i) {
        const char16_t c = AText[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The date of a text that begins "YYYY-MM-DD"; invalid when it does not.
QDate LeadingDate(const QString &AText)
{
    if (AText.size() < 10 || AText[4] != QLatin1Char('-') || AText[7] != QLatin1Char('-'))
        return QDate();
    return QDate(Digits(AText, 0, 4), Digits(AText, 5, 2), Digits(AText, 8, 2));
}

// A stored date-time "YYYY-MM-DD HH:MM:SS" read directly: the catalogue
// holds one per title and a reload reads them all. Other forms (a day
// serial number, say) go the field's own way.
TDateTime ReadDateTime(const TQUVField &AField)
{
    const QVariant &value = AField.Value();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        const QDate date = LeadingDate(text);
        if (date.isValid() && text.size() == 19 && text[10] == QLatin1Char(' ') && text[13] == QLatin1Char(':') &&
            text[16] == QLatin1Char(':')) {
            const QTime time(Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2));
            if (time.isValid())
                return QUV::ToDateTime(date) + time.msecsSinceStartOfDay() / 86400000.0;
        }
    }
    return AField.AsDateTime();
}

int CompareInts(int ALeft, int ARight)
{
    return ALeft < ARight ? -1 : (ALeft > ARight ? 1 : 0);
}

// The day of a stored production time "YYYY-MM-DD HH:MM:SS"; today for a
// title never produced (empty) or a text that holds no such date.
TDateTime ReadProducedDay(const QString &AText, TDateTime AToday)
{
    const QDate date = LeadingDate(AText);
    return date.isValid() ? QUV::ToDateTime(date) : AToday;
}

} // namespace

int CompareBooks(const TBook &ALeft, const TBook &ARight, TSortOrder ASortOrder)
{
    switch (ASortOrder) {
    case TSortOrder::Title:
        return CompareFoldedTexts(ALeft.Title(), ARight.Title());
    case TSortOrder::Produced:
        return CompareInts(DayKey(ARight.Produced()), DayKey(ALeft.Produced()));
    case TSortOrder::Added:
        return CompareInts(DayKey(ARight.Added()), DayKey(ALeft.Added()));
    }
    return 0;
}

// --- TBooksListModel --------------------------------------------------------

TBooksListModel::TBooksListModel(QObject *AParent) : QAbstractListModel(AParent)
{
}

void TBooksListModel::SetBooks(std::vector<const TBook *> ABooks)
{
    beginResetModel();
    FAll = std::move(ABooks);
    ApplyFilter(false);
    endResetModel();
}

void TBooksListModel::SetFilter(const QString &AText)
{
    if (AText == FFilter)
        return;
    // A longer text that holds the old one can only narrow what is shown.
    const bool narrowing = !FFilter.isEmpty() && AText.contains(FFilter, Qt::CaseInsensitive);
    beginResetModel();
    FFilter = AText;
    ApplyFilter(narrowing);
    endResetModel();
}

void TBooksListModel::ApplyFilter(bool ANarrowing)
{
    const int count = static_cast<int>(FAll.size());
    if (FFilter.isEmpty()) {
        FShown.resize(count);
        for (int i = 0; i < count; ++i)
            FShown[i] = i;
        return;
    }
    std::vector<int> shown;
    auto test = [&](int AIndex) {
        const TBook *book = FAll[AIndex];
        if (book->Title().contains(FFilter, Qt::CaseInsensitive) ||
            book->Author().contains(FFilter, Qt::CaseInsensitive) || book->Id().contains(FFilter, Qt::CaseInsensitive))
            shown.push_back(AIndex);
    };
    if (ANarrowing) {
        shown.reserve(FShown.size());
        for (int index : FShown)
            test(index);
    } else {
        shown.reserve(count);
        for (int i = 0; i < count; ++i)
            test(i);
    }
    FShown = std::move(shown);
}

const TBook *TBooksListModel::BookAt(int ARow) const
{
    return (ARow >= 0 && ARow < static_cast<int>(FShown.size())) ? FAll[FShown[ARow]] : nullptr;
}

int TBooksListModel::rowCount(const QModelIndex &AParent) const
{
    return AParent.isValid() ? 0 : static_cast<int>(FShown.size());
}

QVariant TBooksListModel::data(const QModelIndex &AIndex, int ARole) const
{
    const TBook *book = AIndex.isValid() ? BookAt(AIndex.row()) : nullptr;
    if (!book)
        return QVariant();
    switch (ARole) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case TitleRole:
        return book->Title();
    case AuthorRole:
        return book->Author();
    case CnrRole:
        return book->Id();
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> TBooksListModel::roleNames() const
{
    return {{TitleRole, "Title"}, {AuthorRole, "Author"}, {CnrRole, "Cnr"}};
}

// --- TBooksItemDelegate -----------------------------------------------------

TBooksItemDelegate::TBooksItemDelegate(QObject *AParent)
    : QStyledItemDelegate(AParent), FTitleFont(MorvikStyle::Font(16)), FTextFont(MorvikStyle::Font(13))
{
}

void TBooksItemDelegate::paint(QPainter *APainter, const QStyleOptionViewItem &AOption,
                               const QModelIndex &AIndex) const
{
    APainter->save();
    const QRect r = AOption.rect;
    const bool pressed = AOption.state & (QStyle::State_Selected);
    APainter->fillRect(r, pressed ? MorvikStyle::Pressed : MorvikStyle::White);
    APainter->fillRect(QRect(r.left() + 5, r.bottom(), r.width() - 5, 1), QColor(0xE4, 0xE4, 0xE4));

    const int left = r.left() + 8;
    APainter->setPen(MorvikStyle::ItemText);

    const QFont &titleFont = FTitleFont;
    APainter->setFont(titleFont);
    const QRect titleRect(left, r.top() + 5, 239, 25);
    APainter->drawText(titleRect, Qt::AlignLeading | Qt::AlignVCenter,
                       QFontMetrics(titleFont).elidedText(AIndex.data(TBooksListModel::TitleRole).toString(),
                                                          Qt::ElideRight, titleRect.width()));

    const QFont &textFont = FTextFont;
    APainter->setFont(textFont);
    const QRect authorRect(left, r.top() + 32, 287, 25);
    APainter->drawText(authorRect, Qt::AlignLeading | Qt::AlignTop,
                       QFontMetrics(textFont).elidedText(AIndex.data(TBooksListModel::AuthorRole).toString(),
                                                         Qt::ElideRight, authorRect.width()));

    const QRect cnrRect(r.right() + 1 - 42 - 40, r.top() + 5, 40, 25);
    APainter->setPen(QColor(0x80, 0x80, 0x80));
    // A long id runs on to the left rather than being cut.
    APainter->drawText(cnrRect, Qt::AlignTrailing | Qt::AlignVCenter | Qt::TextDontClip,
                       AIndex.data(TBooksListModel::CnrRole).toString());

    // The accessory mark: a chevron in the item's last 40 units.
    const QPointF centre(r.right() + 1 - 20, r.center().y() + 0.5);
    QPainterPath chevron;
    chevron.moveTo(centre + QPointF(-3, -6));
    chevron.lineTo(centre + QPointF(3, 0));
    chevron.lineTo(centre + QPointF(-3, 6));
    APainter->setRenderHint(QPainter::Antialiasing);
    APainter->setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    APainter->drawPath(chevron);
    APainter->restore();
}

QSize TBooksItemDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return QSize(100, ItemHeight);
}

// --- TPullRefreshIndicator --------------------------------------------------

// The round mark that follows a pull on the list and spins while it reloads.
class TPullRefreshIndicator : public QWidget
{
public:
    explicit TPullRefreshIndicator(QWidget *AParent) : QWidget(AParent)
    {
        setObjectName(QStringLiteral("lvBooksRefreshIndicator"));
        setFixedSize(36, 36);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        FSpin = new QVariantAnimation(this);
        FSpin->setStartValue(0.0);
        FSpin->setEndValue(360.0);
        FSpin->setDuration(900);
        FSpin->setLoopCount(-1);
        connect(FSpin, &QVariantAnimation::valueChanged, this, [this](const QVariant &AValue) {
            FAngle = AValue.toReal();
            update();
        });
        hide();
    }

    void SetProgress(qreal AProgress)
    {
        FProgress = qBound<qreal>(0.0, AProgress, 1.0);
        update();
    }
    bool Refreshing() const { return FRefreshing; }
    void SetRefreshing(bool AValue)
    {
        FRefreshing = AValue;
        if (AValue) {
            FProgress = 1.0;
            FSpin->start();
        } else {
            FSpin->stop();
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0xD0, 0xD0, 0xD0), 1));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
        p.setPen(QPen(MorvikStyle::CornflowerBlue, 3, Qt::SolidLine, Qt::RoundCap));
        const QRectF arc = QRectF(rect()).adjusted(9, 9, -9, -9);
        const int span = qRound((FRefreshing ? 270.0 : 300.0 * FProgress) * 16);
        p.drawArc(arc, qRound((90 - FAngle) * 16), -span);
    }

private:
    QVariantAnimation *FSpin;
    qreal FProgress = 0;
    qreal FAngle = 0;
    bool FRefreshing = false;
};

// --- TBooksFrame ------------------------------------------------------------

TBooksFrame::TBooksFrame(QWidget *AOwner) : TAbstractContentFrame(AOwner)
{
    resize(350, 526);
    BuildLayout();

    // The page opens on its list; the change of tab loads it (in title order).
    connect(tcBooks, &TTabControl::Change, this, &TBooksFrame::tcBooksChange);
    tcBooks->SetActiveTab(tiBooksBookList);

    const TSettingsPtr settings = ReadConfigFile();
    const TSettingsPath sortOrderPath{QStringLiteral("morvik"), QStringLiteral("sortOrder")};
    TSortOrder sortOrder = TSortOrder::Produced;
    if (settings->Has(sortOrderPath)) {
        const int stored = settings->I(sortOrderPath) & 0xFF;
        // An order this page does not know falls back to the default.
        if (stored <= static_cast<int>(TSortOrder::Added))
            sortOrder = static_cast<TSortOrder>(stored);
    }
    SetSortOrder(sortOrder);
    Populate();
}

TBooksFrame::~TBooksFrame()
{
    // The items point into FBooks; let them go first.
    FModel->SetBooks({});
}

void TBooksFrame::BuildLayout()
{
    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(5, 0, 5, 0);
    tcBooks = new TTabControl(this);
    tcBooks->setObjectName(QStringLiteral("tcBooks"));
    pageLayout->addWidget(tcBooks);
    tiBooksBookList = new TTabItem(tcBooks, QStringLiteral("tiBooksBookList"));
    tiBooksBookDetails = new TTabItem(tcBooks, QStringLiteral("tiBooksBookDetails"));
    tcBooks->SetActiveTab(tiBooksBookDetails);

    // The list.
    auto *listLayout = new QVBoxLayout(tiBooksBookList);
    listLayout->setContentsMargins(0, 0, 1, 0);
    listLayout->setSpacing(6);
    lvBooksSearch = new QLineEdit(tiBooksBookList);
    lvBooksSearch->setObjectName(QStringLiteral("lvBooksSearch"));
    lvBooksSearch->setPlaceholderText(QStringLiteral("Sök"));
    lvBooksSearch->setClearButtonEnabled(true);
    lvBooksSearch->addAction(MorvikStyle::SearchIcon(), QLineEdit::LeadingPosition);
    MorvikStyle::SetStyleLookup(lvBooksSearch, QStringLiteral("searchbox"));
    listLayout->addWidget(lvBooksSearch);

    lvBooks = new QListView(tiBooksBookList);
    lvBooks->setObjectName(QStringLiteral("lvBooks"));
    MorvikStyle::SetStyleLookup(lvBooks, QStringLiteral("listviewstyle"));
    FModel = new TBooksListModel(this);
    FModel->setObjectName(QStringLiteral("lvBooksModel"));
    lvBooks->setModel(FModel);
    lvBooks->setItemDelegate(new TBooksItemDelegate(lvBooks));
    // Every item is as high as the next: the view never measures 100 000 of them.
    lvBooks->setUniformItemSizes(true);
    lvBooks->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    lvBooks->verticalScrollBar()->setSingleStep(TBooksItemDelegate::ItemHeight / 3);
    lvBooks->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lvBooks->setSelectionMode(QAbstractItemView::SingleSelection);
    lvBooks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvBooks->setFrameShape(QFrame::NoFrame);
    lvBooks->viewport()->installEventFilter(this);
    listLayout->addWidget(lvBooks, 1);
    connect(lvBooks, &QListView::clicked, this, &TBooksFrame::lvBooksItemClick);
    connect(lvBooksSearch, &QLineEdit::textChanged, FModel, &TBooksListModel::SetFilter);

    lvBooksRefreshIndicator = new TPullRefreshIndicator(tiBooksBookList);

    // The details.
    auto *detailsLayout = new QVBoxLayout(tiBooksBookDetails);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    detailsLayout->setSpacing(0);
    auto makeEdit = [this](const QString &AName, TQUVEditRectangle *AStrip) {
        auto *edit = new QLineEdit(AStrip);
        edit->setObjectName(AName);
        edit->setReadOnly(true);
        // Only a tap marks a field; showing the details must not select a title.
        edit->setFocusPolicy(Qt::ClickFocus);
        MorvikStyle::SetStyleLookup(edit, QStringLiteral("transparentedit"));
        edit->installEventFilter(this);
        AStrip->AddControl(edit, QMargins(0, 12, 10, 12));
        return edit;
    };
    Title = new TQUVEditRectangle(tiBooksBookDetails);
    Title->setObjectName(QStringLiteral("Title"));
    Title->SetCaption(QStringLiteral("Titel"));
    edTitle = makeEdit(QStringLiteral("edTitle"), Title);
    detailsLayout->addWidget(Title);
    AuthorEdit = new TQUVEditRectangle(tiBooksBookDetails);
    AuthorEdit->setObjectName(QStringLiteral("AuthorEdit"));
    AuthorEdit->SetCaption(QStringLiteral("Författare"));
    edAuthor = makeEdit(QStringLiteral("edAuthor"), AuthorEdit);
    detailsLayout->addWidget(AuthorEdit);

    rctProduceBook = new TRectangle(tiBooksBookDetails);
    rctProduceBook->setObjectName(QStringLiteral("rctProduceBook"));
    rctProduceBook->setFixedHeight(133);
    rctProduceBook->SetFill(MorvikStyle::White);
    rctProduceBook->SetSides(sdBottom);
    rctProduceBook->SetStroke(MorvikStyle::Silver);
    rctProduceBook->SetStrokeThickness(0.3);
    rctProduceBook->installEventFilter(this);
    detailsLayout->addWidget(rctProduceBook);
    detailsLayout->addStretch(1);

    Label1 = new QLabel(QStringLiteral("Producera boken"), rctProduceBook);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(5, 14);
    Label1->adjustSize();
    tbarCopies = new QSlider(Qt::Horizontal, rctProduceBook);
    tbarCopies->setObjectName(QStringLiteral("tbarCopies"));
    tbarCopies->setRange(1, 20);
    tbarCopies->setSingleStep(1);
    tbarCopies->setPageStep(1);
    tbarCopies->setValue(1);
    tbarCopies->setGeometry(4, 40, 326, 26);

    alBooks = new TActionList(this, QStringLiteral("alBooks"));
    alBooks->SetOnUpdate([this] { alBooksUpdate(); });
    actProduceBooks = new QAction(alBooks);
    actProduceBooks->setObjectName(QStringLiteral("actProduceBooks"));
    connect(actProduceBooks, &QAction::triggered, this, &TBooksFrame::actProduceBooksExecute);
    connect(tbarCopies, &QSlider::valueChanged, alBooks, &TActionList::RequestUpdate);

    btnStartProduction = new QToolButton(rctProduceBook);
    btnStartProduction->setObjectName(QStringLiteral("btnStartProduction"));
    btnStartProduction->setGeometry(5, 74, 147, 36);
    MorvikStyle::SetStyleLookup(btnStartProduction, QStringLiteral("actionbutton"));
    btnStartProduction->setDefaultAction(actProduceBooks);
    alBooks->UpdateNow();

    // F5 reloads the list, as a pull on it does.
    actRefreshBooks = new QAction(this);
    actRefreshBooks->setObjectName(QStringLiteral("actRefreshBooks"));
    actRefreshBooks->setShortcut(QKeySequence::Refresh);
    actRefreshBooks->setShortcutContext(Qt::WindowShortcut);
    addAction(actRefreshBooks);
    connect(actRefreshBooks, &QAction::triggered, this, [this] {
        if (isVisible() && tcBooks->ActiveTab() == tiBooksBookList)
            StartPullRefresh();
    });

    tmrRefresh = new QTimer(this);
    tmrRefresh->setObjectName(QStringLiteral("tmrRefresh"));
    tmrRefresh->setInterval(60000);
    connect(tmrRefresh, &QTimer::timeout, this, &TBooksFrame::tmrRefreshTimer);
    tmrRefresh->start();
}

void TBooksFrame::Populate()
{
    DoPopulateBooksList();
}

void TBooksFrame::DoReceiveFocus()
{
    Populate();
}

void TBooksFrame::NavigateBack()
{
    tcBooks->SetActiveTabWithTransition(tiBooksBookList, TTabTransition::Slide, TTabTransitionDirection::Reversed);
}

void TBooksFrame::ChangeSortOrder(TSortOrder Value)
{
    FSortOrder = Value;
    DoPopulateBooksList();
    const TSettingsPtr settings = ReadConfigFile();
    settings->SetI({QStringLiteral("morvik"), QStringLiteral("sortOrder")}, static_cast<int>(FSortOrder));
    settings->Save();
}

void TBooksFrame::DoPopulateBooksList()
{
    // Read into a list of its own: a query that fails half-way leaves the
    // page with the books and the list it showed before, both intact.
    TListOfBooks books;
    // The catalogue rarely shrinks between reloads.
    books.Reserve(FBooks.Count());
    const TDateTime today = QUV::Date();
    LibraryCatalogue::Connection().OpenQuery(
        kBooksSQL, TSarvoArrayOfVariants(),
        [&books, today](TQUVDataset &ADataset) {
            auto book = std::make_unique<TBook>();
            book->SetId(ADataset.FieldByName(QStringLiteral("id")).AsString());
            book->SetTitle(ADataset.FieldByName(QStringLiteral("Title")).AsString());
            book->SetAuthor(ADataset.FieldByName(QStringLiteral("Author")).AsString());
            book->SetAdded(ReadDateTime(ADataset.FieldByName(QStringLiteral("Added"))));
            book->SetProduced(ReadProducedDay(ADataset.FieldByName(QStringLiteral("Produced")).AsString(), today));
            books.Add(std::move(book));
        },
        qoEachRow);
    FillBooksListView(books);
    // The model now points into the new books; nothing refers to the old
    // ones, so freeing a large list is left to a pool thread.
    std::swap(FBooks, books);
    auto old = std::make_shared<TListOfBooks>(std::move(books));
    QThreadPool::globalInstance()->start([old]() mutable { old.reset(); });
    ++FPopulateCount;
}

void TBooksFrame::FillBooksListView(const TListOfBooks &ABooks)
{
    struct TEntry
    {
        QString Title;
        int Day;
        const TBook *Book;
    };
    std::vector<TEntry> entries;
    entries.reserve(ABooks.Count());
    for (const TBook &book : ABooks) {
        switch (FSortOrder) {
        case TSortOrder::Title:
            entries.push_back({FoldedAZ(book.Title()), 0, &book});
            break;
        case TSortOrder::Produced:
            entries.push_back({QString(), DayKey(book.Produced()), &book});
            break;
        case TSortOrder::Added:
            entries.push_back({QString(), DayKey(book.Added()), &book});
            break;
        }
    }
    // The keys are those of CompareBooks, worked out once per book.
    if (FSortOrder == TSortOrder::Title)
        std::sort(entries.begin(), entries.end(),
                  [](const TEntry &l, const TEntry &r) { return CompareCodeUnits(l.Title, r.Title) < 0; });
    else
        std::sort(entries.begin(), entries.end(), [](const TEntry &l, const TEntry &r) { return l.Day > r.Day; });

    std::vector<const TBook *> items;
    items.reserve(entries.size());
    for (const TEntry &entry : entries)
        items.push_back(entry.Book);

    // A reload every minute must not throw the reader back to the top.
    const int scroll = lvBooks->verticalScrollBar()->value();
    FModel->SetBooks(std::move(items));
    lvBooks->verticalScrollBar()->setValue(scroll);
}

void TBooksFrame::tcBooksChange()
{
    if (tcBooks->ActiveTab() == tiBooksBookList)
        DoPopulateBooksList();
}

void TBooksFrame::tmrRefreshTimer()
{
    if (tcBooks->ActiveTab() == tiBooksBookList)
        DoPopulateBooksList();
}

void TBooksFrame::lvBooksItemClick(const QModelIndex &AItem)
{
    if (FSuppressClick) {
        FSuppressClick = false;
        return;
    }
    ShowBookDetails(AItem.data(TBooksListModel::CnrRole).toString());
    tcBooks->SetActiveTabWithTransition(tiBooksBookDetails, TTabTransition::Slide, TTabTransitionDirection::Normal);
}

void TBooksFrame::StartPullRefresh()
{
    lvBooksRefreshIndicator->move((tiBooksBookList->width() - lvBooksRefreshIndicator->width()) / 2,
                                  lvBooks->y() + 12);
    lvBooksRefreshIndicator->SetRefreshing(true);
    lvBooksRefreshIndicator->show();
    lvBooksRefreshIndicator->raise();
    lvBooksRefreshIndicator->repaint();
    // Let the indicator reach the screen before the reload holds the thread.
    QTimer::singleShot(0, this, &TBooksFrame::lvBooksPullRefresh);
}

void TBooksFrame::lvBooksPullRefresh()
{
    struct TStopIndicator
    {
        TPullRefreshIndicator *Indicator;
        ~TStopIndicator()
        {
            Indicator->SetRefreshing(false);
            Indicator->hide();
        }
    } stop{lvBooksRefreshIndicator};
    Populate();
}

bool TBooksFrame::HandleListMouse(QEvent *AEvent)
{
    auto *mouse = static_cast<QMouseEvent *>(AEvent);
    QScrollBar *bar = lvBooks->verticalScrollBar();
    switch (AEvent->type()) {
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton)
            return false;
        FPointerDown = true;
        FDragging = false;
        FSuppressClick = false;
        FPressPos = mouse->position().toPoint();
        FPressScroll = bar->value();
        FPullDistance = 0;
        return false;
    case QEvent::MouseMove: {
        if (!FPointerDown || !(mouse->buttons() & Qt::LeftButton))
            return false;
        const int dy = mouse->position().toPoint().y() - FPressPos.y();
        if (!FDragging && std::abs(dy) < QApplication::startDragDistance())
            return false;
        if (!FDragging) {
            // A finger that moves scrolls the list instead of choosing a title.
            FDragging = true;
            lvBooks->clearSelection();
        }
        const int wanted = FPressScroll - dy;
        bar->setValue(std::clamp(wanted, 0, bar->maximum()));
        FPullDistance = wanted < 0 ? -wanted : 0;
        if (FPullDistance > 0) {
            lvBooksRefreshIndicator->SetProgress(qreal(FPullDistance) / kPullThreshold);
            lvBooksRefreshIndicator->move((tiBooksBookList->width() - lvBooksRefreshIndicator->width()) / 2,
                                          lvBooks->y() + std::min(FPullDistance, kPullThreshold) / 2 - 18);
            lvBooksRefreshIndicator->show();
            lvBooksRefreshIndicator->raise();
        } else if (!lvBooksRefreshIndicator->Refreshing()) {
            lvBooksRefreshIndicator->hide();
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (!FPointerDown)
            return false;
        FPointerDown = false;
        if (!FDragging)
            return false;
        FDragging = false;
        FSuppressClick = true;
        if (FPullDistance >= kPullThreshold)
            StartPullRefresh();
        else if (!lvBooksRefreshIndicator->Refreshing())
            lvBooksRefreshIndicator->hide();
        FPullDistance = 0;
        return false;
    }
    default:
        return false;
    }
}

void TBooksFrame::ShowBookDetails(const QString &ABookId)
{
    FCurrentBookId = ABookId;
    const TBook *book = &FBooks.GetByBookId(ABookId);
    if (!book)
        throw Exception(QStringLiteral("Internt fel"));
    edTitle->setText(book->Title());
    edTitle->setCursorPosition(0);
    edAuthor->setText(book->Author());
    edAuthor->setCursorPosition(0);
}

void TBooksFrame::edEditEnter(QWidget *Sender)
{
    MorvikStyle::SetStyleLookup(Sender, QStringLiteral("editstyle"));
}

void TBooksFrame::edEditExit(QWidget *Sender)
{
    MorvikStyle::SetStyleLookup(Sender, QStringLiteral("transparentedit"));
}

int TBooksFrame::Copies() const
{
    return tbarCopies->value();
}

void TBooksFrame::alBooksUpdate()
{
    const int n = Copies();
    actProduceBooks->setText(
        QStringLiteral("Producera %1 %2")
            .arg(n)
            .arg(QUV::SingularOrPlural(QStringLiteral("kopia"), QStringLiteral("kopior"), n).toString()));
}

void TBooksFrame::actProduceBooksExecute()
{
    OrderProduction(FCurrentBookId, Copies());
}

void TBooksFrame::OrderProduction(const QString &ABookId, int ACopies)
{
    if (ACopies <= 0)
        return;
    const QString title = FBooks.GetByBookId(ABookId).Title();
    if (!LibraryCatalogue::ProduceBook(ABookId, ACopies))
        return;
    if (MainForm)
        MainForm->ShowMessage(QStringLiteral("'%1' kommer strax att produceras").arg(title), 3000);
}

bool TBooksFrame::eventFilter(QObject *AWatched, QEvent *AEvent)
{
    if (AWatched == lvBooks->viewport()) {
        switch (AEvent->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return HandleListMouse(AEvent);
        default:
            return false;
        }
    }
    if (AWatched == edTitle || AWatched == edAuthor) {
        if (AEvent->type() == QEvent::FocusIn)
            edEditEnter(static_cast<QWidget *>(AWatched));
        else if (AEvent->type() == QEvent::FocusOut)
            edEditExit(static_cast<QWidget *>(AWatched));
    }
    if (AWatched == rctProduceBook && AEvent->type() == QEvent::Resize)
        // The track bar stretches with the page: 326 of the 350 units at design.
        tbarCopies->setFixedWidth(std::max(0, rctProduceBook->width() - 24));
    return TAbstractContentFrame::eventFilter(AWatched, AEvent);
}
