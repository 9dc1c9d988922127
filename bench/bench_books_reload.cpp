// Times the books page's reload on a large catalogue beside the sqlite3 shell
// running the same statement on the same file.
//
//   bench_books_reload <folder with morvik.sqlite> [runs, default 5]
//
// Make the catalogue with gen_catalogue first. The data module is started
// once (it adds the productions index a file from an older build lacks).
// Figures: the sqlite3 shell's time for the page's statement (output to
// /dev/null); the page's reload (query, FBooks, list, sort) in each sort
// order; the page's creation; and the search box narrowing the list key by
// key. The limit: a reload costs at most 1.5 times the shell. The query
// helper's share (OpenQuery visiting every row, reading nothing) is shown on
// its own line.

#include "BooksFrameUnit.h"
#include "Enums.h"
#include "MorvikDataModuleUnit.h"
#include "QUV.UniDACHelpers.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThreadPool>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const char *const kStatement =
    "select *, ( select max( produced ) from productions where id = b.id ) as Produced from books b";

struct TFigures
{
    double Min = 0;
    double Median = 0;
};

TFigures Measure(int ARuns, const std::function<void()> &AWork)
{
    std::vector<double> times;
    for (int i = 0; i < ARuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        AWork();
        times.push_back(timer.nsecsElapsed() / 1e6);
        // Work a reload handed to the pool (freeing the previous list) ends
        // before the next run, so that it does not weigh on either side.
        QThreadPool::globalInstance()->waitForDone();
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

void Print(const char *AWhat, const TFigures &AFigures, double AShellMedian = 0)
{
    std::printf("%-44s min %8.1f ms   median %8.1f ms", AWhat, AFigures.Min, AFigures.Median);
    if (AShellMedian > 0)
        std::printf("   %.2f x shell", AFigures.Median / AShellMedian);
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_books_reload <folder with morvik.sqlite> [runs]\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    const QString database = folder + QStringLiteral("/morvik.sqlite");
    if (!QFileInfo(database).isFile()) {
        std::fprintf(stderr, "no %s: run gen_catalogue first\n", qPrintable(database));
        return 2;
    }

    // A settings file of its own: the page stores its sort order there.
    QTemporaryDir settingsDir;
    SetConfigFileName(settingsDir.filePath(QStringLiteral("morvik.conf")));
    TSettings settings;
    settings.SetS({QStringLiteral("Paths"), QStringLiteral("Database Folder")}, folder);
    settings.Save();

    QElapsedTimer startup;
    startup.start();
    MorvikDataModule = new TMorvikDataModule(TDataModuleFlavour::Library);
    if (MorvikDataModule->StartupFailed())
        return 1;
    std::printf("data module start-up: %.1f ms\n", startup.nsecsElapsed() / 1e6);

    // The shell once unmeasured, so both sides read a warm file.
    auto shell = [&database] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral("sqlite3"), {database, QString::fromLatin1(kStatement)});
        if (!process.waitForFinished(-1) || process.exitCode() != 0)
            qFatal("sqlite3 failed: %s", process.readAllStandardError().constData());
    };
    shell();
    const TFigures shellFigures = Measure(runs, shell);
    Print("sqlite3 shell, same statement", shellFigures);

    // The query helper's own share: every row visited, nothing read.
    const TFigures visit = Measure(runs, [] {
        int rows = 0;
        MorvikDataModule->MorvikConnection().OpenQuery(
            QString::fromLatin1(kStatement), {}, [&rows](TQUVDataset &) { ++rows; }, qoEachRow);
    });
    Print("OpenQuery alone, rows visited", visit, shellFigures.Median);

    TBooksFrame *page = nullptr;
    const TFigures creation = Measure(1, [&page] { page = new TBooksFrame; });
    Print("page creation (three reloads)", creation, shellFigures.Median);
    std::printf("titles listed: %d\n", page->BooksModel()->rowCount());

    const struct
    {
        const char *Name;
        TSortOrder Order;
    } orders[] = {{"reload, title order", TSortOrder::Title},
                  {"reload, latest produced first", TSortOrder::Produced},
                  {"reload, latest added first", TSortOrder::Added}};
    for (const auto &order : orders) {
        page->SetSortOrder(order.Order);
        Print(order.Name, Measure(runs, [page] { page->Populate(); }), shellFigures.Median);
    }

    // Typing "sommar" into the search box, one key at a time, then clearing it.
    const QString typed = QStringLiteral("sommar");
    std::vector<double> keys;
    for (int i = 1; i <= typed.size(); ++i) {
        QElapsedTimer timer;
        timer.start();
        page->BooksModel()->SetFilter(typed.left(i));
        keys.push_back(timer.nsecsElapsed() / 1e6);
    }
    QElapsedTimer clear;
    clear.start();
    page->BooksModel()->SetFilter(QString());
    std::printf("search keys (ms each):");
    for (double k : keys)
        std::printf(" %.1f", k);
    std::printf("; clear %.1f ms\n", clear.nsecsElapsed() / 1e6);

    delete page;
    delete MorvikDataModule;
    MorvikDataModule = nullptr;
    return 0;
}
