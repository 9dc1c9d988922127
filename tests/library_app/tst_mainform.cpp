#include "ApplicationUnit.h"
#include "BooksFrameUnit.h"
#include "LibraryTestFixture.h"
#include "MainFormUnit.h"
#include "ReportsFrameUnit.h"
#include "SettingsFrameUnit.h"
#include "TouchControls.h"

#include <QLabel>
#include <QListView>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using json = nlohmann::ordered_json;

class TestMainForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<TLibraryTestFixture> F;
    std::unique_ptr<TMainForm> Form;

    template <class T = QWidget> T *Child(const char *AName) const { return NamedChild<T>(Form.get(), AName); }

    void Open(const json &AExtraSettings = json::object())
    {
        F = std::make_unique<TLibraryTestFixture>(AExtraSettings);
        Form = std::make_unique<TMainForm>();
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    }

    void Click(const char *AButton) { QTest::mouseClick(Child<QToolButton>(AButton), Qt::LeftButton); }

    // The update handler runs when the loop is idle; wait for it to settle.

private slots:
    void cleanup()
    {
        Form.reset();
        F.reset();
    }

    void startShowsTheBooksList()
    {
        Open();
        QVERIFY(Form->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(Form->size(), QSize(401, 578));
        QCOMPARE(Form->windowTitle(), QStringLiteral("Morvik Library"));
        QCOMPARE(Child<QLabel>("lblAppTitle")->text(), QStringLiteral("MorvikBiblioteket"));
        QCOMPARE(Child<TRectangle>("Toolbar")->geometry(), QRect(1, 1, 399, 50));
        QCOMPARE(Child<TRectangle>("Toolbar")->Fill(), QColor(0xFF, 0x8C, 0x00));
        QCOMPARE(Child<TRectangle>("ButtonBar")->geometry(), QRect(1, 527, 399, 50));
        QCOMPARE(Child<QToolButton>("sbBooks")->text(), QStringLiteral("Böcker"));
        QCOMPARE(Child<QToolButton>("sbReports")->text(), QStringLiteral("Rapporter"));
        QCOMPARE(Child<QToolButton>("sbSettings")->text(), QStringLiteral("Inställningar"));
        QCOMPARE(Child<QToolButton>("sbReports")->geometry(), QRect(80, 0, 80, 50));

        auto *tcMain = Child<TTabControl>("tcMain");
        QCOMPARE(Form->AppState(), TAppState::Books);
        QCOMPARE(tcMain->ActiveTab()->objectName(), QStringLiteral("tiMain"));
        QCOMPARE(Form->BooksFrame()->tcBooks->ActiveTab(), Form->BooksFrame()->tiBooksBookList);
        QVERIFY(!tcMain->IsTransitionRunning());
        auto *indicator = Child<TRectangle>("rctPageIndicator");
        QCOMPARE(indicator->parentWidget(), Child<QWidget>("sbBooks"));
        QCOMPARE(indicator->Opacity(), 1.0);
        QCOMPARE(indicator->geometry(), QRect(0, 0, 80, 8));
        QVERIFY(!Child<QToolButton>("SpeedButton1")->isVisible());
        QVERIFY(Child<QToolButton>("sbMenu")->isVisible());
        QCOMPARE(Form->BooksFrame()->BooksModel()->rowCount(), 8);
    }

    // Each step clicks a page button: B books, R reports, S settings.
    void pageChanges_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<int>("direction"); // of the last slide
        QTest::addColumn<QList<int>>("focusCalls"); // books, reports, settings
        const int normal = int(TTabTransitionDirection::Normal);
        const int reversed = int(TTabTransitionDirection::Reversed);
        QTest::newRow("books to reports") << "R" << "tiReports" << normal << QList<int>{0, 1, 0};
        QTest::newRow("books to settings") << "S" << "tiSettings" << normal << QList<int>{0, 0, 1};
        QTest::newRow("reports to settings") << "RS" << "tiSettings" << normal << QList<int>{0, 1, 1};
        QTest::newRow("settings to reports") << "SR" << "tiReports" << reversed << QList<int>{0, 1, 1};
        QTest::newRow("reports to books") << "RB" << "tiMain" << reversed << QList<int>{1, 1, 0};
        QTest::newRow("settings to books") << "SB" << "tiMain" << reversed << QList<int>{1, 0, 1};
        QTest::newRow("same page twice") << "RR" << "tiReports" << normal << QList<int>{0, 1, 0};
        QTest::newRow("books while on books") << "B" << "tiMain" << normal << QList<int>{0, 0, 0};
    }
    void pageChanges()
    {
        QFETCH(QString, steps);
        QFETCH(QString, tab);
        QFETCH(int, direction);
        QFETCH(QList<int>, focusCalls);
        Open();
        QSignalSpy books(Form->BooksFrame(), &TAbstractContentFrame::FocusReceived);
        QSignalSpy reports(Form->ReportsFrame(), &TAbstractContentFrame::FocusReceived);
        QSignalSpy settings(Form->SettingsFrame(), &TAbstractContentFrame::FocusReceived);
        const int reloads = Form->BooksFrame()->PopulateCount();
        for (QChar step : steps)
            Click(step == QLatin1Char('B') ? "sbBooks" : step == QLatin1Char('R') ? "sbReports" : "sbSettings");

        auto *tcMain = Child<TTabControl>("tcMain");
        QCOMPARE(tcMain->ActiveTab()->objectName(), tab);
        if (steps != QLatin1String("B"))
            QCOMPARE(int(tcMain->LastDirection()), direction);
        QCOMPARE((QList<int>{int(books.count()), int(reports.count()), int(settings.count())}), focusCalls);
        // The books page reloads when it receives the focus, and only then.
        QCOMPARE(Form->BooksFrame()->PopulateCount(), reloads + focusCalls[0]);
    }

    void backAndMenuFollowTheView()
    {
        Open();
        auto *back = Child<QToolButton>("SpeedButton1");
        auto *menu = Child<QToolButton>("sbMenu");
        TBooksFrame *books = Form->BooksFrame();
        auto *list = books->findChild<QListView *>(QStringLiteral("lvBooks"));

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(2, 0)).center());
        QCOMPARE(books->tcBooks->ActiveTab(), books->tiBooksBookDetails);
        QTRY_VERIFY(back->isVisible() && !menu->isVisible());
        QCOMPARE(back->text(), QStringLiteral("Back"));

        const int reloads = books->PopulateCount();
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(Form->AppState(), TAppState::Books);
        QCOMPARE(books->tcBooks->ActiveTab(), books->tiBooksBookList);
        QCOMPARE(books->tcBooks->LastDirection(), TTabTransitionDirection::Reversed);
        QCOMPARE(books->PopulateCount(), reloads + 1);
        QTRY_VERIFY(!back->isVisible() && menu->isVisible());

        for (const char *page : {"sbReports", "sbSettings"}) {
            Click(page);
            QTRY_VERIFY(back->isVisible() && !menu->isVisible());
            QTest::mouseClick(back, Qt::LeftButton);
            QCOMPARE(Form->AppState(), TAppState::Books);
            QCOMPARE(Child<TTabControl>("tcMain")->LastDirection(), TTabTransitionDirection::Reversed);
            QTRY_VERIFY(!back->isVisible() && menu->isVisible());
        }
    }

    void indicatorEndsOnTheLastPageChosen()
    {
        Open();
        auto *indicator = Child<TRectangle>("rctPageIndicator");
        Click("sbReports");
        Click("sbSettings");
        QTRY_VERIFY(indicator->Opacity() < 1.0);
        QTRY_VERIFY(indicator->parentWidget() == Child<QWidget>("sbSettings") && indicator->Opacity() == 1.0);
        QCOMPARE(indicator->geometry(), QRect(0, 0, 80, 8));

        Click("sbBooks");
        Click("sbReports");
        Click("sbBooks");
        QTRY_VERIFY(indicator->parentWidget() == Child<QWidget>("sbBooks") && indicator->Opacity() == 1.0);
    }

    void windowPositionIsRestoredMemberByMember_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QPoint>("expected"); // -1: the default position
        QTest::newRow("both") << R"({"Left": 120, "Top": 80})" << QPoint(120, 80);
        QTest::newRow("left only") << R"({"Left": 120})" << QPoint(120, -1);
        QTest::newRow("top only") << R"({"Top": 80})" << QPoint(-1, 80);
        QTest::newRow("null left") << R"({"Left": null, "Top": 80})" << QPoint(-1, 80);
        QTest::newRow("neither") << "{}" << QPoint(-1, -1);
    }
    void windowPositionIsRestoredMemberByMember()
    {
        QFETCH(QString, library);
        QFETCH(QPoint, expected);
        Open();
        const QPoint defaults = Form->pos();
        Form.reset();
        F.reset();

        F = std::make_unique<TLibraryTestFixture>(json{{"library", json::parse(library.toStdString())}});
        Form = std::make_unique<TMainForm>();
        QCOMPARE(Form->x(), expected.x() < 0 ? defaults.x() : expected.x());
        QCOMPARE(Form->y(), expected.y() < 0 ? defaults.y() : expected.y());
    }

    void draggingABarMovesTheWindowAndStoresItOnMouseUp_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::newRow("title bar") << "Toolbar";
        QTest::newRow("drawer header") << "Rectangle2";
    }
    void draggingABarMovesTheWindowAndStoresItOnMouseUp()
    {
        QFETCH(QString, bar);
        Open(json{{"library", {{"Left", 100}, {"Top", 50}}}});
        if (bar == QLatin1String("Rectangle2")) {
            Click("sbMenu");
            QTRY_VERIFY(Child<TMultiView>("mvMenu")->IsShowed());
        }
        auto *grip = Child<QWidget>(bar.toLatin1().constData());
        QCOMPARE(Form->pos(), QPoint(100, 50));

        QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(150, 25));
        QTest::mouseMove(grip, QPoint(180, 40));
        QCOMPARE(Form->pos(), QPoint(130, 65));
        QCOMPARE(F->Settings()->I({"library", "Left"}), 100); // not yet stored

        QTest::mouseRelease(grip, Qt::LeftButton, {}, QPoint(180, 40));
        QCOMPARE(F->Settings()->I({"library", "Left"}), 130);
        QCOMPARE(F->Settings()->I({"library", "Top"}), 65);
        QVERIFY(F->Settings()->Has({"Paths", "Books Folder"})); // the rest of the file stays

        // Without the button held, moving does nothing.
        QTest::mouseMove(grip, QPoint(10, 10));
        QCOMPARE(Form->pos(), QPoint(130, 65));
    }

    void aDragThatLeavesTheBarStopsAndStoresNothing()
    {
        Open(json{{"library", {{"Left", 100}, {"Top", 50}}}});
        auto *toolbar = Child<QWidget>("Toolbar");
        QTest::mousePress(toolbar, Qt::LeftButton, {}, QPoint(150, 25));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(toolbar, &leave);
        QTest::mouseMove(toolbar, QPoint(190, 45));
        QCOMPARE(Form->pos(), QPoint(100, 50));
        QCOMPARE(F->Settings()->I({"library", "Left"}), 100);

        // Leaving the bar's area while the button is held ends the drag as well.
        QTest::mousePress(toolbar, Qt::LeftButton, {}, QPoint(150, 25));
        QTest::mouseMove(toolbar, QPoint(150, 80));
        QTest::mouseMove(toolbar, QPoint(160, 30));
        QCOMPARE(Form->pos(), QPoint(100, 50));

        // A plain click on the bar stores the position.
        Form->move(140, 60);
        QTest::mouseRelease(toolbar, Qt::LeftButton, {}, QPoint(160, 30));
        QCOMPARE(F->Settings()->I({"library", "Left"}), 140);
        QCOMPARE(F->Settings()->I({"library", "Top"}), 60);
    }

    void drawerShowsTheStoredSortOrder_data()
    {
        QTest::addColumn<QString>("morvik");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("sortOrder");
        QTest::addColumn<int>("reloads");
        // Three reloads come from the page's creation; a drawer button that
        // was not already marked sets the order again, which reloads once more.
        QTest::newRow("absent") << "{}" << "rbSortOrderProduced" << 1 << 4;
        QTest::newRow("title") << R"({"sortOrder": 0})" << "rbSortOrderTitle" << 0 << 4;
        QTest::newRow("produced") << R"({"sortOrder": 1})" << "rbSortOrderProduced" << 1 << 4;
        QTest::newRow("added") << R"({"sortOrder": 2})" << "rbSortOrderAdded" << 2 << 3;
        QTest::newRow("unknown") << R"({"sortOrder": 7})" << "rbSortOrderProduced" << 1 << 4;
        QTest::newRow("low byte") << R"({"sortOrder": 256})" << "rbSortOrderTitle" << 0 << 4;
    }
    void drawerShowsTheStoredSortOrder()
    {
        QFETCH(QString, morvik);
        QFETCH(QString, radio);
        QFETCH(int, sortOrder);
        QFETCH(int, reloads);
        Open(json{{"morvik", json::parse(morvik.toStdString())}});
        QVERIFY(Child<QRadioButton>(radio.toLatin1().constData())->isChecked());
        QCOMPARE(int(Form->BooksFrame()->SortOrder()), sortOrder);
        QCOMPARE(Form->BooksFrame()->PopulateCount(), reloads);
        QCOMPARE(F->Settings()->I({"morvik", "sortOrder"}), sortOrder);
    }

    void drawerSetsTheSortOrder()
    {
        Open();
        auto *drawer = Child<TMultiView>("mvMenu");
        QCOMPARE(Child<QRadioButton>("rbSortOrderTitle")->text(), QStringLiteral("Titel, författare"));
        QCOMPARE(Child<QRadioButton>("rbSortOrderAdded")->text(), QStringLiteral("Senast tillagd, titel"));
        QCOMPARE(Child<QRadioButton>("rbSortOrderProduced")->text(), QStringLiteral("Senast producerad, titel"));
        QCOMPARE(Child<QLabel>("Label2")->text(), QStringLiteral("Sorteringsordning"));

        Click("sbMenu");
        QVERIFY(drawer->IsShowed());
        QTRY_COMPARE(drawer->Panel()->x(), 0);
        QCOMPARE(drawer->Panel()->width(), 250);

        const int reloads = Form->BooksFrame()->PopulateCount();
        QTest::mouseClick(Child<QRadioButton>("rbSortOrderTitle"), Qt::LeftButton);
        QCOMPARE(Form->BooksFrame()->SortOrder(), TSortOrder::Title);
        QCOMPARE(Form->BooksFrame()->PopulateCount(), reloads + 1);
        QCOMPARE(F->Settings()->I({"morvik", "sortOrder"}), 0);
        QCOMPARE(Form->BooksFrame()->BooksModel()->index(0).data(TBooksListModel::TitleRole).toString().toLower(),
                 QStringLiteral("alfa och omega"));

        QTest::mouseClick(Child<QRadioButton>("rbSortOrderAdded"), Qt::LeftButton);
        QCOMPARE(Form->BooksFrame()->SortOrder(), TSortOrder::Added);
        QCOMPARE(F->Settings()->I({"morvik", "sortOrder"}), 2);

        Click("sbCloseMenu");
        QVERIFY(!drawer->IsShowed());
        QTRY_VERIFY(!drawer->isVisible());
    }

    void messagePanelDropsInAndIsReleased()
    {
        Open();
        Form->ShowMessage(QStringLiteral("Första"), 600);
        Form->ShowMessage(QStringLiteral("Andra meddelandet är så långt att det inte får plats på en rad i panelen"),
                          900);
        const QList<TRectangle *> panels = Form->findChildren<TRectangle *>(QStringLiteral("pnlMessage"));
        QCOMPARE(panels.size(), 2);
        TRectangle *second = panels.last();
        QCOMPARE(second->geometry(), QRect(40, -100, 321, 100));
        QCOMPARE(second->parentWidget(), Form.get());
        // The newest lies on top of everything.
        QCOMPARE(Form->children().last(), second);
        auto *label = second->findChild<QLabel *>(QStringLiteral("lblMessage"));
        QVERIFY(label->wordWrap());
        QVERIFY(label->heightForWidth(label->width()) > QFontMetrics(label->font()).height());

        QTRY_COMPARE(second->y(), 51); // just under the title bar
        QTRY_COMPARE(Form->findChildren<TRectangle *>(QStringLiteral("pnlMessage")).size(), 1);
        QTRY_COMPARE(Form->findChildren<TRectangle *>(QStringLiteral("pnlMessage")).size(), 0);
    }

    void addFileToLibraryNamesTheMissingFile_data()
    {
        QTest::addColumn<bool>("withJob");
        QTest::addColumn<QString>("missing");
        QTest::newRow("job file missing") << false << "C2001.rmf";
        QTest::newRow("disc image missing") << true << "C2001.iso";
    }
    void addFileToLibraryNamesTheMissingFile()
    {
        QFETCH(bool, withJob);
        QFETCH(QString, missing);
        Open();
        const QString job = F->Dir.filePath(QStringLiteral("C2001.rmf"));
        if (withJob) {
            QFile file(job);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        try {
            Form->AddFileToLibrary(job);
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("Filen saknas: ") + F->Dir.filePath(missing));
        }
        // Nothing was imported.
        Form->BooksFrame()->Populate();
        QCOMPARE(Form->BooksFrame()->Books().Count(), 8);
    }

    void addFileToLibraryImportsTheBook()
    {
        Open();
        const QString job = F->Dir.filePath(QStringLiteral("C3001.rmf"));
        QVERIFY(QFile::copy(QStringLiteral(MORVIK_TEST_DATA "/library/C3001.rmf"), job));
        QFile image(F->Dir.filePath(QStringLiteral("C3001.iso")));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write("disc");
        image.close();

        const int reloads = Form->BooksFrame()->PopulateCount();
        Form->AddFileToLibrary(job);
        // The caller reloads the list, not the window.
        QCOMPARE(Form->BooksFrame()->PopulateCount(), reloads);
        Form->BooksFrame()->Populate();
        QCOMPARE(Form->BooksFrame()->Books().GetByBookId(QStringLiteral("C3001")).Title(),
                 QStringLiteral("Över gränsen"));
    }

    void exceptionsInEventHandlersAreShown()
    {
        Open();
        const QString job = F->Dir.filePath(QStringLiteral("none.rmf"));
        QTimer::singleShot(0, Form.get(), [this, job] { Form->AddFileToLibrary(job); });
        QTRY_COMPARE(F->Messages, QStringList{QStringLiteral("Filen saknas: ") + job});
        QVERIFY(Form->isVisible()); // the program goes on
    }

    void closeButtonClosesTheWindow()
    {
        Open();
        Click("sbCloseApp");
        QVERIFY(!Form->isVisible());
    }
};

int main(int argc, char *argv[])
{
    // The program's own application object, with its default exception handler.
    TApplication app(argc, argv);
    TestMainForm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainform.moc"
