// The import of delivered books and movies into the catalogue, and the
// removal of a title with its images.

#include "MorvikDataModuleUnit.h"

#include "CatalogueStorage.h"

#include "ImageCopy.h"
#include "JobMetadata.h"
#include "QUV.Helpers.h"
#include "QUV.IniFiles.h"
#include "QUV.Log.h"
#include "QUV.Misc.h"
#include "RMF.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

const QString TMorvikDataModule::sqlPostMovie = QStringLiteral(
    "insert or replace into books ( id, title, author, duration, type, isofiles, rmf ) "
    "values ( :id, :title, :author, :duration, 'MOVIE', :isofiles, :rmf )");

using namespace CatalogueStorage;

namespace {

const QString kInsertBook = QStringLiteral(
    "insert into books ( id, title, author, narrator, description, duration, diskset, format, date, type, "
    "language, rmf, isofiles, size ) values ( :id, :title, :author, :narrator, :description, :duration, "
    ":diskset, :format, :date, :type, :language, :rmf, :isofiles, :size )");
const QString kUpdateBook = QStringLiteral(
    "update books set title = :title, author = :author, narrator = :narrator, description = :description, "
    "duration = :duration, diskset = :diskset, format = :format, date = :date, type = :type, "
    "language = :language, rmf = :rmf, isofiles = :isofiles, size = :size where id = :id");
const QString kBookExists = QStringLiteral("select 1 from books where id = :id");
const QString kSelectBook = QStringLiteral("select * from books where id = :id");
const QString kDeleteBook = QStringLiteral("delete from books where id = :id");

const QString kCRLF = QStringLiteral("\r\n");

QString ExceptionText(const std::exception &AException)
{
    if (const auto *e = dynamic_cast<const Exception *>(&AException))
        return e->Message();
    return QString::fromUtf8(AException.what());
}

// Closes the method bracket whatever way the method is left.
class TMethodBracket
{
public:
    TMethodBracket(const QObject *ACaller, QString AName) : FName(std::move(AName))
    {
        Logger->EnterMethod(ACaller, FName);
    }
    ~TMethodBracket() { Logger->ExitMethod(FName); }
    TMethodBracket(const TMethodBracket &) = delete;
    TMethodBracket &operator=(const TMethodBracket &) = delete;

private:
    QString FName;
};

// A transaction on the module's connection that rolls back unless committed.
class TTransaction
{
public:
    explicit TTransaction(QSqlDatabase AConnection) : FConnection(std::move(AConnection))
    {
        if (!FConnection.transaction())
            throw Exception(EngineErrorText(FConnection.lastError()));
        FOpen = true;
    }
    ~TTransaction()
    {
        if (FOpen)
            FConnection.rollback();
    }
    void Commit()
    {
        if (!FConnection.commit())
            throw Exception(EngineErrorText(FConnection.lastError()));
        FOpen = false;
    }
    TTransaction(const TTransaction &) = delete;
    TTransaction &operator=(const TTransaction &) = delete;

private:
    QSqlDatabase FConnection;
    bool FOpen = false;
};

void Exec(QSqlQuery &AQuery)
{
    if (!AQuery.exec())
        throw Exception(EngineErrorText(AQuery.lastError()));
}

} // namespace

void TMorvikDataModule::AddBook(const QString &ARMFFileName, const QString &AISOFileName)
{
    AddBook(ARMFFileName, QStringList{AISOFileName});
}

void TMorvikDataModule::AddBook(const QString &ARMFFileName, const QStringList &AISOFileNames)
{
    using JobMetadata::Trim;
    try {
        const TIniFile job(ARMFFileName);
        const QString section = QStringLiteral("MergeMetaData");
        const auto read = [&](const char *AKey) { return job.ReadString(section, QLatin1String(AKey), QString()); };

        const qint32 duration = JobMetadata::TotalTimeSeconds(read("ncc:totalTime"));
        const QString description = Trim(read("dc:description"));
        const QString author = Trim(read("dc:creator"));
        const QString narrator = Trim(read("ncc:narrator"));
        const QString set = JobMetadata::SetInfo(read("ncc:setInfo"));
        const QString format = Trim(read("dc:format"));
        const QString language = Trim(read("dc:language"));
        TDate date = 0;
        if (!JobMetadata::TryReadDate(read("dc:date"), date))
            date = QUV::Date();
        const QString title = Trim(read("dc:title"));
        const QString identity = Trim(read("dc:identifier"));

        AddBook(identity, title, description, author, narrator, set, format, language, ARMFFileName, duration,
                date, AISOFileNames);
    } catch (const std::exception &e) {
        Logger->Send(QStringLiteral("AddBook"), e, false);
    }
}

void TMorvikDataModule::AddBook(const QString &AIdentity, const QString &ATitle, const QString &ADescription,
                                const QString &AAuthor, const QString &ANarrator, const QString &ASet,
                                const QString &AFormat, const QString &ALanguage, const QString &ARMFFileName,
                                qint32 ADuration, TDate ADate, const QStringList &AISOFileNames)
{
    TMethodBracket bracket(this, QStringLiteral("AddBook"));
    if (QUV::IsBlank(ATitle))
        return;

    // Every attempt works from the caller's full paths: the list of bare
    // names is built afresh, so a later attempt finds the same images.
    const auto attempt = [&](int AAttempt, bool &ASuccess) {
        const TQUVFDConnectionHelper connection = MorvikConnection();
        try {
            TTransaction transaction(connection);

            QString isoFiles;
            qint64 size = 0; // 64-bit: DVD and Blu-ray images pass 4 GiB
            for (const QString &image : AISOFileNames) {
                const QFileInfo source(image);
                const bool present = source.isFile();
                const QString name = source.fileName();
                const QString target = LibraryFolder() + name;
                if (present && IsBareFileName(name) && !QFileInfo::exists(target) && !ImageCopy::IsPending(target)) {
                    ImageCopy::TBackgroundCopy copy;
                    copy.Source = source.absoluteFilePath();
                    copy.Target = target;
                    copy.Existing = ImageCopy::TExisting::Keep;
                    copy.OnFailed = [target](const QString &AError) {
                        Logger->Send(TLogLevel::Warning,
                                     QStringLiteral("AddBook: the image could not be copied to %1: %2")
                                         .arg(target, AError));
                    };
                    ImageCopy::Start(this, copy);
                }
                isoFiles += name + kCRLF;
                size += present ? source.size() : 0;
            }

            const QString rmf = QUV::LoadFromFile(ARMFFileName);

            // Bound as text also when blank, as the insert binds it, so that
            // a book without identifier is found again on its next import.
            bool known = false;
            connection.OpenQuery(
                kBookExists, {QStringLiteral("id"), Text(AIdentity)},
                [&known](TQUVDataset &ADataset) { known = !ADataset.Eof(); }, qoNamedParams);

            QSqlQuery query(connection);
            if (!query.prepare(known ? kUpdateBook : kInsertBook))
                throw Exception(EngineErrorText(query.lastError()));
            query.bindValue(QStringLiteral(":id"), Text(AIdentity));
            query.bindValue(QStringLiteral(":title"), Text(ATitle));
            query.bindValue(QStringLiteral(":author"), Text(AAuthor));
            query.bindValue(QStringLiteral(":narrator"), Text(ANarrator));
            query.bindValue(QStringLiteral(":description"), Text(ADescription));
            query.bindValue(QStringLiteral(":duration"), ADuration);
            query.bindValue(QStringLiteral(":diskset"), Text(ASet));
            query.bindValue(QStringLiteral(":format"), Text(AFormat));
            query.bindValue(QStringLiteral(":date"), ADate == 0 ? QVariant(DateTimeText(QUV::Date())) : QVariant(ADate));
            query.bindValue(QStringLiteral(":language"), Text(ALanguage));
            query.bindValue(QStringLiteral(":rmf"), Text(rmf));
            query.bindValue(QStringLiteral(":isofiles"), Text(isoFiles));
            query.bindValue(QStringLiteral(":size"), size);
            query.bindValue(QStringLiteral(":type"), JobMetadata::BookType(AIdentity));
            Exec(query);
            query.finish();

            transaction.Commit();
            Logger->Send(QStringLiteral("Book was added successfully"));
            ASuccess = true;
        } catch (const std::exception &e) {
            Logger->Send(QStringLiteral("AddBook"), e, false);
            Logger->Send(QStringLiteral("Attempt"), AAttempt);
            Logger->Send(QStringLiteral("Id"), QVariant(AIdentity));
            Logger->Send(QStringLiteral("Name"), QVariant(ATitle));
        }
    };
    try {
        // After fifty failures the import is given up, as after a success.
        QUV::Retry(ImportAttempts, ImportAttemptPause, attempt);
    } catch (const std::exception &e) {
        Logger->Send(QStringLiteral("AddBook"), e, false);
    }
}

void TMorvikDataModule::AddMovie(const QString &AIdentity, const QString &ATitle, const QString &AAuthor,
                                 TTime ADuration, const QString &AFileName)
{
    TMethodBracket bracket(this, QStringLiteral("AddMovie"));
    try {
        const TQUVFDConnectionHelper connection = MorvikConnection();
        TTransaction transaction(connection);
        const IRMFPtr job = TRMF::Create()
                                ->SetId(AIdentity)
                                ->SetTitle(ATitle)
                                ->SetAuthor(AAuthor)
                                ->SetDuration(ADuration)
                                ->SetISOFile(AFileName);
        QSqlQuery query(connection);
        if (!query.prepare(sqlPostMovie))
            throw Exception(EngineErrorText(query.lastError()));
        query.bindValue(QStringLiteral(":id"), Text(AIdentity));
        query.bindValue(QStringLiteral(":title"), Text(ATitle));
        query.bindValue(QStringLiteral(":author"), Text(AAuthor));
        query.bindValue(QStringLiteral(":isofiles"), Text(AFileName));
        // A running time on the zero date, as the catalogue stores date-times.
        query.bindValue(QStringLiteral(":duration"), DateTimeText(ADuration));
        query.bindValue(QStringLiteral(":rmf"), job->AsString());
        Exec(query);
        query.finish();
        transaction.Commit();
    } catch (const std::exception &e) {
        Logger->Send(QStringLiteral("AddMovie"), e, false);
    }
}

void TMorvikDataModule::DeleteBook(const QString &AId)
{
    TMethodBracket bracket(this, QStringLiteral("DeleteBook"));
    try {
        const TQUVFDConnectionHelper connection = MorvikConnection();
        TTransaction transaction(connection);

        QStringList lines;
        bool found = false;
        // The id is bound as the delete below binds it, so the row whose
        // images are removed is the row that goes.
        connection.OpenQuery(
            kSelectBook, {QStringLiteral("id"), Text(AId)},
            [&](TQUVDataset &ADataset) {
                found = true;
                lines = ADataset.FieldByName(QStringLiteral("isofiles"))
                            .AsString()
                            .split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
                // The text ends with a line end: no line after it.
                if (!lines.isEmpty() && lines.constLast().isEmpty())
                    lines.removeLast();
            },
            qoEachRow | qoNamedParams);

        if (found) {
            // Every line is checked before the first file goes: a row that
            // names something outside the image library, or an image that is
            // missing, deletes nothing. The report program's build passes
            // over missing images instead.
            QStringList images;
            for (const QString &line : lines) {
                if (!IsBareFileName(line))
                    throw Exception(QStringLiteral("%1 is not a file in the image library").arg(line));
                const QString image = LibraryFolder() + line;
                if (QFileInfo(image).isFile())
                    images << image;
                else if (Flavour() != TDataModuleFlavour::Report)
                    throw Exception(QStringLiteral("Cannot delete %1: %2").arg(image, QStringLiteral("No such file")));
            }
            for (const QString &image : images) {
                QFile file(image);
                if (!file.remove())
                    throw Exception(QStringLiteral("Cannot delete %1: %2").arg(image, file.errorString()));
            }
        }

        QSqlQuery query(connection);
        if (!query.prepare(kDeleteBook))
            throw Exception(EngineErrorText(query.lastError()));
        query.bindValue(QStringLiteral(":id"), Text(AId));
        Exec(query);
        query.finish();
        transaction.Commit();
    } catch (const std::exception &e) {
        Logger->Send(TLogLevel::Warning, QStringLiteral("Error deleting book ISO file: ") + ExceptionText(e));
    }
}
