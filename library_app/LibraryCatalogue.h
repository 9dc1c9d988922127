#pragma once

#include "QUV.UniDACHelpers.h"

#include <QObject>
#include <QString>

#include <functional>

// What the library window and its pages ask of the catalogue data module,
// in one place: its connection, the import of a delivered book and the
// order of copies.
namespace LibraryCatalogue {

// The data module's MorvikConnection.
TQUVFDConnectionHelper Connection();

// Imports one book from its job file and disc image.
void AddBook(const QString &ARMFFileName, const QString &AISOFileName);

// Orders ACopies copies of the title: its disc image and job file go to the
// books folder. False when the order could not be placed and the user has
// already been told why (the title's disc image is not in the library).
// Raises "Kunde inte hitta boken med id %s" for a title that has left the
// catalogue.
bool ProduceBook(const QString &AId, int ACopies);

// Calls AHandler with a short text whenever the copy of an ordered disc
// image fails; the connection ends with AContext.
void OnOrderCopyFailed(QObject *AContext, std::function<void(const QString &AMessage)> AHandler);

} // namespace LibraryCatalogue
