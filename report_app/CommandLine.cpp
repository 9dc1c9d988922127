#include "CommandLine.h"

#include <QLocale>

TDate StrToDate(const QString &text)
{
    // The short date format, also with the leading zeros left out.
    for (const QString &format : {QUV::ShortDateFormat(), QStringLiteral("yyyy-M-d")}) {
        const QDate date = QDate::fromString(text, format);
        if (date.isValid())
            return QUV::ToDateTime(date);
    }
    throw Exception(QStringLiteral("'%1' är inte ett giltigt datum").arg(text));
}

bool StrToBoolDefTrue(const QString &text)
{
    const QString value = text.trimmed();
    if (value.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    double number = QLocale::c().toDouble(value, &isNumber);
    if (!isNumber)
        number = QUV::RegionalLocale().toDouble(value, &isNumber);
    return isNumber ? number != 0 : true;
}

TCommandLineOptions ParseCommandLine(const QStringList &arguments)
{
    TCommandLineOptions options;
    for (const QString &argument : arguments) {
        const QString upper = argument.toUpper();
        // Dates and booleans are read from the upper-cased text; file names
        // keep the case they were given in.
        const QString value = upper.mid(2);
        const QString fileName = argument.mid(2);
        try {
            if (upper.startsWith(QLatin1String("-F")))
                options.FromDate = StrToDate(value);
            else if (upper.startsWith(QLatin1String("-T")))
                options.ToDate = StrToDate(value);
            else if (upper.startsWith(QLatin1String("-D")))
                options.Detailed = true;
            else if (upper.startsWith(QLatin1String("-X"))) {
                options.ExportToExcel = true;
                options.ExcelFileName = fileName;
            } else if (upper.startsWith(QLatin1String("-L")))
                options.FromLibrary = StrToBoolDefTrue(value);
            else if (upper.startsWith(QLatin1String("-P"))) {
                options.WritePdf = true;
                options.PdfFileName = fileName;
            }
        } catch (const Exception &e) {
            // Parsing goes on so that an unattended run is still known as
            // such; the first bad date is what gets reported.
            if (options.ConversionError.isEmpty())
                options.ConversionError = e.Message();
        }
    }
    return options;
}
