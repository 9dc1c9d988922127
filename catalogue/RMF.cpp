#include "RMF.h"

#include "Enums.h"
#include "QUV.IniFiles.h"

#include <QSaveFile>

#include <cmath>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A value that is not a number would make the date arithmetic undefined;
// the text must come out whatever the caller set.
QDateTime SafeDateTime(TDateTime AValue)
{
    return QUV::FromDateTime(std::isfinite(AValue) ? AValue : 0.0);
}

void AppendPair(QString &AText, const QString &APrefix, const QString &AName, const QString &AValue)
{
    AText += APrefix + AName + QStringLiteral(" = ") + AValue + kCrLf;
}

} // namespace

QString RMFMediaCode(TRMFType AType)
{
    return QString::fromLatin1(MediaTypes[AType == TRMFType::Video ? 1 : 0].Code);
}

IRMFPtr TRMF::Create()
{
    return std::shared_ptr<TRMF>(new TRMF());
}

IRMFPtr TRMF::Self()
{
    return shared_from_this();
}

IRMFPtr TRMF::SetId(const QString &AId)
{
    FId = AId;
    return Self();
}

IRMFPtr TRMF::SetTitle(const QString &ATitle)
{
    FTitle = ATitle;
    return Self();
}

IRMFPtr TRMF::SetAuthor(const QString &AAuthor)
{
    FAuthor = AAuthor;
    return Self();
}

IRMFPtr TRMF::SetNarrator(const QString &ANarrator)
{
    FNarrator = ANarrator;
    return Self();
}

IRMFPtr TRMF::SetDescription(const QString &ADescription)
{
    FDescription = ADescription;
    return Self();
}

IRMFPtr TRMF::SetDuration(TTime ADuration)
{
    FDuration = ADuration;
    return Self();
}

IRMFPtr TRMF::SetDiskset(const QString &ADiskset)
{
    FDiskset = ADiskset;
    return Self();
}

IRMFPtr TRMF::SetFormat(const QString &AFormat)
{
    FFormat = AFormat;
    return Self();
}

IRMFPtr TRMF::SetDate(TDateTime ADate)
{
    FDate = ADate;
    return Self();
}

IRMFPtr TRMF::SetLanguage(const QString &ALanguage)
{
    FLanguage = ALanguage;
    return Self();
}

IRMFPtr TRMF::SetType(TRMFType AType)
{
    FType = AType;
    return Self();
}

IRMFPtr TRMF::SetISOFile(const QString &AISOFile)
{
    FISOFile = AISOFile;
    return Self();
}

IRMFPtr TRMF::SetCopies(qint32 ACopies)
{
    FCopies = ACopies;
    return Self();
}

QString TRMF::AsString() const
{
    const QString dc = QStringLiteral("dc:");
    const QString ncc = QStringLiteral("ncc:");
    QString text;
    text += QStringLiteral("[MergeMetaData]") + kCrLf;
    AppendPair(text, dc, QStringLiteral("identifier"), FId);
    AppendPair(text, dc, QStringLiteral("title"), FTitle);
    AppendPair(text, dc, QStringLiteral("creator"), FAuthor);
    AppendPair(text, dc, QStringLiteral("publisher"), QStringLiteral("Kelda"));
    AppendPair(text, dc, QStringLiteral("format"), FFormat);
    AppendPair(text, dc, QStringLiteral("setInfo"), FDiskset);
    // Only the time of day: whole days of a long duration are dropped.
    AppendPair(text, dc, QStringLiteral("totalTime"), QUV::FormatLongTime(SafeDateTime(FDuration).time()));
    AppendPair(text, dc, QStringLiteral("narrator"), FNarrator);
    AppendPair(text, dc, QStringLiteral("date"), QUV::FormatShortDate(SafeDateTime(FDate).date()));
    AppendPair(text, ncc, QStringLiteral("maxPageNormal"), QString::number(157));
    AppendPair(text, ncc, QStringLiteral("multimediaType"), QStringLiteral("audioNcc"));
    text += QStringLiteral("[DDP]") + kCrLf;
    AppendPair(text, QString(), QStringLiteral("copies"), QString::number(FCopies));
    AppendPair(text, QString(), QStringLiteral("mediaType"), RMFMediaCode(FType));
    return text;
}

void TRMF::WriteToFile(const QString &AFileName) const
{
    const QByteArray bytes = QUV::EncodeAnsi(AsString());
    QSaveFile file(AFileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Exception(QStringLiteral("Cannot create file \"%1\". %2").arg(AFileName, file.errorString()));
}
