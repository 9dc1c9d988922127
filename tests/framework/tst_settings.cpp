// The settings file "morvik.conf" of unit Enums.

#include "Enums.h"
#include "QUV.Misc.h"
#include "QUV.Types.h"
#include "QUV.Windows.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <sys/types.h>
#include <unistd.h>

namespace {

QString Fixture(const QString &AName)
{
    return QStringLiteral(MORVIK_TEST_DATA "/settings/") + AName;
}

QByteArray ReadBytes(const QString &AFileName)
{
    QFile f(AFileName);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

void WriteBytes(const QString &AFileName, const QByteArray &ABytes)
{
    QFile f(AFileName);
    if (f.open(QIODevice::WriteOnly))
        f.write(ABytes);
}

// The document the save-loop child writes as version ACounter: many members,
// all holding the counter, so a reader can tell a whole version from a mix.
TSettingsPtr LoopDocument(int ACounter)
{
    auto settings = std::make_shared<TSettings>();
    settings->SetI({QStringLiteral("Counter")}, ACounter);
    for (int i = 0; i < 3000; ++i)
        settings->SetS({QStringLiteral("Payload"), QStringLiteral("Member %1").arg(i)},
                       QStringLiteral("Värde %1 för bibliotekets inställningar").arg(ACounter));
    settings->SetB({QStringLiteral("Complete")}, true);
    return settings;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir FDir;
    QString FFile;

    QString Path(const QString &AName) const { return FDir.filePath(AName); }
    void UseFixture(const QString &AName) { QVERIFY(QFile::copy(Fixture(AName), FFile)); }

    static QString Message(const std::function<void()> &AAction)
    {
        try {
            AAction();
        } catch (const Exception &e) {
            return e.Message();
        }
        return QStringLiteral("<no exception>");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        // The program's file name, before the seam points it elsewhere.
        QCOMPARE(ConfigFileName(), QUV::AppFolder() + QStringLiteral("morvik.conf"));
        QVERIFY(ConfigFileName().startsWith(QLatin1Char('/')));
        FFile = Path(QStringLiteral("morvik.conf"));
        SetConfigFileName(FFile);
        QCOMPARE(ConfigFileName(), FFile);
    }

    void cleanup()
    {
        QUV::SetSleepProc({});
        QFile::remove(FFile);
        QDir(FFile).removeRecursively();
    }

    // -------------------------------------------------------- Reading

    void missingFileReadsDefaults()
    {
        TSettingsPtr settings = ReadConfigFile();
        QVERIFY(settings);
        QCOMPARE(settings->Names(), QStringList());
        QCOMPARE(settings->S({"Paths", "Database Folder"}), QString());
        QCOMPARE(settings->S({"Paths", "Books Folder"}), QString());
        QCOMPARE(settings->S({"morvik", "Library Name"}), QString());
        QCOMPARE(settings->I({"morvik", "sortOrder"}), 0);
        QVERIFY(!settings->Has({"morvik", "sortOrder"}));
        QVERIFY(!settings->B({"reports", "onlyFromLibrary"}));
        QVERIFY(!settings->Has({"reports"}));
        QVERIFY(!settings->Has({"library", "Left"}));
        QVERIFY(settings->O({"producers"})->Members().empty());
        QVERIFY(!QFileInfo::exists(FFile)); // reading never creates the file
    }

    void firstSaveCreatesTheFile()
    {
        TSettingsPtr settings = ReadConfigFile();
        settings->SetI({"morvik", "sortOrder"}, 1);
        settings->Save();
        QVERIFY(QFileInfo::exists(FFile));
        QCOMPARE(ReadConfigFile()->I({"morvik", "sortOrder"}), 1);
        QCOMPARE(ReadBytes(FFile), QByteArray("{\r\n  \"morvik\": {\r\n    \"sortOrder\": 1\r\n  }\r\n}\r\n"));
    }

    void readsFixture()
    {
        UseFixture(QStringLiteral("morvik.conf"));
        TSettingsPtr s = ReadConfigFile();
        QCOMPARE(s->S({"Paths", "Database Folder"}), QStringLiteral("   "));
        QCOMPARE(s->S({"Paths", "Image File Folder"}), QStringLiteral("/srv/Morvik 4/Library"));
        QCOMPARE(s->S({"morvik", "Library Name"}), QStringLiteral("Stadsbiblioteket i Västerås"));
        QCOMPARE(s->S({"morvik", "Department Name"}), QStringLiteral("Talboksavdelningen – € och åäö"));
        QCOMPARE(s->I({"morvik", "sortOrder"}), 2);
        QVERIFY(s->B({"reports", "onlyFromLibrary"}));
        QCOMPARE(s->I({"library", "Left"}), 120);
        QCOMPARE(s->I({"library", "Top"}), -5);
        QCOMPARE(s->I64({"service", "Large"}), Q_INT64_C(9007199254740993));
        QCOMPARE(s->Names(), QStringList({"Paths", "morvik", "reports", "library", "producers", "service"}));
    }

    void producersInFileOrder()
    {
        UseFixture(QStringLiteral("morvik.conf"));
        TSettingsPtr producers = ReadConfigFile()->O({"producers"});
        QStringList names, types, labels;
        for (const auto &[name, producer] : producers->Members()) {
            names << name;
            types << producer->S({"Type"});
            labels << producer->S({"Label File"});
        }
        QCOMPARE(names, QStringList({"Zeta robot", "Alpha robot", "Mid printer"}));
        QCOMPARE(types.first(), QStringLiteral("{ec781d69-e288-42b9-9f0d-da8c5b8ef80b}"));
        QCOMPARE(labels, QStringList({"/srv/labels/zeta.lbl", "/srv/labels/alpha.lbl", ""}));
        QCOMPARE(producers->Names(), names);
    }

    void typeMismatchesReadAsEmpty_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<bool>("has");
        QTest::addColumn<QString>("s");
        QTest::addColumn<int>("i");
        QTest::addColumn<bool>("b");
        QTest::newRow("text as integer and Boolean") << QStringList{"morvik", "Library Name"} << true
                                                     << "Stadsbiblioteket i Västerås" << 0 << false;
        QTest::newRow("integer as text") << QStringList{"morvik", "sortOrder"} << true << "" << 2 << false;
        QTest::newRow("Boolean as text and integer") << QStringList{"reports", "onlyFromLibrary"} << true << "" << 0
                                                     << true;
        QTest::newRow("float truncated") << QStringList{"service", "Threshold"} << true << "" << 0 << false;
        QTest::newRow("large integer clamped") << QStringList{"service", "Large"} << true << "" << INT_MAX << false;
        QTest::newRow("array") << QStringList{"service", "Tags"} << true << "" << 0 << false;
        QTest::newRow("null is not present") << QStringList{"service", "Nothing"} << false << "" << 0 << false;
        QTest::newRow("object as value") << QStringList{"Paths"} << true << "" << 0 << false;
        QTest::newRow("missing member") << QStringList{"Paths", "Movies Folder"} << false << "" << 0 << false;
        QTest::newRow("missing object") << QStringList{"nothing", "here"} << false << "" << 0 << false;
        QTest::newRow("through a text") << QStringList{"morvik", "Library Name", "x"} << false << "" << 0 << false;
        QTest::newRow("through an array") << QStringList{"service", "Tags", "0"} << false << "" << 0 << false;
        QTest::newRow("through null") << QStringList{"service", "Nothing", "x"} << false << "" << 0 << false;
        QTest::newRow("empty path is the object") << QStringList{} << true << "" << 0 << false;
        QTest::newRow("empty member name") << QStringList{""} << false << "" << 0 << false;
    }
    void typeMismatchesReadAsEmpty()
    {
        QFETCH(QStringList, path);
        QFETCH(bool, has);
        QFETCH(QString, s);
        QFETCH(int, i);
        QFETCH(bool, b);
        UseFixture(QStringLiteral("morvik.conf"));
        TSettingsPtr settings = ReadConfigFile();
        QCOMPARE(settings->Has(path), has);
        QCOMPARE(settings->S(path), s);
        QCOMPARE(settings->I(path), i);
        QCOMPARE(settings->B(path), b);
    }

    void readingAnObjectCreatesItInMemoryOnly()
    {
        UseFixture(QStringLiteral("morvik.conf"));
        const QByteArray before = ReadBytes(FFile);
        const QDateTime modified = QFileInfo(FFile).lastModified();
        TSettingsPtr settings = ReadConfigFile();
        TSettingsPtr extra = settings->O({"extra", "inner"});
        QVERIFY(extra->Members().empty());
        QVERIFY(settings->Has({"extra"}));
        QVERIFY(settings->Has({"extra", "inner"}));
        QCOMPARE(settings->Names().last(), QStringLiteral("extra"));
        // A reader never writes the file.
        QCOMPARE(ReadBytes(FFile), before);
        QCOMPARE(QFileInfo(FFile).lastModified(), modified);
        QVERIFY(!ReadConfigFile()->Has({"extra"}));
        // Saved only when a save follows.
        settings->Save();
        QVERIFY(ReadBytes(FFile).endsWith("  \"extra\": {\r\n    \"inner\": {}\r\n  }\r\n}\r\n"));
    }

    void objectOfAnotherTypeIsLeftAlone()
    {
        UseFixture(QStringLiteral("morvik.conf"));
        TSettingsPtr settings = ReadConfigFile();
        TSettingsPtr notAnObject = settings->O({"morvik", "sortOrder"});
        QVERIFY(notAnObject->Members().empty());
        QCOMPARE(notAnObject->S({"x"}), QString());
        QCOMPARE(settings->I({"morvik", "sortOrder"}), 2);
        // A null member reads as missing and becomes an empty object.
        TSettingsPtr wasNull = settings->O({"service", "Nothing"});
        QVERIFY(settings->Has({"service", "Nothing"}));
        QVERIFY(wasNull->Names().isEmpty());
    }

    void viewsShareTheDocument()
    {
        UseFixture(QStringLiteral("morvik.conf"));
        TSettingsPtr settings = ReadConfigFile();
        TSettingsPtr morvik = settings->O({"morvik"});
        morvik->SetS({"Library Name"}, QStringLiteral("Nytt namn"));
        QCOMPARE(settings->S({"morvik", "Library Name"}), QStringLiteral("Nytt namn"));
        settings->SetI({"morvik", "sortOrder"}, 0);
        QCOMPARE(morvik->I({"sortOrder"}), 0);
        QVERIFY(morvik->Has({"sortOrder"}));
        // A view outlives the object it came from.
        TSettingsPtr paths = ReadConfigFile()->O({"Paths"});
        QCOMPARE(paths->S({"Books Folder"}), QStringLiteral("/home/bibliotek/ZeltBooks"));
    }

    void eachReadIsIndependent()
    {
        UseFixture(QStringLiteral("morvik.conf"));
        TSettingsPtr first = ReadConfigFile();
        TSettingsPtr second = ReadConfigFile();
        first->SetS({"morvik", "Library Name"}, QStringLiteral("Ändrat"));
        QCOMPARE(second->S({"morvik", "Library Name"}), QStringLiteral("Stadsbiblioteket i Västerås"));
    }

    void utf8ByteOrderMarkIsHonoured()
    {
        UseFixture(QStringLiteral("utf8-bom.conf"));
        QCOMPARE(ReadConfigFile()->S({"morvik", "Library Name"}), QStringLiteral("Västerås"));
    }

    // -------------------------------------------------------- Setters

    void settersCreateAndReplace()
    {
        auto settings = std::make_shared<TSettings>();
        settings->SetS({"Paths", "Books Folder"}, QStringLiteral("/b"));
        settings->SetI({"morvik", "sortOrder"}, 1);
        settings->SetB({"reports", "onlyFromLibrary"}, false);
        settings->SetI({"library", "Left"}, -20);
        settings->SetI({"big"}, Q_INT64_C(5000000000));
        QCOMPARE(settings->Names(), QStringList({"Paths", "morvik", "reports", "library", "big"}));
        QVERIFY(settings->Has({"reports", "onlyFromLibrary"}));
        QVERIFY(!settings->B({"reports", "onlyFromLibrary"}));
        QCOMPARE(settings->I({"library", "Left"}), -20);
        QCOMPARE(settings->I64({"big"}), Q_INT64_C(5000000000));
        // Overwriting keeps the member's place; another type is replaced.
        settings->SetS({"Paths", "Books Folder"}, QStringLiteral("/c"));
        settings->SetS({"morvik", "sortOrder", "deeper"}, QStringLiteral("x"));
        QCOMPARE(settings->S({"morvik", "sortOrder", "deeper"}), QStringLiteral("x"));
        QCOMPARE(settings->Names(), QStringList({"Paths", "morvik", "reports", "library", "big"}));
        // An empty path changes nothing.
        settings->SetS({}, QStringLiteral("root"));
        QCOMPARE(settings->Names().size(), 5);
        QVERIFY(settings->Remove({"big"}));
        QVERIFY(!settings->Remove({"big"}));
        QVERIFY(!settings->Remove({"nothing", "here"}));
        QCOMPARE(settings->Names(), QStringList({"Paths", "morvik", "reports", "library"}));
    }

    // -------------------------------------------------------- Saving

    void saveRoundTripIsByteExact()
    {
        UseFixture(QStringLiteral("morvik.conf"));
        ReadConfigFile()->Save();
        QCOMPARE(ReadBytes(FFile), ReadBytes(Fixture(QStringLiteral("morvik.conf"))));
    }

    void saveFormat()
    {
        auto settings = std::make_shared<TSettings>();
        settings->SetS({"morvik", "Library Name"}, QStringLiteral("Åsa € Ω 中"));
        settings->SetS({"morvik", "Department Name"}, QStringLiteral("rad 1\nrad 2 \"citat\""));
        settings->SetS({QStringLiteral("Bibliotekets förråd")}, QStringLiteral("x"));
        settings->SaveToFile(FFile);
        const QByteArray bytes = ReadBytes(FFile);
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(bytes.contains("\"Library Name\": \"\xC5sa \x80 ? ?\""));
        QVERIFY(bytes.contains("\"Bibliotekets f\xF6rr\xE5""d\": \"x\""));
        QVERIFY(bytes.contains("\"rad 1\\nrad 2 \\\"citat\\\"\""));
        QVERIFY(bytes.endsWith("}\r\n"));
        QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));
        QCOMPARE(bytes.count("\r"), bytes.count("\r\n"));
        QVERIFY(bytes.count("\r\n") > 4); // indented: one member a line
        // Characters outside Windows-1252 are lost; the rest reads back.
        TSettingsPtr back = ReadConfigFile();
        QCOMPARE(back->S({"morvik", "Library Name"}), QStringLiteral("Åsa € ? ?"));
        QCOMPARE(back->S({"morvik", "Department Name"}), QStringLiteral("rad 1\nrad 2 \"citat\""));
        QCOMPARE(back->S({QStringLiteral("Bibliotekets förråd")}), QStringLiteral("x"));
    }

    void saveOfAMemberObjectWritesThatObject()
    {
        UseFixture(QStringLiteral("morvik.conf"));
        const QString other = Path(QStringLiteral("library-only.conf"));
        ReadConfigFile()->O({"library"})->SaveToFile(other);
        QCOMPARE(ReadBytes(other), QByteArray("{\r\n  \"Left\": 120,\r\n  \"Top\": -5\r\n}\r\n"));
    }

    void saveFailureRaisesAndKeepsNothingBehind()
    {
        auto settings = std::make_shared<TSettings>();
        settings->SetI({"a"}, 1);
        const QString message = Message([&] { settings->SaveToFile(Path(QStringLiteral("no/such/morvik.conf"))); });
        QVERIFY2(message.startsWith(QStringLiteral("Enums.TSettings.SaveToFile failed")), qPrintable(message));
        // A folder in the way of the file name.
        QVERIFY(QDir().mkpath(FFile));
        const QString second = Message([&] { settings->Save(); });
        QVERIFY2(second.startsWith(QStringLiteral("Enums.TSettings.SaveToFile failed")), qPrintable(second));
        QVERIFY(QFileInfo(FFile).isDir());
    }

    void writerOverwritesAnotherWritersChange()
    {
        // No merge and no lock: the later whole-file write wins.
        UseFixture(QStringLiteral("morvik.conf"));
        TSettingsPtr page = ReadConfigFile();
        TSettingsPtr window = ReadConfigFile();
        page->SetS({"morvik", "Library Name"}, QStringLiteral("Från sidan"));
        page->Save();
        window->SetI({"library", "Left"}, 5);
        window->Save();
        TSettingsPtr now = ReadConfigFile();
        QCOMPARE(now->I({"library", "Left"}), 5);
        QCOMPARE(now->S({"morvik", "Library Name"}), QStringLiteral("Stadsbiblioteket i Västerås"));
    }

    // -------------------------------------------------------- Failures

    void damagedFileFailsAfterThreeAttempts()
    {
        UseFixture(QStringLiteral("not-json.conf"));
        const QByteArray before = ReadBytes(FFile);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(Message([] { ReadConfigFile(); }), QStringLiteral("Misslyckades hämta inställningarna"));
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed >= 1450 && elapsed < 4000, qPrintable(QString::number(elapsed)));
        QCOMPARE(ReadBytes(FFile), before);
    }

    void failingReads_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("not a JSON object") << "array";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("cannot be opened (a folder)") << "folder";
        QTest::newRow("text after the object") << "trailing";
    }
    void failingReads()
    {
        QFETCH(QString, kind);
        if (kind == QLatin1String("array"))
            UseFixture(QStringLiteral("array.conf"));
        else if (kind == QLatin1String("empty"))
            WriteBytes(FFile, QByteArray());
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(FFile));
        else
            WriteBytes(FFile, "{\"a\": 1} x");
        QList<int> pauses;
        QUV::SetSleepProc([&](int ms) {
            if (ms > 0) // Retry's own pause is 0 here
                pauses << ms;
        });
        QCOMPARE(Message([] { ReadConfigFile(); }), QStringLiteral("Misslyckades hämta inställningarna"));
        QCOMPARE(pauses, QList<int>({500, 500, 500}));
    }

    void fileRepairedBetweenAttemptsIsRead()
    {
        // Another program finishing its write while we wait: the retry covers it.
        UseFixture(QStringLiteral("not-json.conf"));
        QList<int> pauses;
        QUV::SetSleepProc([&](int ms) {
            if (ms > 0) {
                pauses << ms;
                WriteBytes(FFile, "{\"morvik\": {\"sortOrder\": 2}}");
            }
        });
        QCOMPARE(ReadConfigFile()->I({"morvik", "sortOrder"}), 2);
        QCOMPARE(pauses, QList<int>({500}));
    }

    // -------------------------------------------------------- Crash safety

    void killedWriterLeavesAParseableFile()
    {
        // A child process saves the settings file over and over; it is killed
        // at random moments. Every time the file must be one whole version.
        const QString folder = Path(QStringLiteral("killed"));
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + QStringLiteral("/morvik.conf");
        LoopDocument(0)->SaveToFile(file);
        const qint64 size = QFileInfo(file).size();
        QVERIFY(size > 100000); // big enough to be caught in the middle of a write

        QRandomGenerator random(20240611);
        int maxCounter = 0;
        for (int round = 0; round < 25; ++round) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("MORVIK_TST_SAVE_LOOP"), file);
            env.insert(QStringLiteral("MORVIK_TST_SAVE_FROM"), QString::number(round * 1000 + 1));
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForStarted());
            // Even rounds: killed during the first saves; odd rounds: only
            // after a save has been completed, so the file does get replaced.
            const QByteArray awaited = round % 2 ? QByteArray("saved") : QByteArray("saving");
            QByteArray output;
            while (!output.contains(awaited)) {
                QVERIFY(child.waitForReadyRead(10000));
                output += child.readAllStandardOutput();
            }
            QThread::usleep(random.bounded(1, 15000));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(5000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            SetConfigFileName(file);
            TSettingsPtr settings;
            try {
                settings = ReadConfigFile();
            } catch (const Exception &e) {
                SetConfigFileName(FFile);
                QFAIL(qPrintable(QStringLiteral("round %1: %2").arg(round).arg(e.Message())));
            }
            SetConfigFileName(FFile);
            QVERIFY(settings->B({"Complete"}));
            const int counter = settings->I({"Counter"});
            if (round % 2)
                QVERIFY(counter > round * 1000); // this round's child replaced the file
            const QString expected = QStringLiteral("Värde %1 för bibliotekets inställningar").arg(counter);
            const auto payload = settings->O({"Payload"})->Members();
            QCOMPARE(int(payload.size()), 3000);
            for (const auto &member : payload)
                QCOMPARE(settings->S({"Payload", member.first}), expected);
            maxCounter = qMax(maxCounter, counter);
        }
        QVERIFY(maxCounter > 0); // the children did replace the file
    }
};

// The child of killedWriterLeavesAParseableFile: saves until killed and
// writes "saving" to stdout as its first save starts and "saved" after each.
static int SaveLoop(const QString &AFileName, int AFrom)
{
    for (int counter = AFrom;; ++counter) {
        TSettingsPtr settings = LoopDocument(counter);
        if (counter == AFrom) {
            std::fputs("saving\n", stdout);
            std::fflush(stdout);
        }
        settings->SaveToFile(AFileName);
        std::fputs("saved\n", stdout);
        std::fflush(stdout);
    }
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("MORVIK_TST_SAVE_LOOP"))
        return SaveLoop(qEnvironmentVariable("MORVIK_TST_SAVE_LOOP"),
                        qEnvironmentVariableIntValue("MORVIK_TST_SAVE_FROM"));
    QCoreApplication app(argc, argv);
    TestSettings test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings.moc"
