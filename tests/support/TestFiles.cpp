#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace TestFiles {

QByteArray FileBytes(const QString &AFile)
{
    QFile file(AFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteBytes(const QString &AFile, const QByteArray &ABytes)
{
    QDir().mkpath(QFileInfo(AFile).absolutePath());
    QFile file(AFile);
    return file.open(QIODevice::WriteOnly) && file.write(ABytes) == ABytes.size();
}

QByteArray ImageBytes(int ASize, char ASeed, int AStep)
{
    QByteArray bytes(ASize, Qt::Uninitialized);
    for (int i = 0; i < ASize; ++i)
        bytes[i] = char(ASeed + i * AStep);
    return bytes;
}

QStringList Entries(const QString &AFolder)
{
    QStringList names = QDir(AFolder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

QList<QVariantList> SqlRows(const QString &ADatabaseFile, const QString &AStatement, const QVariantList &AValues)
{
    static const QString connectionName = QStringLiteral("TestFiles.SqlRows");
    QList<QVariantList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(ADatabaseFile);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(ADatabaseFile));
        QSqlQuery query(db);
        query.prepare(AStatement);
        for (const QVariant &value : AValues)
            query.addBindValue(value);
        if (!query.exec())
            qFatal("%s: %s", qPrintable(AStatement), qPrintable(query.lastError().text()));
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            rows << row;
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    return rows;
}

} // namespace TestFiles
