#pragma once

// Unit QUV.Windows: the platform layer: the program folder AppFolder and
// DeleteToRecycleBin.

#include <QString>

namespace QUV {

// Folder of the running program file (/proc/self/exe) with a trailing "/".
// Computed once, on first use.
const QString &AppFolder();

// Moves the file into the freedesktop trash (QFile::moveToTrash); true on
// success, false on any failure.
bool DeleteToRecycleBin(const QString &AFileName);

} // namespace QUV
