#include "CommandLine.h"

#include <QTest>

namespace {
TDate Day(int year, int month, int day)
{
    return QUV::ToDateTime(QDate(year, month, day));
}
} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<double>("fromDate");
        QTest::addColumn<double>("toDate");
        QTest::addColumn<bool>("detailed");
        QTest::addColumn<bool>("exportToExcel");
        QTest::addColumn<bool>("fromLibrary");
        QTest::addColumn<QString>("conversionError");

        const double feb1 = Day(2019, 2, 1), feb28 = Day(2019, 2, 28), mar1 = Day(2019, 3, 1);
        QTest::newRow("no arguments: the zero day, nothing set") << QStringList{} << 0.0 << 0.0 << false << false
                                                                << false << QString();
        QTest::newRow("as the library writes it")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-D", "-LTrue"} << feb1 << feb28 << true << false << true
            << QString();
        QTest::newRow("lower case") << QStringList{"-f2019-02-01", "-t2019-02-28", "-d", "-ltrue"} << feb1 << feb28
                                    << true << false << true << QString();
        QTest::newRow("other order") << QStringList{"-LTrue", "-D", "-T2019-02-28", "-F2019-02-01"} << feb1 << feb28
                                     << true << false << true << QString();
        QTest::newRow("repeated -F: last wins")
            << QStringList{"-F2019-03-01", "-T2019-02-28", "-F2019-02-01"} << feb1 << feb28 << false << false
            << false << QString();
        QTest::newRow("dates without leading zeros") << QStringList{"-F2019-3-1"} << mar1 << 0.0 << false << false
                                                     << false << QString();
        QTest::newRow("-LFalse") << QStringList{"-LFalse"} << 0.0 << 0.0 << false << false << false << QString();
        QTest::newRow("-L alone counts as true") << QStringList{"-L"} << 0.0 << 0.0 << false << false << true
                                                 << QString();
        QTest::newRow("-L with a word that is no boolean") << QStringList{"-Lmaybe"} << 0.0 << 0.0 << false << false
                                                           << true << QString();
        QTest::newRow("-L0") << QStringList{"-L0"} << 0.0 << 0.0 << false << false << false << QString();
        QTest::newRow("-L-3") << QStringList{"-L-3"} << 0.0 << 0.0 << false << false << true << QString();
        QTest::newRow("last -L wins") << QStringList{"-LTrue", "-LFALSE"} << 0.0 << 0.0 << false << false << false
                                      << QString();
        QTest::newRow("-D with trailing text") << QStringList{"-Detailed"} << 0.0 << 0.0 << true << false << false
                                               << QString();
        QTest::newRow("-X alone") << QStringList{"-X"} << 0.0 << 0.0 << false << true << false << QString();
        QTest::newRow("unknown arguments ignored") << QStringList{"report", "/D", "--", "-Q1"} << 0.0 << 0.0 << false
                                                   << false << false << QString();
        QTest::newRow("date split at a blank: the rest is ignored")
            << QStringList{"-F2019-02-01", "12:00"} << feb1 << 0.0 << false << false << false << QString();
        QTest::newRow("-F not a date") << QStringList{"-Fyesterday", "-D"} << 0.0 << 0.0 << true << false << false
                                       << QStringLiteral("'YESTERDAY' är inte ett giltigt datum");
        QTest::newRow("-T empty") << QStringList{"-T"} << 0.0 << 0.0 << false << false << false
                                  << QStringLiteral("'' är inte ett giltigt datum");
        QTest::newRow("-F impossible day") << QStringList{"-F2019-02-30"} << 0.0 << 0.0 << false << false << false
                                           << QStringLiteral("'2019-02-30' är inte ett giltigt datum");
        QTest::newRow("first bad date is reported")
            << QStringList{"-Fxx", "-Tyy"} << 0.0 << 0.0 << false << false << false
            << QStringLiteral("'XX' är inte ett giltigt datum");
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(double, fromDate);
        QFETCH(double, toDate);
        QFETCH(bool, detailed);
        QFETCH(bool, exportToExcel);
        QFETCH(bool, fromLibrary);
        QFETCH(QString, conversionError);

        const TCommandLineOptions options = ParseCommandLine(arguments);
        QCOMPARE(options.FromDate, fromDate);
        QCOMPARE(options.ToDate, toDate);
        QCOMPARE(options.Detailed, detailed);
        QCOMPARE(options.ExportToExcel, exportToExcel);
        QCOMPARE(options.FromLibrary, fromLibrary);
        QCOMPARE(options.ConversionError, conversionError);
    }

    // File names keep their case; only a named file makes the run unattended.
    void outputFiles_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("writePdf");
        QTest::addColumn<QString>("pdfFileName");
        QTest::addColumn<QString>("excelFileName");
        QTest::addColumn<bool>("unattended");

        QTest::newRow("none") << QStringList{"-D"} << false << QString() << QString() << false;
        QTest::newRow("-P with file") << QStringList{"-P/tmp/Rapport Feb.pdf"} << true
                                      << QStringLiteral("/tmp/Rapport Feb.pdf") << QString() << true;
        QTest::newRow("-p lower case") << QStringList{"-pOut.PDF"} << true << QStringLiteral("Out.PDF") << QString()
                                       << true;
        QTest::newRow("-P alone asks") << QStringList{"-P"} << true << QString() << QString() << false;
        QTest::newRow("-X with file") << QStringList{"-X/tmp/Rader.xlsx"} << false << QString()
                                      << QStringLiteral("/tmp/Rader.xlsx") << true;
        QTest::newRow("-X alone asks") << QStringList{"-X"} << false << QString() << QString() << false;
    }
    void outputFiles()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, writePdf);
        QFETCH(QString, pdfFileName);
        QFETCH(QString, excelFileName);
        QFETCH(bool, unattended);

        const TCommandLineOptions options = ParseCommandLine(arguments);
        QCOMPARE(options.WritePdf, writePdf);
        QCOMPARE(options.PdfFileName, pdfFileName);
        QCOMPARE(options.ExcelFileName, excelFileName);
        QCOMPARE(options.Unattended(), unattended);
    }

    void unattendedEvenAfterABadDate()
    {
        const TCommandLineOptions options = ParseCommandLine({"-Fbad", "-P/tmp/x.pdf"});
        QVERIFY(!options.ConversionError.isEmpty());
        QVERIFY(options.Unattended());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
