#include "LogCapture.h"
#include "TestFiles.h"
#include "MorvikDataModuleUnit.h"
#include "QUV.Dialogs.h"
#include "QUV.Misc.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using TestFiles::FileBytes;
using TestFiles::WriteBytes;

namespace {

QString DataFile(const QString &AName)
{
    return QStringLiteral(MORVIK_TEST_DATA "/catalogue/") + AName;
}

QByteArray Md5(const QString &AFile)
{
    return QCryptographicHash::hash(FileBytes(AFile), QCryptographicHash::Md5).toHex();
}

// Runs statements on a connection of its own, closed again before returning.
QList<QVariantList> Sql(const QString &AFile, const QStringList &AStatements)
{
    QList<QVariantList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(AFile);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(AFile));
        for (const QString &statement : AStatements) {
            if (statement.trimmed().isEmpty())
                continue;
            QSqlQuery q(db);
            if (!q.exec(statement))
                qFatal("%s: %s", qPrintable(statement), qPrintable(q.lastError().text()));
            while (q.next()) {
                QVariantList row;
                for (int i = 0; i < q.record().count(); ++i)
                    row << q.value(i);
                rows << row;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return rows;
}

void RunScript(const QString &AFile, const QString &AScript)
{
    QStringList statements;
    for (const QString &line : QString::fromUtf8(FileBytes(DataFile(AScript))).split(QLatin1Char('\n')))
        if (!line.startsWith(QLatin1String("--")))
            statements << line;
    Sql(AFile, statements.join(QLatin1Char('\n')).split(QLatin1Char(';')));
}

QStringList Column(const QList<QVariantList> &ARows, int AColumn = 0)
{
    QStringList values;
    for (const QVariantList &row : ARows)
        values << row.value(AColumn).toString();
    return values;
}

} // namespace

class TestDataModule : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstStartCreatesSchema();
    void secondStartChangesNothing();
    void migrationAddsFromLibraryOnce();
    void blankDatabaseFolderMeansProgramFolder();
    void folders_data();
    void folders();
    void startupFailure_data();
    void startupFailure();
    void libraryCatalogueView();
    void reportCatalogueView();
    void verb();

private:
    std::unique_ptr<TMorvikDataModule> Create(const QString &ASettingsJson,
                                              TDataModuleFlavour AFlavour = TDataModuleFlavour::Library);
    // Settings with the database in the test's own folder.
    QString DatabaseSettings() const;
    QString DatabaseFile() const { return FDir->filePath(QStringLiteral("db/morvik.sqlite")); }

    std::unique_ptr<QTemporaryDir> FDir;
    QList<QUV::TMessageRequest> FMessages;
    QUV::TMessageHandler FOldHandler;
};

void TestDataModule::init()
{
    FDir = std::make_unique<QTemporaryDir>();
    QVERIFY(FDir->isValid());
    FMessages.clear();
    FOldHandler = QUV::SetMessageHandler([this](const QUV::TMessageRequest &ARequest) {
        FMessages << ARequest;
        return int(QUV::mrOk);
    });
}

void TestDataModule::cleanup()
{
    QUV::SetMessageHandler(FOldHandler);
    QUV::SetClock({});
    QVERIFY(QDir(FDir->path()).exists());
    // A failed case may have left files read-only.
    QFile::setPermissions(FDir->filePath(QStringLiteral("db")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    FDir.reset();
}

std::unique_ptr<TMorvikDataModule> TestDataModule::Create(const QString &ASettingsJson, TDataModuleFlavour AFlavour)
{
    TMorvikDataModuleSetup setup;
    setup.Settings = TSettings::Parse(ASettingsJson);
    setup.ProgramFolder = FDir->filePath(QStringLiteral("program"));
    return std::make_unique<TMorvikDataModule>(AFlavour, setup);
}

QString TestDataModule::DatabaseSettings() const
{
    return QStringLiteral(R"({"Paths": {"Database Folder": "%1"}})").arg(FDir->filePath(QStringLiteral("db")));
}

void TestDataModule::firstStartCreatesSchema()
{
    const QString folder = FDir->filePath(QStringLiteral("deep/er/db/"));
    LogCapture log;
    auto dm = Create(QStringLiteral(R"({"Paths": {"Database Folder": "%1"}})").arg(folder));

    QVERIFY(!dm->StartupFailed());
    QVERIFY(FMessages.isEmpty());
    QCOMPARE(dm->DatabaseName(), folder + QStringLiteral("morvik.sqlite"));
    QVERIFY(QFile::exists(dm->DatabaseName()));
    QVERIFY(dm->MorvikConnection().isOpen());
    QVERIFY(dm->tblBooks()->Active());
    QVERIFY(dm->tblBooks()->Eof());

    // Start-up lines in their order, inside the create bracket.
    const QStringList payLoads = log.PayLoads();
    const QStringList expected{
        QStringLiteral("+Enter method .DataModuleCreate of class TMorvikDataModule"),
        QStringLiteral("Database=") + dm->DatabaseName(),
        QStringLiteral("Database File=") + dm->DatabaseName(),
        QStringLiteral("Image File Folder=") + dm->LibraryFolder(),
        QStringLiteral("Creating database folder=") + folder,
        QStringLiteral("Creating database"),
        QStringLiteral("-Exit method .DataModuleCreate of class TMorvikDataModule - .DataModuleCreate"),
    };
    QCOMPARE(payLoads, expected);

    // Exactly the three tables and the productions index; the write check
    // leaves nothing behind.
    const auto schema = Sql(dm->DatabaseName(), {QStringLiteral(
                                                    "select type, name, sql from sqlite_master "
                                                    "where name not like 'sqlite_autoindex%' order by type, name")});
    QCOMPARE(Column(schema, 1), (QStringList{"productions_id", "books", "productions", "tasks"}));
    QStringList tables;
    for (const QString &statement : TMorvikDataModule::scrCreateDB())
        tables << QString(statement).replace(QStringLiteral("CREATE TABLE IF NOT EXISTS"), QStringLiteral("CREATE TABLE"));
    QCOMPARE(Column(schema, 2).mid(1), tables);
    QVERIFY(tables.at(2).endsWith(QStringLiteral("WITHOUT ROWID")));
    QCOMPARE(Column(schema, 2).at(0),
             QStringLiteral("CREATE INDEX [productions_id] ON [productions] ([id], [produced], [copies])"));

    // Defaults of the columns as other writers rely on them.
    Sql(dm->DatabaseName(), {QStringLiteral("insert into books (id, title) values ('X', 'Y')"),
                             QStringLiteral("insert into productions (id, produced, copies) values ('X', '2024-01-01 00:00:00', 1)")});
    const auto row = Sql(dm->DatabaseName(), {QStringLiteral(
                                                 "select b.added, p.fromLibrary from books b, productions p")});
    QVERIFY(QDateTime::fromString(row.at(0).at(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid());
    QCOMPARE(row.at(0).at(1).toInt(), 0);
}

void TestDataModule::secondStartChangesNothing()
{
    Create(DatabaseSettings()).reset();
    RunScript(DatabaseFile(), QStringLiteral("catalogue.sql"));
    const QByteArray before = Md5(DatabaseFile());

    LogCapture log;
    auto dm = Create(DatabaseSettings());
    QVERIFY(!dm->StartupFailed());
    QVERIFY(log.PayLoads().contains(QStringLiteral("Opening database")));
    QVERIFY(!log.Contains(QStringLiteral("Creating database")));
    QCOMPARE(dm->tblBooks()->RecordCount(), 4);
    dm.reset();
    QCOMPARE(Md5(DatabaseFile()), before);
    QVERIFY(!QFile::exists(DatabaseFile() + QStringLiteral("-journal")));
}

void TestDataModule::migrationAddsFromLibraryOnce()
{
    QDir().mkpath(FDir->filePath(QStringLiteral("db")));
    RunScript(DatabaseFile(), QStringLiteral("old-productions.sql"));

    Create(DatabaseSettings()).reset();
    const QString columns = QStringLiteral("select name, dflt_value, \"notnull\" from pragma_table_info('productions')");
    const auto afterFirst = Sql(DatabaseFile(), {columns});
    QCOMPARE(Column(afterFirst), (QStringList{"id", "produced", "copies", "fromLibrary"}));
    QCOMPARE(afterFirst.at(3).at(1).toString(), QStringLiteral("False"));
    QCOMPARE(afterFirst.at(3).at(2).toInt(), 1);
    const auto rows = Sql(DatabaseFile(), {QStringLiteral("select fromLibrary, fromLibrary = False from productions")});
    QCOMPARE(rows.size(), 3);
    for (const QVariantList &r : rows) {
        QCOMPARE(r.at(0).toInt(), 0);
        QCOMPARE(r.at(1).toInt(), 1);
    }

    const QByteArray before = Md5(DatabaseFile());
    auto again = Create(DatabaseSettings());
    QVERIFY(!again->StartupFailed());
    again.reset();
    QCOMPARE(Sql(DatabaseFile(), {columns}), afterFirst);
    QCOMPARE(Md5(DatabaseFile()), before);
}

void TestDataModule::blankDatabaseFolderMeansProgramFolder()
{
    const QString program = FDir->filePath(QStringLiteral("program")) + QLatin1Char('/');
    QDir().mkpath(program);
    auto dm = Create(QStringLiteral(R"({"Paths": {"Database Folder": " \t "}})"));
    QVERIFY(!dm->StartupFailed());
    QCOMPARE(dm->DatabaseName(), program + QStringLiteral("morvik.sqlite"));
    QVERIFY(QFile::exists(program + QStringLiteral("morvik.sqlite")));
    QCOMPARE(dm->Settings()->S({QStringLiteral("Paths"), QStringLiteral("Database Folder")}), program);
}

void TestDataModule::folders_data()
{
    QTest::addColumn<QString>("paths");
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("books");
    QTest::addColumn<QString>("movies");

    const QString home = QDir::homePath();
    QTest::newRow("defaults under home") << QString() << home + "/Morvik 4/Library/" << home + "/ZeltBooks/"
                                         << home + "/ZeltMovies/";
    QTest::newRow("blank means default") << R"(, "Image File Folder": "  ", "Books Folder": "")"
                                         << home + "/Morvik 4/Library/" << home + "/ZeltBooks/"
                                         << home + "/ZeltMovies/";
    QTest::newRow("delimiter appended") << R"(, "Image File Folder": "/srv/lib", "Books Folder": "/srv/books", "Movies Folder": "/srv/movies")"
                                        << "/srv/lib/" << "/srv/books/" << "/srv/movies/";
    QTest::newRow("trailing delimiter kept, value untrimmed")
        << R"(, "Image File Folder": "/srv/lib/", "Books Folder": " /srv/b ", "Movies Folder": "/srv/m//")"
        << "/srv/lib/" << " /srv/b /" << "/srv/m//";
}

void TestDataModule::folders()
{
    QFETCH(QString, paths);
    QFETCH(QString, library);
    QFETCH(QString, books);
    QFETCH(QString, movies);

    auto dm = Create(QStringLiteral(R"({"Paths": {"Database Folder": "%1"%2}})")
                         .arg(FDir->filePath(QStringLiteral("db")), paths));
    QVERIFY(!dm->StartupFailed());
    QCOMPARE(dm->LibraryFolder(), library);
    QCOMPARE(dm->BooksFolder(), books);
    QCOMPARE(dm->MoviesFolder(), movies);
    QCOMPARE(dm->property("BooksFolder").toString(), books);
    // The database folder setting without a delimiter still names the folder.
    QCOMPARE(dm->DatabaseName(), FDir->filePath(QStringLiteral("db/morvik.sqlite")));
}

void TestDataModule::startupFailure_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("engineText");

    QTest::newRow("not a database") << "garbage" << "file is not a database";
    QTest::newRow("folder cannot be created") << "no folder" << "unable to open database file";
    QTest::newRow("read-only file") << "read-only" << "attempt to write a readonly database";
}

void TestDataModule::startupFailure()
{
    QFETCH(QString, kind);
    QFETCH(QString, engineText);

    QString settings = DatabaseSettings();
    QString file = DatabaseFile();
    QByteArray content;
    if (kind == QLatin1String("garbage")) {
        QDir().mkpath(FDir->filePath(QStringLiteral("db")));
        content = QByteArray("This is a job list, not a catalogue.\r\n").repeated(200);
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    } else if (kind == QLatin1String("no folder")) {
        // A folder below a plain file can never be made, whoever runs the test.
        QFile f(FDir->filePath(QStringLiteral("plain")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        settings = QStringLiteral(R"({"Paths": {"Database Folder": "%1"}})").arg(FDir->filePath(QStringLiteral("plain/db")));
        file = FDir->filePath(QStringLiteral("plain/db/morvik.sqlite"));
    } else {
        if (geteuid() == 0)
            QSKIP("root writes read-only files");
        Create(settings).reset();
        RunScript(file, QStringLiteral("catalogue.sql"));
        content = FileBytes(file);
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
    }

    LogCapture log;
    auto dm = Create(settings);

    QVERIFY(dm->StartupFailed());
    QCOMPARE(dm->StartupError(), engineText);
    QCOMPARE(FMessages.size(), 1);
    QCOMPARE(FMessages.at(0).Type, QUV::TMsgDlgType::Error);
    QCOMPARE(FMessages.at(0).Text,
             QStringLiteral("Morvik misslyckades öppna databasen. Programmet avslutas. Felmeddelandet är: ") + engineText);
    QVERIFY(log.Contains(TLogLevel::Exception, QStringLiteral("Exception Class: Exception - DatamoduleCreate (") +
                                                   engineText + QLatin1Char(')')));
    QVERIFY(log.PayLoads().contains(QStringLiteral("Database Name=") + file));
    QVERIFY(log.PayLoads().last().startsWith(QStringLiteral("-Exit method .DataModuleCreate")));

    // No catalogue operation runs on it, and the file is as it was.
    QVERIFY(!dm->MorvikConnection().isOpen());
    QVERIFY(dm->tblBooks() == nullptr);
    QVERIFY_THROWS_EXCEPTION(Exception, dm->RefreshDB());
    dm.reset();
    if (kind == QLatin1String("no folder"))
        QVERIFY(!QFile::exists(file));
    else
        QCOMPARE(FileBytes(file), content);

    // The quit request waits for the message loop and ends it with code 1.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(99); });
    guard.start(20000);
    QCOMPARE(QCoreApplication::exec(), 1);
}

void TestDataModule::libraryCatalogueView()
{
    Create(DatabaseSettings()).reset();
    RunScript(DatabaseFile(), QStringLiteral("catalogue.sql"));
    auto dm = Create(DatabaseSettings());
    TQUVDataset *view = dm->tblBooks();

    QCOMPARE(view->FieldNames(),
             (QStringList{"id", "title", "author", "narrator", "description", "duration", "diskset", "format", "date",
                          "language", "rmf", "added", "isofiles", "type", "size", "productions"}));
    QStringList ids, productions, sizes;
    view->ForEachRecord([&](TQUVDataset &ds) {
        ids << ds.FieldByName("id").AsString();
        const TQUVField field = ds.FieldByName("productions");
        productions << (field.IsNull() ? QStringLiteral("null") : field.AsString());
        sizes << ds.FieldByName("size").DisplayText();
    });
    // Untitled rows are left out; C1004's productions do not make it a title.
    QCOMPARE(ids, (QStringList{"C1002", "C1001", "C1003", "V123"}));
    QCOMPARE(productions, (QStringList{"1", "5", "null", "4"}));
    QCOMPARE(sizes, (QStringList{QUV::FormatFileSize(2048), QUV::FormatFileSize(1048576), "-", "-"}));
    QCOMPARE(view->FieldByName("size").Value().toLongLong(), 2048); // the edit value is the stored one
    QCOMPARE(view->FieldByName("productions").DisplayLabel(), QStringLiteral("Produktioner"));
    QCOMPARE(view->FieldByName("date").AsDateTime(), 45000.0);

    // The view reads the same rows as its statement.
    QStringList statementIds;
    dm->MorvikConnection().OpenQuery(TMorvikDataModule::CatalogueSQL(TDataModuleFlavour::Library), {},
                                     [&](TQUVDataset &ds) { statementIds << ds.FieldByName("id").AsString(); },
                                     qoEachRow);
    QCOMPARE(statementIds, ids);

    // RefreshDB reads again and computes the field again.
    Sql(DatabaseFile(), {QStringLiteral("insert into productions (id, produced, copies) values ('C1003', '2024-04-01 12:00:00', 7)"),
                         QStringLiteral("insert into books (id, title) values ('C1006', 'Ny bok')")});
    view->First();
    view->Next();
    view->Next();
    QVERIFY(view->FieldByName("productions").IsNull()); // read before the refresh
    dm->RefreshDB();
    QCOMPARE(view->RecNo(), 1);
    QCOMPARE(view->RecordCount(), 5);
    view->Next();
    view->Next();
    QCOMPARE(view->FieldByName("id").AsString(), QStringLiteral("C1003"));
    QCOMPARE(view->FieldByName("productions").AsInteger(), 7);
}

void TestDataModule::reportCatalogueView()
{
    Create(DatabaseSettings()).reset();
    RunScript(DatabaseFile(), QStringLiteral("catalogue.sql"));
    const QDateTime now(QDate(2024, 5, 6), QTime(7, 8, 9));
    QUV::SetClock([now] { return now; });
    auto dm = Create(DatabaseSettings(), TDataModuleFlavour::Report);
    QVERIFY(!dm->StartupFailed());
    TQUVDataset *view = dm->tblBooks();
    QVERIFY(view->HasField("lastProduced"));

    QStringList ids, last, lastTexts, productions, durations;
    view->ForEachRecord([&](TQUVDataset &ds) {
        ids << ds.FieldByName("id").AsString();
        last << ds.FieldByName("lastProduced").AsString();
        lastTexts << ds.FieldByName("lastProduced").DisplayText();
        const TQUVField field = ds.FieldByName("productions");
        productions << (field.IsNull() ? QStringLiteral("null") : field.AsString());
        durations << ds.FieldByName("duration").DisplayText();
    });
    QCOMPARE(ids, (QStringList{"C1001", "C1002", "C1003", "V123"}));
    QCOMPARE(last, (QStringList{"2024-01-20 14:40", "2024-02-01 08:00", "", "2024-03-05 17:05"}));
    // A title never produced shows the current time.
    QCOMPARE(lastTexts, (QStringList{"2024-01-20 14:40", "2024-02-01 08:00", "2024-05-06 07:08", "2024-03-05 17:05"}));
    // The calculated copies, not the grouping's row count.
    QCOMPARE(productions, (QStringList{"5", "1", "null", "4"}));
    QCOMPARE(durations, (QStringList{QUV::FormatDuration(1, 45296 / 86400.0, 24), QUV::FormatDuration(1, 1 / 24.0, 24),
                                     QUV::FormatDuration(1, 59 / 86400.0, 24),
                                     QUV::FormatDuration(1, (3600 + 23 * 60 + 45) / 86400.0, 24)}));
    QVERIFY(!durations.at(3).isEmpty());
    QCOMPARE(view->FieldByName("duration").AsString(), QStringLiteral("45296"));

    // The same rows and times as the grouping statement itself.
    QStringList statementIds, statementLast;
    dm->MorvikConnection().OpenQuery(TMorvikDataModule::CatalogueSQL(TDataModuleFlavour::Report), {},
                                     [&](TQUVDataset &ds) {
                                         statementIds << ds.FieldByName("id").AsString();
                                         statementLast << ds.FieldByName("lastProduced").AsString();
                                     },
                                     qoEachRow);
    QCOMPARE(statementIds, ids);
    QCOMPARE(statementLast, last);

    // The library's build has no duration or lastProduced texts.
    dm.reset();
    auto library = Create(DatabaseSettings());
    library->tblBooks()->Next();
    QCOMPARE(library->tblBooks()->FieldByName("duration").DisplayText(), QStringLiteral("45296"));
    QVERIFY(!library->tblBooks()->HasField("lastProduced"));
}

void TestDataModule::verb()
{
    Create(DatabaseSettings()).reset();
    auto dm = Create(DatabaseSettings(), TDataModuleFlavour::Report);
    QCOMPARE(dm->tblBooks()->RecordCount(), 0);
    Sql(DatabaseFile(), {QStringLiteral("insert into books (id, title) values ('C1', 'Bok')")});

    // No method with that name and count: nothing is called.
    QVERIFY(!dm->Verb(QStringLiteral("RefreshDB"), {1}).isValid());
    QVERIFY(!dm->Verb(QStringLiteral("NoSuchVerb")).isValid());
    QPointer<TMorvikDataModule> alive(dm.get());
    QVERIFY(!dm->Verb(QStringLiteral("deleteLater")).isValid());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(alive);
    QCOMPARE(dm->tblBooks()->RecordCount(), 0);

    QVERIFY(!dm->Verb(QStringLiteral("refreshdb")).isValid());
    QCOMPARE(dm->tblBooks()->RecordCount(), 1);

    // Only the report program offers verbs.
    auto library = Create(DatabaseSettings());
    Sql(DatabaseFile(), {QStringLiteral("insert into books (id, title) values ('C2', 'Bok 2')")});
    library->Verb(QStringLiteral("RefreshDB"));
    QCOMPARE(library->tblBooks()->RecordCount(), 1);
    library->RefreshDB();
    QCOMPARE(library->tblBooks()->RecordCount(), 2);
}

QTEST_GUILESS_MAIN(TestDataModule)
#include "tst_datamodule.moc"
