#include "TouchControls.h"

#include <QAbstractButton>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QVariantAnimation>

// --- TRectangle -------------------------------------------------------------

TRectangle::TRectangle(QWidget *AParent) : QWidget(AParent)
{
}

void TRectangle::SetFill(const QColor &Value)
{
    FFill = Value;
    update();
}

void TRectangle::SetStroke(const QColor &Value)
{
    FStroke = Value;
    update();
}

void TRectangle::SetStrokeThickness(qreal Value)
{
    FStrokeThickness = Value;
    update();
}

void TRectangle::SetSides(int Value)
{
    FSides = Value;
    update();
}

void TRectangle::SetOpacity(qreal Value)
{
    FOpacity = qBound<qreal>(0.0, Value, 1.0);
    update();
}

void TRectangle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setOpacity(FOpacity);
    const QRectF r = rect();
    if (FFill.alpha() > 0)
        painter.fillRect(r, FFill);
    if (FStrokeThickness <= 0 || FSides == 0 || FStroke.alpha() == 0)
        return;
    // A hairline thinner than a pixel is drawn as one crisp pixel whose
    // strength follows the thickness, which is how it looks at 100 %.
    QColor stroke = FStroke;
    qreal width = FStrokeThickness;
    if (width < 1.0) {
        stroke.setAlphaF(stroke.alphaF() * width);
        width = 1.0;
    }
    if (FSides & sdTop)
        painter.fillRect(QRectF(r.left(), r.top(), r.width(), width), stroke);
    if (FSides & sdBottom)
        painter.fillRect(QRectF(r.left(), r.bottom() + 1 - width, r.width(), width), stroke);
    if (FSides & sdLeft)
        painter.fillRect(QRectF(r.left(), r.top(), width, r.height()), stroke);
    if (FSides & sdRight)
        painter.fillRect(QRectF(r.right() + 1 - width, r.top(), width, r.height()), stroke);
}

// --- TTabItem / TTabControl -------------------------------------------------

TTabItem::TTabItem(TTabControl *ATabControl, const QString &AName) : QWidget(ATabControl)
{
    setObjectName(AName);
    ATabControl->AddTab(this);
}

TTabControl *TTabItem::TabControl() const
{
    return qobject_cast<TTabControl *>(parentWidget());
}

int TTabItem::Index() const
{
    return TabControl() ? TabControl()->FTabs.indexOf(const_cast<TTabItem *>(this)) : -1;
}

TTabControl::TTabControl(QWidget *AParent) : QWidget(AParent)
{
    FSlide = new QVariantAnimation(this);
    FSlide->setStartValue(0.0);
    FSlide->setEndValue(1.0);
    FSlide->setDuration(300);
    FSlide->setEasingCurve(QEasingCurve::OutCubic);
    connect(FSlide, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        const qreal t = value.toReal();
        const int w = width();
        if (FActiveTab)
            FActiveTab->move(qRound(FSlideSign * w * (1.0 - t)), 0);
        if (FLeavingTab)
            FLeavingTab->move(qRound(-FSlideSign * w * t), 0);
    });
    connect(FSlide, &QVariantAnimation::finished, this, &TTabControl::FinishTransition);
}

void TTabControl::AddTab(TTabItem *ATab)
{
    FTabs.append(ATab);
    ATab->setGeometry(rect());
    if (!FActiveTab)
        FActiveTab = ATab;
    else
        ATab->hide();
}

void TTabControl::SetActiveTab(TTabItem *ATab)
{
    SetActiveTabWithTransition(ATab, TTabTransition::None);
}

void TTabControl::SetActiveTabWithTransition(TTabItem *ATab, TTabTransition ATransition,
                                             TTabTransitionDirection ADirection)
{
    if (!ATab || !FTabs.contains(ATab) || ATab == FActiveTab)
        return;
    FinishTransition();
    TTabItem *leaving = FActiveTab;
    FActiveTab = ATab;
    // Listeners may reload what the new tab shows; let them do it before the
    // slide starts, so the slide runs smoothly afterwards.
    try {
        emit Change();
    } catch (...) {
        // The tab has changed all the same; show it before the failure goes on.
        PlaceTabs();
        throw;
    }
    if (FActiveTab != ATab)
        return; // a listener moved on to another tab
    if (ATransition == TTabTransition::Slide && leaving && isVisible() && width() > 0) {
        FLastDirection = ADirection;
        FSlideSign = ADirection == TTabTransitionDirection::Normal ? 1 : -1;
        FLeavingTab = leaving;
        ATab->setGeometry(FSlideSign * width(), 0, width(), height());
        ATab->show();
        ATab->raise();
        FSlide->start();
    } else {
        if (ATransition == TTabTransition::Slide)
            FLastDirection = ADirection;
        PlaceTabs();
    }
}

bool TTabControl::IsTransitionRunning() const
{
    return FSlide->state() == QAbstractAnimation::Running;
}

void TTabControl::FinishTransition()
{
    if (FSlide->state() == QAbstractAnimation::Running)
        FSlide->stop();
    FLeavingTab = nullptr;
    PlaceTabs();
}

void TTabControl::PlaceTabs()
{
    for (TTabItem *tab : std::as_const(FTabs)) {
        tab->setGeometry(rect());
        tab->setVisible(tab == FActiveTab);
    }
}

void TTabControl::resizeEvent(QResizeEvent *)
{
    FinishTransition();
}

// --- TMultiView -------------------------------------------------------------

TMultiView::TMultiView(QWidget *AParent) : QWidget(AParent)
{
    auto *panel = new TRectangle(this);
    panel->setObjectName(QStringLiteral("mvMenuPanel"));
    panel->SetFill(Qt::white);
    panel->SetSides(sdRight);
    panel->SetStroke(QColor(0xC0, 0xC0, 0xC0));
    panel->SetStrokeThickness(0.3);
    FPanel = panel;

    FAnimation = new QVariantAnimation(this);
    FAnimation->setDuration(250);
    FAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(FAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &value) { SetReveal(value.toReal()); });
    connect(FAnimation, &QVariantAnimation::finished, this, [this] {
        if (!FShowed)
            hide();
    });

    AParent->installEventFilter(this);
    hide();
    Place();
}

void TMultiView::SetDrawerWidth(int AWidth)
{
    FDrawerWidth = AWidth;
    Place();
}

void TMultiView::SetMasterButton(QAbstractButton *AButton)
{
    if (FMasterButton)
        disconnect(FMasterButton, nullptr, this, nullptr);
    FMasterButton = AButton;
    if (AButton)
        connect(AButton, &QAbstractButton::clicked, this, [this] { FShowed ? HideMaster() : ShowMaster(); });
}

void TMultiView::ShowMaster()
{
    if (FShowed)
        return;
    FShowed = true;
    Place();
    show();
    raise();
    Animate(1.0);
    emit Shown();
}

void TMultiView::HideMaster()
{
    if (!FShowed)
        return;
    FShowed = false;
    Animate(0.0);
    emit Hidden();
}

void TMultiView::SetReveal(qreal Value)
{
    FReveal = Value;
    Place();
    update();
}

void TMultiView::Animate(qreal ATarget)
{
    FAnimation->stop();
    FAnimation->setStartValue(FReveal);
    FAnimation->setEndValue(ATarget);
    FAnimation->start();
}

void TMultiView::Place()
{
    if (QWidget *p = parentWidget())
        setGeometry(p->rect());
    FPanel->setGeometry(qRound(-FDrawerWidth * (1.0 - FReveal)), 0, FDrawerWidth, height());
}

bool TMultiView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        Place();
    return QWidget::eventFilter(watched, event);
}

void TMultiView::mousePressEvent(QMouseEvent *event)
{
    // A tap on the dimmed part closes the drawer, as on a phone.
    if (!FPanel->geometry().contains(event->position().toPoint()))
        HideMaster();
}

void TMultiView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, qRound(90 * FReveal)));
    const int edge = FPanel->geometry().right() + 1;
    QLinearGradient shade(edge, 0, edge + 8, 0);
    shade.setColorAt(0, QColor(0, 0, 0, qRound(60 * FReveal)));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    painter.fillRect(QRect(edge, 0, 8, height()), shade);
}

// --- TActionList ------------------------------------------------------------

TActionList::TActionList(QObject *AOwner, const QString &AName) : QObject(AOwner)
{
    setObjectName(AName);
}

void TActionList::RequestUpdate()
{
    if (FPending)
        return;
    FPending = true;
    QTimer::singleShot(0, this, [this] {
        if (FPending)
            UpdateNow();
    });
}

void TActionList::UpdateNow()
{
    FPending = false;
    if (FOnUpdate)
        FOnUpdate();
}

void LinkButtonToAction(QToolButton *AButton, QAction *AAction)
{
    AButton->setDefaultAction(AAction);
    AButton->setVisible(AAction->isVisible());
    QObject::connect(AAction, &QAction::changed, AButton,
                     [AButton, AAction] { AButton->setVisible(AAction->isVisible()); });
}
