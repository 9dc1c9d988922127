#pragma once

// Reading a delivered job file's metadata the way the library's Windows
// machines read it: times and dates in the regional formats (long time
// HH:mm:ss, short date yyyy-MM-dd), with the run-time library's tolerance
// for missing leading zeros and omitted parts.

#include "QUV.Types.h"

#include <QString>

namespace JobMetadata {

// Drops blanks and control characters at both ends (the run-time
// library's Trim; QString::trimmed keeps control characters).
QString Trim(const QString &AText);

// Whole seconds of a time of day "H[:M[:S[.fraction]]]" (fraction dropped);
// 0 when the text is not such a time, 24 hours or more included.
int TotalTimeSeconds(const QString &AText);

// A date "Y-M-D" (or "M-D" in the current year); false when the text is not
// a valid date. A year of one or two digits falls in the 100 years around now.
bool TryReadDate(const QString &AText, TDate &ADate);

// "1 of 2" -> "1 av 2": every "of", in any letter case, becomes "av"; trimmed.
QString SetInfo(const QString &AText);

// "AUDIO" when the identifier starts with C or c, else "MOVIE".
QString BookType(const QString &AIdentity);

} // namespace JobMetadata
