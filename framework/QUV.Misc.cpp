#include "QUV.Misc.h"

#include "QUV.Helpers.h"
#include "QUV.Windows.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaMethod>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace QUV {

// ---------------------------------------------------------------- Retry

namespace {
QMutex gSleepMutex;
TSleepProc &SleepProc()
{
    static TSleepProc proc;
    return proc;
}
} // namespace

TSleepProc SetSleepProc(TSleepProc AProc)
{
    QMutexLocker lock(&gSleepMutex);
    TSleepProc old = std::move(SleepProc());
    SleepProc() = std::move(AProc);
    return old;
}

void Sleep(int AMilliseconds)
{
    TSleepProc proc;
    {
        QMutexLocker lock(&gSleepMutex);
        proc = SleepProc();
    }
    if (proc)
        proc(AMilliseconds);
    else if (AMilliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(AMilliseconds));
}

bool Retry(int ACount, int APause, const TRetryProc &AAttempt)
{
    for (int attempt = 1; attempt <= ACount; ++attempt) {
        bool success = false;
        AAttempt(attempt, success);
        if (success)
            return true;
        Sleep(APause);
    }
    return false;
}

bool Retry(int ACount, const TRetryProc &AAttempt)
{
    return Retry(ACount, 0, AAttempt);
}

// ---------------------------------------------------------------- Variants

QVariant IfThenVariant(bool ACondition, const QVariant &ATrue, const QVariant &AFalse)
{
    return ACondition ? ATrue : AFalse;
}

QVariant SingularOrPlural(const QVariant &ASingular, const QVariant &APlural, double ACount)
{
    return std::trunc(ACount) == 1.0 ? ASingular : APlural;
}
} // namespace QUV

namespace QUV {

// ---------------------------------------------------------------- Files

namespace {

// Copy fallback chunk; large reads keep the system calls few.
constexpr qint64 kChunk = 4 * 1024 * 1024;
// Digest chunk: small enough to stay in the processor cache between the read
// and the hash.
constexpr qint64 kDigestChunk = 256 * 1024;

QString ErrnoText(int AError)
{
    return QString::fromLocal8Bit(std::strerror(AError));
}

// A file descriptor closed on scope exit.
struct TFd
{
    int Fd = -1;
    explicit TFd(int AFd) : Fd(AFd) {}
    ~TFd()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    int Release()
    {
        const int fd = Fd;
        Fd = -1;
        return fd;
    }
};

// Copies the rest of AIn into AOut: copy_file_range (in-kernel, as cp does),
// falling back to large buffered reads and writes where that is not supported.
void CopyStream(int AIn, int AOut, const QString &ASource, const QString &ADestination)
{
    bool kernelCopy = true;
    qint64 copied = 0;
    while (kernelCopy) {
        const ssize_t n = ::copy_file_range(AIn, nullptr, AOut, nullptr, size_t(1) << 30, 0);
        if (n > 0) {
            copied += n;
            continue;
        }
        if (n == 0) {
            // Some file systems (procfs and the like) report nothing to copy;
            // the read loop below settles whether the source is really at its end.
            if (copied == 0)
                kernelCopy = false;
            else
                return;
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF
            || errno == ETXTBSY || errno == EPERM) {
            kernelCopy = false;
            break;
        }
        throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, cannot copy %1 to %2: %3")
                            .arg(ASource, ADestination, ErrnoText(errno)));
    }
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    for (;;) {
        const ssize_t n = ::read(AIn, buffer.get(), kChunk);
        if (n == 0)
            return;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, cannot read %1: %2")
                                .arg(ASource, ErrnoText(errno)));
        }
        const char *p = buffer.get();
        ssize_t left = n;
        while (left > 0) {
            const ssize_t w = ::write(AOut, p, size_t(left));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, cannot write %1: %2")
                                    .arg(ADestination, ErrnoText(errno)));
            }
            p += w;
            left -= w;
        }
    }
}

// Read-only in the Windows sense: not writable for us, or no write bit at all
// (which holds even for root, as the read-only attribute does on Windows).
bool IsReadOnly(const QString &AFileName)
{
    const QByteArray name = QFile::encodeName(AFileName);
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::access(name.constData(), W_OK) != 0;
}

} // namespace

bool CopyFile(const QString &ASource, const QString &ADestination, bool AOverwrite, bool AVerify)
{
    const QByteArray sourceName = QFile::encodeName(ASource);
    TFd in(::open(sourceName.constData(), O_RDONLY | O_CLOEXEC));
    if (in.Fd < 0)
        throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, cannot open %1: %2")
                            .arg(ASource, ErrnoText(errno)));
    struct stat sourceStat;
    if (::fstat(in.Fd, &sourceStat) != 0 || S_ISDIR(sourceStat.st_mode))
        throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, cannot open %1: %2")
                            .arg(ASource, ErrnoText(S_ISDIR(sourceStat.st_mode) ? EISDIR : errno)));
    ::posix_fadvise(in.Fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    const QFileInfo destination(ADestination);
    if (destination.exists() || destination.isSymLink()) {
        if (AOverwrite) {
            if (!DeleteToRecycleBin(ADestination) && !QFile::remove(ADestination))
                throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, failed to delete existing destination file"));
        } else if (destination.isDir() || IsReadOnly(ADestination)) {
            throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, cannot create %1: %2")
                                .arg(ADestination, ErrnoText(destination.isDir() ? EISDIR : EACCES)));
        }
    }

    // Written under a temporary name beside the destination and renamed when
    // complete: nobody sees a truncated file under the real name.
    const QString folder = destination.absolutePath();
    QString tempName;
    int out = -1;
    for (int tries = 0; tries < 100 && out < 0; ++tries) {
        tempName = QStringLiteral("%1/.%2.%3.part")
                       .arg(folder, destination.fileName())
                       .arg(QRandomGenerator::global()->generate64(), 0, 36);
        out = ::open(QFile::encodeName(tempName).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out < 0 && errno != EEXIST)
            break;
    }
    if (out < 0)
        throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, cannot create %1: %2")
                            .arg(ADestination, ErrnoText(errno)));
    TFd outFd(out);
    try {
        CopyStream(in.Fd, outFd.Fd, ASource, ADestination);
        const int fd = outFd.Release();
        if (::close(fd) != 0)
            throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, cannot write %1: %2")
                                .arg(ADestination, ErrnoText(errno)));
        if (::rename(QFile::encodeName(tempName).constData(), QFile::encodeName(ADestination).constData()) != 0)
            throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, cannot create %1: %2")
                                .arg(ADestination, ErrnoText(errno)));
    } catch (...) {
        ::unlink(QFile::encodeName(tempName).constData());
        throw;
    }

    if (AVerify) {
        const QString sourceDigest = FileMD5(ASource);
        const QString destinationDigest = FileMD5(ADestination);
        if (!SameDigests(sourceDigest, destinationDigest))
            throw Exception(QStringLiteral("QUV.Misc.CopyFile failed, checksum mismatch on verify"));
    }
    return true;
}

bool SameDigests(const QString &AFirst, const QString &ASecond)
{
    return !AFirst.isEmpty() && !ASecond.isEmpty() && AFirst == ASecond;
}

QString FileMD5(const QString &AFileName)
{
    const QByteArray name = QFile::encodeName(AFileName);
    TFd in(::open(name.constData(), O_RDONLY | O_CLOEXEC));
    if (in.Fd < 0)
        return QString();
    struct stat st;
    if (::fstat(in.Fd, &st) != 0 || S_ISDIR(st.st_mode))
        return QString();
    ::posix_fadvise(in.Fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    QCryptographicHash hash(QCryptographicHash::Md5);
    std::unique_ptr<char[]> buffer(new char[kDigestChunk]);
    for (;;) {
        const ssize_t n = ::read(in.Fd, buffer.get(), kDigestChunk);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return QString();
        }
        hash.addData(QByteArrayView(buffer.get(), n));
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString FormatFileSize(quint64 ASize)
{
    QLocale locale = RegionalLocale();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (ASize == 0)
        return QStringLiteral("-");
    if (ASize >= 1073741824ULL)
        return locale.toString(double(ASize) / 1073741824.0, 'f', 1) + QStringLiteral(" Gb");
    if (ASize >= 1048576ULL)
        return locale.toString(double(ASize) / 1048576.0, 'f', 1) + QStringLiteral(" Mb");
    if (ASize < 1024ULL)
        return locale.toString(double(ASize), 'f', 0) + QStringLiteral(" b");
    return locale.toString(double(ASize) / 1024.0, 'f', 1) + QStringLiteral(" Kb");
}

QString FormatDuration(int AFlags, TDateTime ADuration, double ADayLength)
{
    if (!std::isfinite(ADuration) || ADuration <= 0)
        return QString();
    const qint64 totalSeconds = std::llround(ADuration * 86400000.0) / 1000;
    QStringList parts;
    qint64 hours = 0;
    qint64 minutes = (totalSeconds / 60) % 60;
    qint64 seconds = totalSeconds % 60;
    if (AFlags & 1) {
        // Day mode: whole days of ADayLength hours once the duration reaches
        // one such day, then the hours, minutes and seconds left over. With a
        // day length of 24 these are the hour, minute and second of the day.
        const double dayLength = (std::isfinite(ADayLength) && ADayLength > 0) ? ADayLength : 24.0;
        const qint64 daySeconds = std::llround(dayLength * 3600.0);
        const qint64 days = daySeconds > 0 ? totalSeconds / daySeconds : 0;
        const qint64 rest = totalSeconds - days * daySeconds;
        hours = rest / 3600;
        minutes = (rest / 60) % 60;
        seconds = rest % 60;
        if (days > 0)
            parts << QStringLiteral("%1d").arg(days);
        if (hours > 0)
            parts << QStringLiteral("%1h").arg(hours);
    } else {
        hours = totalSeconds / 3600;
        if (hours > 0)
            parts << QStringLiteral("%1h").arg(hours);
    }
    if (minutes > 0)
        parts << QStringLiteral("%1m").arg(minutes);
    if ((AFlags & 2) && seconds > 0)
        parts << QStringLiteral("%1s").arg(seconds);
    return parts.join(QLatin1Char(' '));
}

namespace {

bool HasWildcards(const QString &AName)
{
    return AName.contains(QLatin1Char('*')) || AName.contains(QLatin1Char('?'));
}

// Windows wildcards: * any run, ? one character, everything else literal,
// compared without case. "*.*" matches every name.
QRegularExpression WildcardExpression(const QString &APattern)
{
    const QString pattern = APattern == QLatin1String("*.*") ? QStringLiteral("*") : APattern;
    QString rx;
    rx.reserve(pattern.size() * 2 + 4);
    for (QChar c : pattern) {
        if (c == QLatin1Char('*'))
            rx += QLatin1String(".*");
        else if (c == QLatin1Char('?'))
            rx += QLatin1Char('.');
        else
            rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(rx),
                              QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
}

// The entries of the folder matching the name part (exact when it holds no wildcards).
QFileInfoList MatchingEntries(const QString &AFolder, const QString &AName)
{
    QFileInfoList result;
    if (AName.isEmpty())
        return result;
    const QString folder = AFolder.isEmpty() ? QStringLiteral(".") : AFolder;
    if (!HasWildcards(AName)) {
        QFileInfo info(PathCombine(folder, AName));
        if (info.exists() || info.isSymLink())
            result << info;
        return result;
    }
    const QRegularExpression rx = WildcardExpression(AName);
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &info : entries)
        if (rx.match(info.fileName()).hasMatch())
            result << info;
    return result;
}

void SplitPattern(const QString &APattern, QString &AFolder, QString &AName)
{
    const qsizetype slash = APattern.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) {
        AFolder = QString();
        AName = APattern;
    } else {
        AFolder = slash == 0 ? QStringLiteral("/") : APattern.left(slash);
        AName = APattern.mid(slash + 1);
    }
}

} // namespace

quint64 SizeOfMatchingFiles(const QString &APattern)
{
    QString folder, name;
    SplitPattern(APattern, folder, name);
    quint64 total = 0;
    for (const QFileInfo &info : MatchingEntries(folder, name))
        if (!info.isDir())
            total += quint64(qMax<qint64>(0, info.size()));
    return total;
}

bool FileExistsInFolder(const QString &AFolder, const QString &AName)
{
    if (AFolder.isEmpty() || !QFileInfo(AFolder).isDir())
        return false;
    QString folder, name;
    SplitPattern(AName, folder, name);
    return !MatchingEntries(AFolder, name).isEmpty();
}

void CreateEmptyFile(const QString &AFileName)
{
    QFile file(AFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Exception(QStringLiteral("QUV.Misc.CreateEmptyFile failed, cannot create %1: %2")
                            .arg(AFileName, file.errorString()));
    file.close();
}

// ---------------------------------------------------------------- MIME table

namespace {
TMimesDictionary BuildMimes()
{
    TMimesDictionary d;
    auto add = [&d](std::initializer_list<const char *> AExtensions, const char *AMime, const char *AName) {
        for (const char *ext : AExtensions)
            d.insert(QString::fromLatin1(ext), TMime::Create(QString::fromLatin1(AMime), QString::fromLatin1(AName)));
    };
    add({"jpg", "jpeg"}, "image/jpeg", "JPeg Image");
    add({"png"}, "image/png", "Png Image");
    add({"css"}, "text/css", "Cascading Style Sheet");
    add({"html"}, "text/html", "HTML file");
    add({"js"}, "image/js", "Javascript file");
    add({"doc", "dot"}, "application/msword", "MS Word");
    add({"docx"}, "application/vnd.openxmlformats-officedocument.wordprocessingml.document", "MS Word");
    add({"dotx"}, "application/vnd.openxmlformats-officedocument.wordprocessingml.template", "MS Word");
    add({"docm"}, "application/vnd.ms-word.document.macroEnabled.12", "MS Word");
    add({"dotm"}, "application/vnd.ms-word.template.macroEnabled.12", "MS Word Template");
    add({"xls", "xla"}, "application/vnd.ms-excel", "Excel");
    add({"xlt"}, "application/vnd.ms-excel", "Excel Template");
    add({"xlsx"}, "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", "Excel");
    add({"xltx"}, "application/vnd.openxmlformats-officedocument.spreadsheetml.template", "Excel Template");
    add({"xlsm"}, "application/vnd.ms-excel.sheet.macroEnabled.12", "Excel Macro");
    add({"xltm"}, "application/vnd.ms-excel.template.macroEnabled.12", "Excel Template Macro");
    add({"xlam"}, "application/vnd.ms-excel.addin.macroEnabled.12", "Excel");
    add({"xlsb"}, "application/vnd.ms-excel.sheet.binary.macroEnabled.12", "Excel");
    add({"ppt", "pps", "ppa"}, "application/vnd.ms-powerpoint", "Powerpoint");
    add({"pot"}, "application/vnd.ms-powerpoint", "Powerpoint Template");
    add({"pptx"}, "application/vnd.openxmlformats-officedocument.presentationml.presentation", "Powerpoint");
    add({"potx"}, "application/vnd.openxmlformats-officedocument.presentationml.template", "Powerpoint");
    add({"ppsx"}, "application/vnd.openxmlformats-officedocument.presentationml.slideshow", "Powerpoint");
    add({"ppam"}, "application/vnd.ms-powerpoint.addin.macroEnabled.12", "Powerpoint");
    add({"pptm"}, "application/vnd.ms-powerpoint.presentation.macroEnabled.12", "Powerpoint");
    add({"potm"}, "application/vnd.ms-powerpoint.template.macroEnabled.12", "Powerpoint");
    add({"ppsm"}, "application/vnd.ms-powerpoint.slideshow.macroEnabled.12", "Powerpoint");
    add({"mdb"}, "application/vnd.ms-access", "Access Database");
    add({"pdf"}, "application/pdf", "PDF Document");
    return d;
}
} // namespace

const TMimesDictionary &MimesDictionary()
{
    static const TMimesDictionary dictionary = BuildMimes();
    return dictionary;
}

} // namespace QUV

// ---------------------------------------------------------------- InvokeByName

bool TQUVDataModuleHelper::InvokeByName(QObject *AObject, const QString &AName, const QVariantList &AArgs,
                                        QVariant &AResult)
{
    if (!AObject || AArgs.size() > 10)
        return false;
    // Most derived class first, each class's methods in declaration order.
    for (const QMetaObject *mo = AObject->metaObject(); mo; mo = mo->superClass()) {
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod method = mo->method(i);
            if (method.access() != QMetaMethod::Public)
                continue;
            if (method.methodType() != QMetaMethod::Slot && method.methodType() != QMetaMethod::Method)
                continue;
            if (method.parameterCount() != AArgs.size())
                continue;
            if (!QUV::EqualsTo(QString::fromLatin1(method.name()), AName, true))
                continue;

            // Arguments converted to the parameter types.
            QVariantList values;
            values.reserve(AArgs.size());
            QGenericArgument args[10];
            for (int p = 0; p < AArgs.size(); ++p) {
                const QMetaType type = method.parameterMetaType(p);
                if (type == QMetaType::fromType<QVariant>()) {
                    values << QVariant::fromValue(AArgs.at(p));
                    args[p] = QGenericArgument("QVariant", &AArgs.at(p));
                    continue;
                }
                QVariant value = AArgs.at(p);
                if (!value.isValid()) {
                    value = QVariant(type);
                } else if (value.metaType() != type) {
                    if (!value.convert(type))
                        throw Exception(QStringLiteral("QUV.Misc.InvokeByName failed, argument %1 of %2 cannot be converted to %3")
                                            .arg(p + 1)
                                            .arg(AName, QString::fromLatin1(type.name())));
                }
                values << value;
                args[p] = QGenericArgument(method.parameterTypeName(p).constData(), values.last().constData());
            }

            const QMetaType returnType = method.returnMetaType();
            bool ok;
            if (returnType.id() == QMetaType::Void || !returnType.isValid()) {
                ok = method.invoke(AObject, Qt::DirectConnection, args[0], args[1], args[2], args[3], args[4],
                                   args[5], args[6], args[7], args[8], args[9]);
            } else if (returnType == QMetaType::fromType<QVariant>()) {
                QVariant result;
                ok = method.invoke(AObject, Qt::DirectConnection, QGenericReturnArgument("QVariant", &result),
                                   args[0], args[1], args[2], args[3], args[4], args[5], args[6], args[7], args[8],
                                   args[9]);
                if (ok)
                    AResult = result;
            } else {
                QVariant result(returnType);
                ok = method.invoke(AObject, Qt::DirectConnection,
                                   QGenericReturnArgument(method.typeName(), result.data()), args[0], args[1],
                                   args[2], args[3], args[4], args[5], args[6], args[7], args[8], args[9]);
                if (ok)
                    AResult = result;
            }
            if (!ok)
                throw Exception(QStringLiteral("QUV.Misc.InvokeByName failed, %1 could not be invoked").arg(AName));
            return true;
        }
    }
    return false;
}
