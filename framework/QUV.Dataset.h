#pragma once

// The query dataset of the query helpers and the catalogue view: an SQL
// statement with its parameters, opened on a connection, read one current
// row at a time.
//
// Rows are fetched when the cursor reaches them, so a callback that reads
// the first row of a large result pays for that row only. A dataset keeps
// its statement open while it is active; callers free it (or Close it) when
// done, since an unfinished SQLite statement holds a read lock on the file
// that the other program and the production service write.

#include "QUV.Types.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>
#include <vector>

class QSqlError;
class TQUVDataset;

// The engine's own message of a failed statement ("file is not a database"),
// else the driver's.
QString EngineErrorText(const QSqlError &AError);

// The kind a parameter was bound as (the binding table of BindParams).
enum class TFieldType { ftUnknown, ftString, ftLargeint, ftSingle, ftFloat, ftDate, ftDateTime, ftBoolean };

// One parameter of a statement. Value is what is handed to the engine: an
// invalid or null QVariant is SQL NULL.
class TQUVParam
{
public:
    TQUVParam() = default;
    explicit TQUVParam(const QString &AName) : FName(AName) {}

    const QString &Name() const { return FName; }
    const QVariant &Value() const { return FValue; }
    TFieldType DataType() const { return FDataType; }
    bool IsNull() const;

    void SetValue(const QVariant &AValue) { FValue = AValue; }
    void SetDataType(TFieldType AValue) { FDataType = AValue; }
    // SQL NULL; the data type stays.
    void Clear() { FValue = QVariant(); }

private:
    QString FName;
    QVariant FValue;
    TFieldType FDataType = TFieldType::ftUnknown;
};

// The parameters of a statement in the order of their first appearance. A
// name used twice in the statement is one parameter; every "?" is a
// parameter of its own (with an empty name).
class TQUVParams
{
public:
    int Count() const { return FItems.size(); }
    TQUVParam &operator[](int AIndex) { return FItems[AIndex]; }
    const TQUVParam &operator[](int AIndex) const { return FItems[AIndex]; }
    // Names compared without case; nullptr when the statement has none.
    TQUVParam *FindParam(const QString &AName);
    // Raises Exception "Parameter '%s' not found".
    TQUVParam &ParamByName(const QString &AName);

private:
    friend class TQUVDataset;
    QList<TQUVParam> FItems;
};

// The statement's parameters and the text the engine is given: every
// parameter occurrence outside string literals, quoted identifiers and
// comments replaced by "?", with the index of its parameter.
struct TQUVParsedSQL
{
    QString SQL;
    QStringList Names;      // one per parameter, "" for "?"
    QList<int> Occurrences; // parameter index of each "?" in SQL, in order
};
TQUVParsedSQL ParseSQLParams(const QString &ASQL);

// The value of one field of the current row, with the conversions that
// callers use. A null value reads as "", 0 or false.
class TQUVField
{
public:
    using TGetText = std::shared_ptr<const std::function<QString(const QVariant &AValue)>>;

    TQUVField() = default;
    TQUVField(QString AName, QVariant AValue, QString ADisplayLabel, TGetText AGetText = nullptr)
        : FName(std::move(AName)), FValue(std::move(AValue)), FDisplayLabel(std::move(ADisplayLabel)),
          FGetText(std::move(AGetText))
    {
    }

    const QString &FieldName() const { return FName; }
    const QVariant &Value() const { return FValue; }
    bool IsNull() const;
    QString AsString() const;
    int AsInteger() const;
    qint64 AsLargeInt() const;
    double AsFloat() const;
    bool AsBoolean() const;
    // A day serial number as stored for book dates, or a text
    // "YYYY-MM-DD[ HH:MM[:SS]]"; 0 when neither.
    TDateTime AsDateTime() const;
    // The field's display text handler's result, else AsString; worked out
    // only when asked for.
    QString DisplayText() const;
    // The caption shown for the field, else its name.
    const QString &DisplayLabel() const { return FDisplayLabel; }

private:
    QString FName;
    QVariant FValue;
    QString FDisplayLabel;
    TGetText FGetText;
};

// Position of a row, to return to it later (row number from 1; 0 = none).
using TQUVBookmark = int;

class TQUVDataset
{
public:
    using TCalcFieldsEvent = std::function<void(TQUVDataset &ADataset)>;
    using TGetTextEvent = std::function<QString(const QVariant &AValue)>;
    using TRecordProc = std::function<void(TQUVDataset &ADataset)>;

    explicit TQUVDataset(const QSqlDatabase &AConnection);
    ~TQUVDataset();
    TQUVDataset(const TQUVDataset &) = delete;
    TQUVDataset &operator=(const TQUVDataset &) = delete;

    // Setting the text closes the dataset and finds its parameters.
    void SetSQL(const QString &ASQL);
    const QString &SQL() const { return FSQL; }
    TQUVParams &Params() { return FParams; }
    const TQUVParams &Params() const { return FParams; }

    // Read the rows through a list of keys instead of one open statement:
    // Open runs AKeySQL (its first column is the key, read to the end and the
    // statement finished at once) and prepares ARowSQL, whose one parameter
    // receives a key when its row is first read. No statement stays open
    // between reads, so a dataset kept for the program's life holds no lock
    // on the file. Parameters of the dataset are not used in this mode.
    void SetKeyedSQL(const QString &AKeySQL, const QString &ARowSQL);

    // A unidirectional dataset holds only its current row and moves forward
    // only (Prior, Last, RecordCount and going back to a bookmark raise):
    // the way to read a large result once. Off by default.
    void SetUniDirectional(bool AValue);
    bool UniDirectional() const { return FUniDirectional; }

    // Runs the statement with the parameters bound. A statement that returns
    // no result set (not a query) leaves the dataset inactive. Failures raise
    // Exception with the engine's message.
    void Open();
    void Close();
    // Close and open again, back on the first row; calculated fields are
    // computed again as rows are read.
    void Refresh();
    bool Active() const { return FActive; }

    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    bool IsEmpty() const { return FActive && FRecNo == 0; }
    // Current row from 1; 0 when there is none.
    int RecNo() const { return FRecNo; }
    // Reads to the end to count, then returns to the current row.
    int RecordCount();

    void First();
    void Next();
    void Prior();
    void Last();
    TQUVBookmark GetBookmark() const { return FRecNo; }
    void GotoBookmark(TQUVBookmark ABookmark);

    // Controls bound to the dataset would follow every move; the visitor
    // suspends them. Nothing is bound in this system; the count is kept so
    // that callers nest correctly.
    void DisableControls() { ++FDisableCount; }
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    int FieldCount() const { return FFieldNames.size(); }
    const QStringList &FieldNames() const { return FFieldNames; }
    // Names compared without case ("Title" and "title" are one field).
    bool HasField(const QString &AName) const { return FieldIndex(AName) >= 0; }
    // Raises Exception "Field '%s' not found".
    TQUVField FieldByName(const QString &AName) const;
    QVariant FieldValue(const QString &AName) const { return FieldByName(AName).Value(); }

    // Calculated fields: computed by the event for every row as it is read;
    // inside the event SetCalcValue fills them. They start null.
    void AddCalcField(const QString &AName);
    void SetOnCalcFields(TCalcFieldsEvent AEvent) { FOnCalcFields = std::move(AEvent); }
    void SetCalcValue(const QString &AName, const QVariant &AValue);
    void SetOnGetText(const QString &AFieldName, TGetTextEvent AEvent);
    void SetDisplayLabel(const QString &AFieldName, const QString &ALabel);

    // Visits every row from the first to the last and returns to the row it
    // started on, also when the procedure raises.
    void ForEachRecord(const TRecordProc &AProc);

    const QSqlDatabase &Connection() const { return FConnection; }

private:
    class TSource;
    class TQuerySource;
    class TEngineSource;
    class TKeyedSource;

    int FieldIndex(const QString &AName) const;
    bool MoveTo(int ARow); // 0-based row; false when there is none
    void CalculateFields();
    void RebuildFieldTexts();

    QSqlDatabase FConnection;
    QString FSQL;
    TQUVParsedSQL FParsed;
    TQUVParams FParams;
    QString FKeySQL;
    QString FRowSQL;
    std::unique_ptr<TSource> FSource;

    bool FActive = false;
    bool FEof = true;
    bool FBof = true;
    int FRecNo = 0;
    int FDisableCount = 0;

    struct TFieldText
    {
        QString Label;
        TQUVField::TGetText GetText;
    };

    bool FUniDirectional = false;
    QStringList FFieldNames;         // shown fields: result columns, then calculated ones
    QList<int> FColumnOfField;       // result column of each shown field; -1 - n for calculated field n
    std::vector<TFieldText> FFieldTexts; // label and text handler of each shown field
    QStringList FCalcFieldNames;
    QHash<int, QVariantList> FCalcCache; // calculated values by 0-based row
    QVariantList *FCalcTarget = nullptr;
    TCalcFieldsEvent FOnCalcFields;
    QHash<QString, TQUVField::TGetText> FGetText; // by lower-case field name
    QHash<QString, QString> FDisplayLabels;
};

// The record visitor of the query helpers: remembers the position, suspends
// controls, calls the procedure for every row from the first to the last,
// and finally returns to the remembered row and resumes controls.
void ForEachRecord(TQUVDataset &ADataset, const TQUVDataset::TRecordProc &AProc);
