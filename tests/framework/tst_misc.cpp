// Unit QUV.Misc and the two items of QUV.Windows it needs.

#include "QUV.Misc.h"
#include "TestFiles.h"
#include "QUV.Types.h"
#include "QUV.Windows.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <csignal>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using namespace QUV;

// ------------------------------------------------------------ invoke targets

class TInvokeBase : public QObject
{
    Q_OBJECT
public:
    QStringList Calls;
    Q_INVOKABLE QString Describe(int AValue)
    {
        Calls << QStringLiteral("base Describe");
        return QStringLiteral("base %1").arg(AValue);
    }
    Q_INVOKABLE QString OnlyInBase() { return QStringLiteral("base only"); }
};

class TInvokeTarget : public TInvokeBase
{
    Q_OBJECT
public:
    Q_INVOKABLE int Add(int A, int B)
    {
        Calls << QStringLiteral("Add");
        return A + B;
    }
    Q_INVOKABLE QString Verb() { return QStringLiteral("no arguments"); }
    Q_INVOKABLE QString Verb(const QString &AWhat) { return QStringLiteral("one: ") + AWhat; }
    Q_INVOKABLE QVariant Echo(const QVariant &AValue) { return AValue; }
    Q_INVOKABLE void Touch(const QString &AWhat) { Calls << QStringLiteral("Touch ") + AWhat; }
    Q_INVOKABLE QString Describe(int AValue)
    {
        Calls << QStringLiteral("derived Describe");
        return QStringLiteral("derived %1").arg(AValue);
    }
    Q_INVOKABLE double Half(double AValue) { return AValue / 2; }
    Q_INVOKABLE QString Fail() { throw Exception(QStringLiteral("inside")); }
    // Not invokable by name: plain member, private slot.
    QString Plain() { return QStringLiteral("plain"); }
public slots:
    QString Slot(int A) { return QStringLiteral("slot %1").arg(A); }
private slots:
    QString Hidden() { return QStringLiteral("hidden"); }
};

// ------------------------------------------------------------ test

using TestFiles::FileBytes;
using TestFiles::WriteBytes;

class TestMisc : public QObject
{
    Q_OBJECT

    QTemporaryDir FDir;
    QString FTrash;

    QString Path(const QString &AName) const { return FDir.filePath(AName); }

    static QByteArray RandomBytes(qsizetype ASize)
    {
        QByteArray bytes(ASize, Qt::Uninitialized);
        QRandomGenerator gen(42);
        for (qsizetype i = 0; i < ASize; ++i)
            bytes[i] = char(gen.generate() & 0xFF);
        return bytes;
    }

    static QStringList Leftovers(const QString &AFolder)
    {
        return QDir(AFolder).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        // Keep the trash of the copy tests inside the test folder (same file
        // system as the files, so the home trash below XDG_DATA_HOME is used).
        qputenv("XDG_DATA_HOME", QFile::encodeName(Path(QStringLiteral("xdg-data"))));
        QVERIFY(QDir().mkpath(Path(QStringLiteral("xdg-data"))));
        FTrash = Path(QStringLiteral("xdg-data/Trash/files"));
    }

    void cleanup() { SetSleepProc({}); }

    // -------------------------------------------------------- Retry

    void retry_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("succeedAt"); // 0: never
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("sleeps");
        QTest::newRow("never succeeds: 3 calls, 3 sleeps") << 3 << 0 << false << 3 << 3;
        QTest::newRow("first attempt succeeds") << 3 << 1 << true << 1 << 0;
        QTest::newRow("third attempt succeeds") << 3 << 3 << true << 3 << 2;
        QTest::newRow("count 1 failing") << 1 << 0 << false << 1 << 1;
        QTest::newRow("count 0") << 0 << 1 << false << 0 << 0;
        QTest::newRow("50 attempts, 50th succeeds") << 50 << 50 << true << 50 << 49;
    }
    void retry()
    {
        QFETCH(int, count);
        QFETCH(int, succeedAt);
        QFETCH(bool, result);
        QFETCH(int, calls);
        QFETCH(int, sleeps);
        QList<int> pauses;
        SetSleepProc([&](int ms) { pauses << ms; });
        QList<int> attempts;
        const bool ok = Retry(count, 2000, [&](int AAttempt, bool &ASuccess) {
            QVERIFY(!ASuccess); // starts false on every attempt
            attempts << AAttempt;
            ASuccess = AAttempt == succeedAt;
        });
        QCOMPARE(ok, result);
        QCOMPARE(attempts.size(), calls);
        for (int i = 0; i < attempts.size(); ++i)
            QCOMPARE(attempts.at(i), i + 1);
        QCOMPARE(pauses.size(), sleeps);
        for (int ms : pauses)
            QCOMPARE(ms, 2000);
    }

    void retryWithoutPauseSleepsZero()
    {
        QList<int> pauses;
        SetSleepProc([&](int ms) { pauses << ms; });
        int calls = 0;
        QVERIFY(!Retry(2, [&](int, bool &) { ++calls; }));
        QCOMPARE(calls, 2);
        QCOMPARE(pauses, QList<int>({0, 0}));
    }

    void retryRealSleep()
    {
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!Retry(3, 40, [](int, bool &) {}));
        QVERIFY2(timer.elapsed() >= 115, qPrintable(QString::number(timer.elapsed())));
    }

    void retryLetsExceptionsThrough()
    {
        int calls = 0;
        SetSleepProc([](int) {});
        QVERIFY_THROWS_EXCEPTION(Exception, Retry(3, 10, [&](int, bool &) {
            ++calls;
            throw Exception(QStringLiteral("boom"));
        }));
        QCOMPARE(calls, 1);
    }

    // -------------------------------------------------------- Variants

    void ifThenVariant()
    {
        QCOMPARE(IfThenVariant(true, 1, QStringLiteral("x")), QVariant(1));
        QCOMPARE(IfThenVariant(false, 1, QStringLiteral("x")), QVariant(QStringLiteral("x")));
        QVERIFY(!IfThenVariant(false, 1, QVariant()).isValid());
    }

    void singularOrPlural_data()
    {
        QTest::addColumn<double>("count");
        QTest::addColumn<QString>("expected");
        QTest::newRow("1") << 1.0 << "kopia";
        QTest::newRow("1.9") << 1.9 << "kopia";
        QTest::newRow("0") << 0.0 << "kopior";
        QTest::newRow("2") << 2.0 << "kopior";
        QTest::newRow("0.99") << 0.99 << "kopior";
        QTest::newRow("20") << 20.0 << "kopior";
        QTest::newRow("-1") << -1.0 << "kopior";
        QTest::newRow("-1.5") << -1.5 << "kopior";
    }
    void singularOrPlural()
    {
        QFETCH(double, count);
        QFETCH(QString, expected);
        QCOMPARE(SingularOrPlural(QStringLiteral("kopia"), QStringLiteral("kopior"), count).toString(), expected);
    }

    // -------------------------------------------------------- Sizes and durations

    void formatFileSize_data()
    {
        QTest::addColumn<quint64>("size");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << quint64(0) << "-";
        QTest::newRow("1") << quint64(1) << "1 b";
        QTest::newRow("512") << quint64(512) << "512 b";
        QTest::newRow("1023") << quint64(1023) << "1023 b";
        QTest::newRow("1024") << quint64(1024) << "1,0 Kb";
        QTest::newRow("1280 rounds half up") << quint64(1280) << "1,3 Kb";
        QTest::newRow("2048") << quint64(2048) << "2,0 Kb";
        QTest::newRow("just below 1 Mb, no group separator") << quint64(1048575) << "1024,0 Kb";
        QTest::newRow("1048576") << quint64(1048576) << "1,0 Mb";
        QTest::newRow("700 Mb") << quint64(734003200) << "700,0 Mb";
        QTest::newRow("1073741824") << quint64(1073741824) << "1,0 Gb";
        QTest::newRow("4 GiB, past 32 bits") << quint64(4294967296ULL) << "4,0 Gb";
        QTest::newRow("DVD image") << quint64(4700372992ULL) << "4,4 Gb";
        QTest::newRow("BluRay dual layer") << quint64(50050629632ULL) << "46,6 Gb";
        QTest::newRow("8 TiB") << quint64(8796093022208ULL) << "8192,0 Gb";
    }
    void formatFileSize()
    {
        QFETCH(quint64, size);
        QFETCH(QString, expected);
        QCOMPARE(FormatFileSize(size), expected);
    }

    void formatDuration_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<double>("dayLength");
        QTest::addColumn<QString>("expected");
        const int h = 3600, m = 60;
        QTest::newRow("flags 0, 1 h 5 min") << 0 << (1 * h + 5 * m) << 24.0 << "1h 5m";
        QTest::newRow("flags 0, 26 h") << 0 << 26 * h << 24.0 << "26h";
        QTest::newRow("flags 0, 45 s") << 0 << 45 << 24.0 << "";
        QTest::newRow("flags 0, 3 days 1 min") << 0 << (72 * h + 1 * m) << 24.0 << "72h 1m";
        QTest::newRow("flags 0, 5 min") << 0 << 5 * m << 24.0 << "5m";
        QTest::newRow("flags 1, 1 h 5 min") << 1 << (1 * h + 5 * m) << 24.0 << "1h 5m";
        QTest::newRow("flags 1, 26 h") << 1 << 26 * h << 24.0 << "1d 2h";
        QTest::newRow("flags 1, 24 h") << 1 << 24 * h << 24.0 << "1d";
        QTest::newRow("flags 1, 23 h 59 min") << 1 << (23 * h + 59 * m) << 24.0 << "23h 59m";
        QTest::newRow("flags 1, 49 h 30 min") << 1 << (49 * h + 30 * m) << 24.0 << "2d 1h 30m";
        QTest::newRow("flags 1, 1 day 5 min") << 1 << (24 * h + 5 * m) << 24.0 << "1d 5m";
        QTest::newRow("flags 1, 30 days") << 1 << 30 * 24 * h << 24.0 << "30d";
        QTest::newRow("flags 1, 45 s") << 1 << 45 << 24.0 << "";
        QTest::newRow("flags 1, day length 8, 26 h") << 1 << 26 * h << 8.0 << "3d 2h";
        QTest::newRow("flags 1, day length 8, 20 h") << 1 << 20 * h << 8.0 << "2d 4h";
        QTest::newRow("flags 1, day length 7.5, 8 h") << 1 << 8 * h << 7.5 << "1d 30m";
        QTest::newRow("flags 1, day length 0 counts as 24") << 1 << 26 * h << 0.0 << "1d 2h";
        QTest::newRow("flags 2, 1 h 0 min 7 s") << 2 << (1 * h + 7) << 24.0 << "1h 7s";
        QTest::newRow("flags 2, 45 s") << 2 << 45 << 24.0 << "45s";
        QTest::newRow("flags 2, 26 h 1 min 1 s") << 2 << (26 * h + 61) << 24.0 << "26h 1m 1s";
        QTest::newRow("flags 3, 26 h 5 s") << 3 << (26 * h + 5) << 24.0 << "1d 2h 5s";
        QTest::newRow("zero") << 3 << 0 << 24.0 << "";
        QTest::newRow("negative") << 3 << -3600 << 24.0 << "";
    }
    void formatDuration()
    {
        QFETCH(int, flags);
        QFETCH(int, seconds);
        QFETCH(double, dayLength);
        QFETCH(QString, expected);
        const TDateTime duration = seconds / 86400.0;
        QCOMPARE(FormatDuration(flags, duration, dayLength), expected);
    }

    void formatDurationFromDateTimes()
    {
        // As the report's data module computes it: a difference of two TDateTimes.
        const TDateTime from = ToDateTime(QDateTime(QDate(2024, 3, 1), QTime(8, 0)));
        const TDateTime to = ToDateTime(QDateTime(QDate(2024, 3, 2), QTime(10, 15)));
        QCOMPARE(FormatDuration(1, to - from, 24), QStringLiteral("1d 2h 15m"));
        QCOMPARE(FormatDuration(0, to - from, 24), QStringLiteral("26h 15m"));
    }

    // -------------------------------------------------------- MD5

    void fileMD5_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("digest");
        QTest::newRow("empty file") << QByteArray() << "d41d8cd98f00b204e9800998ecf8427e";
        QTest::newRow("abc") << QByteArray("abc") << "900150983cd24fb0d6963f7d28e17f72";
        QTest::newRow("rfc 1321 digits")
            << QByteArray("12345678901234567890123456789012345678901234567890123456789012345678901234567890")
            << "57edf4a22be3c955ac49da2e2107b67a";
        const QByteArray big = RandomBytes(9 * 1024 * 1024 + 17); // several read chunks
        QTest::newRow("9 MiB") << big
                               << QString::fromLatin1(QCryptographicHash::hash(big, QCryptographicHash::Md5).toHex());
    }
    void fileMD5()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, digest);
        const QString name = Path(QStringLiteral("md5.bin"));
        QVERIFY(WriteBytes(name, bytes));
        QCOMPARE(FileMD5(name), digest);
    }

    void fileMD5OfUnreadableIsEmpty()
    {
        QCOMPARE(FileMD5(Path(QStringLiteral("missing.bin"))), QString());
        QCOMPARE(FileMD5(FDir.path()), QString()); // a folder
        QCOMPARE(FileMD5(QString()), QString());
    }

    void sameDigests_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        const QString d = QStringLiteral("900150983cd24fb0d6963f7d28e17f72");
        QTest::newRow("equal") << d << d << true;
        QTest::newRow("different") << d << QStringLiteral("d41d8cd98f00b204e9800998ecf8427e") << false;
        QTest::newRow("two unreadable files are no match") << QString() << QString() << false;
        QTest::newRow("unreadable source") << QString() << d << false;
        QTest::newRow("unreadable destination") << d << QString() << false;
    }
    void sameDigests()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(SameDigests(a, b), same);
    }

    // -------------------------------------------------------- CopyFile

    void copyFileCopiesAndVerifies()
    {
        const QByteArray bytes = RandomBytes(5 * 1024 * 1024 + 3);
        const QString source = Path(QStringLiteral("copy-src.iso"));
        const QString destination = Path(QStringLiteral("copy-out/dst.iso"));
        QVERIFY(QDir().mkpath(Path(QStringLiteral("copy-out"))));
        QVERIFY(WriteBytes(source, bytes));
        QVERIFY(CopyFile(source, destination, false, true));
        QCOMPARE(FileBytes(destination), bytes);
        QCOMPARE(FileMD5(destination), FileMD5(source));
        QVERIFY(Leftovers(Path(QStringLiteral("copy-out"))).isEmpty());
    }

    void copyEmptyFile()
    {
        const QString source = Path(QStringLiteral("empty-src"));
        QVERIFY(WriteBytes(source, QByteArray()));
        QVERIFY(CopyFile(source, Path(QStringLiteral("empty-dst")), false, true));
        QCOMPARE(QFileInfo(Path(QStringLiteral("empty-dst"))).size(), 0);
    }

    void copyHonoursUmaskForNewFile()
    {
        const QString source = Path(QStringLiteral("perm-src"));
        QVERIFY(WriteBytes(source, "x"));
        const mode_t old = ::umask(022);
        const bool ok = CopyFile(source, Path(QStringLiteral("perm-dst")), false, false);
        ::umask(old);
        QVERIFY(ok);
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(Path(QStringLiteral("perm-dst"))).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0644);
    }

    void copyWithoutOverwriteReplacesWritableDestination()
    {
        // As described: without overwrite the destination is created anew,
        // an existing (writable) file is replaced.
        const QString source = Path(QStringLiteral("nooverwrite-src"));
        const QString destination = Path(QStringLiteral("nooverwrite-dst"));
        QVERIFY(WriteBytes(source, "new content"));
        QVERIFY(WriteBytes(destination, "older and longer content"));
        QVERIFY(CopyFile(source, destination, false, false));
        QCOMPARE(FileBytes(destination), QByteArray("new content"));
    }

    void copyOntoReadOnlyWithoutOverwriteFails()
    {
        const QString source = Path(QStringLiteral("ro-src"));
        const QString destination = Path(QStringLiteral("ro-dst-1"));
        QVERIFY(WriteBytes(source, "new"));
        QVERIFY(WriteBytes(destination, "old"));
        QVERIFY(QFile::setPermissions(destination, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        try {
            CopyFile(source, destination, false, false);
            QFAIL("no exception");
        } catch (const Exception &e) {
            QVERIFY2(e.Message().startsWith(QStringLiteral("QUV.Misc.CopyFile failed, cannot create ")),
                     qPrintable(e.Message()));
        }
        QCOMPARE(FileBytes(destination), QByteArray("old"));
        QVERIFY(Leftovers(FDir.path()).isEmpty());
    }

    void copyOntoReadOnlyWithOverwriteTrashesIt()
    {
        const QString source = Path(QStringLiteral("ro-src2"));
        const QString destination = Path(QStringLiteral("ro-dst-2"));
        QVERIFY(WriteBytes(source, "new"));
        QVERIFY(WriteBytes(destination, "old"));
        QVERIFY(QFile::setPermissions(destination, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(CopyFile(source, destination, true, true));
        QCOMPARE(FileBytes(destination), QByteArray("new"));
        QCOMPARE(FileBytes(FTrash + QStringLiteral("/ro-dst-2")), QByteArray("old"));
    }

    void copyFromMissingSourceFails()
    {
        const QString destination = Path(QStringLiteral("never-created"));
        QVERIFY_THROWS_EXCEPTION(Exception, CopyFile(Path(QStringLiteral("no-such-source")), destination, true, true));
        QVERIFY(!QFileInfo::exists(destination));
    }

    void copyIntoMissingFolderFails()
    {
        const QString source = Path(QStringLiteral("src-for-missing-folder"));
        QVERIFY(WriteBytes(source, "x"));
        QVERIFY_THROWS_EXCEPTION(Exception, CopyFile(source, Path(QStringLiteral("no/such/folder/x")), false, false));
    }

    void copyVerifyMismatchIsRaised()
    {
        // The source is a pipe that is gone once read: its digest can't be
        // taken, and an empty digest must not pass for a match.
        const QString fifo = Path(QStringLiteral("vanishing.fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        std::thread writer([fifo] {
            QFile f(fifo);
            if (f.open(QIODevice::WriteOnly)) {
                f.write("content of the pipe");
                f.flush();
                ::unlink(QFile::encodeName(fifo).constData()); // gone before the reader sees its end
                f.close();
            }
        });
        const QString destination = Path(QStringLiteral("from-fifo"));
        QString message;
        try {
            CopyFile(fifo, destination, false, true);
        } catch (const Exception &e) {
            message = e.Message();
        }
        writer.join();
        QCOMPARE(message, QStringLiteral("QUV.Misc.CopyFile failed, checksum mismatch on verify"));
        // The verification failure leaves the copy in place.
        QCOMPARE(FileBytes(destination), QByteArray("content of the pipe"));
    }

    void interruptedCopyLeavesNothingUnderTheRealName()
    {
        // A child process copies from a pipe that delivers part of the data
        // and then stalls; it is killed in the middle of the copy.
        const QString fifo = Path(QStringLiteral("stall.fifo"));
        const QString folder = Path(QStringLiteral("killed-copy"));
        QVERIFY(QDir().mkpath(folder));
        const QString destination = folder + QStringLiteral("/image.iso");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MORVIK_TST_COPY_SOURCE"), fifo);
        env.insert(QStringLiteral("MORVIK_TST_COPY_DESTINATION"), destination);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());

        QFile pipe(fifo);
        QVERIFY(pipe.open(QIODevice::WriteOnly));
        QCOMPARE(pipe.write(RandomBytes(256 * 1024)), 256 * 1024);
        QVERIFY(pipe.flush());
        // Wait until the bytes have arrived in the temporary file.
        QTRY_VERIFY_WITH_TIMEOUT(!Leftovers(folder).isEmpty()
                                     && QFileInfo(folder + QLatin1Char('/') + Leftovers(folder).first()).size() > 0,
                                 5000);
        QVERIFY(!QFileInfo::exists(destination));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(5000));
        pipe.close();
        QVERIFY(!QFileInfo::exists(destination));
    }

    // -------------------------------------------------------- Patterns

    void sizeOfMatchingFiles_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<quint64>("size");
        QTest::newRow("*.iso, without case, hidden included, folders not") << "*.iso" << quint64(10 + 20 + 7);
        QTest::newRow("single file") << "a.iso" << quint64(10);
        QTest::newRow("single file is exact") << "A.iso" << quint64(0);
        QTest::newRow("?.txt") << "?.txt" << quint64(5);
        QTest::newRow("*.* is everything") << "*.*" << quint64(10 + 20 + 7 + 5 + 3);
        QTest::newRow("* is everything") << "*" << quint64(10 + 20 + 7 + 5 + 3);
        QTest::newRow("brackets are literal") << "[x]*" << quint64(3);
        QTest::newRow("no match") << "*.pdf" << quint64(0);
    }
    void sizeOfMatchingFiles()
    {
        QFETCH(QString, pattern);
        QFETCH(quint64, size);
        const QString folder = Path(QStringLiteral("sizes"));
        if (!QFileInfo::exists(folder)) {
            QVERIFY(QDir().mkpath(folder + QStringLiteral("/d.iso")));
            QVERIFY(WriteBytes(folder + QStringLiteral("/a.iso"), QByteArray(10, 'a')));
            QVERIFY(WriteBytes(folder + QStringLiteral("/b.ISO"), QByteArray(20, 'b')));
            QVERIFY(WriteBytes(folder + QStringLiteral("/.hidden.iso"), QByteArray(7, 'h')));
            QVERIFY(WriteBytes(folder + QStringLiteral("/c.txt"), QByteArray(5, 'c')));
            QVERIFY(WriteBytes(folder + QStringLiteral("/[x].dat"), QByteArray(3, 'x')));
        }
        QCOMPARE(SizeOfMatchingFiles(folder + QLatin1Char('/') + pattern), size);
    }

    void sizeOfMatchingFilesMissingFolder()
    {
        QCOMPARE(SizeOfMatchingFiles(Path(QStringLiteral("nowhere/*.iso"))), quint64(0));
    }

    void sizesPast4GiB()
    {
        // A sparse 5 GiB image: no disc space needed.
        const QString name = Path(QStringLiteral("big/huge.iso"));
        QVERIFY(QDir().mkpath(Path(QStringLiteral("big"))));
        const quint64 size = 5ULL * 1024 * 1024 * 1024 + 1;
        {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(qint64(size)));
        }
        QVERIFY(WriteBytes(Path(QStringLiteral("big/small.iso")), QByteArray(100, 's')));
        QCOMPARE(SizeOfMatchingFiles(name), size);
        QCOMPARE(SizeOfMatchingFiles(Path(QStringLiteral("big/*.iso"))), size + 100);
        QCOMPARE(FormatFileSize(SizeOfMatchingFiles(name)), QStringLiteral("5,0 Gb"));
    }

    void fileExistsInFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("exact name") << "movie" << "V1234.iso" << true;
        QTest::newRow("missing name") << "movie" << "V9.iso" << false;
        QTest::newRow("wildcard without case") << "movie" << "V*.ISO" << true;
        QTest::newRow("wildcard no match") << "movie" << "X*.ISO" << false;
        QTest::newRow("folder part of the name is ignored") << "movie" << "/elsewhere/V1234.iso" << true;
        QTest::newRow("sub folder counts") << "movie" << "sub" << true;
        QTest::newRow("missing folder") << "no-such-folder" << "V*.ISO" << false;
        QTest::newRow("marker file") << "movie" << "*.processing" << true;
    }
    void fileExistsInFolder()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(bool, exists);
        const QString movie = Path(QStringLiteral("movie"));
        if (!QFileInfo::exists(movie)) {
            QVERIFY(QDir().mkpath(movie + QStringLiteral("/sub")));
            QVERIFY(WriteBytes(movie + QStringLiteral("/V1234.iso"), "iso"));
            QVERIFY(WriteBytes(movie + QStringLiteral("/x.processing"), ""));
        }
        QCOMPARE(FileExistsInFolder(Path(folder), name), exists);
    }

    void createEmptyFile()
    {
        const QString name = Path(QStringLiteral("empty.marker"));
        CreateEmptyFile(name);
        QVERIFY(QFileInfo::exists(name));
        QCOMPARE(QFileInfo(name).size(), 0);
        QVERIFY(WriteBytes(name, "content"));
        CreateEmptyFile(name);
        QCOMPARE(QFileInfo(name).size(), 0);
        QVERIFY_THROWS_EXCEPTION(Exception, CreateEmptyFile(Path(QStringLiteral("no/folder/x"))));
    }

    // -------------------------------------------------------- MIME table

    void mimesDictionary_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("mime");
        QTest::addColumn<QString>("friendlyName");
        QTest::newRow("jpg") << "jpg" << "image/jpeg" << "JPeg Image";
        QTest::newRow("jpeg") << "jpeg" << "image/jpeg" << "JPeg Image";
        QTest::newRow("js as listed") << "js" << "image/js" << "Javascript file";
        QTest::newRow("dot") << "dot" << "application/msword" << "MS Word";
        QTest::newRow("dotm") << "dotm" << "application/vnd.ms-word.template.macroEnabled.12" << "MS Word Template";
        QTest::newRow("xla") << "xla" << "application/vnd.ms-excel" << "Excel";
        QTest::newRow("xlt") << "xlt" << "application/vnd.ms-excel" << "Excel Template";
        QTest::newRow("xltm") << "xltm" << "application/vnd.ms-excel.template.macroEnabled.12" << "Excel Template Macro";
        QTest::newRow("ppa") << "ppa" << "application/vnd.ms-powerpoint" << "Powerpoint";
        QTest::newRow("pot") << "pot" << "application/vnd.ms-powerpoint" << "Powerpoint Template";
        QTest::newRow("ppsm") << "ppsm" << "application/vnd.ms-powerpoint.slideshow.macroEnabled.12" << "Powerpoint";
        QTest::newRow("mdb") << "mdb" << "application/vnd.ms-access" << "Access Database";
        QTest::newRow("pdf") << "pdf" << "application/pdf" << "PDF Document";
    }
    void mimesDictionary()
    {
        QFETCH(QString, extension);
        QFETCH(QString, mime);
        QFETCH(QString, friendlyName);
        QVERIFY(MimesDictionary().contains(extension));
        QCOMPARE(MimesDictionary().value(extension).Mime, mime);
        QCOMPARE(MimesDictionary().value(extension).FriendlyName, friendlyName);
    }

    void mimesDictionaryHas34LowerCaseEntries()
    {
        QCOMPARE(MimesDictionary().size(), 34);
        for (auto it = MimesDictionary().cbegin(); it != MimesDictionary().cend(); ++it) {
            QCOMPARE(it.key(), it.key().toLower());
            QVERIFY(!it.key().startsWith(QLatin1Char('.')));
        }
        QVERIFY(!MimesDictionary().contains(QStringLiteral("iso")));
        const TMime mime = TMime::Create(QStringLiteral("a/b"), QStringLiteral("Name"));
        QCOMPARE(mime.Mime, QStringLiteral("a/b"));
        QCOMPARE(mime.FriendlyName, QStringLiteral("Name"));
    }

    // -------------------------------------------------------- InvokeByName

    void invokeByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<bool>("invoked");
        QTest::addColumn<QVariant>("result");
        const QVariant untouched = QStringLiteral("untouched");
        QTest::newRow("two ints") << "Add" << QVariantList{2, 3} << true << QVariant(5);
        QTest::newRow("name ignoring case") << "aDD" << QVariantList{2, 3} << true << QVariant(5);
        QTest::newRow("arguments converted") << "Add" << QVariantList{QStringLiteral("4"), 1.0} << true << QVariant(5);
        QTest::newRow("overload by count: none") << "Verb" << QVariantList{} << true
                                                 << QVariant(QStringLiteral("no arguments"));
        QTest::newRow("overload by count: one") << "verb" << QVariantList{QStringLiteral("x")} << true
                                                << QVariant(QStringLiteral("one: x"));
        QTest::newRow("no method with that count") << "Add" << QVariantList{1} << false << untouched;
        QTest::newRow("no method with that name") << "Subtract" << QVariantList{1, 2} << false << untouched;
        QTest::newRow("QVariant parameter and result") << "Echo" << QVariantList{QStringLiteral("v")} << true
                                                       << QVariant(QStringLiteral("v"));
        QTest::newRow("double") << "Half" << QVariantList{5} << true << QVariant(2.5);
        QTest::newRow("derived class first") << "Describe" << QVariantList{7} << true
                                             << QVariant(QStringLiteral("derived 7"));
        QTest::newRow("base class method") << "OnlyInBase" << QVariantList{} << true
                                           << QVariant(QStringLiteral("base only"));
        QTest::newRow("public slot") << "Slot" << QVariantList{3} << true << QVariant(QStringLiteral("slot 3"));
        QTest::newRow("private slot is not offered") << "Hidden" << QVariantList{} << false << untouched;
        QTest::newRow("plain member is not offered") << "Plain" << QVariantList{} << false << untouched;
        QTest::newRow("void method leaves the result") << "Touch" << QVariantList{QStringLiteral("a")} << true
                                                       << untouched;
        QTest::newRow("null argument gives the default") << "Add" << QVariantList{QVariant(), 1} << true
                                                         << QVariant(1);
    }
    void invokeByName()
    {
        QFETCH(QString, name);
        QFETCH(QVariantList, args);
        QFETCH(bool, invoked);
        QFETCH(QVariant, result);
        TInvokeTarget target;
        QVariant actual = QStringLiteral("untouched");
        QCOMPARE(TQUVDataModuleHelper::InvokeByName(&target, name, args, actual), invoked);
        QCOMPARE(actual, result);
        if (!invoked)
            QCOMPARE(target.Calls, QStringList());
    }

    void invokeByNameCallsOnce()
    {
        TInvokeTarget target;
        QVariant result;
        QVERIFY(TQUVDataModuleHelper::InvokeByName(&target, QStringLiteral("touch"), {QStringLiteral("b")}, result));
        QCOMPARE(target.Calls, QStringList{QStringLiteral("Touch b")});
        QVERIFY(!result.isValid());
    }

    void invokeByNameErrors()
    {
        TInvokeTarget target;
        QVariant result = 1;
        QVERIFY_THROWS_EXCEPTION(Exception, TQUVDataModuleHelper::InvokeByName(&target, QStringLiteral("Fail"), {}, result));
        QVERIFY_THROWS_EXCEPTION(Exception, TQUVDataModuleHelper::InvokeByName(
                                                &target, QStringLiteral("Add"), {QVariantList{1}, 2}, result));
        QCOMPARE(result, QVariant(1));
        QVERIFY(!TQUVDataModuleHelper::InvokeByName(nullptr, QStringLiteral("Add"), {1, 2}, result));
    }

    // -------------------------------------------------------- QUV.Windows

    void appFolder()
    {
        const QString folder = AppFolder();
        QVERIFY(folder.endsWith(QLatin1Char('/')));
        QCOMPARE(folder, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
        QVERIFY(QFileInfo::exists(folder + QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    }

    void deleteToRecycleBin()
    {
        const QString name = Path(QStringLiteral("to-trash.txt"));
        QVERIFY(WriteBytes(name, "trash me"));
        QVERIFY(DeleteToRecycleBin(name));
        QVERIFY(!QFileInfo::exists(name));
        QCOMPARE(FileBytes(FTrash + QStringLiteral("/to-trash.txt")), QByteArray("trash me"));
        QVERIFY(!DeleteToRecycleBin(name));
        QVERIFY(!DeleteToRecycleBin(QString()));
        QVERIFY(!DeleteToRecycleBin(Path(QStringLiteral("never/was"))));
    }
};

// The child process of interruptedCopyLeavesNothingUnderTheRealName.
static int CopyChild(const QString &ASource, const QString &ADestination)
{
    try {
        CopyFile(ASource, ADestination, false, false);
    } catch (const Exception &e) {
        fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("MORVIK_TST_COPY_SOURCE"))
        return CopyChild(qEnvironmentVariable("MORVIK_TST_COPY_SOURCE"),
                         qEnvironmentVariable("MORVIK_TST_COPY_DESTINATION"));
    QCoreApplication app(argc, argv);
    TestMisc test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_misc.moc"
