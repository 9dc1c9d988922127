#pragma once

// Unit MorvikDataModuleUnit: the data module that both programs create at
// start-up. It owns the one connection to the catalogue file "morvik.sqlite",
// makes sure the schema exists and is current, opens the catalogue view and
// knows the three folders of the settings.
//
// Both programs build this same class; the report program's build differs in
// three points, chosen by the flavour at construction: its catalogue view is
// a grouping query with the last production time, it adds display texts for
// duration and lastProduced, and it offers Verb.

#include "Enums.h"
#include "QUV.Dataset.h"
#include "QUV.UniDACHelpers.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariant>
#include <QVariantList>

#include <memory>

enum class TDataModuleFlavour {
    Library, // MorvikLibrary: the catalogue view is the books table
    Report   // Vestrel: the catalogue view groups books with their productions
};

// What a data module starts from. The programs use the defaults; tests give
// a settings object and a program folder of their own, so that nothing
// touches the program's settings file or folder.
struct TMorvikDataModuleSetup
{
    TSettingsPtr Settings;  // nil: ReadConfigFile()
    QString ProgramFolder;  // empty: QUV::AppFolder()
};

class TMorvikDataModule : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString LibraryFolder READ LibraryFolder CONSTANT)
    Q_PROPERTY(QString BooksFolder READ BooksFolder CONSTANT)
    Q_PROPERTY(QString MoviesFolder READ MoviesFolder CONSTANT)

public:
    // Runs the start-up (DataModuleCreate). A database that cannot be opened
    // does not raise: the message is shown, the program is asked to quit with
    // exit code 1 and StartupFailed() is true. A settings file that cannot be
    // read raises its exception from here.
    explicit TMorvikDataModule(TDataModuleFlavour AFlavour, QObject *AOwner = nullptr);
    TMorvikDataModule(TDataModuleFlavour AFlavour, const TMorvikDataModuleSetup &ASetup, QObject *AOwner = nullptr);
    ~TMorvikDataModule() override;

    TDataModuleFlavour Flavour() const { return FFlavour; }

    // The one connection to the catalogue, with the query helpers.
    TQUVFDConnectionHelper MorvikConnection() const;
    // Full path of the database file.
    const QString &DatabaseName() const { return FDatabaseName; }

    // Image library, books folder (order hand-over), movies delivery folder;
    // each ends with "/".
    const QString &LibraryFolder() const { return FImageFileFolder; }
    const QString &BooksFolder() const { return FZeltBookSourceFolder; }
    const QString &MoviesFolder() const { return FZeltMoviesSourceFolder; }

    // The settings object as start-up left it (a blank database folder holds
    // the program folder in memory; the file is not written).
    const TSettingsPtr &Settings() const { return FSettings; }

    bool StartupFailed() const { return FStartupFailed; }
    // The engine's message of the failed start-up.
    const QString &StartupError() const { return FStartupError; }

    // The catalogue view: every titled book with the calculated field
    // productions (copies produced, null without productions). Rows are read
    // when the cursor reaches them; the view keeps no statement open.
    TQUVDataset *tblBooks() const { return FtblBooks.get(); }

    // Re-reads the catalogue view; its calculated field is computed again for
    // every row read.
    Q_INVOKABLE void RefreshDB();

    // Report flavour: calls the first of the module's own public methods
    // named AVerb (without case) that takes as many parameters as given, and
    // returns its result; an empty value when none matches (and always in the
    // library flavour).
    QVariant Verb(const QString &AVerb, const QVariantList &AArguments);
    QVariant Verb(const QString &AVerb);

    // The statements of scrCreateDB, in order.
    static const QStringList &scrCreateDB();
    // Statements run after the schema script: the index that makes the
    // calculated field and the report's grouping a lookup instead of a scan
    // of productions.
    static const QStringList &SchemaIndexes();
    // The catalogue view's statement as the flavour defines it (the view reads
    // the same rows, one by one).
    static QString CatalogueSQL(TDataModuleFlavour AFlavour);
    static const QString ProductionsSQL; // the calculated field's statement
    static const QString DatabaseFileName; // "morvik.sqlite"
    static const QString StartupFailedMessage;

    // ---- Operations of the import and the production orders ----
    // (MorvikDataModuleUnit.Import.cpp, MorvikDataModuleUnit.Orders.cpp)

    // Import of a delivered book: the job file's text and metadata into
    // books, the images copied into the image library in the background. A
    // busy database is retried 50 times, 2000 ms apart. Never raises: the
    // outcome shows in the catalogue and the log.
    Q_INVOKABLE void AddBook(const QString &ARMFFileName, const QString &AISOFileName);
    Q_INVOKABLE void AddBook(const QString &ARMFFileName, const QStringList &AISOFileNames);
    Q_INVOKABLE void AddBook(const QString &AIdentity, const QString &ATitle, const QString &ADescription,
                             const QString &AAuthor, const QString &ANarrator, const QString &ASet,
                             const QString &AFormat, const QString &ALanguage, const QString &ARMFFileName,
                             qint32 ADuration, TDate ADate, const QStringList &AISOFileNames);
    // Adds or replaces a sign-language movie; AFileName is the image's full path.
    Q_INVOKABLE void AddMovie(const QString &AIdentity, const QString &ATitle, const QString &AAuthor,
                              TTime ADuration, const QString &AFileName);
    // Removes the title's images from the image library and its row.
    Q_INVOKABLE void DeleteBook(const QString &AId);

    // A book order: the image copied into the books folder in the background,
    // its job file published beside it once the copy is complete. A failed
    // copy is reported through OrderCopyFailed. False when no order was
    // handed over: an unknown id, or an image missing from the library (the
    // user has been told).
    Q_INVOKABLE bool ProduceBook(const QString &AId, qint32 ACopies);
    // A movie order, copied on the calling thread; raises on failure.
    Q_INVOKABLE void ProduceMovie(const QString &AId, const QString &AISOFileName, qint32 ACopies);
    Q_INVOKABLE void AddProduction(const QString &AId, qint32 ACopies, bool AFromLibrary);
    // A task row for the outside executor; raises on a database error.
    Q_INVOKABLE void AddTask(const QString &ATask, const QStringList &AParams, TDateTime ARunAt,
                             const QUuid &ADependsOn);
    Q_INVOKABLE void AddTask(const QString &ATask, const QStringList &AParams, TDateTime ARunAt);
    Q_INVOKABLE void AddTask(const QString &ATask, const QStringList &AParams);

    // The statements of the components sqlPostMovie and sqlAddTask.
    static const QString sqlPostMovie;
    static const QString sqlAddTask;
    // The due tasks: not performed, run time reached (or unset), and not
    // waiting for an unperformed task. For the executor outside the programs;
    // the dataset is made with the statement set, not opened.
    static const QString qryGetTasksToExecuteSQL;
    std::unique_ptr<TQUVDataset> qryGetTasksToExecute() const;

    // The pause between import attempts, in milliseconds, and their number.
    static constexpr int ImportAttempts = 50;
    static constexpr int ImportAttemptPause = 2000;

Q_SIGNALS:
    // A book order's image could not be copied into the books folder; the
    // order was not handed over. Emitted on the main thread with a text for
    // the user.
    void OrderCopyFailed(const QString &AMessage);
    // ---- End of the import and the production orders ----

private:
    void DataModuleCreate(const TMorvikDataModuleSetup &ASetup);
    void DoDataModuleCreate(const TMorvikDataModuleSetup &ASetup);
    void OpenDatabase();
    void CheckWritable();
    void RunSchema();
    void MigrateSchema();
    void CreatetblBooks();
    void StartupFailure(const std::exception &AException);
    void ExecSQL(const QString &ASQL);

    void tblBooksCalcFields(TQUVDataset &ADataset);
    static QString tblBookssizeGetText(const QVariant &AValue);
    static QString tblBooksdurationGetText(const QVariant &AValue);
    static QString tblBookslastProducedGetText(const QVariant &AValue);

    TDataModuleFlavour FFlavour;
    QString FConnectionName;
    QString FDatabaseName;
    QString FImageFileFolder;
    QString FZeltBookSourceFolder;
    QString FZeltMoviesSourceFolder;
    TSettingsPtr FSettings;
    bool FStartupFailed = false;
    QString FStartupError;
    std::unique_ptr<TQUVDataset> FtblBooks;

    // ---- Components and helpers of the import and the production orders ----
};

// The process's data module; main() creates it (owned by the application
// object) and sets this.
extern TMorvikDataModule *MorvikDataModule;
