#include "QUV.Types.h"

#include <QTest>

class TestTypes : public QObject
{
    Q_OBJECT
private slots:
    void dateTimeRoundTrip_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<double>("days");
        QTest::newRow("epoch") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
        QTest::newRow("noon 1900-01-01") << QDateTime(QDate(1900, 1, 1), QTime(12, 0)) << 2.5;
        QTest::newRow("2020-03-04 06:00") << QDateTime(QDate(2020, 3, 4), QTime(6, 0)) << 43894.25;
        QTest::newRow("before epoch 18:00") << QDateTime(QDate(1899, 12, 29), QTime(18, 0)) << -1.75;
    }
    void dateTimeRoundTrip()
    {
        QFETCH(QDateTime, value);
        QFETCH(double, days);
        QCOMPARE(QUV::ToDateTime(value), days);
        QCOMPARE(QUV::FromDateTime(days), value);
    }

    void regionalFormats()
    {
        QCOMPARE(QUV::FormatShortDate(QDate(2021, 2, 3)), QStringLiteral("2021-02-03"));
        QCOMPARE(QUV::FormatLongTime(QTime(7, 8, 9)), QStringLiteral("07:08:09"));
        QCOMPARE(QUV::RegionalLocale().toString(1.5, 'f', 1), QStringLiteral("1,5"));
    }

    void exceptionCarriesMessage()
    {
        try {
            throw Exception(QStringLiteral("Misslyckades hämta inställningarna"));
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("Misslyckades hämta inställningarna"));
            QCOMPARE(QString::fromUtf8(e.what()), e.Message());
        }
    }
};

QTEST_GUILESS_MAIN(TestTypes)
#include "tst_types.moc"
