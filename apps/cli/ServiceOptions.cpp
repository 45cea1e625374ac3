#include "apps/cli/ServiceOptions.h"

#include "host/QOVPaths.h"

#include <QDateTime>

namespace ServiceOptions {

QString OutputFolder(const QString& name)
{
    const QString folder = ZuGetPath(ZU_PATH_WORK) + QLatin1Char('/') + name + QLatin1Char('/');
    ZuCreateDirectory(folder, 0);
    return folder;
}

QString TimeStamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss"));
}

} // namespace ServiceOptions
