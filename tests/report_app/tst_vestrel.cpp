// Runs the Vestrel program itself. The settings file lives in the program's
// folder, so the program is copied into a scratch folder with its own
// morvik.conf and catalogue.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"

namespace {

void WriteFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString Tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

QString Output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestVestrel : public QObject
{
    Q_OBJECT

    QTemporaryDir FProgramFolder;
    QString FProgram;
    QString FOut;

    struct TRun
    {
        int ExitCode = -1;
        QString Errors;
    };

    TRun Run(QStringList arguments)
    {
        for (QString &argument : arguments)
            argument.replace(QLatin1String("%OUT%"), FOut);
        QProcess process;
        process.setWorkingDirectory(FOut);
        process.start(FProgram, arguments);
        TRun run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            run.Errors = QStringLiteral("did not end");
            return run;
        }
        run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.Errors = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    void WriteSettings(const QByteArray &json) { WriteFile(FProgramFolder.filePath("morvik.conf"), json); }

private slots:
    void initTestCase()
    {
        const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Vestrel");
        QVERIFY2(QFile::exists(built), "build the Vestrel target first");
        QVERIFY(FProgramFolder.isValid());
        FProgram = FProgramFolder.filePath(QStringLiteral("Vestrel"));
        QVERIFY(QFile::copy(built, FProgram));
        QVERIFY(QFile::setPermissions(FProgram, QFile::permissions(built)));
    }

    void init()
    {
        const QDir folder(FProgramFolder.path());
        QFile::remove(folder.filePath(QStringLiteral("morvik.sqlite")));
        FOut = folder.filePath(QStringLiteral("out"));
        QDir(FOut).removeRecursively();
        QVERIFY(folder.mkpath(QStringLiteral("out")));
        const QByteArray path = FProgramFolder.path().toUtf8();
        WriteSettings("{\"Paths\": {\"Database Folder\": \"" + path + "\", \"Image File Folder\": \"" + path +
                      "/lib\", \"Books Folder\": \"" + path + "/books\", \"Movies Folder\": \"" + path +
                      "/movies\"}}");
        const QString error = TestFiles::RunScript(folder.filePath(QStringLiteral("morvik.sqlite")),
                                                   QStringLiteral(MORVIK_TEST_DATA "/report/productions.sql"));
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void pdf_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");

        const QStringList always{"Morvik", "Detaljerad rapport över producerade böcker", "Sida 1",
                                 "B100", "Alfa", "Författare", "Anna Andersson", "Berättare", "Berit Berg",
                                 "Storlek", "1,50 Mb", "Datum", "Kopior", "2019-02-01", "2019-02-05",
                                 "2019-02-28", "10 st kopior har totalt producerat av denna titel under perioden",
                                 "B200", "Beta"};
        QTest::newRow("as the library starts it, library only")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-D", "-LTrue", "-P%OUT%/Rapport.pdf"}
            << always + QStringList{"5 st kopior"} << QStringList{"Delta", "B300", "Epsilon", "7 st", "2019-02-11"};
        QTest::newRow("every origin")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-D", "-LFalse", "-P%OUT%/Rapport.pdf"}
            << always + QStringList{"Delta", "6 st kopior", "7 st kopior", "2019-02-11"}
            << QStringList{"B300", "Epsilon"};
        QTest::newRow("lower case, other order, relative file")
            << QStringList{"-prapport.pdf", "-ltrue", "-d", "-t2019-02-28", "-f2019-02-01"}
            << always << QStringList{"Delta"};
    }
    void pdf()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        if (Tool("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");

        const TRun run = Run(arguments);
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Errors));
        const QStringList pdfs = QDir(FOut).entryList({"*.pdf"}, QDir::Files);
        QCOMPARE(pdfs.size(), 1);
        const QString text = Output(Tool("pdftotext"), {"-layout", QDir(FOut).filePath(pdfs.first()), "-"});
        for (const QString &expected : present)
            QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" missing in:\n") + text));
        for (const QString &unexpected : absent)
            QVERIFY2(!text.contains(unexpected), qPrintable(unexpected));
        static const QRegularExpression prepared(QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"));
        QVERIFY(text.contains(prepared));
        QVERIFY(!text.contains(QStringLiteral("Sida 2")));
    }

    void xlsx()
    {
        if (Tool("unzip").isEmpty())
            QSKIP("unzip is not installed");
        const TRun run = Run({"-F2019-02-01", "-T2019-02-28", "-LFalse", "-X%OUT%/Rader.xlsx"});
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Errors));
        const QString file = QDir(FOut).filePath(QStringLiteral("Rader.xlsx"));
        const QString strings = Output(Tool("unzip"), {"-p", file, "xl/sharedStrings.xml"});
        for (const char *expected : {"<t>id</t>", "<t>title</t>", "<t>B100</t>", "<t>Alfa</t>", "<t>Anna Andersson</t>",
                                     "<t>Beta</t>", "<t>Delta</t>"})
            QVERIFY2(strings.contains(QLatin1String(expected)), expected);
        QVERIFY(!strings.contains(QStringLiteral("Utan Titel")));
        const QString sheet = Output(Tool("unzip"), {"-p", file, "xl/worksheets/sheet1.xml"});
        // A header and six rows; B100's 2019-02-05 line as day 43501 and 7 copies.
        QCOMPARE(sheet.count(QStringLiteral("<row ")), 7);
        QVERIFY(sheet.contains(QStringLiteral("<c r=\"D3\" s=\"2\"><v>43501</v></c><c r=\"E3\"><v>7</v></c>")));
        QVERIFY(QDir(FOut).entryList({"*.pdf"}, QDir::Files).isEmpty());
    }

    // Unattended failures: a message on stderr, an exit status, no file.
    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("database");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");

        const QStringList february{"-F2019-02-01", "-T2019-02-28", "-D", "-P%OUT%/Rapport.pdf"};
        QTest::newRow("empty period") << QStringList{"-F2020-01-01", "-T2020-01-31", "-D", "-P%OUT%/Rapport.pdf"}
                                      << QByteArray() << QByteArray() << 1
                                      << "Morvik Författarrapport: Det finns inga böcker att rapportera";
        QTest::newRow("no arguments but a file") << QStringList{"-P%OUT%/Rapport.pdf"} << QByteArray()
                                                 << QByteArray() << 1 << "Det finns inga böcker att rapportera";
        QTest::newRow("bad date") << QStringList{"-Fgårdagen", "-T2019-02-28", "-P%OUT%/Rapport.pdf"}
                                  << QByteArray() << QByteArray() << 2
                                  << "Morvik Författarrapport: 'GÅRDAGEN' är inte ett giltigt datum";
        QTest::newRow("output folder missing")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-P%OUT%/saknas/Rapport.pdf"} << QByteArray()
            << QByteArray() << 2 << "Kunde inte skriva %OUT%/saknas/Rapport.pdf";
        QTest::newRow("corrupt database") << february << QByteArray() << QByteArray(4096, 'x') << 1
                                          << "Morvik misslyckades öppna databasen. Programmet avslutas. "
                                             "Felmeddelandet är: ";
        QTest::newRow("settings file not JSON") << february << QByteArray("{ \"Paths\": ") << QByteArray() << 2
                                                << "Misslyckades hämta inställningarna";
    }
    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, database);
        QFETCH(int, exitCode);
        QFETCH(QString, message);

        if (!settings.isEmpty())
            WriteSettings(settings);
        if (!database.isEmpty())
            WriteFile(FProgramFolder.filePath(QStringLiteral("morvik.sqlite")), database);
        const TRun run = Run(arguments);
        QVERIFY2(run.ExitCode == exitCode, qPrintable(run.Errors));
        message.replace(QLatin1String("%OUT%"), FOut);
        QVERIFY2(run.Errors.contains(message), qPrintable(run.Errors));
        QVERIFY(QDir(FOut).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestVestrel)
#include "tst_vestrel.moc"
