#include "ImageCopy.h"
#include "JobMetadata.h"
#include "LogCapture.h"
#include "TestFiles.h"
#include "MorvikDataModuleUnit.h"
#include "QUV.Dialogs.h"
#include "QUV.Helpers.h"
#include "QUV.Misc.h"
#include "RMF.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>
#include <QThreadPool>

using namespace TestFiles;

namespace {

QString ImportData(const QString &AName)
{
    return QStringLiteral(MORVIK_TEST_DATA "/import/") + AName;
}

const QDateTime kNow(QDate(2024, 6, 1), QTime(12, 30, 0));

} // namespace

// A fresh catalogue and folders per test; the database is checked through a
// connection of the test's own.
class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void totalTime_data();
    void totalTime();
    void metadataDate_data();
    void metadataDate();
    void setInfoAndType();

    void importFromJobFile_data();
    void importFromJobFile();
    void nothingImported_data();
    void nothingImported();
    void reimportUpdatesAndKeepsAdded();
    void imagesInLibraryCountButAreNotCopied();
    void missingImageCountsZero();
    void lockedDatabaseWritesOnSecondAttempt();
    void givesUpAfterFiftyAttempts();
    void interruptedCopyLeavesNoImage();
    void copiesRunInBackground();
    void copyKeepsImageAlreadyThere();
    void longValuesAreCut();

    void addMovieReplacesRow();
    void deleteBook_data();
    void deleteBook();
    void deleteBookInReportProgramSkipsMissingImages();

private:
    QString Folder(const QString &AName) const { return FDir->filePath(AName) + QLatin1Char('/'); }
    QString DatabaseFile() const { return Folder(QStringLiteral("db")) + QStringLiteral("morvik.sqlite"); }
    // The job fixture and an image beside it in the deliveries folder.
    QString Deliver(const QString &AFixture, const QString &AImage, const QByteArray &ABytes);
    // One row of books as column name -> value; empty when there is none.
    QVariantMap Book(const QString &AId);
    QList<QVariantList> Sql(const QString &AStatement, const QVariantList &AValues = {});
    int BookCount() { return Sql(QStringLiteral("select count(*) from books")).value(0).value(0).toInt(); }
    void WaitForCopies()
    {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TMorvikDataModule> FModule;
    std::unique_ptr<LogCapture> FLog;
    QList<int> FPauses;
    std::function<void()> FOnPause;
    QStringList FMessages;
};

void TestImport::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    for (const char *folder : {"db", "library", "books", "movies", "deliveries"})
        QVERIFY(QDir().mkpath(Folder(QLatin1String(folder))));

    const TSettingsPtr settings = TestFiles::CatalogueSettings(FDir->path());

    FPauses.clear();
    FOnPause = nullptr;
    QUV::SetSleepProc([this](int AMilliseconds) {
        FPauses << AMilliseconds;
        if (FOnPause)
            FOnPause();
    });
    FMessages.clear();
    QUV::SetMessageHandler([this](const QUV::TMessageRequest &ARequest) {
        FMessages << ARequest.Text;
        return int(QUV::mrOk);
    });
    QUV::SetClock([] { return kNow; });

    TMorvikDataModuleSetup setup;
    setup.Settings = settings;
    setup.ProgramFolder = FDir->path();
    FModule = std::make_unique<TMorvikDataModule>(TDataModuleFlavour::Library, setup);
    QVERIFY(!FModule->StartupFailed());
    FLog = std::make_unique<LogCapture>();
}

void TestImport::cleanup()
{
    WaitForCopies();
    ImageCopy::SetCopyRoutine({});
    FLog.reset();
    FModule.reset();
    QUV::SetSleepProc({});
    QUV::SetMessageHandler({});
    QUV::SetClock({});
    FDir.reset();
}

QString TestImport::Deliver(const QString &AFixture, const QString &AImage, const QByteArray &ABytes)
{
    const QString job = Folder(QStringLiteral("deliveries")) + AFixture;
    QFile::remove(job);
    if (!QFile::copy(ImportData(AFixture), job))
        qFatal("cannot copy fixture %s", qPrintable(AFixture));
    if (!AImage.isEmpty() && !WriteBytes(Folder(QStringLiteral("deliveries")) + AImage, ABytes))
        qFatal("cannot write image %s", qPrintable(AImage));
    return job;
}

QList<QVariantList> TestImport::Sql(const QString &AStatement, const QVariantList &AValues)
{
    return TestFiles::SqlRows(DatabaseFile(), AStatement, AValues);
}

QVariantMap TestImport::Book(const QString &AId)
{
    QVariantMap row;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(DatabaseFile());
        if (!db.open())
            qFatal("cannot open the catalogue");
        QSqlQuery query(db);
        query.prepare(QStringLiteral("select * from books where id = ?"));
        query.addBindValue(AId);
        if (query.exec() && query.next())
            for (int i = 0; i < query.record().count(); ++i)
                row.insert(query.record().fieldName(i), query.value(i));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return row;
}

// ---- Readers of the job file's metadata ----

void TestImport::totalTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seconds");
    QTest::newRow("05:10:20") << "05:10:20" << 18620;
    QTest::newRow("25:00:00 is not a time of day") << "25:00:00" << 0;
    QTest::newRow("24:00:00 is not a time of day") << "24:00:00" << 0;
    QTest::newRow("23:59:59") << "23:59:59" << 86399;
    QTest::newRow("no leading zeros") << "5:7:9" << 18429;
    QTest::newRow("hours and minutes") << "01:30" << 5400;
    QTest::newRow("fraction dropped") << "00:05:07.5" << 307;
    QTest::newRow("blanks around") << "  01:00:00 " << 3600;
    QTest::newRow("minutes out of range") << "01:60:00" << 0;
    QTest::newRow("seconds out of range") << "01:00:60" << 0;
    QTest::newRow("negative") << "-01:00:00" << 0;
    QTest::newRow("text") << "fem timmar" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("huge number") << "99999999999999:00:00" << 0;
    QTest::newRow("trailing text") << "01:00:00 h" << 0;
}

void TestImport::totalTime()
{
    QFETCH(QString, text);
    QFETCH(int, seconds);
    QCOMPARE(JobMetadata::TotalTimeSeconds(text), seconds);
}

void TestImport::metadataDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: not readable
    QTest::newRow("short date") << "2004-05-03" << QDate(2004, 5, 3);
    QTest::newRow("no leading zeros") << "1998-1-9" << QDate(1998, 1, 9);
    QTest::newRow("two-digit year") << "04-05-03" << QDate(2004, 5, 3);
    QTest::newRow("month and day, this year") << "05-03" << QDate(2024, 5, 3);
    QTest::newRow("month 13") << "2004-13-45" << QDate();
    QTest::newRow("30 February") << "2004-02-30" << QDate();
    QTest::newRow("other format") << "03/05/2004" << QDate();
    QTest::newRow("date and time") << "2004-05-03T10:00:00" << QDate();
    QTest::newRow("year only") << "2004" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void TestImport::metadataDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    TDate value = -1;
    QCOMPARE(JobMetadata::TryReadDate(text, value), date.isValid());
    if (date.isValid())
        QCOMPARE(value, QUV::ToDateTime(date));
}

void TestImport::setInfoAndType()
{
    QCOMPARE(JobMetadata::SetInfo(QStringLiteral("2 OF 3")), QStringLiteral("2 av 3"));
    QCOMPARE(JobMetadata::SetInfo(QStringLiteral(" 1 of 2\t")), QStringLiteral("1 av 2"));
    QCOMPARE(JobMetadata::SetInfo(QStringLiteral("1 Of 2")), QStringLiteral("1 av 2"));
    QCOMPARE(JobMetadata::BookType(QStringLiteral("c1234")), QStringLiteral("AUDIO"));
    QCOMPARE(JobMetadata::BookType(QStringLiteral("C1234")), QStringLiteral("AUDIO"));
    QCOMPARE(JobMetadata::BookType(QStringLiteral("V1234")), QStringLiteral("MOVIE"));
    QCOMPARE(JobMetadata::BookType(QString()), QStringLiteral("MOVIE"));
}

// ---- AddBook ----

void TestImport::importFromJobFile_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QVariantMap>("columns");

    const double today = QUV::ToDateTime(kNow.date());
    QTest::newRow("audio book")
        << "c1234.rmf" << "c1234"
        << QVariantMap{{"title", "Hästen och hans pojke"}, {"author", "Signe Ekvall"},
                       {"narrator", "Olle Brandt"}, {"description", "En bok om en häst."},
                       {"duration", "18620"}, {"diskset", "2 av 3"}, {"format", "Daisy 2.02"},
                       {"language", "sv"}, {"date", QUV::ToDateTime(QDate(2004, 5, 3))}, {"type", "AUDIO"}};
    QTest::newRow("malformed time and date, movie id")
        << "bad-values.rmf" << "V77"
        << QVariantMap{{"title", "Felaktiga värden"}, {"author", ""}, {"duration", "0"}, {"diskset", "1 av 1"},
                       {"date", today}, {"type", "MOVIE"}};
    QTest::newRow("missing keys, empty id")
        << "missing-keys.rmf" << ""
        << QVariantMap{{"title", "Bara en titel"}, {"author", ""}, {"narrator", ""}, {"duration", "0"},
                       {"diskset", ""}, {"language", ""}, {"date", today}, {"type", "MOVIE"}};
    QTest::newRow("UTF-16 job file")
        << "utf16.rmf" << "C42"
        << QVariantMap{{"title", "Ödets väg – del 2"}, {"duration", "307"},
                       {"date", QUV::ToDateTime(QDate(1998, 1, 9))}, {"type", "AUDIO"}};
    QTest::newRow("quotes and path characters in the id")
        << "odd-identifier.rmf" << "c'9\"/../../etc\\x"
        << QVariantMap{{"title", "Konstigt id"}, {"type", "AUDIO"}};
}

void TestImport::importFromJobFile()
{
    QFETCH(QString, fixture);
    QFETCH(QString, id);
    QFETCH(QVariantMap, columns);

    const QByteArray image = ImageBytes(70000, 3, 7);
    const QString job = Deliver(fixture, QStringLiteral("book.iso"), image);
    FModule->AddBook(job, Folder(QStringLiteral("deliveries")) + QStringLiteral("book.iso"));

    const QVariantMap row = Book(id);
    QVERIFY2(!row.isEmpty(), qPrintable(FLog->PayLoads().join(QLatin1Char('\n'))));
    QCOMPARE(BookCount(), 1);
    for (auto it = columns.cbegin(); it != columns.cend(); ++it) {
        if (it.value().typeId() == QMetaType::Double)
            QCOMPARE(row.value(it.key()).toDouble(), it.value().toDouble());
        else
            QCOMPARE(row.value(it.key()).toString(), it.value().toString());
    }
    QCOMPARE(row.value("rmf").toString(), QUV::LoadFromFile(job));
    QCOMPARE(row.value("isofiles").toString(), QStringLiteral("book.iso\r\n"));
    QCOMPARE(row.value("size").toLongLong(), qint64(image.size()));
    QVERIFY(!row.value("added").isNull());
    QVERIFY(FLog->Contains(QStringLiteral("Book was added successfully")));
    QVERIFY(FPauses.isEmpty());

    // The image reaches the library whole and nothing else is left there,
    // whatever the id holds.
    WaitForCopies();
    QCOMPARE(Entries(Folder(QStringLiteral("library"))), QStringList{QStringLiteral("book.iso")});
    QCOMPARE(FileBytes(Folder(QStringLiteral("library")) + QStringLiteral("book.iso")), image);
    QCOMPARE(Entries(FDir->path()), (QStringList{"books", "db", "deliveries", "library", "movies"}));
}

void TestImport::nothingImported_data()
{
    QTest::addColumn<QString>("job");
    QTest::newRow("blank title") << "blank-title.rmf";
    QTest::newRow("missing job file") << "";
}

void TestImport::nothingImported()
{
    QFETCH(QString, job);
    const QString path = job.isEmpty() ? Folder(QStringLiteral("deliveries")) + QStringLiteral("gone.rmf")
                                       : Deliver(job, QStringLiteral("book.iso"), ImageBytes(100, 1, 7));
    FModule->AddBook(path, Folder(QStringLiteral("deliveries")) + QStringLiteral("book.iso"));
    WaitForCopies();
    QCOMPARE(BookCount(), 0);
    QVERIFY(Entries(Folder(QStringLiteral("library"))).isEmpty());
    QVERIFY(!FLog->Contains(QStringLiteral("Attempt")));
    QVERIFY(FPauses.isEmpty());
    QCOMPARE(FLog->PayLoads(TLogLevel::EnterMethod),
             QStringList{QStringLiteral("+Enter method AddBook of class TMorvikDataModule")});
    QCOMPARE(FLog->PayLoads(TLogLevel::ExitMethod),
             QStringList{QStringLiteral("-Exit method AddBook of class TMorvikDataModule - AddBook")});
}

void TestImport::reimportUpdatesAndKeepsAdded()
{
    const QString iso = Folder(QStringLiteral("deliveries")) + QStringLiteral("c1234.iso");
    FModule->AddBook(Deliver(QStringLiteral("c1234.rmf"), QStringLiteral("c1234.iso"), ImageBytes(500, 1, 7)), iso);
    Sql(QStringLiteral("update books set added = '2001-02-03 04:05:06'"));

    // The same id delivered again with other values.
    QString text = QUV::LoadFromFile(ImportData(QStringLiteral("c1234.rmf")));
    text.replace(QStringLiteral("Hästen och hans pojke"), QStringLiteral("Hästen, ny utgåva"));
    text.replace(QStringLiteral("05:10:20"), QStringLiteral("01:00:00"));
    text.replace(QStringLiteral("Olle Brandt"), QStringLiteral("Eva Lund"));
    const QString job = Folder(QStringLiteral("deliveries")) + QStringLiteral("c1234-new.rmf");
    QUV::SaveToFile(text, job);
    QVERIFY(WriteBytes(iso, ImageBytes(800, 2, 7)));
    FModule->AddBook(job, iso);

    QCOMPARE(BookCount(), 1);
    const QVariantMap row = Book(QStringLiteral("c1234"));
    QCOMPARE(row.value("added").toString(), QStringLiteral("2001-02-03 04:05:06"));
    QCOMPARE(row.value("title").toString(), QStringLiteral("Hästen, ny utgåva"));
    QCOMPARE(row.value("narrator").toString(), QStringLiteral("Eva Lund"));
    QCOMPARE(row.value("duration").toString(), QStringLiteral("3600"));
    QCOMPARE(row.value("rmf").toString(), text);
    QCOMPARE(row.value("size").toLongLong(), 800);
}

void TestImport::imagesInLibraryCountButAreNotCopied()
{
    const QString deliveries = Folder(QStringLiteral("deliveries"));
    const QString library = Folder(QStringLiteral("library"));
    const QString job = Deliver(QStringLiteral("c1234.rmf"), QStringLiteral("c1234-1.iso"), ImageBytes(1000, 5, 7));
    // A Blu-ray sized second disc (sparse, so it costs no disk) whose image
    // the library already holds.
    {
        QFile big(deliveries + QStringLiteral("c1234-2.iso"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(qint64(5) << 30));
    }
    QVERIFY(WriteBytes(library + QStringLiteral("c1234-2.iso"), "already here"));

    FModule->AddBook(job, QStringList{deliveries + QStringLiteral("c1234-1.iso"), deliveries + QStringLiteral("c1234-2.iso")});
    WaitForCopies();

    const QVariantMap row = Book(QStringLiteral("c1234"));
    QCOMPARE(row.value("isofiles").toString(), QStringLiteral("c1234-1.iso\r\nc1234-2.iso\r\n"));
    QCOMPARE(row.value("size").toLongLong(), 1000 + (qint64(5) << 30));
    QCOMPARE(FileBytes(library + QStringLiteral("c1234-1.iso")), ImageBytes(1000, 5, 7));
    QCOMPARE(FileBytes(library + QStringLiteral("c1234-2.iso")), QByteArray("already here"));
    QCOMPARE(Entries(library), (QStringList{"c1234-1.iso", "c1234-2.iso"}));
}

void TestImport::missingImageCountsZero()
{
    const QString deliveries = Folder(QStringLiteral("deliveries"));
    const QString job = Deliver(QStringLiteral("c1234.rmf"), QStringLiteral("c1234-1.iso"), ImageBytes(300, 5, 7));
    FModule->AddBook(job, QStringList{deliveries + QStringLiteral("c1234-1.iso"), deliveries + QStringLiteral("vanished.iso")});
    WaitForCopies();

    const QVariantMap row = Book(QStringLiteral("c1234"));
    QCOMPARE(row.value("isofiles").toString(), QStringLiteral("c1234-1.iso\r\nvanished.iso\r\n"));
    QCOMPARE(row.value("size").toLongLong(), 300);
    QCOMPARE(Entries(Folder(QStringLiteral("library"))), QStringList{QStringLiteral("c1234-1.iso")});
}

void TestImport::lockedDatabaseWritesOnSecondAttempt()
{
    const QByteArray image = ImageBytes(4096, 9, 7);
    const QString job = Deliver(QStringLiteral("c1234.rmf"), QStringLiteral("c1234.iso"), image);

    // Another process's writer holds the file's write lock during the first
    // attempt and lets go in the pause after it.
    {
        QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
        locker.setDatabaseName(DatabaseFile());
        locker.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        QVERIFY(locker.open());
        QSqlQuery lock(locker);
        QVERIFY2(lock.exec(QStringLiteral("BEGIN IMMEDIATE")), qPrintable(lock.lastError().text()));
        FOnPause = [&locker]() {
            if (locker.isOpen()) {
                QSqlQuery(locker).exec(QStringLiteral("ROLLBACK"));
                locker.close();
            }
        };
        // Run from another folder, so that bare names would find nothing.
        const QString oldCurrent = QDir::currentPath();
        QDir::setCurrent(Folder(QStringLiteral("books")));
        FModule->AddBook(job, Folder(QStringLiteral("deliveries")) + QStringLiteral("c1234.iso"));
        QDir::setCurrent(oldCurrent);
        FOnPause = nullptr;
        locker.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));

    QCOMPARE(FPauses, QList<int>{2000});
    QCOMPARE(FLog->PayLoads().filter(QStringLiteral("Attempt=")), QStringList{QStringLiteral("Attempt=1")});
    QVERIFY(FLog->Contains(TLogLevel::Exception, QStringLiteral("AddBook")));
    QVERIFY(FLog->Contains(QStringLiteral("Id=c1234")));
    QVERIFY(FLog->Contains(QStringLiteral("Name=Hästen och hans pojke")));
    QCOMPARE(FLog->PayLoads().filter(QStringLiteral("Book was added successfully")).size(), 1);

    const QVariantMap row = Book(QStringLiteral("c1234"));
    QCOMPARE(row.value("isofiles").toString(), QStringLiteral("c1234.iso\r\n"));
    QCOMPARE(row.value("size").toLongLong(), qint64(image.size()));
    WaitForCopies();
    QCOMPARE(FileBytes(Folder(QStringLiteral("library")) + QStringLiteral("c1234.iso")), image);
}

void TestImport::givesUpAfterFiftyAttempts()
{
    const QString job = Deliver(QStringLiteral("c1234.rmf"), QStringLiteral("c1234.iso"), ImageBytes(10, 1, 7));
    Sql(QStringLiteral("alter table books rename to books_elsewhere"));
    FModule->AddBook(job, Folder(QStringLiteral("deliveries")) + QStringLiteral("c1234.iso"));
    Sql(QStringLiteral("alter table books_elsewhere rename to books"));

    QCOMPARE(FPauses, QList<int>(50, 2000));
    const QStringList attempts = FLog->PayLoads().filter(QStringLiteral("Attempt="));
    QCOMPARE(attempts.size(), 50);
    QCOMPARE(attempts.last(), QStringLiteral("Attempt=50"));
    QVERIFY(!FLog->Contains(QStringLiteral("Book was added successfully")));
    QCOMPARE(BookCount(), 0);
    QCOMPARE(FLog->PayLoads(TLogLevel::ExitMethod).size(), 1);
}

void TestImport::interruptedCopyLeavesNoImage()
{
    const QByteArray image = ImageBytes(64 * 1024, 4, 7);
    const QString iso = Folder(QStringLiteral("deliveries")) + QStringLiteral("c1234.iso");
    const QString job = Deliver(QStringLiteral("c1234.rmf"), QStringLiteral("c1234.iso"), image);

    // The copy writes half of the image, then the disk fails.
    ImageCopy::SetCopyRoutine([](const QString &ASource, const QString &ADestination) {
        QFile in(ASource);
        QFile out(ADestination);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            throw Exception(QStringLiteral("cannot open"));
        out.write(in.read(in.size() / 2));
        throw Exception(QStringLiteral("No space left on device"));
    });
    FModule->AddBook(job, iso);
    WaitForCopies();
    QCOMPARE(BookCount(), 1);
    QVERIFY(Entries(Folder(QStringLiteral("library"))).isEmpty());
    QVERIFY(FLog->Contains(TLogLevel::Warning, QStringLiteral("No space left on device")));

    // The next import of the book finds the image missing and copies it.
    ImageCopy::SetCopyRoutine({});
    FModule->AddBook(job, iso);
    WaitForCopies();
    QCOMPARE(Entries(Folder(QStringLiteral("library"))), QStringList{QStringLiteral("c1234.iso")});
    QCOMPARE(FileBytes(Folder(QStringLiteral("library")) + QStringLiteral("c1234.iso")), image);
}

void TestImport::copiesRunInBackground()
{
    const QByteArray image = ImageBytes(32 * 1024, 6, 7);
    const QString iso = Folder(QStringLiteral("deliveries")) + QStringLiteral("c1234.iso");
    const QString job = Deliver(QStringLiteral("c1234.rmf"), QStringLiteral("c1234.iso"), image);

    // A copy that takes as long as the test wants.
    QSemaphore release;
    const auto letGo = qScopeGuard([&release] { release.release(); });
    ImageCopy::SetCopyRoutine([&release](const QString &ASource, const QString &ADestination) {
        release.acquire();
        QUV::CopyFile(ASource, ADestination, false, false);
    });
    FModule->AddBook(job, iso);

    // The import is done and the window free while the image is on its way.
    QCOMPARE(BookCount(), 1);
    QVERIFY(!QFileInfo::exists(Folder(QStringLiteral("library")) + QStringLiteral("c1234.iso")));
    QVERIFY(ImageCopy::IsPending(Folder(QStringLiteral("library")) + QStringLiteral("c1234.iso")));
    // An import of the same book meanwhile starts no second copy.
    FModule->AddBook(job, iso);

    // Enough for a second copy too, so that one would show as a failed
    // rename below instead of a hang.
    release.release(2);
    QTRY_COMPARE(FileBytes(Folder(QStringLiteral("library")) + QStringLiteral("c1234.iso")), image);
    WaitForCopies();
    QCOMPARE(Entries(Folder(QStringLiteral("library"))), QStringList{QStringLiteral("c1234.iso")});
    QVERIFY(!FLog->Contains(TLogLevel::Warning, QStringLiteral("could not be copied")));
}

void TestImport::copyKeepsImageAlreadyThere()
{
    // An image that reached the library while the copy ran is not replaced.
    const QString source = Folder(QStringLiteral("deliveries")) + QStringLiteral("a.iso");
    const QString target = Folder(QStringLiteral("library")) + QStringLiteral("a.iso");
    QVERIFY(WriteBytes(source, "new"));
    QVERIFY(WriteBytes(target, "there first"));
    QVERIFY_THROWS_EXCEPTION(Exception, ImageCopy::CopyImage(source, target, ImageCopy::TExisting::Keep));
    QCOMPARE(FileBytes(target), QByteArray("there first"));
    QCOMPARE(Entries(Folder(QStringLiteral("library"))), QStringList{QStringLiteral("a.iso")});

    ImageCopy::CopyImage(source, target, ImageCopy::TExisting::Replace);
    QCOMPARE(FileBytes(target), QByteArray("new"));
    QCOMPARE(Entries(Folder(QStringLiteral("library"))), QStringList{QStringLiteral("a.iso")});
}

void TestImport::longValuesAreCut()
{
    const QString title = QStringLiteral("T") + QString(2999, QLatin1Char('x'));
    const QString id = QStringLiteral("c") + QString(2999, QLatin1Char('9'));
    const QString job = Folder(QStringLiteral("deliveries")) + QStringLiteral("long.rmf");
    QUV::SaveToFile(QStringLiteral("[MergeMetaData]\r\ndc:identifier = %1\r\ndc:title = %2\r\ndc:description = %2\r\n")
                        .arg(id, title),
                    job);
    FModule->AddBook(job, QStringList{});

    const QVariantMap row = Book(id.left(2047));
    QCOMPARE(row.value("title").toString(), title.left(2047));
    QCOMPARE(row.value("description").toString(), title.left(2047));
    QCOMPARE(row.value("isofiles").toString(), QString());
    QCOMPARE(row.value("size").toLongLong(), 0);
    QCOMPARE(row.value("rmf").toString().size(), QUV::LoadFromFile(job).size());
}

// ---- AddMovie ----

void TestImport::addMovieReplacesRow()
{
    const TTime duration = (1 * 3600 + 23 * 60 + 45) / 86400.0;
    const QString image = Folder(QStringLiteral("movies")) + QStringLiteral("V100/V100.ISO");
    FModule->AddMovie(QStringLiteral("V100"), QStringLiteral("Film"), QStringLiteral("Regi"), duration, image);
    Sql(QStringLiteral("update books set added = '2001-02-03 04:05:06', narrator = 'kvar?'"));
    FModule->AddMovie(QStringLiteral("V100"), QStringLiteral("Film två"), QStringLiteral("Regi två"), duration, image);

    QCOMPARE(BookCount(), 1);
    const QVariantMap row = Book(QStringLiteral("V100"));
    QCOMPARE(row.value("title").toString(), QStringLiteral("Film två"));
    QCOMPARE(row.value("author").toString(), QStringLiteral("Regi två"));
    QCOMPARE(row.value("duration").toString(), QStringLiteral("1899-12-30 01:23:45"));
    QCOMPARE(row.value("type").toString(), QStringLiteral("MOVIE"));
    QCOMPARE(row.value("isofiles").toString(), image);
    QCOMPARE(row.value("rmf").toString(), TRMF::Create()
                                             ->SetId(QStringLiteral("V100"))
                                             ->SetTitle(QStringLiteral("Film två"))
                                             ->SetAuthor(QStringLiteral("Regi två"))
                                             ->SetDuration(duration)
                                             ->AsString());
    QVERIFY(row.value("added").toString() != QStringLiteral("2001-02-03 04:05:06"));
    for (const char *column : {"narrator", "description", "diskset", "format", "date", "language", "size"})
        QVERIFY2(row.value(column).isNull(), column);
}

// ---- DeleteBook ----

void TestImport::deleteBook_data()
{
    QTest::addColumn<QString>("isofiles");
    QTest::addColumn<QStringList>("present");    // files made before, paths under the test folder
    QTest::addColumn<QStringList>("remaining");  // files left after
    QTest::addColumn<bool>("rowDeleted");

    QTest::newRow("two images")
        << "a.iso\r\nb.iso\r\n" << QStringList{"library/a.iso", "library/b.iso", "library/other.iso"}
        << QStringList{"library/other.iso"} << true;
    QTest::newRow("first image missing")
        << "a.iso\r\nb.iso\r\n" << QStringList{"library/b.iso"} << QStringList{"library/b.iso"} << false;
    QTest::newRow("second image missing")
        << "a.iso\r\nb.iso\r\n" << QStringList{"library/a.iso"} << QStringList{"library/a.iso"} << false;
    QTest::newRow("parent folder refused")
        << "a.iso\r\n../db/morvik.sqlite\r\n" << QStringList{"library/a.iso"} << QStringList{"library/a.iso"} << false;
    QTest::newRow("sub folder refused")
        << "sub/x.iso\r\n" << QStringList{"library/sub/x.iso"} << QStringList{"library/sub/x.iso"} << false;
    QTest::newRow("absolute path refused")
        << "$DIR/outside.iso\r\n" << QStringList{"outside.iso"} << QStringList{"outside.iso"} << false;
}

void TestImport::deleteBook()
{
    QFETCH(QString, isofiles);
    QFETCH(QStringList, present);
    QFETCH(QStringList, remaining);
    QFETCH(bool, rowDeleted);

    isofiles.replace(QStringLiteral("$DIR"), FDir->path());
    for (const QString &file : present)
        QVERIFY(WriteBytes(FDir->filePath(file), "image"));
    Sql(QStringLiteral("insert into books ( id, title, isofiles ) values ( 'c1', 'T', ? )"), {isofiles});
    Sql(QStringLiteral("insert into productions ( id, produced, copies ) values ( 'c1', '2024-01-01 10:00:00', 2 )"));

    FModule->DeleteBook(QStringLiteral("c1"));

    for (const QString &file : present)
        QCOMPARE(QFileInfo::exists(FDir->filePath(file)), remaining.contains(file));
    QVERIFY(QFileInfo::exists(DatabaseFile()));
    QCOMPARE(BookCount(), rowDeleted ? 0 : 1);
    QCOMPARE(Sql(QStringLiteral("select count(*) from productions")).value(0).value(0).toInt(), 1);
    QCOMPARE(FLog->Contains(TLogLevel::Warning, QStringLiteral("Error deleting book ISO file: ")), !rowDeleted);
}

void TestImport::deleteBookInReportProgramSkipsMissingImages()
{
    QVERIFY(WriteBytes(Folder(QStringLiteral("library")) + QStringLiteral("b.iso"), "image"));
    Sql(QStringLiteral("insert into books ( id, title, isofiles ) values ( 'c1', 'T', 'a.iso\r\nb.iso\r\n' )"));
    TMorvikDataModuleSetup setup;
    setup.Settings = FModule->Settings();
    setup.ProgramFolder = FDir->path();
    TMorvikDataModule report(TDataModuleFlavour::Report, setup);
    report.DeleteBook(QStringLiteral("c1"));
    QVERIFY(Entries(Folder(QStringLiteral("library"))).isEmpty());
    QCOMPARE(BookCount(), 0);
    QVERIFY(!FLog->Contains(TLogLevel::Warning, QStringLiteral("Error deleting book ISO file: ")));
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
