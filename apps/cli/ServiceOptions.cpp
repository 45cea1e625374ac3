#include "apps/cli/ServiceOptions.h"

#include "apps/cli/CliArguments.h"
#include "host/QOVPaths.h"

#include <QDateTime>

namespace ServiceOptions {

std::optional<int> Integer(const CliArguments& arguments, const QString& name, int fallback, int low, int high)
{
    const std::optional<QString> text = arguments.Option(name);
    if (!text)
        return fallback;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<std::chrono::seconds> Timeout(const CliArguments& arguments)
{
    const std::optional<int> seconds = Integer(arguments, QStringLiteral("timeout"), 600, 1, 86400);
    if (!seconds)
        return std::nullopt;
    return std::chrono::seconds(*seconds);
}

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
