#include "host/NetworkSettings.h"

#include "host/QOVPaths.h"
#include "host/QOVProfile.h"

#include <QDir>
#include <QFileInfo>

#include <mutex>

namespace {

const char* const kSection = "Network";
// The settings reader's buffer: a path longer than that is cut, as every other value is.
constexpr unsigned kValueBuffer = 255;

} // namespace

const NetworkSettings& LoadNetworkSettings()
{
    static NetworkSettings settings;
    static std::once_flag loaded;
    std::call_once(loaded, [] {
        const QString path = AigcSettingsPath();
        const QString section = QLatin1String(kSection);
        settings.verifyCertificates =
            GetPrivateProfileIntW(section, QStringLiteral("VerifyCertificates"), 1, path) != 0;
        QString caFile;
        GetPrivateProfileStringW(section, QStringLiteral("CaFile"), QString(), caFile, kValueBuffer, path);
        // A relative path is taken from the settings file's folder, where a user keeps it beside.
        if (!caFile.isEmpty() && QFileInfo(caFile).isRelative())
            caFile = QFileInfo(path).dir().absoluteFilePath(caFile);
        settings.caFile = caFile;
    });
    return settings;
}
