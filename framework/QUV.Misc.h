#pragma once

// Unit QUV.Misc: retry loop, Variant helpers, file helpers, MIME table and
// the data-module method invoker.

#include "QUV.Types.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>

namespace QUV {

// Attempt procedure of Retry: attempt number from 1, success flag that starts false.
using TRetryProc = std::function<void(int AAttempt, bool &ASuccess)>;

// Calls the attempt up to ACount times until it sets success; sleeps APause
// ms after every failed attempt (also after the last). Exceptions of the
// attempt are not caught.
bool Retry(int ACount, int APause, const TRetryProc &AAttempt);
bool Retry(int ACount, const TRetryProc &AAttempt);

// The pause of Retry and of the settings reader. Test seam only: the
// programs keep the real sleep. SetSleepProc({}) restores it; returns the
// procedure it replaces.
using TSleepProc = std::function<void(int AMilliseconds)>;
TSleepProc SetSleepProc(TSleepProc AProc);
void Sleep(int AMilliseconds);

QVariant IfThenVariant(bool ACondition, const QVariant &ATrue, const QVariant &AFalse);
// The singular when the count truncated to an integer is exactly 1, else the plural.
QVariant SingularOrPlural(const QVariant &ASingular, const QVariant &APlural, double ACount);

// Copies the source to the destination; true, failures raise Exception.
// With overwrite an existing destination goes to the trash first (deleted
// when that fails); without it an existing destination is an error. The copy
// is written under a temporary name in the destination folder and renamed
// when complete, so an interrupted copy never leaves a truncated file under
// the real name. With verify the MD5 of both files must match, and an empty
// digest (unreadable file) counts as a mismatch.
bool CopyFile(const QString &ASource, const QString &ADestination, bool AOverwrite, bool AVerify);

// Whether two FileMD5 digests prove equal content: both non-empty and equal
// (an empty digest is a file that could not be read, never a match).
bool SameDigests(const QString &AFirst, const QString &ASecond);

// MD5 of the file's bytes as 32 lower-case hex digits; "" when it cannot be read.
QString FileMD5(const QString &AFileName);

// "-", "512 b", "2,0 Kb", "1,0 Mb", "1,0 Gb" (Swedish decimal comma); 64-bit.
QString FormatFileSize(quint64 ASize);

// Duration text such as "1d 2h 5m 7s". Flag 1: day mode with days of
// ADayLength hours (a day count from one whole day of that length on, then
// the remaining hours); flag 2: seconds too.
QString FormatDuration(int AFlags, TDateTime ADuration, double ADayLength);

// Sum of the sizes of the files matching the pattern (folder part, then a
// name with the wildcards * and ?, matched without case); 64-bit.
quint64 SizeOfMatchingFiles(const QString &APattern);

// False when the folder does not exist; else whether an entry matches the
// file-name part of the name (wildcards * and ?, without case).
bool FileExistsInFolder(const QString &AFolder, const QString &AName);

// Creates the file with length 0, emptying it if it exists; raises Exception on failure.
void CreateEmptyFile(const QString &AFileName);

struct TMime
{
    QString Mime;
    QString FriendlyName;
    static TMime Create(const QString &AMime, const QString &AFriendlyName)
    {
        return TMime{AMime, AFriendlyName};
    }
};

// Lower-case extension without the dot -> TMime.
using TMimesDictionary = QHash<QString, TMime>;

// The one global table, 34 entries, built on first use.
const TMimesDictionary &MimesDictionary();

} // namespace QUV

// Invokes a method of a QObject by name through the meta-object system.
struct TQUVDataModuleHelper
{
    // Looks at the public slots and Q_INVOKABLE methods of the object's class
    // and its bases (most derived class first); the first whose name equals
    // AName ignoring case and whose parameter count equals the number of
    // arguments is invoked, arguments converted to its parameter types, and
    // its result stored in AResult. When none matches nothing is called and
    // AResult is left as it was. Returns whether a method was invoked.
    static bool InvokeByName(QObject *AObject, const QString &AName, const QVariantList &AArgs,
                             QVariant &AResult);
};
