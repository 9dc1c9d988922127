#include "QUV.Windows.h"

#include <QFile>
#include <QFileInfo>

namespace QUV {

namespace {
QString ComputeAppFolder()
{
    QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (exe.isEmpty())
        return QString();
    QString folder = QFileInfo(exe).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

const QString &AppFolder()
{
    static const QString folder = ComputeAppFolder();
    return folder;
}

bool DeleteToRecycleBin(const QString &AFileName)
{
    if (AFileName.isEmpty())
        return false;
    QFileInfo info(AFileName);
    if (!info.exists() && !info.isSymLink())
        return false;
    return QFile::moveToTrash(AFileName);
}

} // namespace QUV
