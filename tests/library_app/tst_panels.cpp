#include "AbstractContentFrameUnit.h"
#include "FMX.QUVEditRectangle.h"
#include "FMX.QUVTitleRectangle.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

class TCountingFrame : public TAbstractContentFrame
{
public:
    int Calls = 0;

protected:
    void DoReceiveFocus() override { ++Calls; }
};

// A page-sized parent that lays strips out from the top, as the pages do.
struct TPage
{
    QWidget Widget;
    QVBoxLayout *Layout;
    TPage() : Layout(new QVBoxLayout(&Widget))
    {
        Layout->setContentsMargins(0, 0, 0, 0);
        Layout->setSpacing(0);
        Widget.resize(350, 300);
    }
    template <class T> T *Add()
    {
        auto *strip = new T(&Widget);
        Layout->addWidget(strip);
        return strip;
    }
    void Show()
    {
        Layout->addStretch(1);
        Widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Widget));
    }
};

} // namespace

class TestPanels : public QObject
{
    Q_OBJECT
private slots:
    void newStripsShowTheirDefaultCaption()
    {
        TPage page;
        auto *edit = page.Add<TQUVEditRectangle>();
        auto *title = page.Add<TQUVTitleRectangle>();
        page.Show();

        QCOMPARE(edit->Caption(), QStringLiteral("Edit"));
        QCOMPARE(edit->CaptionLabel()->geometry(), QRect(4, 0, 100, 50));
        QVERIFY(edit->CaptionLabel()->alignment() & Qt::AlignLeading);
        QCOMPARE(edit->geometry(), QRect(0, 0, 350, 50));
        QCOMPARE(edit->Fill(), QColor(0xFF, 0xFF, 0xFF));
        QCOMPARE(edit->Stroke(), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(edit->Sides(), int(sdBottom));

        QCOMPARE(title->Caption(), QStringLiteral("Title"));
        QCOMPARE(title->CaptionFont().pixelSize(), 16);
        QCOMPARE(title->CaptionLabel()->alignment(), Qt::AlignCenter);
        QCOMPARE(title->geometry().top(), 50); // stacked below the first strip
        QVERIFY(title->CaptionLabel()->width() > 300);
    }

    void controlSitsRightOfTheCaption()
    {
        TPage page;
        auto *strip = page.Add<TQUVEditRectangle>();
        strip->SetCaption(QStringLiteral("Titel"));
        auto *edit = new QLineEdit(strip);
        strip->AddControl(edit, QMargins(0, 12, 10, 12));
        page.Show();

        QCOMPARE(strip->Caption(), QStringLiteral("Titel"));
        QCOMPARE(edit->geometry(), QRect(104, 12, 350 - 104 - 10, 26));
    }

    void clicksOnTheCaptionGoPastTheLabel()
    {
        TPage page;
        auto *strip = page.Add<TQUVEditRectangle>();
        page.Show();
        // childAt is how a click finds its widget; the label is not one.
        QCOMPARE(strip->childAt(QPoint(50, 25)), nullptr);
    }

    void captionWidthMovesTheControl()
    {
        TPage page;
        auto *strip = page.Add<TQUVEditRectangle>();
        auto *edit = new QLineEdit(strip);
        strip->AddControl(edit);
        page.Show();

        strip->SetCaptionWidth(100);
        QCOMPARE(strip->CaptionLabel()->width(), 100);
        strip->SetCaptionWidth(150);
        QTRY_COMPARE(edit->x(), 154);
        QCOMPARE(strip->CaptionWidth(), 150.0);
    }

    void receiveFocusRunsThePagesOwnStep()
    {
        TAbstractContentFrame plain;
        plain.ReceiveFocus(); // nothing to do, nothing happens

        TCountingFrame page;
        page.ReceiveFocus();
        page.ReceiveFocus();
        QCOMPARE(page.Calls, 2);
    }
};

QTEST_MAIN(TestPanels)
#include "tst_panels.moc"
