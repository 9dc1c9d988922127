// Production orders for the disc robot, recorded productions and task rows
// for the executor outside the programs.

#include "MorvikDataModuleUnit.h"

#include "CatalogueStorage.h"

#include "ImageCopy.h"
#include "QUV.Dialogs.h"
#include "QUV.Helpers.h"
#include "QUV.IniFiles.h"
#include "QUV.Log.h"
#include "QUV.Misc.h"
#include "RMF.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <cmath>

const QString TMorvikDataModule::sqlAddTask = QStringLiteral(
    "insert into tasks ( id, command, params, runAt, dependsOn ) "
    "values ( :id, :command, :params, :runAt, :dependsOn )");

const QString TMorvikDataModule::qryGetTasksToExecuteSQL = QStringLiteral(
    "select *\r\n"
    "  from tasks\r\n"
    "  where performed is null\r\n"
    "  and   coalesce( runAt, datetime(CURRENT_TIMESTAMP, 'localtime') ) <= datetime(CURRENT_TIMESTAMP, 'localtime')\r\n"
    "  and   ( dependsOn is null or dependsOn not in ( select id from tasks where performed is null ) )");

using namespace CatalogueStorage;

namespace {

const QString kSelectBook = QStringLiteral("select * from books where id = :id");
const QString kInsertProduction = QStringLiteral(
    "insert into productions ( id, produced, copies, fromLibrary ) values ( :id, :produced, :copies, :fromLibrary )");

// The catalogue row an order is made from.
struct TOrderRow
{
    QString Id;
    QString Title;
    QString Author;
    QString Narrator;
    QString Type;
    QString IsoFiles;
    TDateTime Duration = 0;
    QString Rmf;
    bool RmfIsNull = true;
};

// Reads the row first and lets the query go before any file work or modal
// message: an open statement would hold a read lock on the shared file.
bool ReadOrderRow(const TQUVFDConnectionHelper &AConnection, const QString &AId, TOrderRow &ARow)
{
    bool found = false;
    AConnection.OpenQuery(
        kSelectBook, {AId},
        [&](TQUVDataset &ADataset) {
            found = true;
            ARow.Id = ADataset.FieldByName(QStringLiteral("id")).AsString();
            ARow.Title = ADataset.FieldByName(QStringLiteral("title")).AsString();
            ARow.Author = ADataset.FieldByName(QStringLiteral("author")).AsString();
            ARow.Narrator = ADataset.FieldByName(QStringLiteral("narrator")).AsString();
            ARow.Type = ADataset.FieldByName(QStringLiteral("type")).AsString();
            ARow.IsoFiles = ADataset.FieldByName(QStringLiteral("isofiles")).AsString();
            ARow.Duration = ADataset.FieldByName(QStringLiteral("duration")).AsDateTime();
            const TQUVField rmf = ADataset.FieldByName(QStringLiteral("rmf"));
            ARow.RmfIsNull = rmf.IsNull();
            ARow.Rmf = rmf.AsString();
        },
        qoEachRow);
    return found;
}

QString FirstLine(const QString &AText)
{
    int end = 0;
    while (end < AText.size() && AText.at(end) != QLatin1Char('\r') && AText.at(end) != QLatin1Char('\n'))
        ++end;
    return AText.left(end);
}

// The job file beside an image: the image's name with its extension replaced.
QString JobFileFor(const QString &AImage)
{
    const QFileInfo info(AImage);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".rmf"));
}

void RemoveQuietly(const QString &AFileName)
{
    if (QFileInfo::exists(AFileName))
        QFile::remove(AFileName);
}

} // namespace

bool TMorvikDataModule::ProduceBook(const QString &AId, qint32 ACopies)
{
    TOrderRow row;
    if (!ReadOrderRow(MorvikConnection(), AId, row))
        return false;

    const QString first = FirstLine(row.IsoFiles);
    const QString source = LibraryFolder() + first;
    if (!IsBareFileName(first) || !QFileInfo(source).isFile()) {
        QUV::ShowMessage(QStringLiteral("Bokfilen för ") + row.Title + QStringLiteral(" kunde inte hittas"));
        return false;
    }
    const QString target = BooksFolder() + first;
    const QString job = JobFileFor(target);

    // The job file is made complete under a name the robot ignores and gets
    // its real name only after the image copy is complete, so the robot never
    // starts on an order whose image is still being written.
    const QString pendingJob = ImageCopy::TemporaryNameFor(job);
    try {
        QUV::SaveToFile(row.Rmf, pendingJob);
        TIniFile ini(pendingJob);
        if (row.RmfIsNull) {
            const QString metadata = QStringLiteral("MergeMetaData");
            ini.WriteString(metadata, QStringLiteral("dc:identifier"), row.Id);
            ini.WriteString(metadata, QStringLiteral("dc:title"), row.Title);
            ini.WriteString(metadata, QStringLiteral("dc:creator"), row.Author);
            ini.WriteString(metadata, QStringLiteral("dc:publisher"), QStringLiteral("Zelt"));
            ini.WriteString(metadata, QStringLiteral("ncc:narrator"), row.Narrator);
        }
        const QString ddp = QStringLiteral("DDP");
        ini.WriteInteger(ddp, QStringLiteral("copies"), ACopies);
        if (row.Type == QLatin1String("AUDIO"))
            ini.WriteString(ddp, QStringLiteral("mediaType"), QString::fromLatin1(MediaTypes[0].Code));
        else if (row.Type == QLatin1String("MOVIE"))
            ini.WriteString(ddp, QStringLiteral("mediaType"), QString::fromLatin1(MediaTypes[1].Code));
        ini.WriteBool(ddp, QStringLiteral("FromLibrary"), true);
        ini.UpdateFile();
    } catch (...) {
        RemoveQuietly(pendingJob);
        throw;
    }

    ImageCopy::TBackgroundCopy copy;
    copy.Source = source;
    copy.Target = target;
    // A new order for the same image replaces the earlier one's files.
    copy.Existing = ImageCopy::TExisting::Replace;
    copy.AfterCopy = [pendingJob, job]() { ImageCopy::Publish(pendingJob, job, ImageCopy::TExisting::Replace); };
    copy.CleanUp = [pendingJob]() { RemoveQuietly(pendingJob); };
    const QString title = row.Title;
    copy.OnFailed = [this, title](const QString &AError) {
        Logger->Send(TLogLevel::Warning, QStringLiteral("ProduceBook: the order of %1 failed: %2").arg(title, AError));
        emit OrderCopyFailed(QStringLiteral("Beställningen av '%1' misslyckades: skivavbildningen kunde inte "
                                            "kopieras till beställningsmappen.")
                                 .arg(title));
    };
    ImageCopy::Start(this, copy);
    return true;
}

void TMorvikDataModule::ProduceMovie(const QString &AId, const QString &AISOFileName, qint32 ACopies)
{
    TOrderRow row;
    if (!ReadOrderRow(MorvikConnection(), AId, row))
        return;

    const QString image = QUV::IsBlank(AISOFileName) ? row.IsoFiles : AISOFileName;
    if (QUV::IsBlank(image))
        throw Exception(QStringLiteral("Skivavbildningsfilen inte angiven"));
    if (!QFileInfo(image).isFile())
        throw Exception(QStringLiteral("Skivavbildningsfilen finns inte: %1").arg(image));

    const QString target = BooksFolder() + QFileInfo(image).fileName();
    const QString job = JobFileFor(target);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QUV::CopyFile(image, target, true, false);

    const TDateTime duration = row.Duration - std::floor(row.Duration);
    TRMF::Create()
        ->SetId(row.Id)
        ->SetTitle(row.Title)
        ->SetAuthor(row.Author)
        ->SetDuration(duration)
        ->SetType(TRMFType::Video)
        ->SetISOFile(image)
        ->SetCopies(ACopies)
        ->WriteToFile(job);
}

void TMorvikDataModule::AddProduction(const QString &AId, qint32 ACopies, bool AFromLibrary)
{
    Logger->Send(QStringLiteral("Adding production record"), QVariant(AId));
    QSqlDatabase connection = MorvikConnection();
    bool inTransaction = false;
    try {
        if (!connection.transaction())
            throw Exception(EngineErrorText(connection.lastError()));
        inTransaction = true;
        QSqlQuery query(connection);
        if (!query.prepare(kInsertProduction))
            throw Exception(EngineErrorText(query.lastError()));
        query.bindValue(QStringLiteral(":id"), Text(AId));
        query.bindValue(QStringLiteral(":produced"), DateTimeText(QUV::Now()));
        query.bindValue(QStringLiteral(":copies"), ACopies);
        query.bindValue(QStringLiteral(":fromLibrary"), AFromLibrary ? 1 : 0);
        if (!query.exec())
            throw Exception(EngineErrorText(query.lastError()));
        query.finish();
        if (!connection.commit())
            throw Exception(EngineErrorText(connection.lastError()));
    } catch (const std::exception &e) {
        if (inTransaction)
            connection.rollback();
        Logger->Send(QStringLiteral("AddProduction"), e, false);
        Logger->Send(QStringLiteral("Misslyckades lägga till produktionsport för id"), QVariant(AId));
    }
}

void TMorvikDataModule::AddTask(const QString &ATask, const QStringList &AParams, TDateTime ARunAt,
                                const QUuid &ADependsOn)
{
    QString params;
    for (const QString &param : AParams)
        QUV::AppendLine(params, param);

    QSqlQuery query(MorvikConnection());
    if (!query.prepare(sqlAddTask))
        throw Exception(EngineErrorText(query.lastError()));
    query.bindValue(QStringLiteral(":id"), QUV::GuidToString(QUuid::createUuid()));
    query.bindValue(QStringLiteral(":command"), Text(ATask));
    query.bindValue(QStringLiteral(":params"), Text(params));
    query.bindValue(QStringLiteral(":runAt"), DateTimeText(ARunAt));
    query.bindValue(QStringLiteral(":dependsOn"),
                    ADependsOn.isNull() ? QVariant(QMetaType(QMetaType::QString))
                                        : QVariant(QUV::GuidToString(ADependsOn)));
    if (!query.exec())
        throw Exception(EngineErrorText(query.lastError()));
}

void TMorvikDataModule::AddTask(const QString &ATask, const QStringList &AParams, TDateTime ARunAt)
{
    AddTask(ATask, AParams, ARunAt, QUuid());
}

void TMorvikDataModule::AddTask(const QString &ATask, const QStringList &AParams)
{
    AddTask(ATask, AParams, QUV::Now());
}

std::unique_ptr<TQUVDataset> TMorvikDataModule::qryGetTasksToExecute() const
{
    auto query = std::make_unique<TQUVDataset>(MorvikConnection());
    query->SetSQL(qryGetTasksToExecuteSQL);
    return query;
}
