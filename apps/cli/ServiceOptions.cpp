#include "apps/cli/ServiceOptions.h"

#include "host/QOVPaths.h"

namespace ServiceOptions {

QString OutputFolder(const QString& name)
{
    const QString folder = ZuGetPath(ZU_PATH_WORK) + QLatin1Char('/') + name + QLatin1Char('/');
    ZuCreateDirectory(folder, 0);
    return folder;
}

} // namespace ServiceOptions
