#include "host/NetworkSettings.h"

#include "host/QOVPaths.h"
#include "host/QOVProfile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char* const kSection = "Network";
// The settings reader's buffer: a path longer than that is cut, as every other value is.
constexpr unsigned kValueBuffer = 255;

} // namespace

const NetworkSettings& LoadNetworkSettings()
{
    static const NetworkSettings settings = [] {
        NetworkSettings read;
        const QString path = AigcSettingsPath();
        const QString section = QLatin1String(kSection);
        read.verifyCertificates = GetPrivateProfileIntW(section, QStringLiteral("VerifyCertificates"), 1, path) != 0;
        GetPrivateProfileStringW(section, QStringLiteral("CaFile"), QString(), read.caFile, kValueBuffer, path);
        // A relative path is taken from the settings file's folder, where a user keeps it beside.
        if (!read.caFile.isEmpty() && QFileInfo(read.caFile).isRelative())
            read.caFile = QFileInfo(path).dir().absoluteFilePath(read.caFile);
        return read;
    }();
    return settings;
}
