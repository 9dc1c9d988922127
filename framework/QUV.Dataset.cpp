#include "QUV.Dataset.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

namespace {

bool IsNameChar(QChar AChar)
{
    return AChar.isLetterOrNumber() || AChar == QLatin1Char('_');
}

// Copies a quoted run (string literal or quoted identifier) starting at
// AIndex, the doubled closing character standing for itself.
int SkipQuoted(const QString &ASQL, int AIndex, QChar AClose, QString &AOut)
{
    const int n = ASQL.size();
    AOut += ASQL[AIndex++];
    while (AIndex < n) {
        const QChar c = ASQL[AIndex++];
        AOut += c;
        if (c == AClose) {
            if (AClose != QLatin1Char(']') && AIndex < n && ASQL[AIndex] == AClose) {
                AOut += ASQL[AIndex++];
                continue;
            }
            break;
        }
    }
    return AIndex;
}

} // namespace

QString EngineErrorText(const QSqlError &AError)
{
    const QString text = AError.databaseText().trimmed();
    return text.isEmpty() ? AError.text().trimmed() : text;
}

TQUVParsedSQL ParseSQLParams(const QString &ASQL)
{
    TQUVParsedSQL result;
    QHash<QString, int> byName;
    auto addOccurrence = [&](const QString &AName) {
        int index;
        const QString key = AName.toLower();
        if (AName.isEmpty() || !byName.contains(key)) {
            index = result.Names.size();
            result.Names << AName;
            if (!AName.isEmpty())
                byName.insert(key, index);
        } else {
            index = byName.value(key);
        }
        result.Occurrences << index;
        result.SQL += QLatin1Char('?');
    };

    const int n = ASQL.size();
    int i = 0;
    result.SQL.reserve(n);
    while (i < n) {
        const QChar c = ASQL[i];
        const QChar next = i + 1 < n ? ASQL[i + 1] : QChar();
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            i = SkipQuoted(ASQL, i, c, result.SQL);
        } else if (c == QLatin1Char('[')) {
            i = SkipQuoted(ASQL, i, QLatin1Char(']'), result.SQL);
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            const int end = ASQL.indexOf(QLatin1Char('\n'), i);
            const int stop = end < 0 ? n : end + 1;
            result.SQL += ASQL.mid(i, stop - i);
            i = stop;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const int end = ASQL.indexOf(QLatin1String("*/"), i + 2);
            const int stop = end < 0 ? n : end + 2;
            result.SQL += ASQL.mid(i, stop - i);
            i = stop;
        } else if (c == QLatin1Char(':') && next == QLatin1Char(':')) {
            result.SQL += QLatin1String("::");
            i += 2;
        } else if (c == QLatin1Char(':') && IsNameChar(next)) {
            int end = i + 1;
            while (end < n && IsNameChar(ASQL[end]))
                ++end;
            addOccurrence(ASQL.mid(i + 1, end - i - 1));
            i = end;
        } else if (c == QLatin1Char('?')) {
            // "?NNN" names a numbered parameter that may be used again.
            int end = i + 1;
            while (end < n && ASQL[end].isDigit())
                ++end;
            addOccurrence(ASQL.mid(i + 1, end - i - 1));
            i = end;
        } else {
            result.SQL += c;
            ++i;
        }
    }
    return result;
}

// --- TQUVParam, TQUVParams ------------------------------------------------

bool TQUVParam::IsNull() const
{
    return !FValue.isValid() || FValue.isNull();
}

TQUVParam *TQUVParams::FindParam(const QString &AName)
{
    for (TQUVParam &param : FItems)
        if (!param.Name().isEmpty() && param.Name().compare(AName, Qt::CaseInsensitive) == 0)
            return &param;
    return nullptr;
}

TQUVParam &TQUVParams::ParamByName(const QString &AName)
{
    if (TQUVParam *param = FindParam(AName))
        return *param;
    throw Exception(QStringLiteral("Parameter '%1' not found").arg(AName));
}

// --- TQUVField -------------------------------------------------------------

bool TQUVField::IsNull() const
{
    return !FValue.isValid() || FValue.isNull();
}

QString TQUVField::DisplayText() const
{
    if (FGetText && *FGetText)
        return (*FGetText)(FValue);
    return AsString();
}

QString TQUVField::AsString() const
{
    return IsNull() ? QString() : FValue.toString();
}

int TQUVField::AsInteger() const
{
    return static_cast<int>(AsLargeInt());
}

qint64 TQUVField::AsLargeInt() const
{
    if (IsNull())
        return 0;
    if (FValue.typeId() == QMetaType::Double)
        return static_cast<qint64>(FValue.toDouble());
    bool ok = false;
    const qint64 value = FValue.toLongLong(&ok);
    return ok ? value : static_cast<qint64>(FValue.toDouble());
}

double TQUVField::AsFloat() const
{
    return IsNull() ? 0.0 : FValue.toDouble();
}

bool TQUVField::AsBoolean() const
{
    if (IsNull())
        return false;
    if (FValue.typeId() == QMetaType::QString) {
        const QString text = FValue.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        return text.toDouble() != 0.0;
    }
    return FValue.toDouble() != 0.0;
}

TDateTime TQUVField::AsDateTime() const
{
    if (IsNull())
        return 0.0;
    const int type = FValue.typeId();
    if (type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int)
        return FValue.toDouble();
    if (type == QMetaType::QDateTime)
        return QUV::ToDateTime(FValue.toDateTime());
    if (type == QMetaType::QDate)
        return QUV::ToDateTime(FValue.toDate());
    const QString text = FValue.toString().trimmed();
    bool numeric = false;
    const double serial = text.toDouble(&numeric);
    if (numeric)
        return serial;
    for (const char *format : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm",
                               "yyyy-MM-ddTHH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss"}) {
        const QDateTime value = QDateTime::fromString(text, QLatin1String(format));
        if (value.isValid())
            return QUV::ToDateTime(value);
    }
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return date.isValid() ? QUV::ToDateTime(date) : 0.0;
}

// --- Row sources -----------------------------------------------------------

class TQUVDataset::TSource
{
public:
    virtual ~TSource() = default;
    // Runs the statement; false when it gives no result set.
    virtual bool Open(QStringList &AColumns) = 0;
    // Moves to the 0-based row; false when there is no such row.
    virtual bool Fetch(int ARow) = 0;
    // A value of the row Fetch moved to; read only when asked for, so that
    // columns nobody reads cost nothing.
    virtual QVariant Value(int AColumn) const = 0;
    virtual int RowCount() = 0;
};

namespace {

QVariantList RecordValues(const QSqlQuery &AQuery)
{
    const QSqlRecord record = AQuery.record();
    QVariantList values;
    values.reserve(record.count());
    for (int i = 0; i < record.count(); ++i)
        values << record.value(i);
    return values;
}

const QString kUniDirectional = QStringLiteral("Operation not allowed on a unidirectional dataset");

QStringList RecordNames(const QSqlRecord &ARecord)
{
    QStringList names;
    for (int i = 0; i < ARecord.count(); ++i)
        names << ARecord.fieldName(i);
    return names;
}

} // namespace

// One statement, stepped as rows are asked for. Rows already read are kept
// by the driver so that the cursor can go back, unless the dataset is
// unidirectional: then only the current row is held and the cursor moves
// forward only, which is what reading a large catalogue once needs.
class TQUVDataset::TQuerySource final : public TQUVDataset::TSource
{
public:
    TQuerySource(const QSqlDatabase &AConnection, const TQUVParsedSQL &AParsed, const TQUVParams &AParams,
                 bool AUniDirectional)
        : FQuery(AConnection), FParsed(AParsed), FParams(AParams), FUniDirectional(AUniDirectional)
    {
    }

    bool Open(QStringList &AColumns) override
    {
        FQuery.setForwardOnly(FUniDirectional);
        if (!FQuery.prepare(FParsed.SQL))
            throw Exception(EngineErrorText(FQuery.lastError()));
        for (int index : FParsed.Occurrences)
            FQuery.addBindValue(FParams[index].Value());
        if (!FQuery.exec())
            throw Exception(EngineErrorText(FQuery.lastError()));
        if (!FQuery.isSelect())
            return false;
        AColumns = RecordNames(FQuery.record());
        return true;
    }

    bool Fetch(int ARow) override
    {
        bool found;
        if (!FUniDirectional) {
            found = FQuery.seek(ARow);
        } else if (ARow == FQuery.at()) {
            return true;
        } else if (FQuery.at() == QSql::AfterLastRow && ARow >= FRowsPassed) {
            // Past the end (an empty result is so as soon as it is run).
            return false;
        } else if (FQuery.at() != QSql::AfterLastRow && ARow == FQuery.at() + 1) {
            found = FQuery.next();
            if (found)
                ++FRowsPassed;
        } else {
            throw Exception(kUniDirectional);
        }
        if (!found && FQuery.lastError().isValid())
            throw Exception(EngineErrorText(FQuery.lastError()));
        return found;
    }

    QVariant Value(int AColumn) const override { return FQuery.value(AColumn); }

    int RowCount() override
    {
        if (FUniDirectional)
            throw Exception(kUniDirectional);
        if (!FQuery.last()) {
            if (FQuery.lastError().isValid())
                throw Exception(EngineErrorText(FQuery.lastError()));
            return 0;
        }
        return FQuery.at() + 1;
    }

private:
    QSqlQuery FQuery;
    const TQUVParsedSQL &FParsed;
    const TQUVParams &FParams;
    bool FUniDirectional;
    int FRowsPassed = 0; // rows the forward-only cursor has been on
};

// Forward-only reading straight from the engine on the connection's own
// handle: a column is converted only when a field of it is read, so a
// catalogue read for a few fields does not pay for its long texts.
class TQUVDataset::TEngineSource final : public TQUVDataset::TSource
{
public:
    // The engine handle behind a connection, or null when the connection is
    // not an open SQLite one.
    static sqlite3 *HandleOf(const QSqlDatabase &AConnection)
    {
        if (!AConnection.isOpen() || !AConnection.driver())
            return nullptr;
        const QVariant handle = AConnection.driver()->handle();
        if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
            return nullptr;
        return *static_cast<sqlite3 *const *>(handle.constData());
    }

    TEngineSource(sqlite3 *AHandle, const TQUVParsedSQL &AParsed, const TQUVParams &AParams)
        : FHandle(AHandle), FParsed(AParsed), FParams(AParams)
    {
    }

    ~TEngineSource() override { sqlite3_finalize(FStatement); }

    bool Open(QStringList &AColumns) override
    {
        const QByteArray sql = FParsed.SQL.toUtf8();
        if (sqlite3_prepare_v2(FHandle, sql.constData(), int(sql.size()), &FStatement, nullptr) != SQLITE_OK)
            Raise();
        for (int i = 0; i < FParsed.Occurrences.size(); ++i)
            Bind(i + 1, FParams[FParsed.Occurrences.at(i)].Value());
        const int columns = sqlite3_column_count(FStatement);
        // A statement without a result set is run to its end, as the driver does.
        if (columns == 0) {
            Step();
            return false;
        }
        for (int i = 0; i < columns; ++i)
            AColumns << QString::fromUtf8(sqlite3_column_name(FStatement, i));
        return true;
    }

    bool Fetch(int ARow) override
    {
        if (ARow == FRow && FOnRow)
            return true;
        if (ARow != FRow + 1 || FDone) {
            if (FDone && ARow > FRow)
                return false;
            throw Exception(kUniDirectional);
        }
        FOnRow = Step();
        ++FRow;
        FDone = !FOnRow;
        return FOnRow;
    }

    QVariant Value(int AColumn) const override
    {
        if (!FOnRow)
            return QVariant();
        switch (sqlite3_column_type(FStatement, AColumn)) {
        case SQLITE_NULL:
            return QVariant();
        case SQLITE_INTEGER:
            return QVariant(qint64(sqlite3_column_int64(FStatement, AColumn)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(FStatement, AColumn));
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(FStatement, AColumn)),
                                       sqlite3_column_bytes(FStatement, AColumn)));
        default: {
            const auto *text = static_cast<const char16_t *>(sqlite3_column_text16(FStatement, AColumn));
            return QVariant(QString::fromUtf16(text, sqlite3_column_bytes16(FStatement, AColumn) / 2));
        }
        }
    }

    int RowCount() override { throw Exception(kUniDirectional); }

private:
    // Values travel as the connection's driver binds them.
    void Bind(int AIndex, const QVariant &AValue)
    {
        int rc;
        switch (AValue.typeId()) {
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            rc = sqlite3_bind_null(FStatement, AIndex);
            break;
        case QMetaType::Bool:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = AValue.isNull() ? sqlite3_bind_null(FStatement, AIndex)
                                 : sqlite3_bind_int64(FStatement, AIndex, AValue.toLongLong());
            break;
        case QMetaType::Float:
        case QMetaType::Double:
            rc = AValue.isNull() ? sqlite3_bind_null(FStatement, AIndex)
                                 : sqlite3_bind_double(FStatement, AIndex, AValue.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = AValue.toByteArray();
            rc = bytes.isNull() ? sqlite3_bind_null(FStatement, AIndex)
                                : sqlite3_bind_blob(FStatement, AIndex, bytes.constData(), int(bytes.size()),
                                                    SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QString text = AValue.toString();
            rc = text.isNull() ? sqlite3_bind_null(FStatement, AIndex)
                               : sqlite3_bind_text16(FStatement, AIndex, text.utf16(), int(text.size() * 2),
                                                     SQLITE_TRANSIENT);
            break;
        }
        }
        if (rc != SQLITE_OK)
            Raise();
    }

    // True on a row, false at the end; raises the engine's error.
    bool Step()
    {
        const int rc = sqlite3_step(FStatement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        Raise();
    }

    [[noreturn]] void Raise() const
    {
        throw Exception(QString::fromUtf8(sqlite3_errmsg(FHandle)));
    }

    sqlite3 *FHandle;
    sqlite3_stmt *FStatement = nullptr;
    const TQUVParsedSQL &FParsed;
    const TQUVParams &FParams;
    int FRow = -1;
    bool FOnRow = false;
    bool FDone = false;
};

// The keys are read once; each row is read by its key when asked for, and
// its statement is reset at once so that no read lock stays behind.
class TQUVDataset::TKeyedSource final : public TQUVDataset::TSource
{
public:
    TKeyedSource(const QSqlDatabase &AConnection, const QString &AKeySQL, const QString &ARowSQL)
        : FRowQuery(AConnection)
    {
        QSqlQuery keys(AConnection);
        keys.setForwardOnly(true);
        if (!keys.exec(AKeySQL))
            throw Exception(EngineErrorText(keys.lastError()));
        while (keys.next())
            FKeys << keys.value(0);
        if (keys.lastError().isValid())
            throw Exception(EngineErrorText(keys.lastError()));
        FRowQuery.setForwardOnly(true);
        if (!FRowQuery.prepare(ParseSQLParams(ARowSQL).SQL))
            throw Exception(EngineErrorText(FRowQuery.lastError()));
    }

    bool Open(QStringList &AColumns) override
    {
        // A run with no key checks the statement and names its columns.
        Run(QVariant());
        AColumns = RecordNames(FRowQuery.record());
        FRowQuery.finish();
        return true;
    }

    bool Fetch(int ARow) override
    {
        if (ARow < 0 || ARow >= FKeys.size())
            return false;
        // Deleted since the keys were read: the row reads empty.
        FValues = Run(FKeys.at(ARow)) ? RecordValues(FRowQuery) : QVariantList();
        FRowQuery.finish();
        return true;
    }

    QVariant Value(int AColumn) const override { return FValues.value(AColumn); }

    int RowCount() override { return FKeys.size(); }

private:
    bool Run(const QVariant &AKey)
    {
        FRowQuery.bindValue(0, AKey);
        if (!FRowQuery.exec())
            throw Exception(EngineErrorText(FRowQuery.lastError()));
        const bool found = FRowQuery.next();
        if (!found && FRowQuery.lastError().isValid())
            throw Exception(EngineErrorText(FRowQuery.lastError()));
        return found;
    }

    QSqlQuery FRowQuery;
    QVariantList FKeys;
    QVariantList FValues;
};

// --- TQUVDataset -------------------------------------------------------------

TQUVDataset::TQUVDataset(const QSqlDatabase &AConnection) : FConnection(AConnection) {}

TQUVDataset::~TQUVDataset() = default;

void TQUVDataset::SetSQL(const QString &ASQL)
{
    Close();
    FSQL = ASQL;
    FParsed = ParseSQLParams(ASQL);
    FParams.FItems.clear();
    for (const QString &name : std::as_const(FParsed.Names))
        FParams.FItems << TQUVParam(name);
}

void TQUVDataset::SetKeyedSQL(const QString &AKeySQL, const QString &ARowSQL)
{
    Close();
    FKeySQL = AKeySQL;
    FRowSQL = ARowSQL;
}

void TQUVDataset::Open()
{
    Close();
    std::unique_ptr<TSource> source;
    if (!FKeySQL.isEmpty())
        source = std::make_unique<TKeyedSource>(FConnection, FKeySQL, FRowSQL);
    else if (sqlite3 *handle = FUniDirectional ? TEngineSource::HandleOf(FConnection) : nullptr)
        source = std::make_unique<TEngineSource>(handle, FParsed, FParams);
    else
        source = std::make_unique<TQuerySource>(FConnection, FParsed, FParams, FUniDirectional);
    QStringList columns;
    if (!source->Open(columns))
        return;
    FSource = std::move(source);
    FFieldNames.clear();
    FColumnOfField.clear();
    for (int i = 0; i < columns.size(); ++i) {
        FFieldNames << columns.at(i);
        FColumnOfField << i;
    }
    for (int i = 0; i < FCalcFieldNames.size(); ++i) {
        FFieldNames << FCalcFieldNames.at(i);
        FColumnOfField << -1 - i;
    }
    RebuildFieldTexts();
    FActive = true;
    First();
}

void TQUVDataset::Close()
{
    FSource.reset();
    FActive = false;
    FEof = FBof = true;
    FRecNo = 0;
    FCalcCache.clear();
}

void TQUVDataset::Refresh()
{
    Open();
}

bool TQUVDataset::MoveTo(int ARow)
{
    if (!FSource || ARow < 0)
        return false;
    if (!FSource->Fetch(ARow))
        return false;
    FRecNo = ARow + 1;
    CalculateFields();
    return true;
}

void TQUVDataset::CalculateFields()
{
    if (FCalcFieldNames.isEmpty() || FCalcCache.contains(FRecNo - 1))
        return;
    QVariantList values;
    for (int i = 0; i < FCalcFieldNames.size(); ++i)
        values << QVariant();
    if (FOnCalcFields) {
        FCalcTarget = &values;
        try {
            FOnCalcFields(*this);
        } catch (...) {
            FCalcTarget = nullptr;
            throw;
        }
        FCalcTarget = nullptr;
    }
    FCalcCache.insert(FRecNo - 1, values);
}

void TQUVDataset::First()
{
    if (!FActive)
        return;
    FRecNo = 0;
    const bool found = MoveTo(0);
    FBof = true;
    FEof = !found;
}

void TQUVDataset::Next()
{
    if (!FActive || FEof)
        return;
    if (MoveTo(FRecNo)) {
        FBof = false;
    } else {
        FEof = true;
    }
}

void TQUVDataset::Prior()
{
    if (!FActive || FRecNo <= 1) {
        FBof = true;
        return;
    }
    MoveTo(FRecNo - 2);
    FEof = false;
    FBof = false;
}

void TQUVDataset::Last()
{
    if (!FActive)
        return;
    const int count = FSource->RowCount();
    if (count == 0) {
        FEof = FBof = true;
        return;
    }
    MoveTo(count - 1);
    FEof = true;
    FBof = count == 1;
}

int TQUVDataset::RecordCount()
{
    if (!FActive)
        return 0;
    const int count = FSource->RowCount();
    // The driver's cursor moved; put the current row back in place.
    if (FRecNo > 0)
        MoveTo(FRecNo - 1);
    return count;
}

void TQUVDataset::GotoBookmark(TQUVBookmark ABookmark)
{
    if (!FActive)
        return;
    if (ABookmark <= 0) {
        First();
        return;
    }
    if (MoveTo(ABookmark - 1)) {
        FEof = false;
        FBof = ABookmark == 1;
    }
}

void TQUVDataset::EnableControls()
{
    if (FDisableCount > 0)
        --FDisableCount;
}

int TQUVDataset::FieldIndex(const QString &AName) const
{
    for (int i = 0; i < FFieldNames.size(); ++i)
        if (FFieldNames.at(i).compare(AName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TQUVField TQUVDataset::FieldByName(const QString &AName) const
{
    const int index = FieldIndex(AName);
    if (index < 0)
        throw Exception(QStringLiteral("Field '%1' not found").arg(AName));
    QVariant value;
    if (FRecNo > 0) {
        const int column = FColumnOfField.at(index);
        if (column >= 0) {
            value = FSource->Value(column);
        } else {
            const int calc = -1 - column;
            if (FCalcTarget)
                value = FCalcTarget->value(calc);
            else
                value = FCalcCache.value(FRecNo - 1).value(calc);
        }
    }
    const TFieldText &text = FFieldTexts.at(index);
    return TQUVField(FFieldNames.at(index), std::move(value), text.Label, text.GetText);
}

void TQUVDataset::AddCalcField(const QString &AName)
{
    Close();
    FCalcFieldNames << AName;
}

void TQUVDataset::SetCalcValue(const QString &AName, const QVariant &AValue)
{
    const int index = [&] {
        for (int i = 0; i < FCalcFieldNames.size(); ++i)
            if (FCalcFieldNames.at(i).compare(AName, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }();
    if (index < 0)
        throw Exception(QStringLiteral("Field '%1' not found").arg(AName));
    if (!FCalcTarget)
        throw Exception(QStringLiteral("Field '%1' cannot be modified").arg(AName));
    (*FCalcTarget)[index] = AValue;
}

void TQUVDataset::SetOnGetText(const QString &AFieldName, TGetTextEvent AEvent)
{
    FGetText.insert(AFieldName.toLower(),
                    AEvent ? std::make_shared<const TGetTextEvent>(std::move(AEvent)) : nullptr);
    RebuildFieldTexts();
}

void TQUVDataset::SetDisplayLabel(const QString &AFieldName, const QString &ALabel)
{
    FDisplayLabels.insert(AFieldName.toLower(), ALabel);
    RebuildFieldTexts();
}

void TQUVDataset::RebuildFieldTexts()
{
    // Labels and text handlers are looked up once per field, not per read.
    FFieldTexts.clear();
    FFieldTexts.reserve(FFieldNames.size());
    for (const QString &name : std::as_const(FFieldNames)) {
        const QString key = name.toLower();
        FFieldTexts.push_back({FDisplayLabels.value(key, name), FGetText.value(key)});
    }
}

void TQUVDataset::SetUniDirectional(bool AValue)
{
    Close();
    FUniDirectional = AValue;
}

void TQUVDataset::ForEachRecord(const TRecordProc &AProc)
{
    if (FUniDirectional) {
        // No way back: the visit starts where the cursor stands and ends
        // past the last row.
        DisableControls();
        try {
            while (!Eof()) {
                AProc(*this);
                Next();
            }
        } catch (...) {
            EnableControls();
            throw;
        }
        EnableControls();
        return;
    }
    const TQUVBookmark bookmark = GetBookmark();
    DisableControls();
    try {
        First();
        while (!Eof()) {
            AProc(*this);
            Next();
        }
    } catch (...) {
        // The procedure's exception is the one the caller must see.
        try {
            GotoBookmark(bookmark);
        } catch (...) {
        }
        EnableControls();
        throw;
    }
    GotoBookmark(bookmark);
    EnableControls();
}

void ForEachRecord(TQUVDataset &ADataset, const TQUVDataset::TRecordProc &AProc)
{
    ADataset.ForEachRecord(AProc);
}
