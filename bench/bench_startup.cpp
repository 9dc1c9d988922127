// Start-up of the data module on a large catalogue, side by side with the
// sqlite3 shell reading the catalogue view's rows from the same file.
//
//   bench_startup <folder holding morvik.sqlite> [runs, default 5] [library|report]
//   bench_startup <folder> once [library|report]     one start, for /usr/bin/time
//   bench_startup <folder> readall [library|report]  one start, then every row of
//                                                    the view read (calculated field included)
//
// Each run constructs the data module (settings pointing at the folder),
// then runs `sqlite3 <file> "<the library view's select>" > /dev/null` (the
// rows both views show; the report's grouping only adds work on the shell's
// side, so the plain select is the stricter yardstick); the two sides
// alternate so that both meet the same page cache. The first start on a file
// without the productions index builds it; that start is reported apart.
// The sqlite3 side is a whole process (start included); the module side is
// the constructor only, so `once` is there to time the whole program as well.

#include "MorvikDataModuleUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> AValues)
{
    std::sort(AValues.begin(), AValues.end());
    return AValues[AValues.size() / 2];
}

double StartModule(const QString &AFolder, TDataModuleFlavour AFlavour, bool &AFailed)
{
    TMorvikDataModuleSetup setup;
    setup.Settings = std::make_shared<TSettings>();
    setup.Settings->SetS({QStringLiteral("Paths"), QStringLiteral("Database Folder")}, AFolder);
    QElapsedTimer timer;
    timer.start();
    TMorvikDataModule module(AFlavour, setup);
    const double ms = timer.nsecsElapsed() / 1e6;
    AFailed = module.StartupFailed();
    return ms;
}

double RunShell(const QString &AFile, const QString &ASQL)
{
    QProcess shell;
    shell.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"), {AFile, ASQL});
    if (!shell.waitForFinished(-1) || shell.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

bool HasIndex(const QString &AFile)
{
    bool found = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("probe"));
        db.setDatabaseName(AFile);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            found = q.exec(QStringLiteral("select 1 from sqlite_master where name = 'productions_id'")) && q.next();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    return found;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_startup <folder> [runs|once] [library|report]\n");
        return 2;
    }
    const QString folder = QDir(args.at(1)).absolutePath() + QLatin1Char('/');
    const QString file = folder + TMorvikDataModule::DatabaseFileName;
    const bool once = args.size() > 2 && args.at(2) == QLatin1String("once");
    const bool readAll = args.size() > 2 && args.at(2) == QLatin1String("readall");
    const int runs = args.size() > 2 && !once && !readAll ? std::max(1, args.at(2).toInt()) : 5;
    const TDataModuleFlavour flavour = args.size() > 3 && args.at(3) == QLatin1String("report")
                                           ? TDataModuleFlavour::Report
                                           : TDataModuleFlavour::Library;
    if (!QFile::exists(file)) {
        std::fprintf(stderr, "%s does not exist; run gen_catalogue first\n", qPrintable(file));
        return 1;
    }
    bool failed = false;
    if (once) {
        StartModule(folder, flavour, failed);
        return failed ? 1 : 0;
    }
    if (readAll) {
        TMorvikDataModuleSetup setup;
        setup.Settings = std::make_shared<TSettings>();
        setup.Settings->SetS({QStringLiteral("Paths"), QStringLiteral("Database Folder")}, folder);
        QElapsedTimer timer;
        timer.start();
        TMorvikDataModule module(flavour, setup);
        if (module.StartupFailed())
            return 1;
        const double started = timer.nsecsElapsed() / 1e6;
        qint64 rows = 0, copies = 0;
        module.tblBooks()->ForEachRecord([&](TQUVDataset &ADataset) {
            ++rows;
            copies += ADataset.FieldByName(QStringLiteral("productions")).AsLargeInt();
        });
        std::printf("start %.1f ms; %lld rows read, %lld copies, %.1f ms in all\n", started, rows, copies,
                    timer.nsecsElapsed() / 1e6);
        return 0;
    }

    const QString select = TMorvikDataModule::CatalogueSQL(TDataModuleFlavour::Library);
    std::printf("file: %s\nflavour: %s\nsqlite3 side: sqlite3 %s \"%s\" > /dev/null\n", qPrintable(file),
                flavour == TDataModuleFlavour::Report ? "report" : "library", qPrintable(file), qPrintable(select));

    if (!HasIndex(file)) {
        const double first = StartModule(folder, flavour, failed);
        if (failed)
            return 1;
        std::printf("first start, builds the productions index: %.1f ms\n", first);
    }
    std::vector<double> module, shell;
    for (int i = 0; i < runs; ++i) {
        module.push_back(StartModule(folder, flavour, failed));
        if (failed)
            return 1;
        shell.push_back(RunShell(file, select));
        if (shell.back() < 0) {
            std::fprintf(stderr, "sqlite3 failed\n");
            return 1;
        }
        std::printf("run %d: data module %.1f ms, sqlite3 %.1f ms\n", i + 1, module.back(), shell.back());
    }
    const double m = Median(module), s = Median(shell);
    std::printf("median: data module %.1f ms, sqlite3 %.1f ms, ratio %.3f (limit 1.5)\n", m, s, m / s);
    return 0;
}
