#include "ReportQuery.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"

namespace {

TDate Day(const QString &text)
{
    return QUV::ToDateTime(QDate::fromString(text, Qt::ISODate));
}

} // namespace

class TestReportQuery : public QObject
{
    Q_OBJECT

    QTemporaryDir FFolder;
    QSqlDatabase FDb;

private slots:
    void initTestCase()
    {
        QVERIFY(FFolder.isValid());
        FDb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("report"));
        FDb.setDatabaseName(FFolder.filePath(QStringLiteral("morvik.sqlite")));
        QVERIFY(FDb.open());
        {
            const QString error = TestFiles::RunScript(FDb, QStringLiteral(MORVIK_TEST_DATA "/report/productions.sql"));
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }
    }

    // Rows as "id day copies", in the order the query gives them.
    void grouping_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("onlyFromLibrary");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("library only: same-day sum, no untitled book, no other origin")
            << "2019-02-01" << "2019-02-28" << true
            << QStringList{"B100 2019-02-01 2", "B100 2019-02-05 7", "B100 2019-02-28 1", "B200 2019-02-10 5"};
        QTest::newRow("every origin")
            << "2019-02-01" << "2019-02-28" << false
            << QStringList{"B100 2019-02-01 2", "B100 2019-02-05 7", "B100 2019-02-28 1", "B200 2019-02-10 5",
                           "B200 2019-02-11 2", "B400 2019-02-13 6"};
        QTest::newRow("the to-day counts in full") << "2019-02-28" << "2019-02-28" << true
                                                   << QStringList{"B100 2019-02-28 1"};
        QTest::newRow("the from-day counts in full") << "2019-02-01" << "2019-02-01" << true
                                                     << QStringList{"B100 2019-02-01 2"};
        QTest::newRow("midnight belongs to its own day") << "2019-03-01" << "2019-03-01" << true
                                                         << QStringList{"B500 2019-03-01 8"};
        QTest::newRow("last second of a day") << "2019-01-31" << "2019-01-31" << true
                                              << QStringList{"B500 2019-01-31 8"};
        QTest::newRow("only an untitled book produced") << "2019-02-12" << "2019-02-12" << false << QStringList{};
        QTest::newRow("no arguments: the zero day") << "1899-12-30" << "1899-12-30" << false << QStringList{};
        QTest::newRow("to before from") << "2019-02-28" << "2019-02-01" << false << QStringList{};
    }
    void grouping()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, onlyFromLibrary);
        QFETCH(QStringList, rows);

        TReportQuery query(FDb);
        query.Open(Day(from), Day(to), onlyFromLibrary);
        QVERIFY(query.Active());
        QStringList actual;
        for (const TReportRow &row : query.Rows())
            actual << QStringLiteral("%1 %2 %3").arg(row.id, ReportQueryproducedGetText(row.produced)).arg(row.copies);
        QCOMPARE(actual, rows);
        QCOMPARE(query.IsEmpty(), rows.isEmpty());
        query.Close();
        QVERIFY(!query.Active());
        QVERIFY(query.Rows().isEmpty());
    }

    void catalogueFields()
    {
        TReportQuery query(FDb);
        query.Open(Day("2019-02-10"), Day("2019-02-10"), true);
        QCOMPARE(query.Rows().size(), 1);
        const TReportRow &row = query.Rows().first();
        QCOMPARE(row.id, QStringLiteral("B200"));
        QCOMPARE(row.title, QStringLiteral("Beta"));
        QCOMPARE(row.author, QStringLiteral("Carl Carlsson"));
        QCOMPARE(row.narrator, QStringLiteral("David Dahl"));
        QCOMPARE(row.duration, QStringLiteral("7260"));
        QCOMPARE(row.diskset, QStringLiteral("2 av 2"));
        QCOMPARE(row.language, QStringLiteral("sv"));
        QCOMPARE(row.format, QStringLiteral("Daisy 2.02"));
        QCOMPARE(row.date.toString(), QStringLiteral("2019-01-15 08:00:00"));
        QCOMPARE(row.size.toLongLong(), 1610612736LL);
        QCOMPARE(row.produced.toString(), QStringLiteral("2019-02-10 12:00:00"));
    }

    void boundPeriod()
    {
        QCOMPARE(TReportQuery::FromParam(Day("2019-02-01")), QStringLiteral("2019-02-01"));
        QCOMPARE(TReportQuery::ToParam(Day("2019-02-28")), QStringLiteral("2019-02-28 23:59:59"));
    }

    void failingStatementRaises()
    {
        QSqlDatabase empty = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("empty"));
        empty.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(empty.open());
        TReportQuery query(empty);
        QVERIFY_THROWS_EXCEPTION(Exception, query.Open(0, 0, false));
        QVERIFY(!query.Active());
    }

    void producedText_data()
    {
        QTest::addColumn<QVariant>("produced");
        QTest::addColumn<QString>("text");
        QTest::newRow("stored form") << QVariant(QStringLiteral("2019-02-05 15:00:00")) << "2019-02-05";
        QTest::newRow("ISO form") << QVariant(QStringLiteral("2019-02-05T15:00:00.000")) << "2019-02-05";
        QTest::newRow("date-time value") << QVariant(QDateTime(QDate(2020, 1, 2), QTime(3, 4))) << "2020-01-02";
        QTest::newRow("NULL") << QVariant() << "";
    }
    void producedText()
    {
        QFETCH(QVariant, produced);
        QFETCH(QString, text);
        QCOMPARE(ReportQueryproducedGetText(produced), text);
    }
};

QTEST_GUILESS_MAIN(TestReportQuery)
#include "tst_reportquery.moc"
