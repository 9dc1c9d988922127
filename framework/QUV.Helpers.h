#pragma once

// Unit QUV.Helpers: string helpers. The first parameter is the
// text the operation works on. A text is blank when it is empty after
// trimming spaces and control characters (every character up to U+0020).
// Paths use the platform delimiter "/".

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace QUV {

inline constexpr QChar PathDelim = QLatin1Char('/');

bool IsBlank(const QString &AText);
bool IsNotBlank(const QString &AText);
// The text when it is not blank, else the default.
QString IfBlank(const QString &AText, const QString &ADefault);
// The value when the text is not blank, else the text itself.
QString IfNotBlank(const QString &AText, const QString &AValue);
// Exact equality; with ignore case, ASCII letters compare without case.
bool EqualsTo(const QString &AText, const QString &AOther, bool AIgnoreCase = false);
// The text with a trailing "/" added if missing, followed by the name. An
// empty text gives the name alone (never a path at the root).
QString PathCombine(const QString &AText, const QString &AName);
// Appends the line and CR LF to the text in place; returns the new text.
QString AppendLine(QString &AText, const QString &ALine);
QString Concat(const QString &AText, const QString &AOther);
// Compared in the locale's lower case.
bool ContainsText(const QString &AText, const QString &APart);
bool StartsText(const QString &AText, const QString &APart);
// Substring from the 1-based position; a count of 0 means up to the end.
QString Mid(const QString &AText, int AFrom, int ACount = 0);
// Part after the first occurrence of the separator (inclusive: starting with
// it); the whole text when the separator does not occur.
QString After(const QString &AText, const QString &ASeparator, bool AInclusive = false);
// The same for the last occurrence.
QString AfterLast(const QString &AText, const QString &ASeparator, bool AInclusive = false);
// Part before the first occurrence (inclusive: ending with it); the whole
// text when the separator does not occur.
QString Before(const QString &AText, const QString &ASeparator, bool AInclusive = false);
// Whether the text equals one of the list, ignoring case as EqualsTo.
bool InList(const QString &AText, const QStringList &AList);
// Then-value when the text equals the other ignoring case, else else-value.
QString IfEquals(const QString &AText, const QString &AOther, const QString &AThen, const QString &AElse);
// Replaces the text with the file's lines (byte-order mark honoured, else
// Windows-1252), each followed by CR LF; returns the new text. Raises
// Exception when the file cannot be read.
QString LoadFromFile(QString &AText, const QString &AFileName);
// The same, returning the content.
QString LoadFromFile(const QString &AFileName);
// Writes the text to the file in Windows-1252 without byte-order mark, whole
// through QSaveFile. Raises Exception on failure.
void SaveToFile(const QString &AText, const QString &AFileName);
// Text in the ANSI code page (Windows-1252) and back. A character outside
// it becomes "?", as on Windows (never a control character that would break
// a JSON or INI file).
QByteArray ToAnsi(const QString &AText);
QString FromAnsi(const QByteArray &ABytes);

// Locale (Swedish) lower / upper case.
QString ToLower(const QString &AText);
QString ToUpper(const QString &AText);
// The text followed by the character repeated, cut to exactly that length.
QString PadRight(const QString &AText, QChar AChar, int ALength);

} // namespace QUV
