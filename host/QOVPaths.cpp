#include "host/QOVPaths.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

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

// An installed tree may live elsewhere than where it was configured for (a package unpacked into a
// staging folder, a copied installation): the application folder at its place beside this library
// wins when it is there, the configured one otherwise.
QString DefaultAppDir()
{
    static const QString dir = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&ZuGetAppPath), &info) != 0 && info.dli_fname) {
            const QDir libraryDir = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteDir();
            const QString beside = QDir::cleanPath(libraryDir.absoluteFilePath(QStringLiteral(QOV_APP_DIR_FROM_LIBRARY)));
            if (QFileInfo(beside + QStringLiteral("/InitFile")).isDir())
                return beside;
        }
        return QStringLiteral(QOV_DEFAULT_APP_DIR);
    }();
    return dir;
}

} // namespace

QString ZuGetAppPath()
{
    return WithoutTrailingSeparator(FromEnvironment("QOV_APP_DIR", DefaultAppDir()));
}

QString AigcSettingsPath()
{
    return QStringLiteral("%1/InitFile/AIGC.ini").arg(ZuGetAppPath());
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
