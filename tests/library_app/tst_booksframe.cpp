#include "ApplicationUnit.h"
#include "BooksFrameUnit.h"
#include "FMX.QUVEditRectangle.h"
#include "LibraryTestFixture.h"
#include "MainFormUnit.h"
#include "MorvikStyle.h"
#include "TouchControls.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using json = nlohmann::ordered_json;

namespace {

TBook MakeBook(const QString &ATitle, const QDateTime &AProduced = {}, const QDateTime &AAdded = {})
{
    TBook book;
    book.SetTitle(ATitle);
    if (AProduced.isValid())
        book.SetProduced(QUV::ToDateTime(AProduced));
    if (AAdded.isValid())
        book.SetAdded(QUV::ToDateTime(AAdded));
    return book;
}

QDateTime At(int AMonth, int ADay, int AHour)
{
    return QDateTime(QDate(2024, AMonth, ADay), QTime(AHour, 0));
}

} // namespace

class TestBooksFrame : public QObject
{
    Q_OBJECT

    std::unique_ptr<TLibraryTestFixture> F;
    std::unique_ptr<TMainForm> Form;
    TBooksFrame *Page = nullptr;

    template <class T = QWidget> T *Child(const char *AName) const { return NamedChild<T>(Form.get(), AName); }

    void Open(const json &AExtraSettings = json::object())
    {
        F = std::make_unique<TLibraryTestFixture>(AExtraSettings);
        Form = std::make_unique<TMainForm>();
        Page = Form->BooksFrame();
        Form->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
    }

    // The ids in list order, books of equal key joined by "," in id order,
    // groups by "|": the order within a group is not defined.
    QString ListedGroups(TSortOrder AOrder) const
    {
        const TBooksListModel *model = Page->BooksModel();
        QStringList groups;
        QStringList group;
        const TBook *previous = nullptr;
        for (int row = 0; row < model->rowCount(); ++row) {
            const TBook *book = model->BookAt(row);
            if (previous && CompareBooks(*previous, *book, AOrder) != 0) {
                group.sort();
                groups << group.join(QLatin1Char(','));
                group.clear();
            }
            group << book->Id();
            previous = book;
        }
        group.sort();
        groups << group.join(QLatin1Char(','));
        return groups.join(QLatin1Char('|'));
    }

    QStringList ListedIds() const
    {
        QStringList ids;
        for (int row = 0; row < Page->BooksModel()->rowCount(); ++row)
            ids << Page->BooksModel()->index(row).data(TBooksListModel::CnrRole).toString();
        return ids;
    }

    QPoint ItemCentre(int ARow) const
    {
        auto *list = Child<QListView>("lvBooks");
        return list->visualRect(list->model()->index(ARow, 0)).center();
    }

    void OpenDetails(const QString &AId)
    {
        const int row = ListedIds().indexOf(AId);
        QVERIFY(row >= 0);
        QTest::mouseClick(Child<QListView>("lvBooks")->viewport(), Qt::LeftButton, {}, ItemCentre(row));
        QCOMPARE(Page->tcBooks->ActiveTab(), Page->tiBooksBookDetails);
    }

    void AddNewBook() { F->Exec("insert into books (id, title, author) values ('C9000', 'Ny bok', 'Ny Författare')"); }

private slots:
    void cleanup()
    {
        Form.reset();
        F.reset();
        Page = nullptr;
    }

    void comparer_data()
    {
        QTest::addColumn<TBook>("left");
        QTest::addColumn<TBook>("right");
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("sign");
        const int title = int(TSortOrder::Title), produced = int(TSortOrder::Produced), added = int(TSortOrder::Added);
        QTest::newRow("a-z folded") << MakeBook("alfa och omega") << MakeBook("ALFA OCH OMEGA") << title << 0;
        QTest::newRow("Ä after Z") << MakeBook("Äpple") << MakeBook("Zebra") << title << 1;
        QTest::newRow("Å after Ä") << MakeBook("Åren") << MakeBook("Äpple") << title << 1;
        QTest::newRow("ä not folded to Ä") << MakeBook("äpple") << MakeBook("Äpple") << title << 1;
        QTest::newRow("prefix first") << MakeBook("Zebra") << MakeBook("zebrans sång") << title << -1;
        QTest::newRow("letters before _") << MakeBook("zz") << MakeBook("_a") << title << -1;
        QTest::newRow("empty first") << MakeBook("") << MakeBook("A") << title << -1;
        QTest::newRow("same production day") << MakeBook("A", At(5, 25, 17)) << MakeBook("B", At(5, 25, 9))
                                             << produced << 0;
        QTest::newRow("latest production first") << MakeBook("B", At(5, 26, 1)) << MakeBook("A", At(5, 25, 23))
                                                 << produced << -1;
        QTest::newRow("same day added") << MakeBook("A", {}, At(5, 2, 10)) << MakeBook("B", {}, At(5, 2, 23))
                                        << added << 0;
        QTest::newRow("earlier added last") << MakeBook("A", {}, At(4, 20, 8)) << MakeBook("B", {}, At(5, 2, 10))
                                            << added << 1;
    }
    void comparer()
    {
        QFETCH(TBook, left);
        QFETCH(TBook, right);
        QFETCH(int, order);
        QFETCH(int, sign);
        const int result = CompareBooks(left, right, TSortOrder(order));
        QCOMPARE((result > 0) - (result < 0), sign);
        const int reverse = CompareBooks(right, left, TSortOrder(order));
        QCOMPARE((reverse > 0) - (reverse < 0), -sign);
    }

    void sortOrders_data()
    {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("groups");
        QTest::newRow("title") << int(TSortOrder::Title)
                               << "C1003,C1004|C1005|C1007|C1001|C1008|C1002|C1006";
        // C1006 was never produced: it counts as produced today (2024-06-01).
        QTest::newRow("produced") << int(TSortOrder::Produced)
                                  << "C1006|C1004|C1001,C1002|C1007|C1003|C1005|C1008";
        QTest::newRow("added") << int(TSortOrder::Added) << "C1006|C1002|C1003,C1005|C1001|C1004|C1007|C1008";
    }
    void sortOrders()
    {
        QFETCH(int, order);
        QFETCH(QString, groups);
        Open(json{{"morvik", {{"sortOrder", order}}}});
        QCOMPARE(int(Page->SortOrder()), order);
        QCOMPARE(ListedGroups(TSortOrder(order)), groups);
        QCOMPARE(Page->BooksModel()->rowCount(), 8);
    }

    void itemsShowTitleAuthorAndId()
    {
        Open(json{{"morvik", {{"sortOrder", 0}}}});
        auto *list = Child<QListView>("lvBooks");
        const QModelIndex item = list->model()->index(2, 0);
        QCOMPARE(item.data(TBooksListModel::TitleRole).toString(), QStringLiteral("Bokstäver"));
        QCOMPARE(item.data(TBooksListModel::AuthorRole).toString(), QStringLiteral("Eva Nord"));
        QCOMPARE(item.data(TBooksListModel::CnrRole).toString(), QStringLiteral("C1005"));
        QCOMPARE(list->visualRect(item).height(), 65);
        QCOMPARE(MorvikStyle::StyleLookup(list), QStringLiteral("listviewstyle"));
        // A book's other members stay empty.
        QVERIFY(Page->Books().GetByBookId(QStringLiteral("C1005")).RMF().isEmpty());
    }

    void searchBoxFilters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("title, any case") << "ZEBRA" << QStringList{"C1001", "C1007"};
        QTest::newRow("author") << "karin" << QStringList{"C1001", "C1007"};
        QTest::newRow("id") << "c1003" << QStringList{"C1003"};
        QTest::newRow("non-ASCII case") << "äPPEL" << QStringList{"C1002"};
        QTest::newRow("inside a word") << "stäv" << QStringList{"C1005"};
        QTest::newRow("none") << "finns inte" << QStringList{};
    }
    void searchBoxFilters()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, ids);
        Open(json{{"morvik", {{"sortOrder", 0}}}});
        QAbstractItemModelTester tester(Page->BooksModel());
        auto *search = Child<QLineEdit>("lvBooksSearch");
        // Typed a key at a time: each key narrows what the last one showed.
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(search, &press);
        }
        QCOMPARE(search->text(), text);
        QStringList listed = ListedIds();
        listed.sort();
        QCOMPARE(listed, ids);

        // A reload keeps the filter; clearing it shows every book again.
        AddNewBook();
        Page->Populate();
        QCOMPARE(ListedIds().size(), ids.size());
        search->clear();
        QCOMPARE(ListedIds().size(), 9);
    }

    // Each trigger must show a book added to the catalogue since the last reload.
    void reloadTriggers_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("sort order set") << "sortOrder";
        QTest::newRow("focus received") << "focus";
        QTest::newRow("refresh timer") << "timer";
        QTest::newRow("back from details") << "back";
        QTest::newRow("pull past the top") << "pull";
        QTest::newRow("F5") << "F5";
    }
    void reloadTriggers()
    {
        QFETCH(QString, trigger);
        Open();
        auto *list = Child<QListView>("lvBooks");
        if (trigger == QLatin1String("back"))
            OpenDetails(QStringLiteral("C1003"));
        AddNewBook();
        QCOMPARE(Page->BooksModel()->rowCount(), 8);

        if (trigger == QLatin1String("sortOrder")) {
            Page->SetSortOrder(TSortOrder::Produced); // the same order still reloads
        } else if (trigger == QLatin1String("focus")) {
            Form->SetAppState(TAppState::Settings);
            QCOMPARE(Page->BooksModel()->rowCount(), 8);
            QTest::mouseClick(Child<QToolButton>("sbBooks"), Qt::LeftButton);
        } else if (trigger == QLatin1String("timer")) {
            auto *timer = Page->findChild<QTimer *>(QStringLiteral("tmrRefresh"));
            QCOMPARE(timer->interval(), 60000);
            QVERIFY(timer->isActive());
            timer->setInterval(10);
        } else if (trigger == QLatin1String("back")) {
            QTRY_VERIFY(Child<QToolButton>("SpeedButton1")->isVisible());
            QTest::mouseClick(Child<QToolButton>("SpeedButton1"), Qt::LeftButton);
        } else if (trigger == QLatin1String("pull")) {
            auto *indicator = Child<QWidget>("lvBooksRefreshIndicator");
            QTest::mousePress(list->viewport(), Qt::LeftButton, {}, QPoint(100, 10));
            QTest::mouseMove(list->viewport(), QPoint(100, 60));
            QTest::mouseMove(list->viewport(), QPoint(100, 110));
            QVERIFY(indicator->isVisible());
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, QPoint(100, 110));
            QVERIFY(indicator->isVisible()); // until the reload has ended
            QTRY_VERIFY(!indicator->isVisible());
            QCOMPARE(Page->tcBooks->ActiveTab(), Page->tiBooksBookList); // not taken for a click
        } else if (trigger == QLatin1String("F5")) {
            QTest::keyClick(Form.get(), Qt::Key_F5);
        }
        QTRY_COMPARE(Page->BooksModel()->rowCount(), 9);
    }

    void noReloadFromTheTimerWhileDetailsShow()
    {
        Open();
        OpenDetails(QStringLiteral("C1003"));
        AddNewBook();
        const int reloads = Page->PopulateCount();
        Page->tmrRefreshTimer();
        QCOMPARE(Page->PopulateCount(), reloads);
        Page->NavigateBack();
        QCOMPARE(Page->PopulateCount(), reloads + 1);
        QCOMPARE(Page->BooksModel()->rowCount(), 9);
    }

    void aShortDragNeitherReloadsNorOpens()
    {
        Open();
        auto *list = Child<QListView>("lvBooks");
        const int reloads = Page->PopulateCount();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, QPoint(100, 20));
        QTest::mouseMove(list->viewport(), QPoint(100, 40));
        QTest::mouseMove(list->viewport(), QPoint(100, 60));
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, QPoint(100, 60));
        QCoreApplication::processEvents();
        QCOMPARE(Page->PopulateCount(), reloads);
        QCOMPARE(Page->tcBooks->ActiveTab(), Page->tiBooksBookList);
        QVERIFY(!Child<QWidget>("lvBooksRefreshIndicator")->isVisible());
    }

    void aFailedReloadKeepsTheListItShowed()
    {
        Open();
        F->Exec("alter table books rename to books_gone");
        try {
            Page->Populate();
            QFAIL("no exception");
        } catch (const Exception &) {
        }
        QCOMPARE(Page->Books().Count(), 8);
        QCOMPARE(Page->BooksModel()->rowCount(), 8);
        QVERIFY(Page->BooksModel()->BookAt(7)->Title().size() > 0);
    }

    void detailsShowTheChosenBook()
    {
        Open();
        auto *title = Child<QLineEdit>("edTitle");
        auto *author = Child<QLineEdit>("edAuthor");
        QCOMPARE(Child<TQUVEditRectangle>("Title")->Caption(), QStringLiteral("Titel"));
        QCOMPARE(Child<TQUVEditRectangle>("AuthorEdit")->Caption(), QStringLiteral("Författare"));
        QCOMPARE(Child<QLabel>("Label1")->text(), QStringLiteral("Producera boken"));
        auto *copies = Child<QSlider>("tbarCopies");
        QCOMPARE(copies->minimum(), 1);
        QCOMPARE(copies->maximum(), 20);
        QCOMPARE(copies->value(), 1);

        OpenDetails(QStringLiteral("C1002"));
        QCOMPARE(Page->tcBooks->LastDirection(), TTabTransitionDirection::Normal);
        QCOMPARE(Page->CurrentBookId(), QStringLiteral("C1002"));
        QCOMPARE(title->text(), QStringLiteral("Äppelträdet"));
        QCOMPARE(author->text(), QStringLiteral("Lars Berg"));
        QVERIFY(title->isReadOnly() && author->isReadOnly());

        // The field with the focus is marked; it stays read-only.
        QCOMPARE(MorvikStyle::StyleLookup(title), QStringLiteral("transparentedit"));
        title->setFocus();
        QTRY_COMPARE(MorvikStyle::StyleLookup(title), QStringLiteral("editstyle"));
        author->setFocus();
        QTRY_COMPARE(MorvikStyle::StyleLookup(title), QStringLiteral("transparentedit"));
        QCOMPARE(MorvikStyle::StyleLookup(author), QStringLiteral("editstyle"));

        // The track bar keeps its value from one book to the next.
        copies->setValue(5);
        Page->NavigateBack();
        OpenDetails(QStringLiteral("C1005"));
        QCOMPARE(title->text(), QStringLiteral("Bokstäver"));
        QCOMPARE(copies->value(), 5);

        try {
            Page->ShowBookDetails(QStringLiteral("c1005"));
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("Kunde inte hitta boken med id c1005"));
        }
    }

    void produceButtonNamesTheCopies_data()
    {
        QTest::addColumn<int>("copies");
        QTest::addColumn<QString>("caption");
        QTest::newRow("1") << 1 << "Producera 1 kopia";
        QTest::newRow("2") << 2 << "Producera 2 kopior";
        QTest::newRow("20") << 20 << "Producera 20 kopior";
    }
    void produceButtonNamesTheCopies()
    {
        QFETCH(int, copies);
        QFETCH(QString, caption);
        Open();
        auto *slider = Child<QSlider>("tbarCopies");
        slider->setValue(copies == 1 ? 2 : 1);
        slider->setValue(copies);
        QTRY_COMPARE(Child<QToolButton>("btnStartProduction")->text(), caption);
    }
    void anOrderLeavesItsFilesAndSaysSo()
    {
        Open();
        QFile image(F->Path("library/C1003.iso"));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write(QByteArray(64 * 1024, 'x'));
        image.close();
        OpenDetails(QStringLiteral("C1003"));
        Child<QSlider>("tbarCopies")->setValue(3);
        const int reloads = Page->PopulateCount();

        auto *button = Child<QToolButton>("btnStartProduction");
        QTRY_COMPARE(button->text(), QStringLiteral("Producera 3 kopior"));
        QTest::mouseClick(button, Qt::LeftButton);

        QTRY_VERIFY(QFileInfo(F->Path("books/C1003.rmf")).isFile());
        QCOMPARE(QFileInfo(F->Path("books/C1003.iso")).size(), 64 * 1024);
        QFile job(F->Path("books/C1003.rmf"));
        QVERIFY(job.open(QIODevice::ReadOnly));
        const QByteArray jobText = job.readAll();
        QVERIFY2(jobText.contains("copies=3\r\n"), jobText.constData());
        QVERIFY(jobText.contains("dc:identifier=C1003\r\n"));

        const QList<QLabel *> messages = Form->findChildren<QLabel *>(QStringLiteral("lblMessage"));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0]->text(), QStringLiteral("'alfa och omega' kommer strax att produceras"));
        QVERIFY(F->Messages.isEmpty());
        QCOMPARE(Page->tcBooks->ActiveTab(), Page->tiBooksBookDetails);
        QCOMPARE(Page->PopulateCount(), reloads);
    }

    void anOrderThatCannotBePlacedIsNotAnnounced_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<QString>("message");
        QTest::newRow("image missing") << false << "Bokfilen för alfa och omega kunde inte hittas";
        QTest::newRow("book gone since the reload") << true << "Kunde inte hitta boken med id C1003";
    }
    void anOrderThatCannotBePlacedIsNotAnnounced()
    {
        QFETCH(bool, deleted);
        QFETCH(QString, message);
        Open();
        OpenDetails(QStringLiteral("C1003"));
        if (deleted)
            F->Exec("delete from books where id = 'C1003'");
        // Through the button, so a raised message goes to the default handler.
        QTest::mouseClick(Child<QToolButton>("btnStartProduction"), Qt::LeftButton);
        QCOMPARE(F->Messages, QStringList{message});
        QVERIFY(Form->findChildren<QLabel *>(QStringLiteral("lblMessage")).isEmpty());
        QVERIFY(QDir(F->Path("books")).isEmpty());
    }

    void aFailedOrderCopyShowsInTheMessagePanel()
    {
        Open();
        emit MorvikDataModule->OrderCopyFailed(QStringLiteral("Beställningen misslyckades"));
        const QList<QLabel *> messages = Form->findChildren<QLabel *>(QStringLiteral("lblMessage"));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0]->text(), QStringLiteral("Beställningen misslyckades"));
    }
};

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    TestBooksFrame test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_booksframe.moc"
