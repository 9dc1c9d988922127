#include "CatalogueStorage.h"

namespace CatalogueStorage {

QString DateTimeText(TDateTime AValue)
{
    return QUV::FromDateTime(AValue).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QVariant Text(const QString &AValue)
{
    return AValue.isNull() ? QVariant(QStringLiteral("")) : QVariant(AValue);
}

bool IsBareFileName(const QString &AName)
{
    return !AName.isEmpty() && AName != QLatin1String(".") && AName != QLatin1String("..")
           && !AName.contains(QLatin1Char('/')) && !AName.contains(QLatin1Char('\\'));
}

} // namespace CatalogueStorage
