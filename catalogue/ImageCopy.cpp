#include "ImageCopy.h"

#include "QUV.Misc.h"
#include "QUV.Types.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QSet>
#include <QThreadPool>

#include <filesystem>
#include <system_error>

namespace ImageCopy {

namespace {

const QString kPartSuffix = QStringLiteral(".part");

QMutex &RoutineLock()
{
    static QMutex lock;
    return lock;
}

TCopyRoutine &Routine()
{
    static TCopyRoutine routine;
    return routine;
}

TCopyRoutine CurrentRoutine()
{
    QMutexLocker locker(&RoutineLock());
    if (Routine())
        return Routine();
    return [](const QString &ASource, const QString &ADestination) {
        QUV::CopyFile(ASource, ADestination, false, false);
    };
}

// Targets of the background copies still running, so that a retried or
// repeated import does not start a second copy of the same image.
QMutex &PendingLock()
{
    static QMutex lock;
    return lock;
}

QSet<QString> &Pending()
{
    static QSet<QString> pending;
    return pending;
}

QString PendingKey(const QString &ATarget)
{
    return QDir::cleanPath(QFileInfo(ATarget).absoluteFilePath());
}

void RemoveQuietly(const QString &AFileName)
{
    if (!AFileName.isEmpty() && QFileInfo::exists(AFileName))
        QFile::remove(AFileName);
}

} // namespace

TCopyRoutine SetCopyRoutine(TCopyRoutine ARoutine)
{
    QMutexLocker locker(&RoutineLock());
    TCopyRoutine previous = std::move(Routine());
    Routine() = std::move(ARoutine);
    return previous;
}

QString TemporaryNameFor(const QString &ATarget)
{
    const QFileInfo info(ATarget);
    const QString unique = QString::number(QRandomGenerator::global()->generate64(), 16);
    return info.dir().filePath(QStringLiteral(".%1.%2%3").arg(info.fileName(), unique, kPartSuffix));
}

bool IsTemporaryName(const QString &AFileName)
{
    const QString name = QFileInfo(AFileName).fileName();
    return name.startsWith(QLatin1Char('.')) && name.endsWith(kPartSuffix);
}

void Publish(const QString &ATemporary, const QString &ATarget, TExisting AExisting)
{
    if (AExisting == TExisting::Keep) {
        // QFile::rename never replaces an existing file (renameat2 with
        // RENAME_NOREPLACE on Linux), so an image that another copy put there
        // meanwhile stays untouched.
        QFile temporary(ATemporary);
        if (!temporary.rename(ATarget)) {
            const QString reason = temporary.errorString();
            RemoveQuietly(ATemporary);
            throw Exception(QStringLiteral("Could not rename %1 to %2: %3").arg(ATemporary, ATarget, reason));
        }
        return;
    }
    // rename(2) replaces the target in one step: a reader sees the old image
    // or the new one, never a mix.
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(ATemporary.toStdString()),
                            std::filesystem::path(ATarget.toStdString()), error);
    if (error) {
        RemoveQuietly(ATemporary);
        throw Exception(QStringLiteral("Could not rename %1 to %2: %3")
                            .arg(ATemporary, ATarget, QString::fromStdString(error.message())));
    }
}

void CopyImage(const QString &ASource, const QString &ATarget, TExisting AExisting)
{
    const QString temporary = TemporaryNameFor(ATarget);
    try {
        CurrentRoutine()(ASource, temporary);
        if (!QFileInfo::exists(temporary))
            throw Exception(QStringLiteral("Copy of %1 produced no file").arg(ASource));
    } catch (...) {
        RemoveQuietly(temporary);
        throw;
    }
    Publish(temporary, ATarget, AExisting);
}

bool IsPending(const QString &ATarget)
{
    QMutexLocker locker(&PendingLock());
    return Pending().contains(PendingKey(ATarget));
}

void Start(QObject *AContext, TBackgroundCopy ACopy)
{
    const QString key = PendingKey(ACopy.Target);
    {
        QMutexLocker locker(&PendingLock());
        Pending().insert(key);
    }
    QPointer<QObject> context(AContext);
    QThreadPool::globalInstance()->start([copy = std::move(ACopy), key, context]() {
        QString error;
        try {
            CopyImage(copy.Source, copy.Target, copy.Existing);
            if (copy.AfterCopy)
                copy.AfterCopy();
        } catch (const Exception &e) {
            error = e.Message();
        } catch (const std::exception &e) {
            error = QString::fromLocal8Bit(e.what());
        } catch (...) {
            error = QStringLiteral("Unknown failure copying %1").arg(copy.Source);
        }
        if (!error.isEmpty() && copy.CleanUp) {
            try {
                copy.CleanUp();
            } catch (...) {
                // The failure itself is what gets reported.
            }
        }
        {
            QMutexLocker locker(&PendingLock());
            Pending().remove(key);
        }
        if (!error.isEmpty() && copy.OnFailed) {
            // Queued to the application object, which outlives every module;
            // the context is checked there, on its own thread, so a module
            // destroyed meanwhile is never called.
            if (QCoreApplication *app = QCoreApplication::instance()) {
                auto onFailed = copy.OnFailed;
                QMetaObject::invokeMethod(
                    app,
                    [context, onFailed, error]() {
                        if (context)
                            onFailed(error);
                    },
                    Qt::QueuedConnection);
            }
        }
    });
}

} // namespace ImageCopy
