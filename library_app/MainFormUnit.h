#pragma once

#include <QPointF>
#include <QWidget>

class QAction;
class QLabel;
class QPropertyAnimation;
class QRadioButton;
class QToolButton;
class TActionList;
class TBooksFrame;
class TMultiView;
class TRectangle;
class TReportsFrame;
class TSettingsFrame;
class TTabControl;
class TTabItem;

enum class TAppState { Books = 0, Reports = 1, Settings = 2 };

// The one window of MorvikLibrary: a borderless, phone-shaped window with its
// own title bar, three pages behind a bottom bar, a drawer with the sort
// order of the books list, and a panel for short notices.
class TMainForm : public QWidget
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *AParent = nullptr);
    ~TMainForm() override;

    TAppState AppState() const { return FAppState; }
    void SetAppState(TAppState Value);

    // Drops a panel with the message in under the title bar; it leaves again
    // after ATimeOut ms. Returns at once.
    void ShowMessage(const QString &AMessage, int ATimeOut);

    // Imports the delivered book whose job file is AFileName (its disc image
    // has the same name with ".iso"); raises "Filen saknas: %s" first when
    // either file is missing.
    void AddFileToLibrary(const QString &AFileName);

    TBooksFrame *BooksFrame() const { return FBooksFrame; }
    TReportsFrame *ReportsFrame() const { return FReportsFrame; }
    TSettingsFrame *SettingsFrame() const { return FSettingsFrame; }

    // Event handlers, named after their component and event.
    void actCloseAppExecute();
    void actBackExecute();
    void actBooksPageExecute();
    void actReportsPageExecute();
    void actSettingsPageExecute();
    void alMainUpdate();
    void rbSortOrderProducedChange();
    void sbCloseMenuClick();
    void ToolbarMouseDown(QWidget *Sender, const QPointF &APos);
    void ToolbarMouseMove(QWidget *Sender, const QPointF &APos);
    void ToolbarMouseUp(QWidget *Sender, const QPointF &APos);
    void ToolbarMouseLeave(QWidget *Sender);

protected:
    bool eventFilter(QObject *AWatched, QEvent *AEvent) override;

private:
    void BuildLayout();
    void BuildDrawer();
    void FormCreate();
    void LoadWindowPosition();
    void SaveWindowPosition();
    void doShowMessage(const QString &AMessage, int ATimeOut);
    QToolButton *PageButton(TAppState AState) const;
    void MovePageIndicator(QToolButton *AButton);

    TBooksFrame *FBooksFrame = nullptr;
    TReportsFrame *FReportsFrame = nullptr;
    TSettingsFrame *FSettingsFrame = nullptr;
    TAppState FAppState = TAppState::Books;
    bool FMouseIsDown = false;
    QPointF FDraggingStartPos;

    TRectangle *Rectangle1 = nullptr;
    TRectangle *Toolbar = nullptr;
    QLabel *lblAppTitle = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *sbMenu = nullptr;
    QToolButton *sbCloseApp = nullptr;
    TRectangle *ButtonBar = nullptr;
    QToolButton *sbBooks = nullptr;
    QToolButton *sbReports = nullptr;
    QToolButton *sbSettings = nullptr;
    TRectangle *rctPageIndicator = nullptr;
    QPropertyAnimation *FIndicatorFade = nullptr;
    TRectangle *rctMain = nullptr;
    TTabControl *tcMain = nullptr;
    TTabItem *tiMain = nullptr;
    TTabItem *tiReports = nullptr;
    TTabItem *tiSettings = nullptr;
    TMultiView *mvMenu = nullptr;
    TRectangle *Rectangle2 = nullptr;
    QToolButton *sbCloseMenu = nullptr;
    QLabel *Label2 = nullptr;
    QRadioButton *rbSortOrderTitle = nullptr;
    QRadioButton *rbSortOrderAdded = nullptr;
    QRadioButton *rbSortOrderProduced = nullptr;

    TActionList *alMain = nullptr;
    QAction *actCloseApp = nullptr;
    QAction *actBack = nullptr;
    QAction *actBooksPage = nullptr;
    QAction *actReportsPage = nullptr;
    QAction *actSettingsPage = nullptr;
};

// The one main window; the pages reach the window through it.
extern TMainForm *MainForm;
