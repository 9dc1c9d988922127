#include "ReportQuery.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

TReportQuery::TReportQuery(const QSqlDatabase &connection, QObject *parent)
    : QObject(parent), FConnection(connection)
{
    setObjectName(QStringLiteral("ReportQuery"));
}

QString TReportQuery::SQL()
{
    static const QString sql = QStringList{
        QStringLiteral("select "),
        QStringLiteral("  b.author,"),
        QStringLiteral("  b.title,"),
        QStringLiteral("  b.narrator,"),
        QStringLiteral("  b.duration,"),
        QStringLiteral("  b.diskset,"),
        QStringLiteral("  b.id,"),
        QStringLiteral("  b.language,"),
        QStringLiteral("  b.date,"),
        QStringLiteral("  b.format,"),
        QStringLiteral("  b.size,"),
        QStringLiteral("  a.produced,"),
        QStringLiteral("  cast( sum( a.copies ) as INTEGER ) as copies"),
        QStringLiteral("from productions a"),
        QStringLiteral("join books b on ( b.id = a.id )"),
        QStringLiteral("where a.produced >= :from and a.produced <= :to"),
        QStringLiteral("and b.title > ''"),
        QStringLiteral("and ( ( not :onlyFromLibrary ) or ( :onlyFromLibrary and a.fromLibrary ) )"),
        QStringLiteral("group by b.id, date( a.produced )"),
        QStringLiteral("order by b.id"),
    }.join(QLatin1Char('\n'));
    return sql;
}

QString TReportQuery::FromParam(TDate fromDate)
{
    return QUV::FormatShortDate(QUV::FromDateTime(fromDate).date());
}

// Productions are stored with their time of day; the last second of the
// to-day keeps everything produced on that day inside the period.
QString TReportQuery::ToParam(TDate toDate)
{
    return QUV::FromDateTime(toDate).date().toString(QStringLiteral("yyyy-MM-dd 23:59:59"));
}

void TReportQuery::Open(TDate fromDate, TDate toDate, bool onlyFromLibrary)
{
    Close();
    QSqlQuery query(FConnection);
    query.setForwardOnly(true);
    if (!query.prepare(SQL()))
        throw Exception(query.lastError().text());
    query.bindValue(QStringLiteral(":from"), FromParam(fromDate));
    query.bindValue(QStringLiteral(":to"), ToParam(toDate));
    query.bindValue(QStringLiteral(":onlyFromLibrary"), onlyFromLibrary);
    if (!query.exec())
        throw Exception(query.lastError().text());

    const QSqlRecord record = query.record();
    const auto column = [&record](const char *name) { return record.indexOf(QLatin1String(name)); };
    const int author = column("author"), title = column("title"), narrator = column("narrator"),
              duration = column("duration"), diskset = column("diskset"), id = column("id"),
              language = column("language"), date = column("date"), format = column("format"),
              size = column("size"), produced = column("produced"), copies = column("copies");
    while (query.next()) {
        TReportRow row;
        row.author = query.value(author).toString();
        row.title = query.value(title).toString();
        row.narrator = query.value(narrator).toString();
        row.duration = query.value(duration).toString();
        row.diskset = query.value(diskset).toString();
        row.id = query.value(id).toString();
        row.language = query.value(language).toString();
        row.date = query.value(date);
        row.format = query.value(format).toString();
        row.size = query.value(size);
        row.produced = query.value(produced);
        row.copies = query.value(copies).toLongLong();
        FRows.append(row);
    }
    if (query.lastError().isValid())
        throw Exception(query.lastError().text());
    FActive = true;
}

void TReportQuery::Close()
{
    FRows.clear();
    FActive = false;
}

QDateTime ParseCatalogueDateTime(const QString &text)
{
    const QString trimmed = text.trimmed();
    for (const char *format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        const QDateTime value = QDateTime::fromString(trimmed, QLatin1String(format));
        if (value.isValid())
            return value;
    }
    return QDateTime::fromString(trimmed, Qt::ISODateWithMs);
}

QString ReportQueryproducedGetText(const QVariant &produced)
{
    if (produced.isNull())
        return QString();
    const QDateTime value = produced.typeId() == QMetaType::QDateTime ? produced.toDateTime()
                                                                      : ParseCatalogueDateTime(produced.toString());
    return value.isValid() ? QUV::FormatShortDate(value.date()) : produced.toString();
}
