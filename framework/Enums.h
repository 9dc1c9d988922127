#pragma once

// Unit Enums: the shared settings file "morvik.conf" and the two constant
// lists that other units take from here (media types of the job files,
// producer types that have a label file).

#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <memory>
#include <utility>
#include <vector>

class TSettings;

// The settings object: reference counted, freed with its last reference.
using TSettingsPtr = std::shared_ptr<TSettings>;

// Path of member names from the root of a settings object, for example
// {"Paths", "Database Folder"}.
using TSettingsPath = QStringList;

// A JSON object of the settings file over nlohmann::ordered_json, so that
// members keep their file order (the label-file lookup takes the first
// matching producer in the file).
//
// A TSettings is a view: the root object returned by ReadConfigFile, or a
// member object returned by O(). Views of one document share it, so a change
// made through a member view is part of the root and saved with it.
//
// Reading never fails: a missing member, a JSON null, a member of another
// type or a path through a non-object reads as "" / 0 / false / an empty
// object. The setters create missing objects along the path and replace a
// member of another type that stands in the way.
class TSettings
{
public:
    // An empty object.
    TSettings();
    // A root object holding a copy of the given JSON (a non-object reads as empty).
    explicit TSettings(nlohmann::ordered_json AJson);

    // Parses JSON text; raises Exception when it is not a JSON object.
    static TSettingsPtr Parse(const QString &AText);

    // Present: the member exists and is not JSON null. An empty path is the
    // object itself.
    bool Has(const TSettingsPath &APath) const;

    QString S(const TSettingsPath &APath) const;
    // Integers; a floating-point member is truncated, values outside int are clamped.
    int I(const TSettingsPath &APath) const;
    qint64 I64(const TSettingsPath &APath) const;
    bool B(const TSettingsPath &APath) const;

    // The member object at the path, sharing this document. A missing member
    // is created as an empty object in memory (saved only if a save follows);
    // a member of another type is left alone and the view reads as empty.
    TSettingsPtr O(const TSettingsPath &APath);

    void SetS(const TSettingsPath &APath, const QString &AValue);
    void SetI(const TSettingsPath &APath, qint64 AValue);
    void SetB(const TSettingsPath &APath, bool AValue);
    // Removes the member; true when it existed.
    bool Remove(const TSettingsPath &APath);

    // Member names of this object in file order (empty when this is not an object).
    QStringList Names() const;
    // Members of this object in file order, each as a view of its value
    // (a member that is not an object reads as empty through its view).
    std::vector<std::pair<QString, TSettingsPtr>> Members() const;

    // A copy of this object's JSON (an empty object when missing or not an object).
    nlohmann::ordered_json Json() const;
    // Indented JSON text, "\n" line ends (the file form is made on saving).
    QString AsJSON() const;

    // Writes this object whole to the file: indented, Windows-1252 without
    // byte-order mark, CR LF line ends, through QSaveFile (temporary file and
    // rename), so a crash or a full disk leaves the old file intact. Characters
    // outside Windows-1252 are lost. Raises Exception on failure.
    void SaveToFile(const QString &AFileName) const;
    // SaveToFile(ConfigFileName()).
    void Save() const;

private:
    struct TDocument;
    TSettings(std::shared_ptr<TDocument> ADocument, QStringList ABase);
    const nlohmann::ordered_json *Find(const TSettingsPath &APath) const;
    nlohmann::ordered_json &Make(const TSettingsPath &APath);

    std::shared_ptr<TDocument> FDocument;
    QStringList FBase;
};

// Full name of the settings file: AppFolder() + "morvik.conf", fixed on first use.
QString ConfigFileName();

// Test and installation seam: points the settings file elsewhere for the rest
// of the process (tests run in parallel and must never touch the program's
// file). The programs never call it.
void SetConfigFileName(const QString &AFileName);

// Reads and parses the settings file afresh; a new, independent object each
// call. A missing file gives an empty object. An unreadable or damaged file is
// tried 3 times, 500 ms apart, then raises
// Exception("Misslyckades hämta inställningarna"). Never writes the file.
TSettingsPtr ReadConfigFile();

// Disc media, five rows in this order: code and name.
struct TMediaType
{
    const char *Code;
    const char *Name;
};
extern const TMediaType MediaTypes[5];

// Producer type identifiers that have a label file; compare
// without regard to case.
const QStringList &LabelProducerTypes();
