#include "service/LocalTime.h"

#include <ctime>

namespace {

// The zone is read while the module loads, before any worker exists, so that no worker's
// localtime_r is the first to read it. glibc guards the zone with a lock of its own that the
// thread sanitizer cannot see; reading it once here leaves workers nothing to guard.
[[maybe_unused]] const bool kZoneRead = [] {
    tzset();
    return true;
}();

} // namespace

QString LocalTimeText(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return QString();
    char text[64];
    const size_t length = std::strftime(text, sizeof text, format, &local);
    return QString::fromLatin1(text, qsizetype(length));
}
