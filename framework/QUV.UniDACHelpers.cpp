#include "QUV.UniDACHelpers.h"

#include "QUV.Helpers.h"

#include <QDate>
#include <QDateTime>

void TQUVFDConnectionHelper::OpenQuery(const QString &ASQL, const TSarvoArrayOfVariants &AParams,
                                       const TQueryCallback &ACallback, TQueryOptions AOptions) const
{
    // Freed on every path, also when binding, opening or the callback raises.
    TQUVDataset query(*this);
    query.SetSQL(ASQL);
    // Each row is visited once and the query is freed after: no row needs to
    // stay in memory behind the cursor.
    query.SetUniDirectional(AOptions.testFlag(qoEachRow));
    BindParams(query, AParams, AOptions.testFlag(qoNamedParams));
    query.Open();
    if (!query.Active() || !ACallback)
        return;
    if (AOptions.testFlag(qoEachRow)) {
        if (query.Eof())
            return;
        ForEachRecord(query, ACallback);
    } else {
        ACallback(query);
    }
}

bool TQUVFDConnectionHelper::Exists(const QString &ASQL, const TSarvoArrayOfVariants &AParams) const
{
    bool result = false;
    OpenQuery(ASQL, AParams, [&result](TQUVDataset &ADataset) { result = !ADataset.Eof(); });
    return result;
}

void TQUVFDConnectionHelper::BindParams(TQUVDataset &AQuery, const TSarvoArrayOfVariants &AParams, bool ANamed)
{
    TQUVParams &params = AQuery.Params();
    if (!ANamed) {
        for (int i = 0; i < params.Count() && i < AParams.size(); ++i)
            BindParam(params[i], AParams.at(i));
        return;
    }
    for (int k = 0; 2 * k < AParams.size() - 1; ++k) {
        const QString name = AParams.at(2 * k).toString();
        BindParam(params.ParamByName(name), AParams.at(2 * k + 1), true);
    }
}

void TQUVFDConnectionHelper::BindParam(TQUVParam &AParam, const QVariant &AValue, bool AKeepBlankText)
{
    const int type = AValue.typeId();
    const bool textual = type == QMetaType::QString || type == QMetaType::QByteArray || type == QMetaType::QChar;
    if (!AValue.isValid() || type == QMetaType::Nullptr || (AValue.isNull() && !textual)) {
        AParam.Clear();
        return;
    }
    switch (type) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        AParam.SetDataType(TFieldType::ftLargeint);
        AParam.SetValue(QVariant(AValue.toLongLong()));
        return;
    case QMetaType::Float:
        // Keeps the single-precision value; the engine stores reals as doubles.
        AParam.SetDataType(TFieldType::ftSingle);
        AParam.SetValue(QVariant(static_cast<double>(AValue.toFloat())));
        return;
    case QMetaType::Double:
        AParam.SetDataType(TFieldType::ftFloat);
        AParam.SetValue(QVariant(AValue.toDouble()));
        return;
    case QMetaType::QDateTime:
        // The catalogue's date-time form: local time, no fraction.
        AParam.SetDataType(TFieldType::ftDateTime);
        AParam.SetValue(AValue.toDateTime().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        return;
    case QMetaType::QDate:
        AParam.SetDataType(TFieldType::ftDate);
        AParam.SetValue(AValue.toDate().toString(QStringLiteral("yyyy-MM-dd")));
        return;
    case QMetaType::Bool:
        AParam.SetDataType(TFieldType::ftBoolean);
        AParam.SetValue(QVariant(AValue.toBool()));
        return;
    default:
        break;
    }
    QString text;
    if (type == QMetaType::Char || type == QMetaType::SChar || type == QMetaType::UChar)
        text = QString::number(AValue.toInt()); // 8-bit integers travel as their decimal text
    else if (type == QMetaType::QTime)
        text = AValue.toTime().toString(QStringLiteral("HH:mm:ss"));
    else
        text = AValue.toString();
    // The engine takes a null QString for SQL NULL; a kept blank is text.
    if (text.isNull())
        text = QStringLiteral("");
    AParam.SetDataType(TFieldType::ftString);
    if (QUV::IsBlank(text) && !AKeepBlankText)
        AParam.Clear();
    else
        AParam.SetValue(text);
}
