#include "ReportExports.h"

#include "QUV.Types.h"
#include "ReportQuery.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace ReportExports {

namespace {

EWriteError WriteError(const QString &fileName, const QString &reason)
{
    return EWriteError(QStringLiteral("Kunde inte skriva %1: %2").arg(fileName, reason));
}

void Commit(QSaveFile &file, const QString &fileName)
{
    if (!file.commit())
        throw WriteError(fileName, file.errorString());
}

} // namespace

void WriteReportPdf(const BandLayout::TPreparedReport &report, const QString &fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw WriteError(fileName, file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Vestrel"));
        writer.setTitle(QStringLiteral("Detaljerad rapport över producerade böcker"));
        const QPageSize pageSize(report.Geometry.PaperSize, QPageSize::Millimeter, QString(),
                                 QPageSize::FuzzyOrientationMatch);
        writer.setPageLayout(QPageLayout(pageSize, QPageLayout::Portrait, report.Geometry.Margins,
                                         QPageLayout::Millimeter));
        try {
            BandLayout::PaintReport(writer, report);
        } catch (const Exception &e) {
            throw WriteError(fileName, e.Message());
        }
    }
    Commit(file, fileName);
}

void WriteReportXlsx(const QVector<TReportRow> &rows, const QString &fileName)
{
    // The library writes the workbook on closing it, straight to a path; it
    // goes to a scratch folder first so the target is replaced in one step.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw WriteError(fileName, scratch.errorString());
    const QByteArray scratchName = QFile::encodeName(scratch.filePath(QStringLiteral("report.xlsx")));

    lxw_workbook *workbook = workbook_new(scratchName.constData());
    if (!workbook)
        throw WriteError(fileName, QStringLiteral("arbetsboken kunde inte skapas"));
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Sheet1");
    lxw_format *header = workbook_add_format(workbook);
    format_set_bold(header);
    lxw_format *day = workbook_add_format(workbook);
    format_set_num_format(day, "yyyy-mm-dd");

    const auto text = [sheet](lxw_row_t row, lxw_col_t col, const QString &value, lxw_format *format = nullptr) {
        worksheet_write_string(sheet, row, col, value.toUtf8().constData(), format);
    };
    const char *captions[] = {"id", "title", "author", "produced", "copies"};
    for (lxw_col_t col = 0; col < 5; ++col)
        worksheet_write_string(sheet, 0, col, captions[col], header);
    worksheet_set_column(sheet, 0, 0, 12, nullptr);
    worksheet_set_column(sheet, 1, 2, 40, nullptr);
    worksheet_set_column(sheet, 3, 4, 12, nullptr);

    lxw_row_t line = 1;
    for (const TReportRow &row : rows) {
        text(line, 0, row.id);
        text(line, 1, row.title);
        text(line, 2, row.author);
        // The spreadsheet's day numbers count from the same day as TDateTime.
        const QDateTime produced = ParseCatalogueDateTime(row.produced.toString());
        if (produced.isValid())
            worksheet_write_number(sheet, line, 3, QUV::ToDateTime(produced.date()), day);
        else
            text(line, 3, row.produced.toString());
        worksheet_write_number(sheet, line, 4, static_cast<double>(row.copies), nullptr);
        ++line;
    }

    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR)
        throw WriteError(fileName, QString::fromUtf8(lxw_strerror(error)));

    QFile written(QFile::decodeName(scratchName));
    if (!written.open(QIODevice::ReadOnly))
        throw WriteError(fileName, written.errorString());
    const QByteArray bytes = written.readAll();

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw WriteError(fileName, file.errorString());
    Commit(file, fileName);
}

} // namespace ReportExports
