#pragma once

#include "BandLayout.h"
#include "QUV.Types.h"
#include "ReportRow.h"

#include <QString>
#include <QVector>

// Files the report program writes. Both are written whole or not at all: a
// failure raises Exception naming the file and leaves an existing file as it
// was.
namespace ReportExports {

// A file could not be written; the message names the file and the reason.
class EWriteError : public Exception
{
public:
    using Exception::Exception;
    QString ClassName() const override { return QStringLiteral("EWriteError"); }
};

// The prepared pages as a PDF, on the paper and margins they were laid out for.
void WriteReportPdf(const BandLayout::TPreparedReport &report, const QString &fileName);

// The query's rows as a spreadsheet: a header line, then per row the book's
// id, title and author, the production day (a date cell) and the copies.
void WriteReportXlsx(const QVector<TReportRow> &rows, const QString &fileName);

} // namespace ReportExports
