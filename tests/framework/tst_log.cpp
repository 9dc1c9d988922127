// Logging core: texts, indentation, call stack, Enabled, registry,
// tracer and Block, through the process-wide Logger and a capture target.

#include "LogCapture.h"
#include "QUV.Log.h"
#include "QUV.Log.Targets.h"
#include "QUV.Types.h"

#include <QTest>

#include <functional>
#include <stdexcept>

namespace {

const QDateTime kFixedNow(QDate(2020, 3, 4), QTime(13, 5, 6, 789));

class TMorvikDataModule : public QObject
{
    Q_OBJECT
};

class TNoMetaObject : public QObject
{
};

struct TPlainCaller
{
    virtual ~TPlainCaller() = default;
};

class TDerivedException : public Exception
{
public:
    using Exception::Exception;
    QString ClassName() const override { return QStringLiteral("EDerived"); }
};

// A target that raises on every write, to see errors reach the caller.
class TFailingTarget : public TLogTarget
{
public:
    using TLogTarget::TLogTarget;
    void DoWriteMessage(const ILogMessagePtr &) override { throw Exception(QStringLiteral("target failed")); }
};

struct TSendCase
{
    const char *name;
    std::function<void()> send;
    TLogLevel level;
    QString payload;
};

QList<TSendCase> SendCases()
{
    const QVariantList params{QStringLiteral("Ada"), 3};
    return {
        {"18 level message value params", [=] { Logger->Send(TLogLevel::Warning, "Name %s", "copies %d", QVariantList{QStringLiteral("Ada"), 3}); },
         TLogLevel::Warning, "Name Ada=copies 3"},
        {"18 blank value gives no =", [=] { Logger->Send(TLogLevel::Warning, "Name %s", " ", QVariantList{QStringLiteral("Ada")}); },
         TLogLevel::Warning, "Name Ada "},
        {"18 percent in value is a specifier", [=] { Logger->Send(TLogLevel::Debug, "x", "%d%%", QVariantList{50}); },
         TLogLevel::Debug, "x=50%"},
        {"19 level message params", [=] { Logger->Send(TLogLevel::Error, "Name %s has %d", params); },
         TLogLevel::Error, "Name Ada has 3"},
        {"20 level message variant", [] { Logger->Send(TLogLevel::Warning, "Copies", QVariant(3)); },
         TLogLevel::Warning, "Copies=3"},
        {"20 null variant", [] { Logger->Send(TLogLevel::Warning, "Copies", QVariant()); },
         TLogLevel::Warning, "Copies="},
        {"21 level message", [] { Logger->Send(TLogLevel::Separator, "plain"); },
         TLogLevel::Separator, "plain"},
        {"22 message params", [=] { Logger->Send("Name %s has %d", params); },
         TLogLevel::Information, "Name Ada has 3"},
        {"23 message string", [] { Logger->Send("Database", QStringLiteral("/data/morvik.sqlite")); },
         TLogLevel::Information, "Database=/data/morvik.sqlite"},
        {"23 message literal", [] { Logger->Send("Database", "x.sqlite"); },
         TLogLevel::Information, "Database=x.sqlite"},
        {"23 int", [] { Logger->Send("Copies", 20); },
         TLogLevel::Information, "Copies=20"},
        {"23 qsizetype", [] { Logger->Send("Count", qsizetype(-7)); },
         TLogLevel::Information, "Count=-7"},
        {"23 unsigned 64", [] { Logger->Send("Size", quint64(5000000000ULL)); },
         TLogLevel::Information, "Size=5000000000"},
        {"23 bool", [] { Logger->Send("Exists", true); },
         TLogLevel::Information, "Exists=True"},
        {"23 double with decimal comma", [] { Logger->Send("Ratio", 2.5); },
         TLogLevel::Information, "Ratio=2,5"},
        {"23 date-time", [] { Logger->Send("Added", QVariant(QDateTime(QDate(2021, 2, 3), QTime(4, 5, 6)))); },
         TLogLevel::Information, "Added=2021-02-03 04:05:06"},
        {"23 date-time at midnight", [] { Logger->Send("Added", QVariant(QDateTime(QDate(2021, 2, 3), QTime(0, 0)))); },
         TLogLevel::Information, "Added=2021-02-03"},
        {"23 null", [] { Logger->Send("Value", QVariant()); },
         TLogLevel::Information, "Value="},
        {"24 guid", [] { Logger->Send("Id", QUuid(QStringLiteral("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}"))); },
         TLogLevel::Information, "Id={0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}"},
        {"25 message", [] { Logger->Send("Hello"); },
         TLogLevel::Information, "Hello"},
        {"26 own exception", [] { Logger->Send(QStringLiteral("DatamoduleCreate"), Exception("Cannot open"), false); },
         TLogLevel::Exception, "Exception Class: Exception - DatamoduleCreate (Cannot open)"},
        {"26 derived exception", [] { Logger->Send("AddBook", TDerivedException("Locked"), false); },
         TLogLevel::Exception, "Exception Class: EDerived - AddBook (Locked)"},
        {"26 std exception", [] { Logger->Send("AddBook", std::runtime_error("bad"), false); },
         TLogLevel::Exception, "Exception Class: std::runtime_error - AddBook (bad)"},
    };
}

} // namespace

class TestLog : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QUV::SetClock([] { return kFixedNow; });
        QCOMPARE(Logger->CallStackDepth(), 0);
        QVERIFY(Logger->Enabled());
    }
    void cleanup()
    {
        QUV::SetClock({});
        Logger->SetEnabled(true);
        // Leave the shared call stack balanced for the next test.
        ILogCallstackItemPtr item;
        while (Logger->CallStackDepth() > 0)
            Logger->PopCallstackItem(item);
    }

    void debugTargetRegisteredAtStart()
    {
        QVERIFY(Logger->TargetExists(QStringLiteral("DEBUGSTR")));
        const ILogTargetPtr target = Logger->Target(QStringLiteral("DEBUGSTR"));
        QCOMPARE(target->Code(), QStringLiteral("DEBUGSTR"));
        QCOMPARE(target->SenderName(), QStringLiteral("QUV.Logger (DEBUGSTR)"));
        QVERIFY(target->Active());
        QCOMPARE(target->EnabledLogLevels().Bits(), quint16(0x01FF));
        QVERIFY(std::dynamic_pointer_cast<TOutputDebugStringsLogTarget>(target));
    }

    void header_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("header");
        const QString prefix = QStringLiteral("[QUV.Logger (CAP)|2020-03-04T13:05:06.789Z>");
        QTest::newRow("Error") << 0 << prefix + "ERROR     ] ";
        QTest::newRow("Exception") << 1 << prefix + "EXCEPTION ] ";
        QTest::newRow("Warning") << 2 << prefix + "WARNING   ] ";
        QTest::newRow("Information") << 3 << prefix + "INFO      ] ";
        QTest::newRow("EnterMethod") << 4 << prefix + "ENTER     ] ";
        QTest::newRow("ExitMethod") << 5 << prefix + "EXIT      ] ";
        QTest::newRow("Separator") << 6 << prefix + "SEPARATOR ] ";
        QTest::newRow("LogInternalError cut to 10") << 7 << prefix + "LOGINTERNA] ";
        QTest::newRow("Debug") << 8 << prefix + "DEBUG     ] ";
    }
    void header()
    {
        QFETCH(int, level);
        QFETCH(QString, header);
        LogCapture capture(QStringLiteral("CAP"));
        Logger->SendToTargets(static_cast<TLogLevel>(level), QStringLiteral("payload"));
        QCOMPARE(capture.Count(), 1);
        QCOMPARE(capture.Captured().first().Header, header);
        QCOMPARE(capture.Lines().first(), header + "payload");
    }

    void headerLeadingZeros()
    {
        QUV::SetClock([] { return QDateTime(QDate(2021, 1, 2), QTime(3, 4, 5, 6)); });
        LogCapture capture(QStringLiteral("CAP"));
        capture.Target()->SetSenderName(QStringLiteral("Vestrel"));
        Logger->Send("x");
        QCOMPARE(capture.Lines().first(), QStringLiteral("[Vestrel|2021-01-02T03:04:05.006Z>INFO      ] x"));
    }

    void enterExitTexts_data()
    {
        QTest::addColumn<bool>("withCaller");
        QTest::addColumn<QString>("enterMessage");
        QTest::addColumn<QString>("exitMessage");
        QTest::addColumn<QString>("enterText");
        QTest::addColumn<QString>("exitText");
        QTest::newRow("caller and method, exit names it")
            << true << "DeleteBook" << "DeleteBook"
            << "+Enter method DeleteBook of class TMorvikDataModule"
            << "-Exit method DeleteBook of class TMorvikDataModule - DeleteBook";
        QTest::newRow("caller, exit without message")
            << true << "AddBook" << ""
            << "+Enter method AddBook of class TMorvikDataModule"
            << "-Exit method AddBook of class TMorvikDataModule";
        QTest::newRow("caller, blank messages")
            << true << " \t" << "  "
            << "+Enter method of class TMorvikDataModule"
            << "-Exit method  \t of class TMorvikDataModule";
        QTest::newRow("no caller")
            << false << "Main" << "done"
            << "+Enter method Main" << "-Exit method Main - done";
        QTest::newRow("no caller, no message")
            << false << "" << ""
            << "+Enter method" << "-Exit method";
    }
    void enterExitTexts()
    {
        QFETCH(bool, withCaller);
        QFETCH(QString, enterMessage);
        QFETCH(QString, exitMessage);
        QFETCH(QString, enterText);
        QFETCH(QString, exitText);
        TMorvikDataModule module;
        LogCapture capture;
        if (withCaller)
            Logger->EnterMethod(&module, enterMessage);
        else
            Logger->EnterMethod(nullptr, enterMessage);
        QCOMPARE(Logger->CallStackDepth(), 1);
        Logger->ExitMethod(exitMessage);
        QCOMPARE(Logger->CallStackDepth(), 0);
        QCOMPARE(capture.PayLoads(), (QStringList{enterText, exitText}));
        QCOMPARE(capture.Levels(), (QList<TLogLevel>{TLogLevel::EnterMethod, TLogLevel::ExitMethod}));
    }

    void parameterlessOverloads()
    {
        TMorvikDataModule module;
        LogCapture capture;
        Logger->EnterMethod(&module);
        Logger->ExitMethod();
        QCOMPARE(capture.PayLoads(), (QStringList{"+Enter method of class TMorvikDataModule",
                                                  "-Exit method  of class TMorvikDataModule"}));
    }

    void callerClassNames()
    {
        TNoMetaObject noMeta;
        TPlainCaller plain;
        LogCapture capture;
        Logger->EnterMethod(&noMeta, "A");
        Logger->EnterMethod(&plain, "B");
        Logger->ExitMethod();
        Logger->ExitMethod();
        QCOMPARE(capture.PayLoads(),
                 (QStringList{"+Enter method A of class (anonymous namespace)::TNoMetaObject",
                              "+Enter method B of class (anonymous namespace)::TPlainCaller",
                              "-Exit method B of class (anonymous namespace)::TPlainCaller",
                              "-Exit method A of class (anonymous namespace)::TNoMetaObject"}));
    }

    void indentation()
    {
        TMorvikDataModule module;
        LogCapture capture;
        Logger->EnterMethod(&module, "Outer");
        Logger->Send("a");
        Logger->EnterMethod(&module, "Inner");
        Logger->SendSeparator(QString());
        Logger->ExitMethod("Inner");
        Logger->ExitMethod("Outer");
        Logger->Send("b");
        const QStringList indented = capture.IndentedPayLoads();
        QCOMPARE(indented.size(), 7);
        QCOMPARE(indented[0], QStringLiteral("+Enter method Outer of class TMorvikDataModule"));
        QCOMPARE(indented[1], QStringLiteral(" a"));
        QCOMPARE(indented[2], QStringLiteral(" +Enter method Inner of class TMorvikDataModule"));
        QCOMPARE(indented[3], QStringLiteral("  ") + QString(120, '-'));
        QCOMPARE(indented[4], QStringLiteral(" -Exit method Inner of class TMorvikDataModule - Inner"));
        QCOMPARE(indented[5], QStringLiteral("-Exit method Outer of class TMorvikDataModule - Outer"));
        QCOMPARE(indented[6], QStringLiteral("b"));
    }

    void unbalancedExit()
    {
        LogCapture capture;
        Logger->ExitMethod("Lost");
        QCOMPARE(capture.Levels(), (QList<TLogLevel>{TLogLevel::Warning, TLogLevel::ExitMethod}));
        QCOMPARE(capture.PayLoads(),
                 (QStringList{"Logger CallStack unbalanced", "-Exit method Unknown Method Name - Lost"}));
        QCOMPARE(capture.Captured()[1].Indent, QString());
        QCOMPARE(Logger->CallStackDepth(), 0);

        ILogCallstackItemPtr item = std::make_shared<TLogCallstackItem>("x", "y");
        Logger->PopCallstackItem(item);
        QVERIFY(!item);
    }

    void callStackItems()
    {
        TMorvikDataModule module;
        Logger->EnterMethod(&module, "First");
        Logger->EnterMethod(nullptr, "Second");
        ILogCallstackItemPtr item;
        Logger->PopCallstackItem(item);
        QVERIFY(item);
        QCOMPARE(item->_MethodName(), QStringLiteral("Second"));
        QCOMPARE(item->_ClassName(), QString());
        Logger->PopCallstackItem(item);
        QCOMPARE(item->_MethodName(), QStringLiteral("First"));
        QCOMPARE(item->_ClassName(), QStringLiteral("TMorvikDataModule"));
        item->Set_MethodName("M");
        item->Set_ClassName("C");
        QCOMPARE(item->_MethodName() + item->_ClassName(), QStringLiteral("MC"));
    }

    void separators_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("text");
        QTest::newRow("blank") << "" << QString(120, '-');
        QTest::newRow("spaces only") << "   " << QString(120, '-');
        QTest::newRow("short tag") << "Start" << QString(114, '-') + " Start";
        QTest::newRow("118 characters") << QString(118, 'x') << "- " + QString(118, 'x');
        QTest::newRow("119 characters") << QString(119, 'x') << QString(119, 'x');
        QTest::newRow("150 characters") << QString(150, 'y') << QString(150, 'y');
        QTest::newRow("trailing blank trimmed") << "End " << QString(115, '-') + " End";
    }
    void separators()
    {
        QFETCH(QString, tag);
        QFETCH(QString, text);
        LogCapture capture;
        Logger->SendSeparator(tag);
        QCOMPARE(capture.Levels(), QList<TLogLevel>{TLogLevel::Separator});
        QCOMPARE(capture.PayLoads().first(), text);
        if (tag.trimmed().size() < 119 && tag == tag.trimmed())
            QCOMPARE(text.size(), 120);
    }

    void sendOverloads_data()
    {
        QTest::addColumn<int>("index");
        const QList<TSendCase> cases = SendCases();
        for (int i = 0; i < cases.size(); ++i)
            QTest::newRow(cases[i].name) << i;
    }
    void sendOverloads()
    {
        QFETCH(int, index);
        const TSendCase testCase = SendCases().at(index);
        LogCapture capture;
        testCase.send();
        QCOMPARE(capture.Count(), 1);
        QCOMPARE(capture.Captured().first().Level, testCase.level);
        QCOMPARE(capture.PayLoads().first(), testCase.payload);
    }

    void sendFormatMismatchRaisesAndWritesNothing_data()
    {
        QTest::addColumn<int>("slot");
        QTest::newRow("18") << 18;
        QTest::newRow("19") << 19;
        QTest::newRow("22") << 22;
    }
    void sendFormatMismatchRaisesAndWritesNothing()
    {
        QFETCH(int, slot);
        LogCapture capture;
        const QVariantList params{QStringLiteral("not a number")};
        try {
            if (slot == 18)
                Logger->Send(TLogLevel::Information, "Copies %d", "", params);
            else if (slot == 19)
                Logger->Send(TLogLevel::Information, "Copies %d", params);
            else
                Logger->Send("Copies %d", params);
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("Format 'Copies %d' invalid or incompatible with argument"));
        }
        QCOMPARE(capture.Count(), 0);
    }

    void exceptionReraisesSameObject()
    {
        LogCapture capture;
        const void *thrown = nullptr;
        const void *caught = nullptr;
        try {
            try {
                throw TDerivedException(QStringLiteral("Locked"));
            } catch (const std::exception &e) {
                thrown = &e;
                Logger->Send("AddBook", e, true);
                QFAIL("not re-raised");
            }
        } catch (const TDerivedException &e) {
            caught = &e;
        }
        QVERIFY(thrown != nullptr);
        QCOMPARE(caught, thrown);
        QCOMPARE(capture.PayLoads(), QStringList{"Exception Class: EDerived - AddBook (Locked)"});
    }

    void exceptionReraiseOutsideHandler()
    {
        LogCapture capture;
        const Exception original(QStringLiteral("Outside"));
        QVERIFY_THROWS_EXCEPTION(Exception, Logger->Send("X", original, true));
        try {
            Logger->Send("X", original, true);
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("Outside"));
        }
    }

    void exceptionWithoutReraiseCarriesOn()
    {
        LogCapture capture;
        try {
            throw std::runtime_error("disk");
        } catch (const std::exception &e) {
            Logger->Send(QStringLiteral("DatamoduleCreate"), e, false);
        }
        QCOMPARE(capture.PayLoads(), QStringList{"Exception Class: std::runtime_error - DatamoduleCreate (disk)"});
    }

    void disabledDoesNothing()
    {
        TMorvikDataModule module;
        LogCapture capture;
        Logger->SetEnabled(false);
        capture.Clear();
        Logger->EnterMethod(&module, "A");
        QCOMPARE(Logger->CallStackDepth(), 0);
        Logger->ExitMethod("A");
        Logger->Send("x");
        Logger->Send("x %d", QVariantList{QStringLiteral("mismatch ignored")});
        Logger->Send("x", 1);
        Logger->SendSeparator("s");
        QVERIFY(!Logger->Trace(&module, "T"));
        try {
            throw Exception("e");
        } catch (const std::exception &e) {
            Logger->Send("x", e, true); // no re-raise while disabled
        }
        bool ran = false;
        Logger->Block(&module, "B", [&] { ran = true; });
        QVERIFY(ran);
        QCOMPARE(capture.Count(), 0);
        QCOMPARE(Logger->CallStackDepth(), 0);
        // The registry works whatever Enabled says.
        QVERIFY(Logger->TargetExists(capture.Code()));
    }

    void enabledSwitchFlushes()
    {
        LogCapture capture;
        Logger->SetEnabled(true); // same value: nothing
        QCOMPARE(capture.FlushCount(), 0);
        Logger->SetEnabled(false);
        QCOMPARE(capture.FlushCount(), 1);
        Logger->SetEnabled(false);
        QCOMPARE(capture.FlushCount(), 1);
        Logger->SetEnabled(true);
        QCOMPARE(capture.FlushCount(), 2);
    }

    void errorLevelsFlush_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("flushes");
        QTest::newRow("Error") << 0 << 1;
        QTest::newRow("Exception") << 1 << 1;
        QTest::newRow("Warning") << 2 << 0;
        QTest::newRow("Information") << 3 << 0;
        QTest::newRow("LogInternalError") << 7 << 0;
    }
    void errorLevelsFlush()
    {
        QFETCH(int, level);
        QFETCH(int, flushes);
        LogCapture capture;
        Logger->Send(static_cast<TLogLevel>(level), "x");
        QCOMPARE(capture.FlushCount(), flushes);
        Logger->FlushAllWrites();
        QCOMPARE(capture.FlushCount(), flushes + 1);
    }

    void levelFilterAndInactiveTargets()
    {
        TMorvikDataModule module;
        LogCapture all;
        LogCapture errorsOnly(QString(), TLogLevels{TLogLevel::Error});
        LogCapture inactive;
        inactive.Target()->SetActive(false);
        Logger->EnterMethod(&module, "A");
        Logger->Send(TLogLevel::Error, "bad");
        Logger->ExitMethod("A");
        QCOMPARE(all.Count(), 3);
        QCOMPARE(errorsOnly.PayLoads(), QStringList{"bad"});
        // The filtered target saw no enter line: its error line is not indented.
        QCOMPARE(errorsOnly.Captured().first().Indent, QString());
        QCOMPARE(all.Captured()[1].Indent, QStringLiteral(" "));
        QCOMPARE(inactive.Count(), 0);
        QCOMPARE(inactive.Target()->CurrentIndent(), 0);
    }

    void registry()
    {
        const int before = Logger->TargetCount();
        auto target = std::make_shared<TLogTarget>(QStringLiteral("REG"), QString());
        Logger->AddLogTarget(target);
        QCOMPARE(Logger->TargetCount(), before + 1);
        QVERIFY(Logger->TargetExists("REG"));
        QVERIFY(!Logger->TargetExists("reg")); // case-sensitive
        QCOMPARE(Logger->Target("REG"), ILogTargetPtr(target));

        auto duplicate = std::make_shared<TLogTarget>(QStringLiteral("REG"), QStringLiteral("Other"));
        QVERIFY_THROWS_EXCEPTION(Exception, Logger->AddLogTarget(duplicate));
        QCOMPARE(Logger->Target("REG"), ILogTargetPtr(target)); // old one kept
        QVERIFY_THROWS_EXCEPTION(Exception, Logger->AddDebugStringsTarget("REG"));

        Logger->RemoveLogTarget("REG");
        QVERIFY(!Logger->TargetExists("REG"));
        QCOMPARE(target.use_count(), 1); // the registry's reference is gone
        Logger->RemoveLogTarget("REG"); // unknown code: nothing
        QCOMPARE(Logger->TargetCount(), before);

        try {
            (void)Logger->Target("NOPE");
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("QUV.Logger LogTarget NOPE not found"));
        }
    }

    void addTargetsThroughLogger()
    {
        auto log = std::make_shared<TLog>();
        QCOMPARE(log->TargetCount(), 0);
        log->AddDebugStringsTarget("DBG");
        log->AddEventViewerTarget("EVT", QString(), false);
        QCOMPARE(log->Target("DBG")->SenderName(), QStringLiteral("QUV.Logger (DBG)"));
        auto event = std::dynamic_pointer_cast<TEventLogTarget>(log->Target("EVT"));
        QVERIFY(event);
        QCOMPARE(event->EventSource(), QStringLiteral("QUV.Logger"));
        QCOMPARE(log->TargetCount(), 2);
    }

    void targetErrorsReachCaller()
    {
        auto log = std::make_shared<TLog>();
        log->AddLogTarget(std::make_shared<TFailingTarget>("FAIL", QString()));
        QVERIFY_THROWS_EXCEPTION(Exception, log->Send("x"));
    }

    void privateLoggerClosingLine()
    {
        auto log = std::make_shared<TLog>();
        auto target = std::make_shared<TCaptureLogTarget>("C", QString());
        log->AddLogTarget(target);
        log->Send("one");
        log.reset();
        QCOMPARE(target->Captured.size(), 2);
        QCOMPARE(target->Captured.last().PayLoad, QStringLiteral("Logger has been closed down."));
        QCOMPARE(target->Captured.last().Level, TLogLevel::Information);
        QCOMPARE(target.use_count(), 1);
    }

    void disabledLoggerWritesNoClosingLine()
    {
        auto log = std::make_shared<TLog>();
        auto target = std::make_shared<TCaptureLogTarget>("C", QString());
        log->AddLogTarget(target);
        log->SetEnabled(false);
        log.reset();
        QCOMPARE(target->Captured.size(), 0);
    }

    void tracerClosesWithDuration()
    {
        QDateTime now = kFixedNow;
        QUV::SetClock([&] { return now; });
        TMorvikDataModule module;
        LogCapture capture;
        {
            auto tracer = Logger->Trace(&module, "AddBook");
            QVERIFY(tracer);
            QCOMPARE(Logger->CallStackDepth(), 1);
            now = now.addMSecs(15);
            QCOMPARE(tracer->CurrentDuration(), qint64(15));
            Logger->Send("inside");
        }
        QUV::SetClock([] { return kFixedNow; }); // before "now" goes out of scope
        QCOMPARE(Logger->CallStackDepth(), 0);
        QCOMPARE(capture.IndentedPayLoads(),
                 (QStringList{"+Enter method AddBook of class TMorvikDataModule", " inside",
                              "-Exit method AddBook of class TMorvikDataModule - (15 ms)"}));
    }

    void tracerClosesDuringUnwinding()
    {
        TMorvikDataModule module;
        LogCapture capture;
        bool caught = false;
        try {
            auto tracer = Logger->Trace(&module, "ProduceBook");
            Logger->EnterMethod(&module, "Nested");
            auto inner = Logger->Trace(nullptr, "Inner");
            throw Exception(QStringLiteral("copy failed"));
        } catch (const Exception &) {
            caught = true;
        }
        QVERIFY(caught);
        // The inner tracer closes "Inner", the outer one pops the open "Nested"
        // bracket (the one above it): brackets close innermost first.
        QCOMPARE(capture.PayLoads(),
                 (QStringList{"+Enter method ProduceBook of class TMorvikDataModule",
                              "+Enter method Nested of class TMorvikDataModule", "+Enter method Inner",
                              "-Exit method Inner - (0 ms)",
                              "-Exit method Nested of class TMorvikDataModule - (0 ms)"}));
        QCOMPARE(Logger->CallStackDepth(), 1);
    }

    void tracerSwallowsTargetErrorsDuringUnwinding()
    {
        auto failing = std::make_shared<TFailingTarget>("FAILTRACE", QString());
        bool caught = false;
        try {
            auto tracer = Logger->Trace(nullptr, "X");
            Logger->AddLogTarget(failing); // the exit line will fail to write
            throw Exception(QStringLiteral("original"));
        } catch (const Exception &e) {
            caught = e.Message() == QStringLiteral("original");
        }
        Logger->RemoveLogTarget("FAILTRACE");
        QVERIFY(caught);
    }

    void blockNormal()
    {
        TMorvikDataModule module;
        LogCapture capture;
        int runs = 0;
        Logger->Block(&module, "Reload", [&] {
            ++runs;
            Logger->Send("work");
        });
        QCOMPARE(runs, 1);
        QCOMPARE(capture.IndentedPayLoads(),
                 (QStringList{"+Enter method Reload of class TMorvikDataModule", " work",
                              "-Exit method Reload of class TMorvikDataModule - Reload"}));
    }

    void blockException()
    {
        TMorvikDataModule module;
        LogCapture capture;
        const void *thrown = nullptr;
        const void *caught = nullptr;
        try {
            Logger->Block(&module, "Reload", [&] {
                static Exception failure(QStringLiteral("locked"));
                thrown = &failure;
                throw failure;
            });
        } catch (const Exception &e) {
            caught = &e;
            QCOMPARE(e.Message(), QStringLiteral("locked"));
        }
        QVERIFY(caught != nullptr);
        QVERIFY(thrown != caught); // thrown by value: a copy, as "throw failure" makes
        QCOMPARE(capture.PayLoads(),
                 (QStringList{"+Enter method Reload of class TMorvikDataModule",
                              "Exception Class: Exception - Failed in log block (locked)",
                              "-Exit method Reload of class TMorvikDataModule - Reload"}));
        QCOMPARE(Logger->CallStackDepth(), 0);
    }

    void logLevelsSet()
    {
        QCOMPARE(TLogLevels::All().Bits(), quint16(0x01FF));
        TLogLevels levels{TLogLevel::Error, TLogLevel::Exception, TLogLevel::Warning};
        QCOMPARE(levels.Bits(), quint16(0x0007));
        QVERIFY(levels.Contains(TLogLevel::Warning));
        QVERIFY(!levels.Contains(TLogLevel::Debug));
        levels.Include(TLogLevel::Debug).Exclude(TLogLevel::Error);
        QCOMPARE(levels.Bits(), quint16(0x0106));
        QCOMPARE(sizeof(TLogLevels), sizeof(quint16));
        QCOMPARE(sizeof(TLogLevel), size_t(1));
        QCOMPARE(LogLevelName(TLogLevel::LogInternalError), QStringLiteral("LOGINTERNAL"));
    }

    void messageObject()
    {
        const TLogMessage message(TLogLevel::Warning, QStringLiteral("H"), QStringLiteral("P"));
        QCOMPARE(message.Level(), TLogLevel::Warning);
        QCOMPARE(message.Header(), QStringLiteral("H"));
        QCOMPARE(message.PayLoad(), QStringLiteral("P"));
    }
};

QTEST_GUILESS_MAIN(TestLog)
#include "tst_log.moc"
