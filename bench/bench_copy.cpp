// Copying and checksumming a disc image: QUV::CopyFile against cp and
// QUV::FileMD5 against md5sum on the same 1 GiB file, in one run, so that
// both sides meet the same disk and the same page cache.
//
//   bench_copy [size in MiB, default 1024] [runs, default 5] [folder, default /tmp]
//
// The runs alternate between the two sides; the minimum and the median of
// the wall-clock times are reported. The file and its copies are deleted at
// the end.

#include "QUV.Misc.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct TSeries
{
    const char *Name;
    std::vector<double> Seconds;

    double Min() const { return *std::min_element(Seconds.begin(), Seconds.end()); }
    double Median() const
    {
        std::vector<double> sorted = Seconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

double Measure(const std::function<void()> &AWork)
{
    QElapsedTimer timer;
    timer.start();
    AWork();
    return timer.nsecsElapsed() / 1e9;
}

void RunTool(const QString &AProgram, const QStringList &AArguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(AProgram, AArguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(AProgram));
        std::exit(2);
    }
}

bool WriteImage(const QString &AFileName, qint64 AMiB)
{
    QFile file(AFileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    auto *words = reinterpret_cast<quint32 *>(block.data());
    for (qint64 i = 0; i < AMiB; ++i) {
        QRandomGenerator::global()->fillRange(words, block.size() / int(sizeof(quint32)));
        if (file.write(block) != block.size())
            return false;
    }
    return file.flush();
}

void Report(const TSeries &AOurs, const TSeries &ATheirs)
{
    for (const TSeries *s : {&AOurs, &ATheirs}) {
        std::printf("  %-10s min %7.3f s  median %7.3f s  runs:", s->Name, s->Min(), s->Median());
        for (double v : s->Seconds)
            std::printf(" %.3f", v);
        std::printf("\n");
    }
    std::printf("  ratio (min)    %.3f\n  ratio (median) %.3f\n", AOurs.Min() / ATheirs.Min(),
                AOurs.Median() / ATheirs.Median());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 mib = args.size() > 1 ? args.at(1).toLongLong() : 1024;
    const int runs = args.size() > 2 ? args.at(2).toInt() : 5;
    const QString base = args.size() > 3 ? args.at(3) : QStringLiteral("/tmp");

    QTemporaryDir folder(QDir(base).filePath(QStringLiteral("bench_copy-XXXXXX")));
    if (!folder.isValid() || mib <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: bench_copy [MiB] [runs] [folder]\n");
        return 1;
    }
    const QString image = folder.filePath(QStringLiteral("image.iso"));
    const QString ours = folder.filePath(QStringLiteral("copy-ours.iso"));
    const QString theirs = folder.filePath(QStringLiteral("copy-cp.iso"));

    std::printf("Generating %lld MiB in %s\n", mib, qPrintable(folder.path()));
    if (!WriteImage(image, mib)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(image));
        return 1;
    }
    // One untimed read so that the first timed run does not pay for the cache.
    RunTool(QStringLiteral("md5sum"), {image});

    TSeries copyOurs{"CopyFile", {}}, copyCp{"cp", {}};
    TSeries md5Ours{"FileMD5", {}}, md5Tool{"md5sum", {}};
    QString digest;
    for (int i = 0; i < runs; ++i) {
        // Alternate which side goes first, so neither always meets the other's
        // dirty pages being written back.
        auto runOurs = [&] {
            QFile::remove(ours);
            copyOurs.Seconds.push_back(Measure([&] { QUV::CopyFile(image, ours, false, false); }));
        };
        auto runCp = [&] {
            QFile::remove(theirs);
            copyCp.Seconds.push_back(Measure([&] { RunTool(QStringLiteral("cp"), {image, theirs}); }));
        };
        if (i % 2 == 0) {
            runOurs();
            runCp();
        } else {
            runCp();
            runOurs();
        }
        RunTool(QStringLiteral("sync"), {});
    }
    QFile::remove(ours);
    QFile::remove(theirs);
    RunTool(QStringLiteral("sync"), {});

    for (int i = 0; i < runs; ++i) {
        auto runOurs = [&] { md5Ours.Seconds.push_back(Measure([&] { digest = QUV::FileMD5(image); })); };
        auto runTool = [&] { md5Tool.Seconds.push_back(Measure([&] { RunTool(QStringLiteral("md5sum"), {image}); })); };
        if (i % 2 == 0) {
            runOurs();
            runTool();
        } else {
            runTool();
            runOurs();
        }
    }

    std::printf("Copy of a %lld MiB image, %d runs each:\n", mib, runs);
    Report(copyOurs, copyCp);
    std::printf("MD5 of a %lld MiB image, %d runs each (digest %s):\n", mib, runs, qPrintable(digest));
    Report(md5Ours, md5Tool);
    return 0;
}
