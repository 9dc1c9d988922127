#pragma once

#include "BandLayout.h"
#include "ReportRow.h"

#include <QDateTime>
#include <QVector>

// The writers' union report: a title, then per book a header with its
// catalogue data, one line per production day and the copies in total, and
// a footer with the preparation time and the page number on every page.
namespace ProductionReportLayout {

// Geometry of the report as designed: A4 portrait, 10 mm margins.
BandLayout::TPageGeometry DefaultGeometry();

// "1 536,00 Mb": megabytes with two decimals in the regional number format.
QString FormatSizeMb(const QVariant &size);
// The book's date in the short date format, whether stored as a day serial
// number or as date-time text; empty for NULL.
QString FormatBookDate(const QVariant &date);

BandLayout::TBand ReportTitleBand(double bandWidth);
BandLayout::TBand GroupHeaderBand(const TReportRow &row);
BandLayout::TBand DataBand(const TReportRow &row);
BandLayout::TBand GroupFooterBand(qint64 copies);
BandLayout::TBand PageFooterBand(int pageNumber, const QDateTime &preparedAt);

// Lays out the rows (ordered by book id; a group starts whenever the id
// changes) on pages of the given geometry.
BandLayout::TPreparedReport Prepare(const QVector<TReportRow> &rows, const BandLayout::TPageGeometry &geometry,
                                    const QDateTime &preparedAt);

} // namespace ProductionReportLayout
