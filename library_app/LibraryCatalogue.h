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
// books folder.
void ProduceBook(const QString &AId, int ACopies);

// Calls AHandler with a short text whenever the copy of an ordered disc
// image fails; the connection ends with AContext.
void OnOrderCopyFailed(QObject *AContext, std::function<void(const QString &AMessage)> AHandler);

} // namespace LibraryCatalogue
