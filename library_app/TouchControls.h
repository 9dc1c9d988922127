#pragma once

#include <QAction>
#include <QColor>
#include <QPointer>
#include <QWidget>

#include <functional>

#include <QAbstractButton>
class QToolButton;
class QVariantAnimation;

// Sides of a rectangle whose stroke is drawn.
enum TSide { sdTop = 0x1, sdLeft = 0x2, sdBottom = 0x4, sdRight = 0x8, AllSides = 0xF };

// A filled rectangle with a stroke on chosen sides: the building block of
// the bars, the frame, the page indicator and the message panels.
class TRectangle : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal Opacity READ Opacity WRITE SetOpacity)

public:
    explicit TRectangle(QWidget *AParent = nullptr);

    QColor Fill() const { return FFill; }
    void SetFill(const QColor &Value);
    QColor Stroke() const { return FStroke; }
    void SetStroke(const QColor &Value);
    qreal StrokeThickness() const { return FStrokeThickness; }
    void SetStrokeThickness(qreal Value);
    int Sides() const { return FSides; }
    void SetSides(int Value);
    // Applies to the rectangle's own painting, not to its children.
    qreal Opacity() const { return FOpacity; }
    void SetOpacity(qreal Value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor FFill = Qt::white;
    QColor FStroke = Qt::black;
    qreal FStrokeThickness = 1.0;
    int FSides = AllSides;
    qreal FOpacity = 1.0;
};

enum class TTabTransition { None, Slide };
enum class TTabTransitionDirection { Normal, Reversed };

class TTabControl;

// One page of a TTabControl; its children fill it.
class TTabItem : public QWidget
{
    Q_OBJECT
public:
    explicit TTabItem(TTabControl *ATabControl, const QString &AName);
    TTabControl *TabControl() const;
    int Index() const;
};

// Tab control without headers: one tab shows at a time, and a change of tab
// may slide the new tab in (Normal: from the right, Reversed: from the left).
// The active tab changes at once; the slide is only what the eye sees.
class TTabControl : public QWidget
{
    Q_OBJECT
public:
    explicit TTabControl(QWidget *AParent = nullptr);

    int TabCount() const { return FTabs.size(); }
    TTabItem *Tab(int AIndex) const { return FTabs.value(AIndex); }
    int TabIndex() const { return FTabs.indexOf(FActiveTab); }
    TTabItem *ActiveTab() const { return FActiveTab; }
    void SetActiveTab(TTabItem *ATab);
    void SetActiveTabWithTransition(TTabItem *ATab, TTabTransition ATransition,
                                    TTabTransitionDirection ADirection = TTabTransitionDirection::Normal);
    bool IsTransitionRunning() const;
    // Direction of the last slide that was started.
    TTabTransitionDirection LastDirection() const { return FLastDirection; }

signals:
    // The active tab changed.
    void Change();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class TTabItem;
    void AddTab(TTabItem *ATab);
    void FinishTransition();
    void PlaceTabs();

    QList<TTabItem *> FTabs;
    TTabItem *FActiveTab = nullptr;
    QPointer<TTabItem> FLeavingTab;
    QVariantAnimation *FSlide = nullptr;
    int FSlideSign = 1;
    TTabTransitionDirection FLastDirection = TTabTransitionDirection::Normal;
};

// Drawer panel: slides in from the left over its parent, which it dims;
// a tap beside the panel or on the master button closes it again.
class TMultiView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qreal Reveal READ Reveal WRITE SetReveal)

public:
    explicit TMultiView(QWidget *AParent);

    QWidget *Panel() const { return FPanel; }
    void SetDrawerWidth(int AWidth);
    int DrawerWidth() const { return FDrawerWidth; }
    void SetMasterButton(QAbstractButton *AButton);
    QAbstractButton *MasterButton() const { return FMasterButton; }

    bool IsShowed() const { return FShowed; }
    void ShowMaster();
    void HideMaster();

    qreal Reveal() const { return FReveal; }
    void SetReveal(qreal Value);

signals:
    void Shown();
    void Hidden();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Animate(qreal ATarget);
    void Place();

    QWidget *FPanel;
    QPointer<QAbstractButton> FMasterButton;
    QVariantAnimation *FAnimation;
    int FDrawerWidth = 250;
    qreal FReveal = 0.0;
    bool FShowed = false;
};

// Runs its update handler when the window may need its actions refreshed;
// requests made in one go are handled once, when the event loop is idle.
class TActionList : public QObject
{
    Q_OBJECT
public:
    explicit TActionList(QObject *AOwner, const QString &AName);
    void SetOnUpdate(std::function<void()> AHandler) { FOnUpdate = std::move(AHandler); }
    void RequestUpdate();
    void UpdateNow();

private:
    std::function<void()> FOnUpdate;
    bool FPending = false;
};

// A button that shows an action: its text, icon and enabled state as
// QToolButton does, and also its visibility.
void LinkButtonToAction(QToolButton *AButton, QAction *AAction);
