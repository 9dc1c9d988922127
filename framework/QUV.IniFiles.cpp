#include "QUV.IniFiles.h"

#include "QUV.Helpers.h"

#include "QUV.Types.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// The profile functions hand values over in a 2048-character buffer.
constexpr qsizetype kMaxValueLength = 2047;

// Job files are a few kilobytes. A disc image dropped in a job file's place
// can be several gigabytes and must not be read into memory.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

const QString kCrLf = QStringLiteral("\r\n");

QString UnwrapValue(const QString &AValue)
{
    QString value = AValue;
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    if (value.size() > kMaxValueLength) {
        value.truncate(kMaxValueLength);
        // Never hand out half of a surrogate pair.
        if (value.back().isHighSurrogate())
            value.chop(1);
    }
    return value;
}

QString OneLine(const QString &AText)
{
    QString text = AText;
    text.replace(kCrLf, QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

[[noreturn]] void RaiseWriteError(const QString &AFileName)
{
    throw Exception(QStringLiteral("Unable to write to %1").arg(AFileName));
}

} // namespace

TIniFile::TIniFile(const QString &AFileName) : FFileName(AFileName)
{
    Load();
}

void TIniFile::Load()
{
    QFileInfo info(FFileName);
    if (!info.exists())
        return;
    QFile file(FFileName);
    if (info.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly)) {
        FLoadFailed = true;
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        FLoadFailed = true;
        return;
    }

    int unit = 1;
    if (bytes.startsWith("\xFF\xFE")) {
        FEncoding = TEncoding::Utf16LE;
        FBom = bytes.left(2);
        unit = 2;
    } else if (bytes.startsWith("\xFE\xFF")) {
        FEncoding = TEncoding::Utf16BE;
        FBom = bytes.left(2);
        unit = 2;
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        // Not taken by the profile functions, but the same file's text is
        // loaded for the catalogue with its byte-order mark honoured; reading
        // the metadata any other way would lose the first section.
        FEncoding = TEncoding::Utf8;
        FBom = bytes.left(3);
    }

    QStringDecoder decoder = MakeDecoder();
    // Split on the bytes so that untouched lines are written back exactly.
    const qsizetype n = bytes.size();
    auto charAt = [&](qsizetype i) -> char16_t {
        if (unit == 1)
            return static_cast<uchar>(bytes[i]);
        const uchar a = static_cast<uchar>(bytes[i]);
        const uchar b = static_cast<uchar>(bytes[i + 1]);
        return FEncoding == TEncoding::Utf16LE ? char16_t(a | (b << 8)) : char16_t((a << 8) | b);
    };
    qsizetype start = FBom.size();
    qsizetype i = start;
    while (i + unit <= n) {
        const char16_t c = charAt(i);
        if (c == u'\r' || c == u'\n') {
            qsizetype eolEnd = i + unit;
            if (c == u'\r' && eolEnd + unit <= n && charAt(eolEnd) == u'\n')
                eolEnd += unit;
            TLine line;
            line.Content = bytes.mid(start, i - start);
            line.Eol = bytes.mid(i, eolEnd - i);
            Parse(line, decoder(line.Content));
            FLines.push_back(std::move(line));
            start = i = eolEnd;
        } else {
            i += unit;
        }
    }
    if (start < n) {
        TLine line;
        line.Content = bytes.mid(start);
        Parse(line, decoder(line.Content));
        FLines.push_back(std::move(line));
    }
}

QStringDecoder TIniFile::MakeDecoder() const
{
    // Stateless: each line is decoded on its own.
    const auto flags = QStringConverter::Flag::Stateless;
    switch (FEncoding) {
    case TEncoding::Utf8:
        return QStringDecoder(QStringConverter::Utf8, flags);
    case TEncoding::Utf16LE:
        return QStringDecoder(QStringConverter::Utf16LE, flags);
    case TEncoding::Utf16BE:
        return QStringDecoder(QStringConverter::Utf16BE, flags);
    case TEncoding::Ansi:
        break;
    }
    return QStringDecoder("windows-1252", flags);
}

QByteArray TIniFile::Encode(const QString &AText) const
{
    switch (FEncoding) {
    case TEncoding::Utf8:
        return AText.toUtf8();
    case TEncoding::Utf16LE: {
        QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
        return encoder(AText);
    }
    case TEncoding::Utf16BE: {
        QStringEncoder encoder(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless);
        return encoder(AText);
    }
    case TEncoding::Ansi:
        break;
    }
    return QUV::EncodeAnsi(AText);
}

void TIniFile::Parse(TLine &ALine, const QString &AText) const
{
    const QString text = AText.trimmed();
    ALine.Blank = text.isEmpty();
    if (text.startsWith(QLatin1Char('['))) {
        ALine.Kind = TLineKind::Section;
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        ALine.Name = (close < 0 ? text.mid(1) : text.mid(1, close - 1)).trimmed();
        return;
    }
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq < 0)
        return;
    ALine.Kind = TLineKind::Key;
    ALine.Name = text.left(eq).trimmed();
    ALine.Value = text.mid(eq + 1).trimmed();
}

TIniFile::TLine TIniFile::MakeLine(const QString &AText) const
{
    TLine line;
    line.Content = Encode(AText);
    line.Eol = Encode(kCrLf);
    Parse(line, AText);
    return line;
}

int TIniFile::FindSection(const QString &ASection) const
{
    for (size_t i = 0; i < FLines.size(); ++i) {
        const TLine &line = FLines[i];
        if (line.Kind == TLineKind::Section && line.Name.compare(ASection, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int TIniFile::SectionEnd(int ASectionLine) const
{
    size_t i = static_cast<size_t>(ASectionLine) + 1;
    while (i < FLines.size() && FLines[i].Kind != TLineKind::Section)
        ++i;
    return static_cast<int>(i);
}

int TIniFile::FindKey(const QString &ASection, const QString &AKey) const
{
    const int section = FindSection(ASection);
    if (section < 0)
        return -1;
    const QString key = AKey.trimmed();
    const int end = SectionEnd(section);
    for (int i = section + 1; i < end; ++i) {
        const TLine &line = FLines[static_cast<size_t>(i)];
        if (line.Kind == TLineKind::Key && line.Name.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TIniFile::ReadString(const QString &ASection, const QString &AKey, const QString &ADefault) const
{
    const int i = FindKey(ASection.trimmed(), AKey);
    return i < 0 ? ADefault : UnwrapValue(FLines[static_cast<size_t>(i)].Value);
}

int TIniFile::ReadInteger(const QString &ASection, const QString &AKey, int ADefault) const
{
    const QString text = ReadString(ASection, AKey);
    bool ok = false;
    int value = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toInt(&ok, 16);
    else
        value = text.toInt(&ok, 10);
    return ok ? value : ADefault;
}

bool TIniFile::ReadBool(const QString &ASection, const QString &AKey, bool ADefault) const
{
    return ReadInteger(ASection, AKey, ADefault ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(const QString &ASection) const
{
    return FindSection(ASection.trimmed()) >= 0;
}

bool TIniFile::ValueExists(const QString &ASection, const QString &AKey) const
{
    return FindKey(ASection.trimmed(), AKey) >= 0;
}

void TIniFile::WriteString(const QString &ASection, const QString &AKey, const QString &AValue)
{
    const QString section = OneLine(ASection).trimmed();
    const QString key = OneLine(AKey).trimmed();
    const QString pair = key + QLatin1Char('=') + OneLine(AValue);
    FModified = true;

    const int sectionLine = FindSection(section);
    if (sectionLine < 0) {
        if (!FLines.empty() && FLines.back().Eol.isEmpty())
            FLines.back().Eol = Encode(kCrLf);
        FLines.push_back(MakeLine(QLatin1Char('[') + section + QLatin1Char(']')));
        FLines.push_back(MakeLine(pair));
        return;
    }

    const int keyLine = FindKey(section, key);
    if (keyLine >= 0) {
        TLine &line = FLines[static_cast<size_t>(keyLine)];
        const QByteArray eol = line.Eol;
        line = MakeLine(pair);
        line.Eol = eol;
        return;
    }

    // After the section's last non-blank line, so blank lines that part it
    // from the next section stay where they are.
    int last = sectionLine;
    const int end = SectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i) {
        if (!FLines[static_cast<size_t>(i)].Blank)
            last = i;
    }
    TLine &previous = FLines[static_cast<size_t>(last)];
    if (previous.Eol.isEmpty())
        previous.Eol = Encode(kCrLf);
    FLines.insert(FLines.begin() + last + 1, MakeLine(pair));
}

void TIniFile::WriteInteger(const QString &ASection, const QString &AKey, int AValue)
{
    WriteString(ASection, AKey, QString::number(AValue));
}

void TIniFile::WriteBool(const QString &ASection, const QString &AKey, bool AValue)
{
    WriteString(ASection, AKey, AValue ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::UpdateFile()
{
    if (!FModified)
        return;
    if (FLoadFailed)
        RaiseWriteError(FFileName);
    QByteArray bytes = FBom;
    for (const TLine &line : FLines) {
        bytes += line.Content;
        bytes += line.Eol;
    }
    QSaveFile file(FFileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        RaiseWriteError(FFileName);
    FModified = false;
}

namespace QUV {

QString ReadIniString(const QString &AFileName, const QString &ASection, const QString &AKey,
                      const QString &ADefault)
{
    return TIniFile(AFileName).ReadString(ASection, AKey, ADefault);
}

void WriteIniString(const QString &AFileName, const QString &ASection, const QString &AKey,
                    const QString &AValue)
{
    TIniFile ini(AFileName);
    ini.WriteString(ASection, AKey, AValue);
    ini.UpdateFile();
}

QByteArray EncodeAnsi(const QString &AText)
{
    return ToAnsi(AText);
}

} // namespace QUV
