#pragma once

#include <QString>

#include <functional>

class QWidget;

// The report program's save dialogs go through here, so tests can answer
// them: a handler installed with SetSaveFileHandler returns the file name
// (empty for cancel) instead of a dialog being shown.
namespace ReportDialogs {

struct TSaveFileRequest
{
    QString Caption;
    QString Filter;
    QString DefaultSuffix;
};

using TSaveFileHandler = std::function<QString(const TSaveFileRequest &)>;

// Installs the handler; returns the one it replaces.
TSaveFileHandler SetSaveFileHandler(TSaveFileHandler handler);

// Asks for a file to write; an existing file is only chosen after the user
// confirmed overwriting it. Empty when the user cancels.
QString AskSaveFileName(QWidget *parent, const QString &caption, const QString &filter,
                        const QString &defaultSuffix);

} // namespace ReportDialogs
