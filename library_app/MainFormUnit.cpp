#include "MainFormUnit.h"

#include "AbstractContentFrameUnit.h"
#include "BooksFrameUnit.h"
#include "Enums.h"
#include "LibraryCatalogue.h"
#include "MorvikStyle.h"
#include "ReportsFrameUnit.h"
#include "SettingsFrameUnit.h"
#include "TouchControls.h"
#include "QUV.Types.h"

#include <QAction>
#include <QButtonGroup>
#include <QFileInfo>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPropertyAnimation>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

TMainForm *MainForm = nullptr;

namespace {

QToolButton *MakeBarButton(QWidget *AParent, const QString &AName, const QString &ALook, int AWidth)
{
    auto *button = new QToolButton(AParent);
    button->setObjectName(AName);
    button->setFixedSize(AWidth, 50);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIconSize(QSize(24, 24));
    MorvikStyle::SetStyleLookup(button, ALook);
    return button;
}

TRectangle *MakeBar(QWidget *AParent, const QString &AName, int ASides)
{
    auto *bar = new TRectangle(AParent);
    bar->setObjectName(AName);
    bar->setFixedHeight(50);
    bar->SetSides(ASides);
    return bar;
}

// AFileName with its extension replaced (or AExtension appended when it has none).
QString ChangeFileExt(const QString &AFileName, const QString &AExtension)
{
    const int dot = AFileName.lastIndexOf(QLatin1Char('.'));
    const int slash = AFileName.lastIndexOf(QLatin1Char('/'));
    if (dot <= slash)
        return AFileName + AExtension;
    return AFileName.left(dot) + AExtension;
}

} // namespace

TMainForm::TMainForm(QWidget *AParent) : QWidget(AParent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Morvik Library"));
    resize(401, 578);
    MorvikStyle::Apply(this);
    // The pages reach the window through MainForm while they are built.
    MainForm = this;

    BuildLayout();
    BuildDrawer();
    FormCreate();

    LibraryCatalogue::OnOrderCopyFailed(this, [this](const QString &AMessage) { ShowMessage(AMessage, 6000); });
}

TMainForm::~TMainForm()
{
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::BuildLayout()
{
    alMain = new TActionList(this, QStringLiteral("alMain"));
    alMain->SetOnUpdate([this] { alMainUpdate(); });
    auto makeAction = [this](const QString &AName, const QString &AText, void (TMainForm::*AHandler)()) {
        auto *action = new QAction(AText, alMain);
        action->setObjectName(AName);
        connect(action, &QAction::triggered, this, AHandler);
        return action;
    };
    actCloseApp = makeAction(QStringLiteral("actCloseApp"), QString(), &TMainForm::actCloseAppExecute);
    actCloseApp->setIcon(MorvikStyle::ClearIcon());
    actBack = makeAction(QStringLiteral("actBack"), QStringLiteral("Back"), &TMainForm::actBackExecute);
    actBack->setIcon(MorvikStyle::BackIcon());
    actBooksPage = makeAction(QStringLiteral("actBooksPage"), QStringLiteral("Böcker"), &TMainForm::actBooksPageExecute);
    actReportsPage =
        makeAction(QStringLiteral("actReportsPage"), QStringLiteral("Rapporter"), &TMainForm::actReportsPageExecute);
    actSettingsPage = makeAction(QStringLiteral("actSettingsPage"), QStringLiteral("Inställningar"),
                                 &TMainForm::actSettingsPageExecute);

    auto *windowLayout = new QVBoxLayout(this);
    windowLayout->setContentsMargins(0, 0, 0, 0);

    // A one-unit silver frame round the borderless window.
    Rectangle1 = new TRectangle(this);
    Rectangle1->setObjectName(QStringLiteral("Rectangle1"));
    Rectangle1->SetFill(Qt::transparent);
    Rectangle1->SetStroke(MorvikStyle::Silver);
    Rectangle1->SetSides(AllSides);
    windowLayout->addWidget(Rectangle1);
    auto *frameLayout = new QVBoxLayout(Rectangle1);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    frameLayout->setSpacing(0);

    Toolbar = MakeBar(Rectangle1, QStringLiteral("Toolbar"), sdBottom);
    Toolbar->SetFill(MorvikStyle::DarkOrange);
    Toolbar->SetStroke(MorvikStyle::Silver);
    Toolbar->SetStrokeThickness(0.3);
    Toolbar->installEventFilter(this);
    frameLayout->addWidget(Toolbar);

    lblAppTitle = new QLabel(QStringLiteral("MorvikBiblioteket"), Toolbar);
    lblAppTitle->setObjectName(QStringLiteral("lblAppTitle"));
    lblAppTitle->setAlignment(Qt::AlignCenter);
    lblAppTitle->setAttribute(Qt::WA_TransparentForMouseEvents); // the bar drags the window
    MorvikStyle::SetStyleLookup(lblAppTitle, QStringLiteral("bartitle"));

    auto *toolbarLayout = new QHBoxLayout(Toolbar);
    toolbarLayout->setContentsMargins(0, 0, 0, 0);
    toolbarLayout->setSpacing(0);
    toolbarLayout->addSpacing(10);
    SpeedButton1 = MakeBarButton(Toolbar, QStringLiteral("SpeedButton1"), QStringLiteral("backtoolbutton"), 80);
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    LinkButtonToAction(SpeedButton1, actBack);
    toolbarLayout->addWidget(SpeedButton1);
    sbMenu = MakeBarButton(Toolbar, QStringLiteral("sbMenu"), QStringLiteral("drawertoolbutton"), 50);
    sbMenu->setIcon(MorvikStyle::DrawerIcon());
    toolbarLayout->addWidget(sbMenu);
    toolbarLayout->addStretch(1);
    sbCloseApp = MakeBarButton(Toolbar, QStringLiteral("sbCloseApp"), QStringLiteral("cleareditbutton"), 50);
    LinkButtonToAction(sbCloseApp, actCloseApp);
    toolbarLayout->addWidget(sbCloseApp);

    rctMain = new TRectangle(Rectangle1);
    rctMain->setObjectName(QStringLiteral("rctMain"));
    rctMain->SetFill(MorvikStyle::White);
    rctMain->SetStroke(MorvikStyle::Silver);
    rctMain->SetStrokeThickness(0.3);
    frameLayout->addWidget(rctMain, 1);
    auto *mainLayout = new QVBoxLayout(rctMain);
    mainLayout->setContentsMargins(0, 10, 0, 0);
    tcMain = new TTabControl(rctMain);
    tcMain->setObjectName(QStringLiteral("tcMain"));
    mainLayout->addWidget(tcMain);
    tiMain = new TTabItem(tcMain, QStringLiteral("tiMain"));
    tiReports = new TTabItem(tcMain, QStringLiteral("tiReports"));
    tiSettings = new TTabItem(tcMain, QStringLiteral("tiSettings"));

    ButtonBar = MakeBar(Rectangle1, QStringLiteral("ButtonBar"), sdTop);
    ButtonBar->SetFill(MorvikStyle::White);
    ButtonBar->SetStroke(MorvikStyle::Silver);
    frameLayout->addWidget(ButtonBar);
    auto *buttonBarLayout = new QHBoxLayout(ButtonBar);
    buttonBarLayout->setContentsMargins(0, 0, 0, 0);
    buttonBarLayout->setSpacing(0);
    sbBooks = MakeBarButton(ButtonBar, QStringLiteral("sbBooks"), QStringLiteral("pagebutton"), 80);
    LinkButtonToAction(sbBooks, actBooksPage);
    sbReports = MakeBarButton(ButtonBar, QStringLiteral("sbReports"), QStringLiteral("pagebutton"), 80);
    LinkButtonToAction(sbReports, actReportsPage);
    sbSettings = MakeBarButton(ButtonBar, QStringLiteral("sbSettings"), QStringLiteral("pagebutton"), 80);
    LinkButtonToAction(sbSettings, actSettingsPage);
    buttonBarLayout->addWidget(sbBooks);
    buttonBarLayout->addWidget(sbReports);
    buttonBarLayout->addWidget(sbSettings);
    buttonBarLayout->addStretch(1);

    rctPageIndicator = new TRectangle(sbBooks);
    rctPageIndicator->setObjectName(QStringLiteral("rctPageIndicator"));
    rctPageIndicator->SetFill(MorvikStyle::CornflowerBlue);
    rctPageIndicator->SetSides(0);
    rctPageIndicator->setGeometry(0, 0, sbBooks->width(), 8);
    // It lies on the button; a tap there is meant for the button.
    rctPageIndicator->setAttribute(Qt::WA_TransparentForMouseEvents);
    FIndicatorFade = new QPropertyAnimation(rctPageIndicator, "Opacity", this);
    FIndicatorFade->setDuration(200);
    FIndicatorFade->setEasingCurve(QEasingCurve::Linear);
}

void TMainForm::BuildDrawer()
{
    mvMenu = new TMultiView(this);
    mvMenu->setObjectName(QStringLiteral("mvMenu"));
    mvMenu->SetDrawerWidth(250);
    mvMenu->SetMasterButton(sbMenu);

    auto *drawerLayout = new QVBoxLayout(mvMenu->Panel());
    drawerLayout->setContentsMargins(0, 1, 0, 1);
    drawerLayout->setSpacing(0);

    Rectangle2 = MakeBar(mvMenu->Panel(), QStringLiteral("Rectangle2"), 0);
    Rectangle2->SetFill(MorvikStyle::DarkOrange);
    Rectangle2->installEventFilter(this);
    drawerLayout->addWidget(Rectangle2);
    auto *headerTitle = new QLabel(QStringLiteral("Inställningar"), Rectangle2);
    headerTitle->setObjectName(QStringLiteral("lblMenuTitle"));
    headerTitle->setAlignment(Qt::AlignCenter);
    headerTitle->setAttribute(Qt::WA_TransparentForMouseEvents);
    MorvikStyle::SetStyleLookup(headerTitle, QStringLiteral("bartitle"));
    auto *headerLayout = new QHBoxLayout(Rectangle2);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->setSpacing(0);
    sbCloseMenu = MakeBarButton(Rectangle2, QStringLiteral("sbCloseMenu"), QStringLiteral("drawertoolbutton"), 50);
    sbCloseMenu->setIcon(MorvikStyle::DrawerIcon());
    connect(sbCloseMenu, &QToolButton::clicked, this, &TMainForm::sbCloseMenuClick);
    headerLayout->addWidget(sbCloseMenu);
    headerLayout->addWidget(headerTitle, 1);
    headerLayout->addSpacing(50); // keeps the caption centred over the drawer

    auto *body = new QVBoxLayout;
    body->setContentsMargins(16, 14, 12, 0);
    body->setSpacing(2);
    drawerLayout->addLayout(body);
    Label2 = new QLabel(QStringLiteral("Sorteringsordning"), mvMenu->Panel());
    Label2->setObjectName(QStringLiteral("Label2"));
    MorvikStyle::SetStyleLookup(Label2, QStringLiteral("heading"));
    body->addWidget(Label2);
    body->addSpacing(6);

    auto makeRadio = [this, body](const QString &AName, const QString &AText) {
        auto *radio = new QRadioButton(AText, mvMenu->Panel());
        radio->setObjectName(AName);
        body->addWidget(radio);
        return radio;
    };
    rbSortOrderTitle = makeRadio(QStringLiteral("rbSortOrderTitle"), QStringLiteral("Titel, författare"));
    rbSortOrderAdded = makeRadio(QStringLiteral("rbSortOrderAdded"), QStringLiteral("Senast tillagd, titel"));
    rbSortOrderProduced =
        makeRadio(QStringLiteral("rbSortOrderProduced"), QStringLiteral("Senast producerad, titel"));
    drawerLayout->addStretch(1);

    auto *group = new QButtonGroup(mvMenu);
    group->setExclusive(true);
    for (QRadioButton *radio : {rbSortOrderTitle, rbSortOrderAdded, rbSortOrderProduced})
        group->addButton(radio);
    rbSortOrderAdded->setChecked(true);
    // One reload per choice: the button that lost its mark does not count.
    connect(group, &QButtonGroup::buttonToggled, this, [this](QAbstractButton *, bool AChecked) {
        if (AChecked)
            rbSortOrderProducedChange();
    });
}

void TMainForm::FormCreate()
{
    auto place = [](TAbstractContentFrame *APage, TTabItem *ATab) {
        auto *layout = new QVBoxLayout(ATab);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(APage);
    };
    FBooksFrame = new TBooksFrame(this);
    FBooksFrame->setObjectName(QStringLiteral("BooksFrame"));
    place(FBooksFrame, tiMain);
    connect(FBooksFrame->tcBooks, &TTabControl::Change, alMain, &TActionList::RequestUpdate);
    FReportsFrame = new TReportsFrame(this);
    FReportsFrame->setObjectName(QStringLiteral("ReportsFrame"));
    place(FReportsFrame, tiReports);
    FSettingsFrame = new TSettingsFrame(this);
    FSettingsFrame->setObjectName(QStringLiteral("SettingsFrame"));
    place(FSettingsFrame, tiSettings);

    tcMain->SetActiveTab(tiMain);
    SetAppState(TAppState::Books);
    LoadWindowPosition();

    switch (FBooksFrame->SortOrder()) {
    case TSortOrder::Title:
        rbSortOrderTitle->setChecked(true);
        break;
    case TSortOrder::Produced:
        rbSortOrderProduced->setChecked(true);
        break;
    case TSortOrder::Added:
        rbSortOrderAdded->setChecked(true);
        break;
    }
    alMain->UpdateNow();
}

void TMainForm::LoadWindowPosition()
{
    const TSettingsPtr settings = ReadConfigFile();
    const TSettingsPtr library = settings->O({QStringLiteral("library")});
    if (library->Has({QStringLiteral("Left")}))
        move(library->I({QStringLiteral("Left")}), y());
    if (library->Has({QStringLiteral("Top")}))
        move(x(), library->I({QStringLiteral("Top")}));
}

void TMainForm::SaveWindowPosition()
{
    const TSettingsPtr settings = ReadConfigFile();
    settings->SetI({QStringLiteral("library"), QStringLiteral("Left")}, x());
    settings->SetI({QStringLiteral("library"), QStringLiteral("Top")}, y());
    settings->Save();
}

QToolButton *TMainForm::PageButton(TAppState AState) const
{
    switch (AState) {
    case TAppState::Books:
        return sbBooks;
    case TAppState::Reports:
        return sbReports;
    case TAppState::Settings:
        return sbSettings;
    }
    return nullptr;
}

void TMainForm::SetAppState(TAppState Value)
{
    if (Value == FAppState)
        return;
    QToolButton *target = PageButton(Value);
    if (!target)
        throw Exception(QStringLiteral("Unhandled appstate"));
    FAppState = Value;

    FIndicatorFade->stop();
    FIndicatorFade->setStartValue(rctPageIndicator->Opacity());
    FIndicatorFade->setEndValue(0.0);
    FIndicatorFade->start();
    // Timers of one interval fire in the order they were started, so after
    // several quick changes the indicator ends on the last page chosen.
    QTimer::singleShot(200, this, [this, target] { MovePageIndicator(target); });

    switch (Value) {
    case TAppState::Books:
        FBooksFrame->ReceiveFocus();
        tcMain->SetActiveTabWithTransition(tiMain, TTabTransition::Slide, TTabTransitionDirection::Reversed);
        break;
    case TAppState::Reports:
    case TAppState::Settings: {
        TAbstractContentFrame *page = Value == TAppState::Reports ? static_cast<TAbstractContentFrame *>(FReportsFrame)
                                                                  : static_cast<TAbstractContentFrame *>(FSettingsFrame);
        TTabItem *tab = Value == TAppState::Reports ? tiReports : tiSettings;
        page->ReceiveFocus();
        const auto direction = tcMain->TabIndex() > tab->Index() ? TTabTransitionDirection::Reversed
                                                                  : TTabTransitionDirection::Normal;
        tcMain->SetActiveTabWithTransition(tab, TTabTransition::Slide, direction);
        break;
    }
    }
    alMain->RequestUpdate();
}

void TMainForm::MovePageIndicator(QToolButton *AButton)
{
    rctPageIndicator->setParent(AButton);
    rctPageIndicator->setGeometry(0, 0, AButton->width(), 8);
    rctPageIndicator->show();
    rctPageIndicator->raise();
    FIndicatorFade->stop();
    FIndicatorFade->setStartValue(rctPageIndicator->Opacity());
    FIndicatorFade->setEndValue(1.0);
    FIndicatorFade->start();
}

void TMainForm::actCloseAppExecute()
{
    close();
}

void TMainForm::actBackExecute()
{
    switch (FAppState) {
    case TAppState::Books:
        FBooksFrame->NavigateBack();
        return;
    case TAppState::Reports:
    case TAppState::Settings:
        SetAppState(TAppState::Books);
        return;
    }
    throw Exception(QStringLiteral("Unhandled appstate"));
}

void TMainForm::actBooksPageExecute()
{
    SetAppState(TAppState::Books);
}

void TMainForm::actReportsPageExecute()
{
    SetAppState(TAppState::Reports);
}

void TMainForm::actSettingsPageExecute()
{
    SetAppState(TAppState::Settings);
}

void TMainForm::alMainUpdate()
{
    const bool booksList =
        FAppState == TAppState::Books && FBooksFrame->tcBooks->ActiveTab() == FBooksFrame->tiBooksBookList;
    actBack->setVisible(!booksList);
    sbMenu->setVisible(booksList);
    // The sort order belongs to the list; an open drawer does not outlive it.
    if (!booksList)
        mvMenu->HideMaster();
}

void TMainForm::rbSortOrderProducedChange()
{
    if (rbSortOrderTitle->isChecked())
        FBooksFrame->SetSortOrder(TSortOrder::Title);
    else if (rbSortOrderProduced->isChecked())
        FBooksFrame->SetSortOrder(TSortOrder::Produced);
    else if (rbSortOrderAdded->isChecked())
        FBooksFrame->SetSortOrder(TSortOrder::Added);
}

void TMainForm::sbCloseMenuClick()
{
    mvMenu->HideMaster();
}

void TMainForm::ToolbarMouseDown(QWidget *, const QPointF &APos)
{
    FMouseIsDown = true;
    FDraggingStartPos = APos;
}

void TMainForm::ToolbarMouseMove(QWidget *Sender, const QPointF &APos)
{
    if (!FMouseIsDown)
        return;
    // The bar holds the pointer while a button is down; leaving its area
    // ends the drag as leaving the bar does.
    if (!QRectF(Sender->rect()).contains(APos)) {
        ToolbarMouseLeave(Sender);
        return;
    }
    move(x() + qRound(APos.x() - FDraggingStartPos.x()), y());
    move(x(), y() + qRound(APos.y() - FDraggingStartPos.y()));
}

void TMainForm::ToolbarMouseUp(QWidget *, const QPointF &)
{
    FMouseIsDown = false;
    SaveWindowPosition();
}

void TMainForm::ToolbarMouseLeave(QWidget *)
{
    FMouseIsDown = false;
}

bool TMainForm::eventFilter(QObject *AWatched, QEvent *AEvent)
{
    if (AWatched == Toolbar && AEvent->type() == QEvent::Resize)
        lblAppTitle->setGeometry(Toolbar->rect());
    if (AWatched == Toolbar || AWatched == Rectangle2) {
        auto *sender = static_cast<QWidget *>(AWatched);
        switch (AEvent->type()) {
        case QEvent::MouseButtonPress:
            ToolbarMouseDown(sender, static_cast<QMouseEvent *>(AEvent)->position());
            return true;
        case QEvent::MouseMove:
            ToolbarMouseMove(sender, static_cast<QMouseEvent *>(AEvent)->position());
            return true;
        case QEvent::MouseButtonRelease:
            ToolbarMouseUp(sender, static_cast<QMouseEvent *>(AEvent)->position());
            return true;
        case QEvent::Leave:
            ToolbarMouseLeave(sender);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(AWatched, AEvent);
}

void TMainForm::ShowMessage(const QString &AMessage, int ATimeOut)
{
    doShowMessage(AMessage, ATimeOut);
}

void TMainForm::doShowMessage(const QString &AMessage, int ATimeOut)
{
    auto *panel = new TRectangle(this);
    panel->setObjectName(QStringLiteral("pnlMessage"));
    const int clientWidth = width();
    const int panelWidth = qRound(0.8 * clientWidth);
    panel->setGeometry(clientWidth / 2 - panelWidth / 2, -100, panelWidth, 100);
    panel->SetFill(MorvikStyle::White);
    panel->SetStroke(MorvikStyle::Silver);
    panel->SetStrokeThickness(0.3);
    panel->SetSides(sdLeft | sdBottom | sdRight);

    auto *label = new QLabel(panel);
    label->setObjectName(QStringLiteral("lblMessage"));
    // Titles come from deliveries: shown as they are, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(AMessage);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    MorvikStyle::SetStyleLookup(label, QStringLiteral("message"));
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(10, 4, 10, 4);
    layout->addWidget(label);

    auto *shadow = new QGraphicsDropShadowEffect(panel);
    shadow->setColor(QColor(0, 0, 0, qRound(0.3 * 255)));
    shadow->setOffset(0, 4);
    shadow->setBlurRadius(12);
    panel->setGraphicsEffect(shadow);

    panel->show();
    panel->raise();

    auto *dropIn = new QPropertyAnimation(panel, "pos", panel);
    dropIn->setDuration(500);
    dropIn->setEndValue(QPoint(panel->x(), Toolbar->height() + 1));
    dropIn->setEasingCurve(QEasingCurve::OutBounce);
    dropIn->start(QAbstractAnimation::DeleteWhenStopped);

    // The panel is the timer's context: a window closed meanwhile takes the
    // pending leave with it.
    QPointer<QPropertyAnimation> dropping = dropIn;
    QTimer::singleShot(ATimeOut, panel, [panel, dropping] {
        // A short time-out may come before the panel has settled.
        if (dropping)
            dropping->stop();
        auto *leave = new QPropertyAnimation(panel, "pos", panel);
        leave->setDuration(500);
        leave->setEndValue(QPoint(panel->x(), -panel->height() - 10));
        leave->setEasingCurve(QEasingCurve::InExpo);
        // Panels are not reused; one that has left is released.
        connect(leave, &QPropertyAnimation::finished, panel, &QObject::deleteLater);
        leave->start();
    });
}

void TMainForm::AddFileToLibrary(const QString &AFileName)
{
    if (!QFileInfo(AFileName).isFile())
        throw Exception(QStringLiteral("Filen saknas: %1").arg(AFileName));
    const QString isoFileName = ChangeFileExt(AFileName, QStringLiteral(".iso"));
    if (!QFileInfo(isoFileName).isFile())
        throw Exception(QStringLiteral("Filen saknas: %1").arg(isoFileName));
    LibraryCatalogue::AddBook(AFileName, isoFileName);
}
