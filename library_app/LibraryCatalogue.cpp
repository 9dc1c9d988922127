#include "LibraryCatalogue.h"

#include "QUV.Types.h"

// TEMPORARY until the data module lands: the calls fail loudly.
namespace LibraryCatalogue {

TQUVFDConnectionHelper Connection()
{
    return QSqlDatabase::database(QStringLiteral("morvik"), false);
}

void AddBook(const QString &, const QString &)
{
    throw Exception(QStringLiteral("AddBook is not available"));
}

void ProduceBook(const QString &, int)
{
    throw Exception(QStringLiteral("ProduceBook is not available"));
}

void OnOrderCopyFailed(QObject *, std::function<void(const QString &)>)
{
}

} // namespace LibraryCatalogue
