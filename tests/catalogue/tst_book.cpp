#include "Models.Book.h"

#include <QSet>
#include <QTest>

namespace {

std::unique_ptr<TBook> MakeBook(const QString &AId, const QString &ATitle)
{
    auto book = std::make_unique<TBook>();
    book->SetId(AId);
    book->SetTitle(ATitle);
    return book;
}

} // namespace

class TestBook : public QObject
{
    Q_OBJECT

private slots:
    void addReplacesUnderTheSameId()
    {
        TListOfBooks books;
        books.Add(MakeBook("C1", "First"));
        books.Add(MakeBook("C2", "Other"));
        books.Add(MakeBook("C1", "Second"));
        QCOMPARE(books.Count(), 2);
        QCOMPARE(books.GetByBookId("C1").Title(), QStringLiteral("Second"));
        QCOMPARE(books.GetByBookId("C2").Title(), QStringLiteral("Other"));
    }

    void missingBookRaises_data()
    {
        QTest::addColumn<bool>("filled");
        QTest::addColumn<QString>("id");
        QTest::newRow("empty list") << false << "C1";
        QTest::newRow("other letter case") << true << "c1";
        QTest::newRow("trailing blank") << true << "C1 ";
        QTest::newRow("empty id") << true << "";
        QTest::newRow("placeholder in the id") << true << "%1";
    }
    void missingBookRaises()
    {
        QFETCH(bool, filled);
        QFETCH(QString, id);
        TListOfBooks books;
        if (filled)
            books.Add(MakeBook("C1", "T"));
        try {
            books.GetByBookId(id);
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("Kunde inte hitta boken med id ") + id);
        }
    }

    void clearEmptiesTheList()
    {
        TListOfBooks books;
        books.Add(MakeBook("C1", "T"));
        books.Clear();
        QCOMPARE(books.Count(), 0);
        QVERIFY_THROWS_EXCEPTION(Exception, books.GetByBookId("C1"));
    }

    void enumerationVisitsEveryBookOnce()
    {
        TListOfBooks books;
        for (int i = 0; i < 1000; ++i)
            books.Add(MakeBook(QStringLiteral("C%1").arg(i), QString()));
        books.Add(nullptr); // ignored
        QSet<QString> seen;
        for (TBook &book : books)
            seen.insert(book.Id());
        QCOMPARE(seen.size(), 1000);

        const std::vector<TBook *> values = books.Values();
        QCOMPARE(values.size(), size_t(1000));
        for (TBook *book : values)
            QCOMPARE(book, &books.GetByBookId(book->Id()));
    }
};

QTEST_GUILESS_MAIN(TestBook)
#include "tst_book.moc"
