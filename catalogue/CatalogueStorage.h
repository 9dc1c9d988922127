#pragma once

// How the catalogue's writers store values, shared by the import and the
// orders.

#include "QUV.Types.h"

#include <QString>
#include <QVariant>

namespace CatalogueStorage {

// Date-times travel as text YYYY-MM-DD HH:MM:SS in local time.
QString DateTimeText(TDateTime AValue);

// Strings are stored as text, never as NULL: a null QString would be bound
// as SQL NULL, and a book without identifier would get a NULL key that no
// later import finds again.
QVariant Text(const QString &AValue);

// A stored image line names a file inside the image library only when it is
// a bare file name: anything with a folder part or a dot name (or nothing)
// could reach outside it.
bool IsBareFileName(const QString &AName);

} // namespace CatalogueStorage
