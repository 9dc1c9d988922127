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
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
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

QString RunScript(QSqlDatabase &ADatabase, const QString &AFileName)
{
    QFile file(AFileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1").arg(AFileName);
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString statement = QString::fromUtf8(line).trimmed();
        if (statement.isEmpty() || statement.startsWith(QLatin1String("--")))
            continue;
        QSqlQuery query(ADatabase);
        if (!query.exec(statement))
            return query.lastError().text();
    }
    return QString();
}

QString RunScript(const QString &ADatabaseFile, const QString &AFileName)
{
    static const QString connectionName = QStringLiteral("TestFiles.RunScript");
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(ADatabaseFile);
        error = db.open() ? RunScript(db, AFileName) : db.lastError().text();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return error;
}

TSettingsPtr CatalogueSettings(const QString &ARoot)
{
    auto settings = std::make_shared<TSettings>();
    const QDir root(ARoot);
    const struct
    {
        const char *Key;
        const char *Folder;
    } folders[] = {{"Database Folder", "db"},
                   {"Image File Folder", "library"},
                   {"Books Folder", "books"},
                   {"Movies Folder", "movies"}};
    for (const auto &folder : folders) {
        root.mkpath(QLatin1String(folder.Folder));
        settings->SetS({QStringLiteral("Paths"), QLatin1String(folder.Key)},
                       root.filePath(QLatin1String(folder.Folder)) + QLatin1Char('/'));
    }
    return settings;
}

} // namespace TestFiles
