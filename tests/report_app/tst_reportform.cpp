#include "ProductionReportFormUnit.h"
#include "QUV.Dialogs.h"
#include "ReportDialogs.h"
#include "VestrelApplication.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include "TestFiles.h"
#include <QTimer>

#include <memory>

namespace {

QByteArray FileStart(const QString &fileName, int count)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.read(count) : QByteArray();
}

// Waits in the background for the modal preview, lets the test look at it,
// then closes it.
class TPreviewWatcher : public QObject
{
public:
    std::function<void(QPrintPreviewDialog *)> OnShown;
    bool Seen = false;
    int Pages = -1;

    TPreviewWatcher()
    {
        FTimer.setInterval(10);
        QObject::connect(&FTimer, &QTimer::timeout, this, [this] {
            auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            if (!preview)
                return;
            FTimer.stop();
            Seen = true;
            if (auto *widget = preview->findChild<QPrintPreviewWidget *>())
                Pages = widget->pageCount();
            if (OnShown)
                OnShown(preview);
            preview->reject();
        });
        FTimer.start();
    }

private:
    QTimer FTimer;
};

} // namespace

class TestReportForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FFolder;
    QSqlDatabase FDb;
    QStringList FMessages;
    QStringList FCaptions;
    QList<ReportDialogs::TSaveFileRequest> FSaveRequests;
    QString FSaveAnswer;
    int FRun = 0;

    QString Path(const QString &name) const { return FFolder->filePath(name); }

    QStringList Arguments(QStringList arguments) const
    {
        for (QString &argument : arguments)
            argument.replace(QLatin1String("%DIR%"), FFolder->path());
        return arguments;
    }

private slots:
    void init()
    {
        FFolder = std::make_unique<QTemporaryDir>();
        QVERIFY(FFolder->isValid());
        FDb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("run%1").arg(++FRun));
        FDb.setDatabaseName(Path(QStringLiteral("morvik.sqlite")));
        QVERIFY(FDb.open());
        {
            const QString error = TestFiles::RunScript(FDb, QStringLiteral(MORVIK_TEST_DATA "/report/productions.sql"));
            QVERIFY2(error.isEmpty(), qPrintable(error));
        }

        FMessages.clear();
        FCaptions.clear();
        QUV::SetMessageHandler([this](const QUV::TMessageRequest &request) {
            FMessages << request.Text;
            FCaptions << request.Caption;
            return int(QUV::mrOk);
        });
        FSaveRequests.clear();
        FSaveAnswer.clear();
        ReportDialogs::SetSaveFileHandler([this](const ReportDialogs::TSaveFileRequest &request) {
            FSaveRequests << request;
            return FSaveAnswer;
        });
    }

    void cleanup()
    {
        QUV::SetMessageHandler({});
        ReportDialogs::SetSaveFileHandler({});
        FDb.close();
        FFolder.reset();
    }

    void window()
    {
        TProductionReportForm form(FDb, {});
        QCOMPARE(form.windowTitle(), QStringLiteral("Morvik Författarförbundsrapport"));
        QCOMPARE(form.size(), QSize(288, 141));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        auto *label = form.findChild<QLabel *>(QStringLiteral("Label1"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Skriver ut rapporten till författarförbundet"));
        QCOMPARE(label->pos(), QPoint(42, 64));
        QVERIFY(form.findChild<QObject *>(QStringLiteral("ReportQuery")));
    }

    // One run per row: exit status, messages, whether the preview showed,
    // which files exist afterwards.
    void run_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("saveAnswer");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("preview");
        QTest::addColumn<QStringList>("files");

        const QString none = TProductionReportForm::NothingToReport();
        QTest::newRow("no arguments: nothing to report")
            << QStringList{} << QString() << 1 << QStringList{none} << false << QStringList{};
        QTest::newRow("rows without -D: nothing shown")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-LTrue"} << QString() << 0 << QStringList{} << false
            << QStringList{};
        QTest::newRow("-D shows the preview")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-D", "-LTrue"} << QString() << 0 << QStringList{}
            << true << QStringList{};
        QTest::newRow("-D with an empty period: only the message")
            << QStringList{"-F2020-01-01", "-T2020-01-31", "-D", "-LFalse"} << QString() << 1 << QStringList{none}
            << false << QStringList{};
        QTest::newRow("-X alone changes nothing else")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-X"} << QString() << 0 << QStringList{} << false
            << QStringList{};
        QTest::newRow("-X alone writes the chosen file")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-X", "-D"} << "%DIR%/vald.xlsx" << 0 << QStringList{}
            << true << QStringList{"vald.xlsx"};
        QTest::newRow("-P writes the PDF instead of the preview")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-D", "-P%DIR%/Rapport.pdf"} << QString() << 0
            << QStringList{} << false << QStringList{"Rapport.pdf"};
        QTest::newRow("-P alone writes the chosen file")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-D", "-P"} << "%DIR%/vald.pdf" << 0 << QStringList{}
            << false << QStringList{"vald.pdf"};
        QTest::newRow("-X with a file")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-x%DIR%/Rader.xlsx"} << QString() << 0 << QStringList{}
            << false << QStringList{"Rader.xlsx"};
        QTest::newRow("unattended, nothing to report")
            << QStringList{"-F2020-01-01", "-T2020-01-31", "-P%DIR%/tom.pdf"} << QString() << 1
            << QStringList{none} << false << QStringList{};
        QTest::newRow("output folder missing")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-P%DIR%/saknas/Rapport.pdf"} << QString() << 2
            << QStringList{"Kunde inte skriva %DIR%/saknas/Rapport.pdf: No such file or directory"} << false
            << QStringList{};
    }
    void run()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, saveAnswer);
        QFETCH(int, exitCode);
        QFETCH(QStringList, messages);
        QFETCH(bool, preview);
        QFETCH(QStringList, files);

        FSaveAnswer = Arguments({saveAnswer}).first();
        TProductionReportForm form(FDb, Arguments(arguments));
        QSignalSpy ended(&form, &TProductionReportForm::EndRequested);
        TPreviewWatcher watcher;
        form.FormShow();

        QCOMPARE(form.ExitCode(), exitCode);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended.first().first().toInt(), exitCode);
        QCOMPARE(FMessages, Arguments(messages));
        for (const QString &caption : FCaptions)
            QCOMPARE(caption, QStringLiteral("Morvik Författarrapport"));
        QCOMPARE(watcher.Seen, preview);
        if (preview)
            QCOMPARE(watcher.Pages, 1);
        QCOMPARE(QDir(FFolder->path()).entryList({"*.pdf", "*.xlsx"}, QDir::Files), files);
        for (const QString &file : files)
            QCOMPARE(FileStart(Path(file), 4), file.endsWith(".pdf") ? QByteArray("%PDF") : QByteArray("PK\x03\x04"));
    }

    void askedForTheSpreadsheet()
    {
        TProductionReportForm form(FDb, {"-F2019-02-01", "-T2019-02-28", "-X"});
        form.FormShow();
        QCOMPARE(FSaveRequests.size(), 1);
        QCOMPARE(FSaveRequests.first().Caption, QStringLiteral("Exportera till Excel"));
        QCOMPARE(FSaveRequests.first().DefaultSuffix, QStringLiteral("xlsx"));
        QCOMPARE(form.ExitCode(), 0);
    }

    // The preview's own actions write the same report and rows.
    void previewActions()
    {
        TProductionReportForm form(FDb, {"-F2019-02-01", "-T2019-02-28", "-D", "-LFalse"});
        TPreviewWatcher watcher;
        QStringList names;
        watcher.OnShown = [&](QPrintPreviewDialog *preview) {
            FSaveAnswer = Path(QStringLiteral("ur förhandsvisningen.pdf"));
            preview->findChild<QAction *>(QStringLiteral("actSavePdf"))->trigger();
            FSaveAnswer = Path(QStringLiteral("ur förhandsvisningen.xlsx"));
            preview->findChild<QAction *>(QStringLiteral("actExportExcel"))->trigger();
            FSaveAnswer = Path(QStringLiteral("saknas/x.pdf"));
            preview->findChild<QAction *>(QStringLiteral("actSavePdf"))->trigger();
        };
        form.FormShow();
        QVERIFY(watcher.Seen);
        QCOMPARE(FileStart(Path(QStringLiteral("ur förhandsvisningen.pdf")), 4), QByteArray("%PDF"));
        QCOMPARE(FileStart(Path(QStringLiteral("ur förhandsvisningen.xlsx")), 2), QByteArray("PK"));
        // The failed save is reported and the preview stays usable.
        QCOMPARE(FMessages.size(), 1);
        QVERIFY(FMessages.first().startsWith(QStringLiteral("Kunde inte skriva ")));
        QCOMPARE(form.ExitCode(), 0);
    }

    void queryFailure_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("shown: the report's one message")
            << QStringList{"-F2019-02-01", "-T2019-02-28", "-D"} << TProductionReportForm::NothingToReport();
        QTest::newRow("unattended: the engine's error") << QStringList{"-F2019-02-01", "-P%DIR%/x.pdf"}
                                                        << "no such table: productions";
    }
    void queryFailure()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QSqlDatabase empty = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("empty%1").arg(FRun));
        empty.setDatabaseName(QStringLiteral(":memory:"));
        QVERIFY(empty.open());
        TProductionReportForm form(empty, Arguments(arguments));
        TPreviewWatcher watcher;
        form.FormShow();
        QVERIFY(!watcher.Seen);
        QCOMPARE(form.ExitCode(), 2);
        QCOMPARE(FMessages.size(), 1);
        QVERIFY2(FMessages.first().startsWith(message), qPrintable(FMessages.first()));
    }

    // Showing the window starts the run by itself; a bad date goes to the
    // application's default handler, and the window stays until closed.
    void showRunsTheReport()
    {
        TProductionReportForm form(FDb, {"-F2020-01-01", "-T2020-01-31"});
        QSignalSpy ended(&form, &TProductionReportForm::EndRequested);
        form.show();
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(FMessages, QStringList{TProductionReportForm::NothingToReport()});
    }

    void badDateWaitsForTheUser()
    {
        auto *app = qobject_cast<TVestrelApplication *>(qApp);
        QVERIFY(app);
        TProductionReportForm form(FDb, {"-Figår", "-T2019-02-28", "-D"});
        QSignalSpy ended(&form, &TProductionReportForm::EndRequested);
        form.show();
        QTRY_COMPARE(FMessages, QStringList{QStringLiteral("'IGÅR' är inte ett giltigt datum")});
        QCOMPARE(FCaptions, QStringList{QStringLiteral("Morvik Författarrapport")});
        QVERIFY(form.isVisible());
        QCOMPARE(ended.size(), 0);
        QCOMPARE(app->ErrorExitCode(), 2);
        QVERIFY_THROWS_EXCEPTION(Exception, form.ReadCommandLine());
    }
};

int main(int argc, char *argv[])
{
    TVestrelApplication app(argc, argv);
    TestReportForm test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reportform.moc"
