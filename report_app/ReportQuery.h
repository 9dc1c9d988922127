#pragma once

#include "QUV.Types.h"
#include "ReportRow.h"

#include <QObject>
#include <QSqlDatabase>
#include <QVector>

// The report's query: copies per book and production day in a period, read
// whole into rows when opened (the report walks them more than once).
class TReportQuery : public QObject
{
    Q_OBJECT
public:
    explicit TReportQuery(const QSqlDatabase &connection, QObject *parent = nullptr);

    static QString SQL();
    // Bound values of the period, in the text form of the catalogue's dates.
    static QString FromParam(TDate fromDate);
    static QString ToParam(TDate toDate);

    // Raises Exception with the engine's message when the statement fails.
    void Open(TDate fromDate, TDate toDate, bool onlyFromLibrary);
    void Close();

    bool Active() const { return FActive; }
    bool IsEmpty() const { return FRows.isEmpty(); }
    const QVector<TReportRow> &Rows() const { return FRows; }

private:
    QSqlDatabase FConnection;
    QVector<TReportRow> FRows;
    bool FActive = false;
};

// Reads a catalogue date-time ("YYYY-MM-DD HH:MM:SS", also without seconds,
// without time or in ISO form); invalid when the text is none of these.
QDateTime ParseCatalogueDateTime(const QString &text);

// Display text of `produced`: the production day alone, short date format.
QString ReportQueryproducedGetText(const QVariant &produced);
