// The logger across a whole process: this executable runs itself as a child
// that logs and ends, and checks the child's stderr: every line in the header
// format, the first written by a static initialiser (the DEBUGSTR target is
// there before any program code runs), and "Logger has been closed down." as
// the last line, after a line that a static destructor writes.

#include "QUV.Log.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

// Static objects of the program: one logs while statics are initialised,
// one while they are destroyed.
struct TStaticLogger
{
    TStaticLogger() { Logger->Send("static initialiser logs before main"); }
    ~TStaticLogger() { Logger->Send("static destructor logs after main"); }
} gStaticLogger;

class TChild : public QObject
{
    Q_OBJECT
public:
    void Run()
    {
        auto tracer = Logger->Trace(this, "Run");
        Logger->Send("Database", QStringLiteral("/tmp/morvik.sqlite"));
        Logger->SendSeparator("tag");
        try {
            throw std::runtime_error("disk full");
        } catch (const std::exception &e) {
            Logger->Send(QStringLiteral("DatamoduleCreate"), e, false);
        }
    }
};

int ChildMain(int argc, char **argv, const char *mode)
{
    QCoreApplication app(argc, argv);
    TChild child;
    child.Run();
    if (std::strcmp(mode, "--child-exit") == 0) {
        Logger->EnterMethod(&child, "Quit");
        std::exit(3); // no unwinding, the bracket stays open
    }
    return 0;
}

const QRegularExpression kLine(QStringLiteral(
    R"(^\[QUV\.Logger \(DEBUGSTR\)\|\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z>[A-Z ]{10}\] (.*)$)"));

} // namespace

class TestLogProcess : public QObject
{
    Q_OBJECT
private:
    QStringList RunChild(const QString &AMode, int AExpectedExitCode)
    {
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(), {AMode});
        if (!process.waitForFinished(60000))
            return {};
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != AExpectedExitCode)
            return {QStringLiteral("exit code %1").arg(process.exitCode())};
        const QString err = QString::fromUtf8(process.readAllStandardError());
        if (!err.endsWith(QLatin1Char('\n')))
            return {QStringLiteral("no final newline")};
        return err.left(err.size() - 1).split(QLatin1Char('\n'));
    }

    static QStringList PayLoads(const QStringList &ALines)
    {
        QStringList result;
        for (const QString &line : ALines) {
            const QRegularExpressionMatch match = kLine.match(line);
            QString payload = match.hasMatch() ? match.captured(1) : QStringLiteral("NOT A LOG LINE: ") + line;
            // The child runs on the real clock.
            payload.replace(QRegularExpression(QStringLiteral(R"(\(\d+ ms\)$)")), QStringLiteral("(N ms)"));
            result << payload;
        }
        return result;
    }

private slots:
    void childRunEndsWithClosingLine()
    {
        const QStringList lines = RunChild(QStringLiteral("--child-log"), 0);
        const QStringList payloads = PayLoads(lines);
        QCOMPARE(payloads,
                 (QStringList{"static initialiser logs before main",
                              "+Enter method Run of class TChild",
                              " Database=/tmp/morvik.sqlite",
                              " " + QString(116, '-') + " tag",
                              " Exception Class: std::runtime_error - DatamoduleCreate (disk full)",
                              "-Exit method Run of class TChild - (N ms)",
                              "static destructor logs after main",
                              "Logger has been closed down."}));
        QVERIFY(lines.first().contains(">INFO      ] static initialiser"));
        QVERIFY(lines[1].contains(">ENTER     ] +Enter"));
        QVERIFY(lines[4].contains(">EXCEPTION ]  Exception Class"));
        QVERIFY(lines.last().endsWith(">INFO      ] Logger has been closed down."));
    }

    void exitFromNestedCodeStillClosesDown()
    {
        const QStringList payloads = PayLoads(RunChild(QStringLiteral("--child-exit"), 3));
        QVERIFY(payloads.size() > 2);
        QCOMPARE(payloads[payloads.size() - 3], QStringLiteral("+Enter method Quit of class TChild"));
        QCOMPARE(payloads[payloads.size() - 2], QStringLiteral(" static destructor logs after main"));
        QCOMPARE(payloads.last(), QStringLiteral(" Logger has been closed down."));
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && std::strncmp(argv[1], "--child-", 8) == 0)
        return ChildMain(argc, argv, argv[1]);
    QCoreApplication app(argc, argv);
    TestLogProcess test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_log_process.moc"
