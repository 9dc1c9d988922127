#include "QUV.Helpers.h"

#include "QUV.Types.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace QUV {

namespace {
const QString kCrLf = QStringLiteral("\r\n");

inline char16_t AsciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}
} // namespace

bool IsBlank(const QString &AText)
{
    for (QChar c : AText)
        if (c.unicode() > 0x20)
            return false;
    return true;
}

bool IsNotBlank(const QString &AText)
{
    return !IsBlank(AText);
}

QString IfBlank(const QString &AText, const QString &ADefault)
{
    return IsBlank(AText) ? ADefault : AText;
}

QString IfNotBlank(const QString &AText, const QString &AValue)
{
    return IsBlank(AText) ? AText : AValue;
}

bool EqualsTo(const QString &AText, const QString &AOther, bool AIgnoreCase)
{
    if (!AIgnoreCase)
        return AText == AOther;
    if (AText.size() != AOther.size())
        return false;
    for (qsizetype i = 0; i < AText.size(); ++i)
        if (AsciiLower(AText.at(i).unicode()) != AsciiLower(AOther.at(i).unicode()))
            return false;
    return true;
}

QString PathCombine(const QString &AText, const QString &AName)
{
    if (AText.isEmpty())
        return AName;
    if (AText.endsWith(PathDelim))
        return AText + AName;
    return AText + PathDelim + AName;
}

QString AppendLine(QString &AText, const QString &ALine)
{
    AText += ALine;
    AText += kCrLf;
    return AText;
}

QString Concat(const QString &AText, const QString &AOther)
{
    return AText + AOther;
}

bool ContainsText(const QString &AText, const QString &APart)
{
    return ToLower(AText).contains(ToLower(APart));
}

bool StartsText(const QString &AText, const QString &APart)
{
    return ToLower(AText).startsWith(ToLower(APart));
}

QString Mid(const QString &AText, int AFrom, int ACount)
{
    if (ACount < 0)
        return QString();
    const qsizetype from = AFrom < 1 ? 0 : qsizetype(AFrom) - 1;
    if (from >= AText.size())
        return QString();
    return ACount == 0 ? AText.mid(from) : AText.mid(from, ACount);
}

QString After(const QString &AText, const QString &ASeparator, bool AInclusive)
{
    const qsizetype pos = ASeparator.isEmpty() ? -1 : AText.indexOf(ASeparator);
    if (pos < 0)
        return AText;
    return AText.mid(AInclusive ? pos : pos + ASeparator.size());
}

QString AfterLast(const QString &AText, const QString &ASeparator, bool AInclusive)
{
    const qsizetype pos = ASeparator.isEmpty() ? -1 : AText.lastIndexOf(ASeparator);
    if (pos < 0)
        return AText;
    return AText.mid(AInclusive ? pos : pos + ASeparator.size());
}

QString Before(const QString &AText, const QString &ASeparator, bool AInclusive)
{
    const qsizetype pos = ASeparator.isEmpty() ? -1 : AText.indexOf(ASeparator);
    if (pos < 0)
        return AText;
    return AText.left(AInclusive ? pos + ASeparator.size() : pos);
}

bool InList(const QString &AText, const QStringList &AList)
{
    for (const QString &item : AList)
        if (EqualsTo(AText, item, true))
            return true;
    return false;
}

QString IfEquals(const QString &AText, const QString &AOther, const QString &AThen, const QString &AElse)
{
    return EqualsTo(AText, AOther, true) ? AThen : AElse;
}

QString LoadFromFile(QString &AText, const QString &AFileName)
{
    QFile file(AFileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("QUV.Helpers.LoadFromFile failed, cannot open %1: %2")
                            .arg(AFileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("QUV.Helpers.LoadFromFile failed, cannot read %1: %2")
                            .arg(AFileName, file.errorString()));
    QString content;
    const auto bom = QStringConverter::encodingForData(bytes);
    if (bom) {
        QStringDecoder decoder(*bom, QStringConverter::Flag::ConvertInitialBom);
        content = decoder(bytes);
        if (content.startsWith(QChar(0xFEFF)))
            content.remove(0, 1);
    } else {
        content = FromAnsi(bytes);
    }
    // As a list of lines: CR LF, LF and CR end a line; a last line without
    // an end counts; every line gets CR LF.
    QString result;
    result.reserve(content.size() + content.size() / 16);
    qsizetype start = 0;
    const qsizetype n = content.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = content.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            result += QStringView(content).mid(start, i - start);
            result += kCrLf;
            if (c == QLatin1Char('\r') && i + 1 < n && content.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n) {
        result += QStringView(content).mid(start);
        result += kCrLf;
    }
    AText = result;
    return AText;
}

QString LoadFromFile(const QString &AFileName)
{
    QString text;
    return LoadFromFile(text, AFileName);
}

QByteArray ToAnsi(const QString &AText)
{
    QStringEncoder encoder("windows-1252");
    QByteArray bytes = encoder(AText);
    if (bytes.size() == AText.size()) {
        // One byte per UTF-16 unit: the codec's substitute (SUB, 0x1A) marks
        // the characters it could not map.
        for (qsizetype i = 0; i < bytes.size(); ++i)
            if (bytes.at(i) == '\x1A' && AText.at(i).unicode() != 0x1A)
                bytes[i] = '?';
        return bytes;
    }
    // Characters outside the Basic Multilingual Plane: one "?" per code point.
    bytes.clear();
    bytes.reserve(AText.size());
    const QList<uint> codePoints = AText.toUcs4();
    for (uint cp : codePoints) {
        if (cp > 0xFFFF) {
            bytes += '?';
            continue;
        }
        const QByteArray one = ToAnsi(QString(QChar(char16_t(cp))));
        bytes += one.isEmpty() ? QByteArray("?") : one.left(1);
    }
    return bytes;
}

QString FromAnsi(const QByteArray &ABytes)
{
    QStringDecoder decoder("windows-1252");
    return decoder(ABytes);
}

void SaveToFile(const QString &AText, const QString &AFileName)
{
    const QByteArray bytes = ToAnsi(AText);
    QSaveFile file(AFileName);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("QUV.Helpers.SaveToFile failed, cannot create %1: %2")
                            .arg(AFileName, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw Exception(QStringLiteral("QUV.Helpers.SaveToFile failed, cannot write %1: %2")
                            .arg(AFileName, file.errorString()));
}

QString ToLower(const QString &AText)
{
    return RegionalLocale().toLower(AText);
}

QString ToUpper(const QString &AText)
{
    return RegionalLocale().toUpper(AText);
}

QString PadRight(const QString &AText, QChar AChar, int ALength)
{
    if (ALength <= 0)
        return QString();
    if (AText.size() >= ALength)
        return AText.left(ALength);
    return AText + QString(ALength - AText.size(), AChar);
}

} // namespace QUV
