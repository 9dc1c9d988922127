#include "MorvikDataModuleUnit.h"

#include "QUV.Dialogs.h"
#include "QUV.Helpers.h"
#include "QUV.Log.h"
#include "QUV.Misc.h"
#include "QUV.Windows.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaMethod>
#include <QSqlError>
#include <QSqlQuery>

TMorvikDataModule *MorvikDataModule = nullptr;

const QString TMorvikDataModule::ProductionsSQL =
    QStringLiteral("select sum( copies ) as productions from productions where id = :id");
const QString TMorvikDataModule::DatabaseFileName = QStringLiteral("morvik.sqlite");
const QString TMorvikDataModule::StartupFailedMessage =
    QStringLiteral("Morvik misslyckades öppna databasen. Programmet avslutas. Felmeddelandet är: ");

namespace {

const QString CatalogueColumns = QStringLiteral(
    "id, title, author, narrator, description, duration, diskset, format, date, language, rmf, added, "
    "isofiles, type, size");

QString WithTrailingDelimiter(const QString &APath)
{
    return APath.endsWith(QUV::PathDelim) ? APath : APath + QUV::PathDelim;
}

// The folder part of a path: everything up to and including the last delimiter.
QString FolderOf(const QString &APath)
{
    const int last = APath.lastIndexOf(QUV::PathDelim);
    return last < 0 ? QString() : APath.left(last + 1);
}

QString ExceptionMessage(const std::exception &AException)
{
    if (const auto *e = dynamic_cast<const Exception *>(&AException))
        return e->Message();
    return QString::fromUtf8(AException.what());
}

// The brackets of the start-up: the library's build logs enter and exit
// lines, the report's holds a tracer; both close whatever happens.
class TCreateBracket
{
public:
    TCreateBracket(TMorvikDataModule *AModule, TDataModuleFlavour AFlavour)
    {
        static const QString name = QStringLiteral(".DataModuleCreate");
        if (AFlavour == TDataModuleFlavour::Report) {
            FTracer = Logger->Trace(AModule, name);
        } else {
            Logger->EnterMethod(AModule, name);
            FExit = true;
        }
    }
    ~TCreateBracket()
    {
        if (FExit)
            Logger->ExitMethod(QStringLiteral(".DataModuleCreate"));
    }
    TCreateBracket(const TCreateBracket &) = delete;
    TCreateBracket &operator=(const TCreateBracket &) = delete;

private:
    ITracerPtr FTracer;
    bool FExit = false;
};

} // namespace

const QStringList &TMorvikDataModule::scrCreateDB()
{
    static const QStringList statements{
        QStringLiteral("CREATE TABLE IF NOT EXISTS [books] (\n"
                       "  [id] varchar(30) PRIMARY KEY,\n"
                       "  [title] varchar(250),\n"
                       "  [author] varchar(250),\n"
                       "  [narrator] varchar(250),\n"
                       "  [description] text,\n"
                       "  [duration] varchar(30),\n"
                       "  [diskset] varchar(30),\n"
                       "  [format] varchar(30),\n"
                       "  [date] date,\n"
                       "  [language] varchar(30),\n"
                       "  [type] varchar(30),\n"
                       "  [rmf] text,\n"
                       "  [added] datetime DEFAULT CURRENT_TIMESTAMP,\n"
                       "  [isofiles] text,\n"
                       "  [size] integer)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS [productions] (\n"
                       "  [id] varchar(30),\n"
                       "  [produced] DATE,\n"
                       "  [copies] int,\n"
                       "  [fromLibrary] BOOL NOT NULL DEFAULT False)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS [tasks] (\n"
                       "  [id] GUID PRIMARY KEY,\n"
                       "  [command] VARCHAR(10),\n"
                       "  [params] TEXT,\n"
                       "  [runAt] DATETIME,\n"
                       "  [performed] DATETIME,\n"
                       "  [status] VARCHAR,\n"
                       "  [dependsOn] GUID REFERENCES tasks([id])) WITHOUT ROWID"),
    };
    return statements;
}

const QStringList &TMorvikDataModule::SchemaIndexes()
{
    static const QStringList statements{
        QStringLiteral("CREATE INDEX IF NOT EXISTS [productions_id] ON [productions] ([id], [produced], [copies])"),
    };
    return statements;
}

QString TMorvikDataModule::CatalogueSQL(TDataModuleFlavour AFlavour)
{
    if (AFlavour == TDataModuleFlavour::Report)
        return QStringLiteral("SELECT \r\n"
                              "  a.*,\r\n"
                              "  strftime( '%Y-%m-%d %H:%M', max( b.produced ) ) as lastProduced,\r\n"
                              "  sum( 1 ) as productions\r\n"
                              "FROM books a\r\n"
                              "left outer join productions b on ( b.id = a.id )\r\n"
                              "WHERE title > '' \r\n"
                              "group by a.id");
    return QStringLiteral("select %1 from books where title > ''").arg(CatalogueColumns);
}

TMorvikDataModule::TMorvikDataModule(TDataModuleFlavour AFlavour, QObject *AOwner)
    : TMorvikDataModule(AFlavour, TMorvikDataModuleSetup(), AOwner)
{
}

TMorvikDataModule::TMorvikDataModule(TDataModuleFlavour AFlavour, const TMorvikDataModuleSetup &ASetup,
                                     QObject *AOwner)
    : QObject(AOwner), FFlavour(AFlavour)
{
    // One connection per module: tests and tools may hold several at once.
    static QAtomicInteger<int> counter;
    FConnectionName = QStringLiteral("MorvikConnection%1").arg(counter.fetchAndAddRelaxed(1) + 1);
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FConnectionName);
    try {
        DataModuleCreate(ASetup);
    } catch (...) {
        QSqlDatabase::removeDatabase(FConnectionName);
        throw;
    }
}

TMorvikDataModule::~TMorvikDataModule()
{
    if (MorvikDataModule == this)
        MorvikDataModule = nullptr;
    // The view's statements go before the connection they run on.
    FtblBooks.reset();
    {
        QSqlDatabase connection = QSqlDatabase::database(FConnectionName, false);
        connection.close();
    }
    QSqlDatabase::removeDatabase(FConnectionName);
}

TQUVFDConnectionHelper TMorvikDataModule::MorvikConnection() const
{
    return QSqlDatabase::database(FConnectionName, false);
}

void TMorvikDataModule::DataModuleCreate(const TMorvikDataModuleSetup &ASetup)
{
    TCreateBracket bracket(this, FFlavour);
    DoDataModuleCreate(ASetup);
}

void TMorvikDataModule::DoDataModuleCreate(const TMorvikDataModuleSetup &ASetup)
{
    FSettings = ASetup.Settings ? ASetup.Settings : ReadConfigFile();
    const QString programFolder =
        ASetup.ProgramFolder.isEmpty() ? QUV::AppFolder() : WithTrailingDelimiter(ASetup.ProgramFolder);

    const TSettingsPath databaseFolderKey{QStringLiteral("Paths"), QStringLiteral("Database Folder")};
    if (QUV::IsBlank(FSettings->S(databaseFolderKey)))
        FSettings->SetS(databaseFolderKey, programFolder);
    FDatabaseName = WithTrailingDelimiter(FSettings->S(databaseFolderKey)) + DatabaseFileName;
    MorvikConnection().setDatabaseName(FDatabaseName);
    Logger->Send(QStringLiteral("Database"), QVariant(FDatabaseName));

    const auto folder = [this](const QString &AKey, const QString &ADefault) {
        const QString value = FSettings->S({QStringLiteral("Paths"), AKey});
        return WithTrailingDelimiter(QUV::IsBlank(value) ? ADefault : value);
    };
    const QString home = QDir::homePath();
    FImageFileFolder = folder(QStringLiteral("Image File Folder"), home + QStringLiteral("/Morvik 4/Library"));
    FZeltBookSourceFolder = folder(QStringLiteral("Books Folder"), home + QStringLiteral("/ZeltBooks"));
    FZeltMoviesSourceFolder = folder(QStringLiteral("Movies Folder"), home + QStringLiteral("/ZeltMovies"));

    Logger->Send(QStringLiteral("Database File"), QVariant(FDatabaseName));
    Logger->Send(QStringLiteral("Image File Folder"), QVariant(FImageFileFolder));

    const QString databaseFolder = FolderOf(FDatabaseName);
    if (!databaseFolder.isEmpty() && !QDir(databaseFolder).exists()) {
        Logger->Send(QStringLiteral("Creating database folder"), QVariant(databaseFolder));
        // Not checked here: a folder that could not be made fails the open below.
        QDir().mkpath(databaseFolder);
    }

    try {
        Logger->Send(QFileInfo::exists(FDatabaseName) ? QStringLiteral("Opening database")
                                                      : QStringLiteral("Creating database"));
        OpenDatabase();
        CheckWritable();
        RunSchema();
        CreatetblBooks();
    } catch (const std::exception &e) {
        StartupFailure(e);
    }
}

void TMorvikDataModule::OpenDatabase()
{
    QSqlDatabase connection = MorvikConnection();
    if (!connection.open())
        throw Exception(EngineErrorText(connection.lastError()));
    // Reading the catalogue through a memory map spares a system call per
    // page; it is a setting of this connection only, the file is unchanged.
    QSqlQuery(connection).exec(QStringLiteral("PRAGMA mmap_size = 268435456"));
}

// SQLite opens a read-only file, or one in a folder where its journal cannot
// be made, without complaint and fails only at the first write, long after
// start-up. A write that is rolled back at once finds out now and leaves the
// file as it was; on a file that is no database it fails with the engine's
// message before anything is written.
void TMorvikDataModule::CheckWritable()
{
    ExecSQL(QStringLiteral("BEGIN"));
    try {
        ExecSQL(QStringLiteral("CREATE TABLE [morvik_write_check] ([x])"));
    } catch (...) {
        QSqlQuery(MorvikConnection()).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    ExecSQL(QStringLiteral("ROLLBACK"));
}

// The schema script, the migration and the index in one transaction: a
// failure leaves the file as it was.
void TMorvikDataModule::RunSchema()
{
    ExecSQL(QStringLiteral("BEGIN"));
    try {
        for (const QString &statement : scrCreateDB())
            ExecSQL(statement);
        MigrateSchema();
        for (const QString &statement : SchemaIndexes())
            ExecSQL(statement);
        ExecSQL(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(MorvikConnection()).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void TMorvikDataModule::MigrateSchema()
{
    bool hasFromLibrary;
    {
        TQUVDataset table(MorvikConnection());
        table.SetSQL(QStringLiteral("select * from [productions]"));
        table.Open();
        hasFromLibrary = table.HasField(QStringLiteral("fromLibrary"));
    }
    if (!hasFromLibrary)
        ExecSQL(QStringLiteral("ALTER TABLE productions ADD fromLibrary BOOL NOT NULL DEFAULT False"));
}

void TMorvikDataModule::CreatetblBooks()
{
    auto view = std::make_unique<TQUVDataset>(MorvikConnection());
    if (FFlavour == TDataModuleFlavour::Report) {
        // The grouping statement, one title at a time: same columns, same
        // order (by id, as the grouping returns them).
        QString columns;
        for (const QString &column : CatalogueColumns.split(QStringLiteral(", ")))
            columns += QStringLiteral("a.") + column + QStringLiteral(", ");
        view->SetKeyedSQL(QStringLiteral("select a.rowid from books a where title > '' order by a.id"),
                          QStringLiteral("SELECT %1strftime( '%Y-%m-%d %H:%M', max( b.produced ) ) as lastProduced "
                                         "FROM books a left outer join productions b on ( b.id = a.id ) "
                                         "WHERE a.rowid = :key group by a.id")
                              .arg(columns));
        view->SetOnGetText(QStringLiteral("duration"), &TMorvikDataModule::tblBooksdurationGetText);
        view->SetOnGetText(QStringLiteral("lastProduced"), &TMorvikDataModule::tblBookslastProducedGetText);
    } else {
        view->SetKeyedSQL(QStringLiteral("select rowid from books where title > ''"),
                          QStringLiteral("select %1 from books where rowid = :key").arg(CatalogueColumns));
    }
    view->AddCalcField(QStringLiteral("productions"));
    view->SetDisplayLabel(QStringLiteral("productions"), QStringLiteral("Produktioner"));
    view->SetOnCalcFields([this](TQUVDataset &ADataset) { tblBooksCalcFields(ADataset); });
    view->SetOnGetText(QStringLiteral("size"), &TMorvikDataModule::tblBookssizeGetText);
    view->Open();
    FtblBooks = std::move(view);
}

void TMorvikDataModule::StartupFailure(const std::exception &AException)
{
    FStartupFailed = true;
    FStartupError = ExceptionMessage(AException);
    FtblBooks.reset();
    // No catalogue operation may run on a file that failed to open.
    MorvikConnection().close();
    Logger->Send(QStringLiteral("DatamoduleCreate"), AException, false);
    Logger->Send(QStringLiteral("Database Name"), QVariant(FDatabaseName));
    if (QCoreApplication *app = QCoreApplication::instance()) {
        QUV::MessageDlg(StartupFailedMessage + FStartupError, QUV::TMsgDlgType::Error);
        // Ends the program as soon as its message loop runs.
        QMetaObject::invokeMethod(app, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    }
}

void TMorvikDataModule::ExecSQL(const QString &ASQL)
{
    QSqlQuery query(MorvikConnection());
    if (!query.exec(ASQL))
        throw Exception(EngineErrorText(query.lastError()));
}

void TMorvikDataModule::RefreshDB()
{
    if (!FtblBooks)
        throw Exception(QStringLiteral("RefreshDB failed, the catalogue is not open"));
    FtblBooks->Refresh();
}

void TMorvikDataModule::tblBooksCalcFields(TQUVDataset &ADataset)
{
    MorvikConnection().OpenQuery(
        ProductionsSQL, {ADataset.FieldByName(QStringLiteral("id")).Value()},
        [&ADataset](TQUVDataset &AQuery) {
            const TQUVField productions = AQuery.FieldByName(QStringLiteral("productions"));
            if (!productions.IsNull())
                ADataset.SetCalcValue(QStringLiteral("productions"), productions.AsInteger());
        },
        qoEachRow);
}

QString TMorvikDataModule::tblBookssizeGetText(const QVariant &AValue)
{
    const qint64 size = AValue.toLongLong();
    return QUV::FormatFileSize(size < 0 ? 0 : static_cast<quint64>(size));
}

QString TMorvikDataModule::tblBooksdurationGetText(const QVariant &AValue)
{
    // Books hold whole seconds; movies a running time as a date-time on the
    // zero date, whose day fraction is the duration itself.
    const QString text = AValue.toString().trimmed();
    bool numeric = false;
    const double seconds = text.toDouble(&numeric);
    if (numeric)
        return QUV::FormatDuration(1, seconds / 86400.0, 24);
    const TDateTime value = TQUVField(QString(), AValue, QString()).AsDateTime();
    if (value > 0.0 && value < 1.0)
        return QUV::FormatDuration(1, value, 24);
    return text;
}

QString TMorvikDataModule::tblBookslastProducedGetText(const QVariant &AValue)
{
    const QString text = AValue.toString().trimmed();
    QDateTime value;
    for (const QString &format : {QUV::ShortDateFormat() + QLatin1Char(' ') + QUV::LongTimeFormat(),
                                  QUV::ShortDateFormat() + QStringLiteral(" HH:mm"), QUV::ShortDateFormat()}) {
        value = QDateTime::fromString(text, format);
        if (value.isValid())
            break;
    }
    if (!value.isValid())
        value = QUV::CurrentDateTime();
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QVariant TMorvikDataModule::Verb(const QString &AVerb, const QVariantList &AArguments)
{
    if (FFlavour != TDataModuleFlavour::Report)
        return QVariant();
    // Only this class's own methods: QObject's (deleteLater among them) are
    // not verbs of the module.
    const QMetaObject &meta = staticMetaObject;
    bool found = false;
    for (int i = meta.methodOffset(); i < meta.methodCount() && !found; ++i) {
        const QMetaMethod method = meta.method(i);
        found = method.access() == QMetaMethod::Public && method.methodType() != QMetaMethod::Signal &&
                method.parameterCount() == AArguments.size() &&
                QUV::EqualsTo(QString::fromLatin1(method.name()), AVerb, true);
    }
    QVariant result;
    if (found)
        TQUVDataModuleHelper::InvokeByName(this, AVerb, AArguments, result);
    return result;
}

QVariant TMorvikDataModule::Verb(const QString &AVerb)
{
    return Verb(AVerb, QVariantList());
}
