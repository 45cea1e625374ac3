#include "host/QOVPaths.h"

#include <QDir>

namespace {

QString FromEnvironment(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QString WithoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

QString ZuGetAppPath()
{
    return WithoutTrailingSeparator(FromEnvironment("QOV_APP_DIR", QStringLiteral(QOV_DEFAULT_APP_DIR)));
}

QString ZuGetPath(int type)
{
    switch (type) {
    case ZU_PATH_APP_ROOT:
        return ZuGetAppPath() + QLatin1Char('/');
    case ZU_PATH_CONFIG:
        return WithoutTrailingSeparator(
            FromEnvironment("QOV_CONFIG_DIR", QDir::homePath() + QStringLiteral("/.config/qov")));
    case ZU_PATH_WORK:
        return WithoutTrailingSeparator(FromEnvironment("QOV_WORK_DIR", QDir::homePath() + QStringLiteral("/QOV")));
    default:
        return QString();
    }
}

int ZuCreateDirectory(const QString& path, int /*flag*/)
{
    if (path.isEmpty())
        return 0;
    return QDir().mkpath(path) ? 1 : 0;
}
