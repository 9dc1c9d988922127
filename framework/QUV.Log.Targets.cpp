#include "QUV.Log.Targets.h"

#include "QUV.Types.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <syslog.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

bool Blank(const QString &AText)
{
    for (QChar c : AText)
        if (c.unicode() > 0x20)
            return false;
    return true;
}

// The folder part of a file name with its trailing delimiter ("" for a bare name).
QString FolderPart(const QString &AFileName)
{
    const qsizetype slash = AFileName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : AFileName.left(slash + 1);
}

QString NamePart(const QString &AFileName)
{
    const qsizetype slash = AFileName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? AFileName : AFileName.mid(slash + 1);
}

// The text of the operating system's error, as RaiseLastOSError words it.
QString OSErrorText(int AErrno)
{
    return QStringLiteral("System Error.  Code: %1.\n%2").arg(AErrno).arg(QString::fromLocal8Bit(std::strerror(AErrno)));
}

} // namespace

// ---------------------------------------------------------------- TLogTarget

TLogTarget::TLogTarget(const QString &ACode, const QString &AName)
    : FSenderName(Blank(AName) ? QStringLiteral("QUV.Logger (%1)").arg(ACode) : AName)
    , FCode(ACode)
{
}

TLogTarget::~TLogTarget() = default;

void TLogTarget::WriteMessage(const ILogMessagePtr &AMessage)
{
    if (!FActive)
        return;
    switch (AMessage->Level()) {
    case TLogLevel::EnterMethod:
        DoWriteMessage(AMessage);
        ++FCurrentIndent;
        break;
    case TLogLevel::ExitMethod:
        if (FCurrentIndent > 0)
            --FCurrentIndent;
        DoWriteMessage(AMessage);
        break;
    default:
        DoWriteMessage(AMessage);
        break;
    }
}

void TLogTarget::DoWriteMessage(const ILogMessagePtr &AMessage)
{
    Q_UNUSED(AMessage);
}

QString TLogTarget::FormatHeader(TLogLevel ALevel) const
{
    const QString time = QUV::CurrentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"));
    const QString level = LogLevelName(ALevel).leftJustified(10, QLatin1Char(' '), true);
    return QLatin1Char('[') + FSenderName + QLatin1Char('|') + time + QLatin1Char('>') + level + QStringLiteral("] ");
}

QString TLogTarget::FormatLine(const QString &AHeader, const QString &APayLoad) const
{
    return AHeader + QString(FCurrentIndent, QLatin1Char(' ')) + APayLoad;
}

void TLogTarget::Flush()
{
}

// ---------------------------------------------------------------- TFileLogTarget

TFileLogTarget::TFileLogTarget(const QString &ACode, const QString &AFileName)
    : TLogTarget(ACode, AFileName)
{
    OpenLogFile(AFileName);
}

TFileLogTarget::~TFileLogTarget()
{
    CloseLogFile();
}

QString TFileLogTarget::DefaultLogFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(QStringLiteral("QUVLogger"));
}

bool TFileLogTarget::IsFileOpen() const
{
    return FOutputStream && FOutputStream->isOpen();
}

void TFileLogTarget::CloseLogFile()
{
    if (FOutputStream) {
        FOutputStream->flush();
        FOutputStream->close();
        FOutputStream.reset();
    }
}

void TFileLogTarget::EnsureLogFolder()
{
    QString folder = FolderPart(FFileName);
    if (Blank(folder)) {
        folder = DefaultLogFolder();
        FCompleteFileName = QDir(folder).filePath(FFileName);
    } else {
        FCompleteFileName = QFileInfo(FFileName).absoluteFilePath();
        folder = QFileInfo(FCompleteFileName).absolutePath();
    }
    if (QFileInfo(folder).isDir())
        return;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdString()), error);
    if (error || !QFileInfo(folder).isDir()) {
        const QString message = error ? QString::fromLocal8Bit(error.message().c_str())
                                      : QStringLiteral("Not a directory");
        SetActive(false);
        Logger->Send(TLogLevel::LogInternalError, QStringLiteral("Failed to create log folder %s (%s)"),
                     QVariantList{folder, message});
        throw Exception(message);
    }
}

void TFileLogTarget::OpenLogFile(const QString &AFileName)
{
    CloseLogFile();
    FFileName = AFileName;
    try {
        EnsureLogFolder();
        if (!Blank(FFileName)) {
            auto file = std::make_unique<QFile>(FCompleteFileName);
            // Appends to an existing file, creates a missing one. (Windows
            // shares it for reading only; Linux has no share modes.)
            if (!file->open(QIODevice::WriteOnly | QIODevice::Append))
                throw Exception(file->errorString());
            if (file->size() == 0) {
                static const char bom[] = "\xEF\xBB\xBF";
                if (file->write(bom, 3) != 3 || !file->flush())
                    throw Exception(file->errorString());
            }
            FOutputStream = std::move(file);
        }
    } catch (const Exception &e) {
        FOutputStream.reset();
        SetActive(false);
        Logger->Send(TLogLevel::LogInternalError,
                     QStringLiteral("Failure to create log file or folder. File logging has been disabled."),
                     QVariant(e.Message()));
    }
}

void TFileLogTarget::RotateIfTooLarge()
{
    if (!IsFileOpen())
        return;
    const qint64 limit = static_cast<qint64>(FMaxPartSizeInMBytes < 4 ? FMaxPartSizeInMBytes : 4) * 1048576;
    if (FOutputStream->size() <= limit)
        return;
    // Beside the file in use: the folder part of the given name is empty
    // for a file in the default folder.
    const QString folder = FolderPart(FCompleteFileName);
    const QString name = NamePart(FFileName);
    const qsizetype firstDot = name.indexOf(QLatin1Char('.'));
    const qsizetype lastDot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = firstDot < 0 ? name : name.left(firstDot);
    const QString extension = lastDot < 0 ? QString() : name.mid(lastDot);
    const QString stamp = QUV::CurrentDateTime().toString(QStringLiteral("yyyyMMdd'T'HHmmss-zzz"));
    const QString newName = QStringLiteral("%1%2-%3%4").arg(folder, stem, stamp, extension);

    CloseLogFile();
    const QString oldName = FCompleteFileName;
    // Never onto an existing file (rename(2) would replace it silently).
    int error = 0;
    if (QFileInfo::exists(newName))
        error = EEXIST;
    else if (std::rename(QFile::encodeName(oldName).constData(), QFile::encodeName(newName).constData()) != 0)
        error = errno;
    if (error != 0) {
        // The file is closed now: stay closed and inactive rather than write
        // through a closed file, and say so, then raise the system's error.
        SetActive(false);
        Logger->Send(TLogLevel::LogInternalError,
                     QStringLiteral("Failed to rotate log file %s to %s. File logging has been disabled."),
                     QVariantList{oldName, newName});
        throw Exception(OSErrorText(error));
    }
    OpenLogFile(FFileName);
    Flush();
}

void TFileLogTarget::DoWriteMessage(const ILogMessagePtr &AMessage)
{
    if (FUseCircularLogs)
        RotateIfTooLarge();
    if (!IsFileOpen())
        return;
    const QByteArray line = (FormatLine(AMessage->Header(), AMessage->PayLoad()) + QStringLiteral("\r\n")).toUtf8();
    // Passed on to the file at once: a crash loses at most this line.
    if (FOutputStream->write(line) != line.size() || !FOutputStream->flush())
        throw Exception(QStringLiteral("QUV.Log.Targets write to %1 failed: %2")
                            .arg(FCompleteFileName, FOutputStream->errorString()));
}

void TFileLogTarget::Flush()
{
    if (IsFileOpen())
        FOutputStream->flush();
}

// ---------------------------------------------------------------- TOutputDebugStringsLogTarget

void TOutputDebugStringsLogTarget::DoWriteMessage(const ILogMessagePtr &AMessage)
{
    // One write per line, so lines of two processes on one terminal do not mix.
    const QByteArray line = (FormatLine(AMessage->Header(), AMessage->PayLoad()) + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

// ---------------------------------------------------------------- TEventLogTarget

TEventLogTarget::TEventLogTarget(const QString &ACode, const QString &AName, bool ARegisterEventLog)
    : TLogTarget(ACode, AName)
    , FEventSource(Blank(AName) ? QStringLiteral("QUV.Logger") : AName)
    , FIdent(FEventSource.toUtf8())
{
    SetEnabledLogLevels({TLogLevel::Error, TLogLevel::Exception, TLogLevel::Warning});
    if (ARegisterEventLog)
        RegisterTargetWithEventViewer();
}

TEventLogTarget::~TEventLogTarget()
{
    closelog();
}

int TEventLogTarget::EventType(TLogLevel ALevel)
{
    switch (ALevel) {
    case TLogLevel::Error:
    case TLogLevel::Exception:
    case TLogLevel::LogInternalError:
        return LOG_ERR;
    case TLogLevel::Warning:
        return LOG_WARNING;
    default:
        return LOG_INFO;
    }
}

void TEventLogTarget::DoWriteMessage(const ILogMessagePtr &AMessage)
{
    const QByteArray text = FormatLine(AMessage->Header(), AMessage->PayLoad()).toUtf8();
    // syslog's ident is process-wide: set it for each report, so several
    // event-log targets each write under their own source.
    openlog(FIdent.constData(), LOG_PID, LOG_USER);
    syslog(EventType(AMessage->Level()), "%s", text.constData());
}

void TEventLogTarget::RegisterTargetWithEventViewer()
{
    // syslog(3) needs no registration of a source and no rights, so there is
    // nothing to write and nothing that can fail: "Error updating the
    // registry. This action requires administrative rights." is never raised
    // on Linux.
}
