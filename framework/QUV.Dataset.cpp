#include "QUV.Dataset.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

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
    // Values of the 0-based row; false when there is no such row.
    virtual bool Fetch(int ARow, QVariantList &AValues) = 0;
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

QStringList RecordNames(const QSqlRecord &ARecord)
{
    QStringList names;
    for (int i = 0; i < ARecord.count(); ++i)
        names << ARecord.fieldName(i);
    return names;
}

} // namespace

// One statement, stepped as rows are asked for; rows already read are kept
// by the driver so that the cursor can go back.
class TQUVDataset::TQuerySource final : public TQUVDataset::TSource
{
public:
    TQuerySource(const QSqlDatabase &AConnection, const TQUVParsedSQL &AParsed, const TQUVParams &AParams)
        : FQuery(AConnection), FParsed(AParsed), FParams(AParams)
    {
    }

    bool Open(QStringList &AColumns) override
    {
        FQuery.setForwardOnly(false);
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

    bool Fetch(int ARow, QVariantList &AValues) override
    {
        if (!FQuery.seek(ARow)) {
            if (FQuery.lastError().isValid())
                throw Exception(EngineErrorText(FQuery.lastError()));
            return false;
        }
        AValues = RecordValues(FQuery);
        return true;
    }

    int RowCount() override
    {
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

    bool Fetch(int ARow, QVariantList &AValues) override
    {
        if (ARow < 0 || ARow >= FKeys.size())
            return false;
        const bool found = Run(FKeys.at(ARow));
        if (found) {
            AValues = RecordValues(FRowQuery);
        } else {
            // Deleted since the keys were read: the row reads empty.
            AValues = QVariantList();
            for (int i = 0; i < FRowQuery.record().count(); ++i)
                AValues << QVariant();
        }
        FRowQuery.finish();
        return true;
    }

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
    else
        source = std::make_unique<TQuerySource>(FConnection, FParsed, FParams);
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
    for (const QString &name : std::as_const(FCalcFieldNames)) {
        FFieldNames << name;
        FColumnOfField << -1;
    }
    FActive = true;
    First();
}

void TQUVDataset::Close()
{
    FSource.reset();
    FActive = false;
    FEof = FBof = true;
    FRecNo = 0;
    FRow.clear();
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
    QVariantList values;
    if (!FSource->Fetch(ARow, values))
        return false;
    FRow = values;
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
    FRow.clear();
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
    const QString name = FFieldNames.at(index);
    QVariant value;
    if (FRecNo > 0) {
        const int column = FColumnOfField.at(index);
        if (column >= 0) {
            value = FRow.value(column);
        } else {
            const int calc = FCalcFieldNames.indexOf(name);
            if (FCalcTarget)
                value = FCalcTarget->value(calc);
            else
                value = FCalcCache.value(FRecNo - 1).value(calc);
        }
    }
    const QString key = name.toLower();
    const QString label = FDisplayLabels.value(key, name);
    QString text;
    if (const auto handler = FGetText.constFind(key); handler != FGetText.constEnd() && *handler)
        text = (*handler)(value);
    else
        text = (!value.isValid() || value.isNull()) ? QString() : value.toString();
    return TQUVField(name, value, text, label);
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
    FGetText.insert(AFieldName.toLower(), std::move(AEvent));
}

void TQUVDataset::SetDisplayLabel(const QString &AFieldName, const QString &ALabel)
{
    FDisplayLabels.insert(AFieldName.toLower(), ALabel);
}

void TQUVDataset::ForEachRecord(const TRecordProc &AProc)
{
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
