#include "ImageCopy.h"
#include "LogCapture.h"
#include "TestFiles.h"
#include "MorvikDataModuleUnit.h"
#include "QUV.Dialogs.h"
#include "QUV.Helpers.h"
#include "QUV.IniFiles.h"
#include "QUV.Log.h"
#include "QUV.Misc.h"
#include "RMF.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace TestFiles;

namespace {

QString ImportData(const QString &AName)
{
    return QStringLiteral(MORVIK_TEST_DATA "/import/") + AName;
}

QString LocalText(const QDateTime &AValue)
{
    return AValue.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

class TestOrders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void audioBookOrderKeepsStoredJob();
    void jobFileAppearsAfterImage();
    void orderWithoutStoredJob_data();
    void orderWithoutStoredJob();
    void bookFileMissing_data();
    void bookFileMissing();
    void unknownIdOrdersNothing();
    void failedCopyIsReported();
    void unwritableBooksFolderRaises();

    void produceMovie();
    void produceMovieErrors_data();
    void produceMovieErrors();

    void addProduction();
    void addTask();
    void dueTasks_data();
    void dueTasks();

private:
    QString Folder(const QString &AName) const { return FDir->filePath(AName) + QLatin1Char('/'); }
    QString DatabaseFile() const { return Folder(QStringLiteral("db")) + QStringLiteral("morvik.sqlite"); }
    QList<QVariantList> Sql(const QString &AStatement, const QVariantList &AValues = {});
    // A catalogued book: its row and its image in the library.
    void Catalogue(const QString &AId, const QString &AType, const QVariant &ARmf, const QByteArray &AImage,
                   const QString &AImageName);
    QStringList DueTaskIds();
    void WaitForCopies()
    {
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }

    QTemporaryDir FHome;
    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TMorvikDataModule> FModule;
    std::unique_ptr<LogCapture> FLog;
    QStringList FMessages;
};

void TestOrders::initTestCase()
{
    // A replaced movie copy goes to the trash: the test's own, not the user's.
    QVERIFY(FHome.isValid());
    qputenv("XDG_DATA_HOME", FHome.path().toUtf8());
}

void TestOrders::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    for (const char *folder : {"db", "library", "books", "movies"})
        QVERIFY(QDir().mkpath(Folder(QLatin1String(folder))));

    const TSettingsPtr settings = TestFiles::CatalogueSettings(FDir->path());

    FMessages.clear();
    QUV::SetMessageHandler([this](const QUV::TMessageRequest &ARequest) {
        FMessages << ARequest.Text;
        return int(QUV::mrOk);
    });

    TMorvikDataModuleSetup setup;
    setup.Settings = settings;
    setup.ProgramFolder = FDir->path();
    FModule = std::make_unique<TMorvikDataModule>(TDataModuleFlavour::Library, setup);
    QVERIFY(!FModule->StartupFailed());
    FLog = std::make_unique<LogCapture>();
}

void TestOrders::cleanup()
{
    WaitForCopies();
    ImageCopy::SetCopyRoutine({});
    FLog.reset();
    FModule.reset();
    QUV::SetMessageHandler({});
    QUV::SetClock({});
    FDir.reset();
}

QList<QVariantList> TestOrders::Sql(const QString &AStatement, const QVariantList &AValues)
{
    return TestFiles::SqlRows(DatabaseFile(), AStatement, AValues);
}

void TestOrders::Catalogue(const QString &AId, const QString &AType, const QVariant &ARmf, const QByteArray &AImage,
                           const QString &AImageName)
{
    Sql(QStringLiteral("insert into books ( id, title, author, narrator, type, rmf, isofiles ) "
                       "values ( ?, 'Hästen och hans pojke', 'Signe Ekvall', 'Olle Brandt', ?, ?, ? )"),
        {AId, AType, ARmf, AImageName + QStringLiteral("\r\n")});
    if (!AImage.isNull())
        QVERIFY(WriteBytes(Folder(QStringLiteral("library")) + AImageName, AImage));
}

// ---- ProduceBook ----

void TestOrders::audioBookOrderKeepsStoredJob()
{
    const QByteArray image = ImageBytes(300000, 7, 13);
    Catalogue(QStringLiteral("c1234"), QStringLiteral("AUDIO"), QUV::LoadFromFile(ImportData(QStringLiteral("c1234.rmf"))),
              image, QStringLiteral("c1234.iso"));

    QVERIFY(FModule->ProduceBook(QStringLiteral("c1234"), 7));
    WaitForCopies();

    const QString books = Folder(QStringLiteral("books"));
    QCOMPARE(Entries(books), (QStringList{"c1234.iso", "c1234.rmf"}));
    QCOMPARE(FileBytes(books + QStringLiteral("c1234.rmf")), FileBytes(ImportData(QStringLiteral("c1234-order.rmf"))));
    QCOMPARE(FileBytes(books + QStringLiteral("c1234.iso")), image);
    QVERIFY(FMessages.isEmpty());
    // An order records no production.
    QCOMPARE(Sql(QStringLiteral("select count(*) from productions")).value(0).value(0).toInt(), 0);

    // A second order for the same image replaces both files.
    FModule->ProduceBook(QStringLiteral("c1234"), 2);
    WaitForCopies();
    QCOMPARE(Entries(books), (QStringList{"c1234.iso", "c1234.rmf"}));
    QVERIFY(FileBytes(books + QStringLiteral("c1234.rmf")).contains("\r\ncopies=2\r\n"));
    QCOMPARE(FileBytes(books + QStringLiteral("c1234.iso")), image);
}

void TestOrders::jobFileAppearsAfterImage()
{
    const QByteArray image = ImageBytes(100000, 1, 13);
    Catalogue(QStringLiteral("c1"), QStringLiteral("AUDIO"), QVariant(QMetaType(QMetaType::QString)), image,
              QStringLiteral("c1.iso"));

    // The copy is held half way until the test lets it go on.
    QSemaphore started, release;
    // Never leave the copy waiting, whatever the checks below find.
    const auto letGo = qScopeGuard([&release] { release.release(); });
    ImageCopy::SetCopyRoutine([&](const QString &ASource, const QString &ADestination) {
        QFile in(ASource);
        QFile out(ADestination);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            throw Exception(QStringLiteral("cannot open"));
        out.write(in.read(in.size() / 2));
        out.flush();
        started.release();
        release.acquire();
        out.write(in.readAll());
    });
    FModule->ProduceBook(QStringLiteral("c1"), 3);
    QVERIFY(started.tryAcquire(1, 30000));

    // What the robot looks for is not there yet.
    const QString books = Folder(QStringLiteral("books"));
    QVERIFY(!QFileInfo::exists(books + QStringLiteral("c1.rmf")));
    QVERIFY(!QFileInfo::exists(books + QStringLiteral("c1.iso")));
    for (const QString &name : Entries(books))
        QVERIFY2(ImageCopy::IsTemporaryName(name), qPrintable(name));

    release.release();
    QTRY_VERIFY(QFileInfo::exists(books + QStringLiteral("c1.rmf")));
    QCOMPARE(FileBytes(books + QStringLiteral("c1.iso")), image);
    WaitForCopies();
    QCOMPARE(Entries(books), (QStringList{"c1.iso", "c1.rmf"}));
}

void TestOrders::orderWithoutStoredJob_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QVariant>("rmf");
    QTest::addColumn<QByteArray>("job");

    const QVariant null(QMetaType(QMetaType::QString));
    QTest::newRow("audio book") << "AUDIO" << null
                                << QByteArray("[MergeMetaData]\r\ndc:identifier=c1\r\ndc:title=H\xe4sten och hans pojke\r\n"
                                              "dc:creator=Signe Ekvall\r\ndc:publisher=Zelt\r\nncc:narrator=Olle Brandt\r\n"
                                              "[DDP]\r\ncopies=4\r\nmediaType=CDR\r\nFromLibrary=1\r\n");
    QTest::newRow("movie") << "MOVIE" << null
                           << QByteArray("[MergeMetaData]\r\ndc:identifier=c1\r\ndc:title=H\xe4sten och hans pojke\r\n"
                                         "dc:creator=Signe Ekvall\r\ndc:publisher=Zelt\r\nncc:narrator=Olle Brandt\r\n"
                                         "[DDP]\r\ncopies=4\r\nmediaType=DVDR\r\nFromLibrary=1\r\n");
    QTest::newRow("other type keeps the stored medium")
        << "EBOOK" << QVariant(QStringLiteral("[DDP]\r\nmediaType=DVDR-DL\r\n"))
        << QByteArray("[DDP]\r\nmediaType=DVDR-DL\r\ncopies=4\r\nFromLibrary=1\r\n");
    QTest::newRow("empty stored job is not NULL")
        << "AUDIO" << QVariant(QStringLiteral("")) << QByteArray("[DDP]\r\ncopies=4\r\nmediaType=CDR\r\nFromLibrary=1\r\n");
}

void TestOrders::orderWithoutStoredJob()
{
    QFETCH(QString, type);
    QFETCH(QVariant, rmf);
    QFETCH(QByteArray, job);
    Catalogue(QStringLiteral("c1"), type, rmf, ImageBytes(1000, 2, 13), QStringLiteral("c1.iso"));
    FModule->ProduceBook(QStringLiteral("c1"), 4);
    WaitForCopies();
    QCOMPARE(FileBytes(Folder(QStringLiteral("books")) + QStringLiteral("c1.rmf")), job);
}

void TestOrders::bookFileMissing_data()
{
    QTest::addColumn<QVariant>("isofiles");
    QTest::addColumn<QString>("file"); // made under the test folder
    QTest::newRow("not in the library") << QVariant("c1.iso\r\n") << "";
    QTest::newRow("no image line") << QVariant("") << "";
    QTest::newRow("NULL image lines") << QVariant(QMetaType(QMetaType::QString)) << "";
    QTest::newRow("outside the library") << QVariant("../movies/c1.iso\r\n") << "movies/c1.iso";
    QTest::newRow("a folder") << QVariant("sub\r\n") << "library/sub/x.iso";
}

void TestOrders::bookFileMissing()
{
    QFETCH(QVariant, isofiles);
    QFETCH(QString, file);
    if (!file.isEmpty())
        QVERIFY(WriteBytes(FDir->filePath(file), "image"));
    Sql(QStringLiteral("insert into books ( id, title, type, isofiles ) values ( 'c1', 'Boken', 'AUDIO', ? )"),
        {isofiles});
    QVERIFY(!FModule->ProduceBook(QStringLiteral("c1"), 1));
    WaitForCopies();
    QCOMPARE(FMessages, QStringList{QStringLiteral("Bokfilen för Boken kunde inte hittas")});
    QVERIFY(Entries(Folder(QStringLiteral("books"))).isEmpty());
}

void TestOrders::unknownIdOrdersNothing()
{
    Catalogue(QStringLiteral("c1"), QStringLiteral("AUDIO"), QVariant(), ImageBytes(10, 1, 13), QStringLiteral("c1.iso"));
    QVERIFY(!FModule->ProduceBook(QStringLiteral("c2"), 1));
    FModule->ProduceMovie(QStringLiteral("c2"), QString(), 1);
    WaitForCopies();
    QVERIFY(FMessages.isEmpty());
    QVERIFY(Entries(Folder(QStringLiteral("books"))).isEmpty());
}

void TestOrders::failedCopyIsReported()
{
    const QByteArray image = ImageBytes(5000, 3, 13);
    Catalogue(QStringLiteral("c1234"), QStringLiteral("AUDIO"), QUV::LoadFromFile(ImportData(QStringLiteral("c1234.rmf"))),
              image, QStringLiteral("c1234.iso"));
    FModule->ProduceBook(QStringLiteral("c1234"), 7);
    WaitForCopies();
    const QString books = Folder(QStringLiteral("books"));
    const QByteArray earlierJob = FileBytes(books + QStringLiteral("c1234.rmf"));
    QVERIFY(!earlierJob.isEmpty());

    // The next order's copy breaks off half way.
    ImageCopy::SetCopyRoutine([](const QString &ASource, const QString &ADestination) {
        QFile in(ASource);
        QFile out(ADestination);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            throw Exception(QStringLiteral("cannot open"));
        out.write(in.read(100));
        throw Exception(QStringLiteral("Input/output error"));
    });
    QSignalSpy failed(FModule.get(), &TMorvikDataModule::OrderCopyFailed);
    FModule->ProduceBook(QStringLiteral("c1234"), 3);
    QTRY_COMPARE(failed.count(), 1);

    const QString message = failed.at(0).at(0).toString();
    QVERIFY2(message.contains(QStringLiteral("misslyckades")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("Hästen och hans pojke")), qPrintable(message));
    QVERIFY(FLog->Contains(TLogLevel::Warning, QStringLiteral("Input/output error")));
    // The earlier order's files stay whole; the failed one left nothing.
    WaitForCopies();
    QCOMPARE(Entries(books), (QStringList{"c1234.iso", "c1234.rmf"}));
    QCOMPARE(FileBytes(books + QStringLiteral("c1234.rmf")), earlierJob);
    QCOMPARE(FileBytes(books + QStringLiteral("c1234.iso")), image);
}

void TestOrders::unwritableBooksFolderRaises()
{
    Catalogue(QStringLiteral("c1"), QStringLiteral("AUDIO"), QStringLiteral("[DDP]\r\n"), ImageBytes(10, 1, 13),
              QStringLiteral("c1.iso"));
    // The books folder's place is taken by a file.
    QVERIFY(QDir(Folder(QStringLiteral("books"))).removeRecursively());
    QVERIFY(WriteBytes(FDir->filePath(QStringLiteral("books")), "not a folder"));
    QVERIFY_THROWS_EXCEPTION(Exception, FModule->ProduceBook(QStringLiteral("c1"), 1));
    WaitForCopies();
    QCOMPARE(FileBytes(FDir->filePath(QStringLiteral("books"))), QByteArray("not a folder"));
    QCOMPARE(Entries(FDir->path()), (QStringList{"books", "db", "library", "movies"}));
}

// ---- ProduceMovie ----

void TestOrders::produceMovie()
{
    const QByteArray image = ImageBytes(200000, 5, 13);
    const QString delivered = Folder(QStringLiteral("movies")) + QStringLiteral("V100/V100.ISO");
    QVERIFY(WriteBytes(delivered, image));
    const TTime duration = (1 * 3600 + 23 * 60 + 45) / 86400.0;
    FModule->AddMovie(QStringLiteral("V100"), QStringLiteral("Film"), QStringLiteral("Regi"), duration, delivered);

    // Another folder that does not exist yet.
    const QString books = Folder(QStringLiteral("books"));
    QVERIFY(QDir(books).removeRecursively());
    FModule->ProduceMovie(QStringLiteral("V100"), QString(), 2);

    const QByteArray expected = QUV::EncodeAnsi(TRMF::Create()
                                                    ->SetId(QStringLiteral("V100"))
                                                    ->SetTitle(QStringLiteral("Film"))
                                                    ->SetAuthor(QStringLiteral("Regi"))
                                                    ->SetDuration(duration)
                                                    ->SetType(TRMFType::Video)
                                                    ->SetCopies(2)
                                                    ->AsString());
    QVERIFY(expected.contains("dc:totalTime = 01:23:45\r\n"));
    QCOMPARE(FileBytes(books + QStringLiteral("V100.rmf")), expected);
    QCOMPARE(FileBytes(books + QStringLiteral("V100.ISO")), image);

    // Again, with another image named by the caller: both files replaced.
    const QByteArray other = ImageBytes(1000, 9, 13);
    QVERIFY(WriteBytes(Folder(QStringLiteral("movies")) + QStringLiteral("V100b/V100.ISO"), other));
    FModule->ProduceMovie(QStringLiteral("V100"), Folder(QStringLiteral("movies")) + QStringLiteral("V100b/V100.ISO"), 5);
    QCOMPARE(FileBytes(books + QStringLiteral("V100.ISO")), other);
    QVERIFY(FileBytes(books + QStringLiteral("V100.rmf")).contains("\r\ncopies = 5\r\nmediaType = DVDR\r\n"));
    QCOMPARE(Entries(books), (QStringList{"V100.ISO", "V100.rmf"}));
}

void TestOrders::produceMovieErrors_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("message");
    QTest::newRow("no image anywhere") << "" << "  " << "Skivavbildningsfilen inte angiven";
    QTest::newRow("stored image gone") << "$DIR/movies/V1/V1.ISO" << ""
                                       << "Skivavbildningsfilen finns inte: $DIR/movies/V1/V1.ISO";
    QTest::newRow("given image gone") << "" << "$DIR/movies/V2.ISO" << "Skivavbildningsfilen finns inte: $DIR/movies/V2.ISO";
    QTest::newRow("given a folder") << "" << "$DIR/movies" << "Skivavbildningsfilen finns inte: $DIR/movies";
}

void TestOrders::produceMovieErrors()
{
    QFETCH(QString, stored);
    QFETCH(QString, given);
    QFETCH(QString, message);
    for (QString *text : {&stored, &given, &message})
        text->replace(QStringLiteral("$DIR"), FDir->path());
    Sql(QStringLiteral("insert into books ( id, title, type, isofiles ) values ( 'V1', 'Film', 'MOVIE', ? )"), {stored});
    try {
        FModule->ProduceMovie(QStringLiteral("V1"), given, 1);
        QFAIL("no exception");
    } catch (const Exception &e) {
        QCOMPARE(e.Message(), message);
    }
    QVERIFY(Entries(Folder(QStringLiteral("books"))).isEmpty());
}

// ---- AddProduction ----

void TestOrders::addProduction()
{
    QUV::SetClock([] { return QDateTime(QDate(2024, 6, 1), QTime(10, 11, 12)); });
    FModule->AddProduction(QStringLiteral("c1"), 4, true);
    FModule->AddProduction(QStringLiteral("c1"), 1, false);
    QCOMPARE(Sql(QStringLiteral("select id, produced, copies, fromLibrary from productions order by copies desc")),
             (QList<QVariantList>{{"c1", "2024-06-01 10:11:12", 4, 1}, {"c1", "2024-06-01 10:11:12", 1, 0}}));
    QVERIFY(FLog->Contains(QStringLiteral("Adding production record=c1")));

    // A failure is logged and rolled back, never raised.
    Sql(QStringLiteral("alter table productions rename to elsewhere"));
    FModule->AddProduction(QStringLiteral("c2"), 1, true);
    QVERIFY(FLog->Contains(TLogLevel::Exception, QStringLiteral("AddProduction")));
    QVERIFY(FLog->Contains(QStringLiteral("Misslyckades lägga till produktionsport för id=c2")));
    QVERIFY(FModule->MorvikConnection().transaction()); // none left open
    QVERIFY(FModule->MorvikConnection().rollback());
}

// ---- AddTask ----

void TestOrders::addTask()
{
    const QDateTime now(QDate(2024, 6, 1), QTime(10, 11, 12));
    QUV::SetClock([now] { return now; });
    FModule->AddTask(QStringLiteral("MOVE"), {QStringLiteral("source=A"), QStringLiteral("target=B")});
    const QUuid parent = QUuid::createUuid();
    FModule->AddTask(QStringLiteral("MOVE"), {}, QUV::ToDateTime(now.addSecs(3600)), parent);

    const auto rows = Sql(QStringLiteral("select id, command, params, runAt, dependsOn, performed, status "
                                         "from tasks order by runAt"));
    QCOMPARE(rows.size(), 2);
    static const QRegularExpression guid(
        QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    QVERIFY2(guid.match(rows[0][0].toString()).hasMatch(), qPrintable(rows[0][0].toString()));
    QVERIFY(rows[0][0] != rows[1][0]);
    QCOMPARE(rows[0][1].toString(), QStringLiteral("MOVE"));
    QCOMPARE(rows[0][2].toString(), QStringLiteral("source=A\r\ntarget=B\r\n"));
    QCOMPARE(rows[0][3].toString(), QStringLiteral("2024-06-01 10:11:12"));
    QVERIFY(rows[0][4].isNull());
    QVERIFY(rows[0][5].isNull());
    QVERIFY(rows[0][6].isNull());
    QCOMPARE(rows[1][2].toString(), QString());
    QCOMPARE(rows[1][3].toString(), QStringLiteral("2024-06-01 11:11:12"));
    QCOMPARE(rows[1][4].toString(), QUV::GuidToString(parent));

    // Both are due: their run times have passed and the dependency names no
    // task. So is one made now on the real clock.
    QUV::SetClock({});
    FModule->AddTask(QStringLiteral("MOVE"), {QStringLiteral("source=C")});
    QCOMPARE(DueTaskIds().size(), 3);

    // A database error reaches the caller.
    Sql(QStringLiteral("alter table tasks rename to elsewhere"));
    QVERIFY_THROWS_EXCEPTION(Exception, FModule->AddTask(QStringLiteral("MOVE"), {QStringLiteral("source=A")}));
}

QStringList TestOrders::DueTaskIds()
{
    QStringList ids;
    const std::unique_ptr<TQUVDataset> query = FModule->qryGetTasksToExecute();
    if (query->Active())
        return {QStringLiteral("the query was handed out open")};
    query->Open();
    for (query->First(); !query->Eof(); query->Next())
        ids << query->FieldByName(QStringLiteral("id")).AsString();
    ids.sort();
    return ids;
}

void TestOrders::dueTasks_data()
{
    // Rows of tasks: id, runAt (minutes from now, or none), performed, dependsOn.
    QTest::addColumn<QVariantList>("tasks");
    QTest::addColumn<QStringList>("due");
    const QVariant none;
    QTest::newRow("run at once") << QVariantList{QVariantList{"a", 0, false, none}} << QStringList{"a"};
    QTest::newRow("no run time") << QVariantList{QVariantList{"a", none, false, none}} << QStringList{"a"};
    QTest::newRow("an hour ahead") << QVariantList{QVariantList{"a", 60, false, none}} << QStringList{};
    QTest::newRow("a minute ago") << QVariantList{QVariantList{"a", -1, false, none}} << QStringList{"a"};
    QTest::newRow("performed") << QVariantList{QVariantList{"a", -1, true, none}} << QStringList{};
    QTest::newRow("waits for an unperformed task")
        << QVariantList{QVariantList{"a", -1, false, none}, QVariantList{"b", -1, false, "a"}} << QStringList{"a"};
    QTest::newRow("waits for a task not yet due")
        << QVariantList{QVariantList{"a", 60, false, none}, QVariantList{"b", -1, false, "a"}} << QStringList{};
    QTest::newRow("dependency performed")
        << QVariantList{QVariantList{"a", -1, true, none}, QVariantList{"b", -1, false, "a"}} << QStringList{"b"};
    QTest::newRow("dependency on no task")
        << QVariantList{QVariantList{"b", -1, false, "{00000000-0000-0000-0000-00000000000A}"}} << QStringList{"b"};
}

void TestOrders::dueTasks()
{
    QFETCH(QVariantList, tasks);
    QFETCH(QStringList, due);
    // The rule compares with SQLite's own clock, so run times are real ones.
    const QDateTime now = QDateTime::currentDateTime();
    for (const QVariant &task : tasks) {
        const QVariantList t = task.toList();
        const QVariant runAt = t[1].isValid() ? QVariant(LocalText(now.addSecs(t[1].toInt() * 60))) : QVariant();
        const QVariant performed = t[2].toBool() ? QVariant(LocalText(now)) : QVariant();
        Sql(QStringLiteral("insert into tasks ( id, command, runAt, performed, dependsOn ) values ( ?, 'MOVE', ?, ?, ? )"),
            {t[0], runAt, performed, t[3]});
    }
    QCOMPARE(DueTaskIds(), due);

    // Once everything is performed nothing is due.
    Sql(QStringLiteral("update tasks set performed = ?"), {LocalText(now)});
    QCOMPARE(DueTaskIds(), QStringList{});
}

QTEST_GUILESS_MAIN(TestOrders)
#include "tst_orders.moc"
