#pragma once

#include <QString>
#include <QVariant>

// One row of the report query: a book and one calendar day on which copies
// of it were produced. Field names are the query's column names.
struct TReportRow
{
    QString author;
    QString title;
    QString narrator;
    QString duration;
    QString diskset;
    QString id;
    QString language;
    QVariant date; // day serial number, date-time text, or NULL (movies)
    QString format;
    QVariant size; // bytes, or NULL
    QVariant produced; // stored date-time text of one production that day
    qint64 copies = 0;
};
