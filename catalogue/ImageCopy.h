#pragma once

// Disc images reach the image library and the books folder only whole: the
// bytes go to a hidden temporary name beside the target and are renamed to
// the real name when complete. A copy that fails, or a program that ends in
// the middle of one, leaves nothing under the real name, so the next import
// sees the image as missing and copies it again, and the robot never picks up
// half an image.

#include <QString>

#include <functional>

class QObject;

namespace ImageCopy {

// What the final rename does when the real name exists by then.
enum class TExisting {
    Keep,   // the image already there wins; the copy is dropped (import)
    Replace // the new copy replaces it atomically (an order for the same image)
};

// The routine that moves the bytes: QUV::CopyFile without overwrite or
// verification. Tests replace it to cut a copy off half way; an empty
// routine restores the real one. Returns the routine it replaces.
using TCopyRoutine = std::function<void(const QString &ASource, const QString &ADestination)>;
TCopyRoutine SetCopyRoutine(TCopyRoutine ARoutine);

// A unique hidden name in the folder of ATarget, ending in ".part": neither
// the importer nor the robot takes it for an image or a job file.
QString TemporaryNameFor(const QString &ATarget);

// Whether a name is one that TemporaryNameFor makes.
bool IsTemporaryName(const QString &AFileName);

// Renames ATemporary to ATarget as TExisting says. Raises Exception when
// that is refused or fails; the temporary is removed then.
void Publish(const QString &ATemporary, const QString &ATarget, TExisting AExisting);

// Copies ASource to ATarget through a temporary name. Raises Exception on
// failure, after removing the temporary; ATarget is then as it was.
void CopyImage(const QString &ASource, const QString &ATarget, TExisting AExisting);

// Whether a background copy to ATarget, started by this process, has not
// finished yet. The importer asks before starting a second one.
bool IsPending(const QString &ATarget);

struct TBackgroundCopy
{
    QString Source;
    QString Target;
    TExisting Existing = TExisting::Keep;
    // Runs on the pool thread once the image is under its real name (an
    // order publishes its job file here). May raise; that counts as failure.
    std::function<void()> AfterCopy;
    // Runs on the pool thread when the copy or AfterCopy failed, before the
    // failure is reported: an order removes its unpublished job file here.
    std::function<void()> CleanUp;
    // Called on the main thread (queued through the application object)
    // with the failure's text; dropped when the context object is gone.
    std::function<void(const QString &AError)> OnFailed;
};

// Starts the copy as a task on QThreadPool::globalInstance() and returns at
// once. The task touches only the file system.
void Start(QObject *AContext, TBackgroundCopy ACopy);

} // namespace ImageCopy
