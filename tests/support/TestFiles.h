#pragma once

#include "Enums.h"

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

// File and database helpers shared by the tests.
namespace TestFiles {

// The whole file; "<unreadable>" when it cannot be read, so that a missing
// file never passes for an empty one.
QByteArray FileBytes(const QString &AFile);
// Writes the file whole, creating its folder; false when that fails.
bool WriteBytes(const QString &AFile, const QByteArray &ABytes);
// Deterministic image content, different for each seed.
QByteArray ImageBytes(int ASize, char ASeed, int AStep = 7);
// Every entry of a folder, hidden ones included, sorted.
QStringList Entries(const QString &AFolder);
// The rows of one statement run on a connection of the test's own to the
// database file; aborts the test program when the statement fails.
QList<QVariantList> SqlRows(const QString &ADatabaseFile, const QString &AStatement,
                            const QVariantList &AValues = {});

// Runs a fixture script, one statement per line ("--" lines are comments),
// on the connection; returns the first failure's text, empty on success.
QString RunScript(QSqlDatabase &ADatabase, const QString &AFileName);
// The same on a connection of its own to the database file.
QString RunScript(const QString &ADatabaseFile, const QString &AFileName);

// Settings whose database, image library, books and movies folders are the
// subfolders db, library, books and movies of ARoot, created here.
TSettingsPtr CatalogueSettings(const QString &ARoot);

} // namespace TestFiles
