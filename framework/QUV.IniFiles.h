#pragma once

// Unit QUV.IniFiles: reading and editing INI files the way the Windows
// profile functions do, so job files read and write alike on every machine.
//
// Reading: section and key names match without regard to case; the first
// occurrence of a section (and of a key within it) counts; blanks around keys
// and values are dropped; a value in a matching pair of double or single
// quotes is returned without them; a value is cut to 2047 characters. Files
// are Windows-1252 unless they start with a byte-order mark (UTF-16 LE/BE or
// UTF-8). A file that is missing, unreadable or not INI at all reads as
// having no keys.
//
// Writing: an existing key's line becomes key=value in place; a missing key
// is added after the last non-blank line of its section; a missing section is
// added with its key at the end of the file. Every other line keeps its bytes
// and line ends. The file keeps its encoding (byte-order mark included); a new
// or empty file is Windows-1252. New lines end with CR LF.

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <vector>

// One INI file in memory: loaded once by the constructor, edited by the
// Write methods, written whole by UpdateFile (never by the destructor), so
// setting several keys costs one read and one write.
class TIniFile
{
public:
    explicit TIniFile(const QString &AFileName);

    const QString &FileName() const { return FFileName; }

    // The value, or ADefault when the section or key is missing. A key that is
    // present with nothing after "=" reads as "".
    QString ReadString(const QString &ASection, const QString &AKey, const QString &ADefault = QString()) const;
    // Decimal, or hexadecimal with a "0x" prefix; ADefault when not a number.
    int ReadInteger(const QString &ASection, const QString &AKey, int ADefault) const;
    // Any integer but 0 is true.
    bool ReadBool(const QString &ASection, const QString &AKey, bool ADefault) const;
    bool SectionExists(const QString &ASection) const;
    bool ValueExists(const QString &ASection, const QString &AKey) const;

    // Line breaks in names or values would split the line and could plant
    // keys of their own, so each becomes a blank.
    void WriteString(const QString &ASection, const QString &AKey, const QString &AValue);
    void WriteInteger(const QString &ASection, const QString &AKey, int AValue);
    // "1" or "0".
    void WriteBool(const QString &ASection, const QString &AKey, bool AValue);

    bool Modified() const { return FModified; }
    // Writes the edited file whole through QSaveFile when anything was
    // written; nothing happens otherwise. Raises Exception("Unable to write to
    // <file name>") when the file cannot be written, and also when the file
    // existed but could not be loaded (unreadable, or too large for a job
    // file), since writing it back would lose its content.
    void UpdateFile();

private:
    enum class TEncoding { Ansi, Utf8, Utf16LE, Utf16BE };
    enum class TLineKind { Other, Section, Key };
    struct TLine
    {
        QByteArray Content; // the line's bytes in the file, without its end
        QByteArray Eol;     // its end as in the file; empty for a last line without one
        TLineKind Kind = TLineKind::Other;
        bool Blank = true;
        QString Name;       // section or key name, trimmed
        QString Value;      // key's value, trimmed, quotes still on
    };

    void Load();
    void Parse(TLine &ALine, const QString &AText) const;
    QStringDecoder MakeDecoder() const;
    QByteArray Encode(const QString &AText) const;
    TLine MakeLine(const QString &AText) const;
    int FindSection(const QString &ASection) const;
    int SectionEnd(int ASectionLine) const;
    int FindKey(const QString &ASection, const QString &AKey) const;

    QString FFileName;
    TEncoding FEncoding = TEncoding::Ansi;
    QByteArray FBom;
    std::vector<TLine> FLines;
    bool FLoadFailed = false;
    bool FModified = false;
};

namespace QUV {

// One-shot forms: each opens the file afresh. WriteIniString writes the file
// at once and raises as TIniFile::UpdateFile does.
QString ReadIniString(const QString &AFileName, const QString &ASection, const QString &AKey,
                      const QString &ADefault = QString());
void WriteIniString(const QString &AFileName, const QString &ASection, const QString &AKey,
                    const QString &AValue);

// Windows-1252 bytes of the text; a character the code page cannot hold
// becomes its default character "?".
QByteArray EncodeAnsi(const QString &AText);

} // namespace QUV
