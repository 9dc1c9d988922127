#pragma once

// A fresh program setting for each library window test: a settings file, a
// catalogue made by the data module and filled from tests/data/library, a
// clock fixed at 2024-06-01 12:00 and a recorder of modal messages.

#include "Enums.h"
#include "MorvikDataModuleUnit.h"
#include "QUV.Dialogs.h"
#include "QUV.Types.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

// The named child of a window; a test that looks for one that is not there
// is wrong, so it stops at once.
template <class T = QWidget> T *NamedChild(const QObject *AParent, const char *AName)
{
    T *child = AParent->findChild<T *>(QString::fromLatin1(AName));
    if (!child)
        qFatal("no child %s", AName);
    return child;
}

class TLibraryTestFixture
{
public:
    // AExtraSettings: JSON members merged into the settings file's root.
    explicit TLibraryTestFixture(const nlohmann::ordered_json &AExtraSettings = nlohmann::ordered_json::object(),
                                 bool AFillCatalogue = true)
    {
        QUV::SetClock([] { return QDateTime(QDate(2024, 6, 1), QTime(12, 0)); });
        FOldHandler = QUV::SetMessageHandler([this](const QUV::TMessageRequest &ARequest) {
            Messages << ARequest.Text;
            return int(QUV::mrOk);
        });
        for (const char *folder : {"library", "books", "movies"})
            QDir(Dir.path()).mkpath(QString::fromLatin1(folder));
        nlohmann::ordered_json settings = {
            {"Paths",
             {{"Database Folder", Dir.path().toStdString()},
              {"Image File Folder", Path("library").toStdString()},
              {"Books Folder", Path("books").toStdString()},
              {"Movies Folder", Path("movies").toStdString()}}}};
        for (auto it = AExtraSettings.begin(); it != AExtraSettings.end(); ++it)
            settings[it.key()] = it.value();
        SetConfigFileName(Path("morvik.conf"));
        TSettings(settings).Save();

        MorvikDataModule = new TMorvikDataModule(TDataModuleFlavour::Library);
        if (MorvikDataModule->StartupFailed())
            qFatal("catalogue: %s", qPrintable(MorvikDataModule->StartupError()));
        if (AFillCatalogue)
            RunScript(QStringLiteral(MORVIK_TEST_DATA "/library/catalogue.sql"));
    }

    ~TLibraryTestFixture()
    {
        delete MorvikDataModule;
        MorvikDataModule = nullptr;
        QUV::SetMessageHandler(FOldHandler);
        QUV::SetClock({});
    }

    QString Path(const char *AName) const { return Dir.filePath(QString::fromUtf8(AName)); }

    void Exec(const QString &ASQL)
    {
        QSqlQuery query(MorvikDataModule->MorvikConnection());
        if (!query.exec(ASQL))
            qFatal("%s: %s", qPrintable(ASQL), qPrintable(query.lastError().text()));
    }

    void RunScript(const QString &AFileName)
    {
        QFile file(AFileName);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(AFileName));
        QStringList lines;
        for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
            if (!line.startsWith(QLatin1String("--")))
                lines << line;
        for (const QString &statement : lines.join(QLatin1Char('\n')).split(QLatin1Char(';')))
            if (!statement.trimmed().isEmpty())
                Exec(statement);
    }

    TSettingsPtr Settings() const { return ReadConfigFile(); }

    QTemporaryDir Dir;
    QStringList Messages;

private:
    QUV::TMessageHandler FOldHandler;
};
