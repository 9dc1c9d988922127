#pragma once

#include "QUV.Types.h"

#include <QString>
#include <QStringList>

// Options of the report program's command line, each argument one option:
//   -F<date> -T<date>  first and last day of the period (short date format)
//   -D                 prepare the detailed report and show it
//   -L<bool>           True/False or a number: only productions from the library
//   -X[<file>]         export the rows to a spreadsheet (asks for a file without one)
//   -P[<file>]         write the report as PDF instead of showing it
struct TCommandLineOptions
{
    TDate FromDate = 0;
    TDate ToDate = 0;
    bool Detailed = false;
    bool ExportToExcel = false;
    bool FromLibrary = false;
    QString ExcelFileName;
    bool WritePdf = false;
    QString PdfFileName;
    // Text of the first date that could not be converted; empty when all could.
    QString ConversionError;

    // Given a file to write, the program runs without showing anything modal.
    bool Unattended() const { return !PdfFileName.isEmpty() || !ExcelFileName.isEmpty(); }
};

// Reads the arguments (without the program path) from first to last; a later
// occurrence of an option overrides an earlier one, and an argument that
// begins with no option is ignored.
TCommandLineOptions ParseCommandLine(const QStringList &arguments);

// A date in the short date format; raises Exception when the text is none.
TDate StrToDate(const QString &text);
// "TRUE"/"FALSE" in any case, or a number (true unless 0); anything else is true.
bool StrToBoolDefTrue(const QString &text);
