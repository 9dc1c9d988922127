// Log targets: line format and indentation, the file target (BOM,
// append, folders, rotation, failures), the debug-output and event-log targets.

#include "LogCapture.h"
#include "QUV.Log.Targets.h"
#include "QUV.Types.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <syslog.h>
#include <unistd.h>

#include <cstdio>

namespace {

const QDateTime kFixedNow(QDate(2020, 3, 4), QTime(13, 5, 6, 789));
const QByteArray kBom("\xEF\xBB\xBF");

QByteArray ReadAll(const QString &AFileName)
{
    QFile file(AFileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

ILogMessagePtr Message(TLogLevel ALevel, const QString &APayLoad)
{
    return std::make_shared<TLogMessage>(ALevel, QStringLiteral("[H] "), APayLoad);
}

// Runs AAction with stderr redirected into a file and returns what it wrote.
template <class F>
QByteArray CaptureStderr(F AAction)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("stderr.txt"));
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    FILE *sink = std::fopen(path.constData(), "w");
    dup2(fileno(sink), STDERR_FILENO);
    AAction();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::fclose(sink);
    return ReadAll(QFile::decodeName(path));
}

} // namespace

class TestLogTargets : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir FHome;
    QTemporaryDir FDir;

private slots:
    void initTestCase()
    {
        QVERIFY(FHome.isValid());
        // The default log folder lies in the Documents folder: point it at a
        // temporary home so the test never writes into the real one.
        qputenv("HOME", QFile::encodeName(FHome.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FHome.filePath(".config")));
    }
    void init()
    {
        QUV::SetClock([] { return kFixedNow; });
    }
    void cleanup()
    {
        QUV::SetClock({});
    }

    void baseTargetDefaults_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("sender");
        QTest::newRow("blank name") << "" << "QUV.Logger (CODE)";
        QTest::newRow("spaces") << "  " << "QUV.Logger (CODE)";
        QTest::newRow("named") << "Vestrel" << "Vestrel";
    }
    void baseTargetDefaults()
    {
        QFETCH(QString, name);
        QFETCH(QString, sender);
        TLogTarget target(QStringLiteral("CODE"), name);
        QCOMPARE(target.SenderName(), sender);
        QCOMPARE(target.Code(), QStringLiteral("CODE"));
        QVERIFY(target.Active());
        QCOMPARE(target.EnabledLogLevels(), TLogLevels::All());
        QCOMPARE(target.CurrentIndent(), 0);
        QCOMPARE(target.FormatHeader(TLogLevel::Information),
                 QStringLiteral("[%1|2020-03-04T13:05:06.789Z>INFO      ] ").arg(sender));
    }

    void indentationRules()
    {
        TCaptureLogTarget target(QStringLiteral("T"), QString());
        target.WriteMessage(Message(TLogLevel::ExitMethod, "exit at 0"));
        QCOMPARE(target.CurrentIndent(), 0);
        target.WriteMessage(Message(TLogLevel::EnterMethod, "enter"));
        QCOMPARE(target.CurrentIndent(), 1);
        target.WriteMessage(Message(TLogLevel::Separator, "sep"));
        target.WriteMessage(Message(TLogLevel::EnterMethod, "enter 2"));
        target.SetActive(false);
        target.WriteMessage(Message(TLogLevel::ExitMethod, "skipped"));
        QCOMPARE(target.CurrentIndent(), 2);
        target.SetActive(true);
        target.WriteMessage(Message(TLogLevel::ExitMethod, "exit 2"));
        target.WriteMessage(Message(TLogLevel::ExitMethod, "exit"));
        QStringList lines;
        for (const TCapturedLine &line : target.Captured)
            lines << line.Line();
        QCOMPARE(lines, (QStringList{"[H] exit at 0", "[H] enter", "[H]  sep", "[H]  enter 2", "[H]  exit 2",
                                     "[H] exit"}));
        QCOMPARE(target.FormatLine("[X] ", "p"), QStringLiteral("[X] p"));
    }

    void debugTargetWritesLineAndNewlineToStderr()
    {
        TOutputDebugStringsLogTarget target(QStringLiteral("DEBUGSTR"), QString());
        const QByteArray written = CaptureStderr([&] {
            target.WriteMessage(std::make_shared<TLogMessage>(
                TLogLevel::EnterMethod, target.FormatHeader(TLogLevel::EnterMethod), "+Enter method Å"));
            target.WriteMessage(std::make_shared<TLogMessage>(
                TLogLevel::Information, target.FormatHeader(TLogLevel::Information), "x"));
        });
        QCOMPARE(QString::fromUtf8(written),
                 QStringLiteral("[QUV.Logger (DEBUGSTR)|2020-03-04T13:05:06.789Z>ENTER     ] +Enter method Å\n"
                                "[QUV.Logger (DEBUGSTR)|2020-03-04T13:05:06.789Z>INFO      ]  x\n"));
    }

    void fileTargetCreatesFolderAndAppends()
    {
        const QString fileName = FDir.filePath("logs/deep/morvik.log");
        QVERIFY(!QDir(FDir.filePath("logs")).exists());
        {
            TFileLogTarget target(QStringLiteral("FILE"), fileName);
            QVERIFY(target.Active());
            QVERIFY(target.IsFileOpen());
            QCOMPARE(target.SenderName(), fileName);
            QCOMPARE(target.CompleteFileName(), fileName);
            QCOMPARE(target.UseCircularLogs(), false);
            QCOMPARE(target.MaxPartSizeInMBytes(), 4194304);
            QCOMPARE(target.MaxParts(), 0);
            QCOMPARE(target.MaxPartAgeInDays(), 0);
            target.WriteMessage(Message(TLogLevel::EnterMethod, "första"));
            target.WriteMessage(Message(TLogLevel::Information, "två"));
            // Passed on at once: readable before Flush or close.
            QCOMPARE(ReadAll(fileName), kBom + QStringLiteral("[H] första\r\n[H]  två\r\n").toUtf8());
        }
        {
            // A second program start: appended, no second byte-order mark.
            TFileLogTarget target(QStringLiteral("FILE"), fileName);
            target.WriteMessage(Message(TLogLevel::Information, "tre"));
            target.Flush();
        }
        QCOMPARE(ReadAll(fileName), kBom + QStringLiteral("[H] första\r\n[H]  två\r\n[H] tre\r\n").toUtf8());
    }

    void fileTargetRelativeName()
    {
        const QString old = QDir::currentPath();
        QDir::setCurrent(FDir.path());
        TFileLogTarget target(QStringLiteral("FILE"), QStringLiteral("rel/sub.log"));
        QDir::setCurrent(old);
        QCOMPARE(target.CompleteFileName(), QDir(FDir.path()).filePath("rel/sub.log"));
        QVERIFY(QFile::exists(FDir.filePath("rel/sub.log")));
    }

    void fileTargetDefaultFolder()
    {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY2(documents.startsWith(FHome.path()), qPrintable(documents));
        const QString expected = QDir(documents).filePath("QUVLogger/bare.log");
        QCOMPARE(TFileLogTarget::DefaultLogFolder(), QDir(documents).filePath("QUVLogger"));
        {
            TFileLogTarget target(QStringLiteral("FILE"), QStringLiteral("bare.log"));
            QVERIFY(target.Active());
            QCOMPARE(target.CompleteFileName(), expected);
            target.WriteMessage(Message(TLogLevel::Information, "x"));
        }
        QCOMPARE(ReadAll(expected), kBom + "[H] x\r\n");
    }

    void fileTargetBlankNameWritesNothing()
    {
        TFileLogTarget target(QStringLiteral("FILE"), QString());
        QCOMPARE(target.SenderName(), QStringLiteral("QUV.Logger (FILE)"));
        QVERIFY(!target.IsFileOpen());
        target.WriteMessage(Message(TLogLevel::Information, "nowhere"));
    }

    void fileTargetFolderCannotBeCreated()
    {
        // A folder below a plain file cannot be made (also not by root).
        const QString blocker = FDir.filePath("blocker");
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString fileName = blocker + "/sub/x.log";

        LogCapture capture;
        Logger->AddFileTarget(QStringLiteral("BADFILE"), fileName);
        const ILogTargetPtr target = Logger->Target(QStringLiteral("BADFILE"));
        QVERIFY(!target->Active()); // registered, inactive
        QCOMPARE(capture.Levels(), (QList<TLogLevel>{TLogLevel::LogInternalError, TLogLevel::LogInternalError}));
        const QStringList payloads = capture.PayLoads();
        QVERIFY2(payloads[0].startsWith(QStringLiteral("Failed to create log folder %1/sub (").arg(blocker)),
                 qPrintable(payloads[0]));
        QVERIFY2(payloads[1].startsWith(
                     "Failure to create log file or folder. File logging has been disabled.="),
                 qPrintable(payloads[1]));
        QVERIFY(capture.Lines()[1].contains(">LOGINTERNA] Failure"));

        capture.Clear();
        Logger->Send("still going");
        QCOMPARE(capture.PayLoads(), QStringList{"still going"});
        target->SetActive(true); // no file: still writes nothing
        Logger->Send("again");
        Logger->RemoveLogTarget(QStringLiteral("BADFILE"));
        QVERIFY(!QFile::exists(fileName));
    }

    void fileTargetFileCannotBeOpened()
    {
        // The name is an existing folder: the folder is there, the file cannot be opened.
        QVERIFY(QDir(FDir.path()).mkpath("isafolder"));
        LogCapture capture;
        TFileLogTarget target(QStringLiteral("FILE"), FDir.filePath("isafolder"));
        QVERIFY(!target.Active());
        QCOMPARE(capture.Count(), 1);
        QVERIFY(capture.PayLoads().first().startsWith(
            "Failure to create log file or folder. File logging has been disabled.="));
    }

    void rotationPastFourMiB()
    {
        const QString fileName = FDir.filePath("rot/library.app.log");
        TFileLogTarget target(QStringLiteral("ROT"), fileName);
        target.SetUseCircularLogs(true);
        const QString big(1000, QLatin1Char('x'));
        // Up to 4 MiB nothing moves (the check is "above the limit").
        while (QFileInfo(fileName).size() + 1006 <= 4 * 1048576)
            target.WriteMessage(Message(TLogLevel::Information, big));
        const qint64 sizeBefore = QFileInfo(fileName).size();
        QVERIFY(sizeBefore <= 4 * 1048576);
        target.WriteMessage(Message(TLogLevel::Information, big)); // now above the limit
        QVERIFY(QFileInfo(fileName).size() > 4 * 1048576);
        QCOMPARE(QDir(FDir.filePath("rot")).entryList(QDir::Files).size(), 1);

        target.WriteMessage(Message(TLogLevel::Information, "first of the new file"));
        const QString rotated = FDir.filePath("rot/library-20200304T130506-789.log");
        QVERIFY(QFile::exists(rotated));
        QVERIFY(QFileInfo(rotated).size() > 4 * 1048576);
        QVERIFY(ReadAll(rotated).startsWith(kBom + "[H] xxx"));
        QCOMPARE(ReadAll(fileName), kBom + "[H] first of the new file\r\n");
        QVERIFY(target.Active());
        QCOMPARE(target.CompleteFileName(), fileName);
    }

    void rotationLimitBelowFour()
    {
        const QString fileName = FDir.filePath("rot1/small");
        TFileLogTarget target(QStringLiteral("ROT"), fileName);
        target.SetUseCircularLogs(true);
        target.SetMaxPartSizeInMBytes(1);
        const QString big(1000, QLatin1Char('y'));
        while (QFileInfo(fileName).size() <= 1048576)
            target.WriteMessage(Message(TLogLevel::Information, big));
        target.WriteMessage(Message(TLogLevel::Information, "next"));
        // No extension: the stem is the whole name and nothing follows the stamp.
        QVERIFY(QFile::exists(FDir.filePath("rot1/small-20200304T130506-789")));
        QCOMPARE(ReadAll(fileName), kBom + "[H] next\r\n");
    }

    void noRotationWhenOff()
    {
        const QString fileName = FDir.filePath("rot2/off.log");
        TFileLogTarget target(QStringLiteral("ROT"), fileName);
        target.SetMaxPartSizeInMBytes(1);
        const QString big(1000, QLatin1Char('z'));
        while (QFileInfo(fileName).size() <= 1100000)
            target.WriteMessage(Message(TLogLevel::Information, big));
        QCOMPARE(QDir(FDir.filePath("rot2")).entryList(QDir::Files), QStringList{"off.log"});
    }

    void failedRotationDeactivates()
    {
        const QString fileName = FDir.filePath("rot3/fail.log");
        auto target = std::make_shared<TFileLogTarget>(QStringLiteral("ROTFAIL"), fileName);
        target->SetUseCircularLogs(true);
        target->SetMaxPartSizeInMBytes(1);
        // The time-stamped name is taken, so the rename must fail.
        const QString rotated = FDir.filePath("rot3/fail-20200304T130506-789.log");
        QFile taken(rotated);
        QVERIFY(taken.open(QIODevice::WriteOnly));
        taken.write("taken");
        taken.close();

        const QString big(1000, QLatin1Char('w'));
        while (QFileInfo(fileName).size() <= 1048576)
            target->WriteMessage(Message(TLogLevel::Information, big));
        const QByteArray before = ReadAll(fileName);

        LogCapture capture;
        Logger->AddLogTarget(target);
        try {
            Logger->Send("rotate now");
            QFAIL("no exception");
        } catch (const Exception &e) {
            QVERIFY2(e.Message().startsWith("System Error.  Code: "), qPrintable(e.Message()));
        }
        QVERIFY(!target->Active());
        QVERIFY(!target->IsFileOpen());
        QVERIFY(capture.Contains(TLogLevel::LogInternalError,
                                 QStringLiteral("Failed to rotate log file %1 to %2. File logging has been disabled.")
                                     .arg(fileName, rotated)));
        // Later lines go nowhere, raise nothing, and touch neither file.
        Logger->Send("after");
        target->SetActive(true);
        Logger->Send("after reactivation");
        Logger->RemoveLogTarget(QStringLiteral("ROTFAIL"));
        QCOMPARE(ReadAll(fileName), before);
        QCOMPARE(ReadAll(rotated), QByteArray("taken"));
    }

    void eventTarget_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("sender");
        QTest::newRow("no name") << "" << "QUV.Logger" << "QUV.Logger (EVT)";
        QTest::newRow("named") << "MorvikLibrary" << "MorvikLibrary" << "MorvikLibrary";
    }
    void eventTarget()
    {
        QFETCH(QString, name);
        QFETCH(QString, source);
        QFETCH(QString, sender);
        TEventLogTarget target(QStringLiteral("EVT"), name, true); // registering does not raise here
        QCOMPARE(target.EventSource(), source);
        QCOMPARE(target.SenderName(), sender);
        QCOMPARE(target.EnabledLogLevels(),
                 (TLogLevels{TLogLevel::Error, TLogLevel::Exception, TLogLevel::Warning}));
        target.RegisterTargetWithEventViewer();
        target.WriteMessage(Message(TLogLevel::Warning, "tst_log_targets: event-log line"));
    }

    void eventTypes_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("type");
        QTest::newRow("Error") << 0 << LOG_ERR;
        QTest::newRow("Exception") << 1 << LOG_ERR;
        QTest::newRow("Warning") << 2 << LOG_WARNING;
        QTest::newRow("Information") << 3 << LOG_INFO;
        QTest::newRow("EnterMethod") << 4 << LOG_INFO;
        QTest::newRow("ExitMethod") << 5 << LOG_INFO;
        QTest::newRow("Separator") << 6 << LOG_INFO;
        QTest::newRow("LogInternalError") << 7 << LOG_ERR;
        QTest::newRow("Debug") << 8 << LOG_INFO;
    }
    void eventTypes()
    {
        QFETCH(int, level);
        QFETCH(int, type);
        QCOMPARE(TEventLogTarget::EventType(static_cast<TLogLevel>(level)), type);
    }

    void eventTargetThroughLoggerFiltersLevels()
    {
        auto log = std::make_shared<TLog>();
        log->AddEventViewerTarget(QStringLiteral("EVT"), QString(), false);
        auto capture = std::make_shared<TCaptureLogTarget>("C", QString());
        capture->SetEnabledLogLevels(log->Target("EVT")->EnabledLogLevels());
        log->AddLogTarget(capture);
        log->Send("info is filtered");
        log->Send(TLogLevel::Warning, "tst_log_targets: warning through the logger");
        QCOMPARE(capture->Captured.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLogTargets)
#include "tst_log_targets.moc"
