// Settings files are written by hand: whatever bytes they hold, reading a value must end with a
// value or nothing, and setting a key must leave text the reader takes the new value from.
#include "host/ProfileText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines =
        ProfileText::Lines(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    static const QString sections[] = {QStringLiteral("Token"), QStringLiteral("WaveToText"), QString()};
    static const QString keys[] = {QStringLiteral("URL"), QStringLiteral("Key"), QString()};
    for (const QString& section : sections) {
        for (const QString& key : keys)
            ProfileText::Find(lines, section, key);
    }

    const auto written = ProfileText::WithValue(lines, QStringLiteral("WaveToText"), QStringLiteral("Key"),
                                                QStringLiteral("written"));
    if (!written || ProfileText::Find(*written, QStringLiteral("WaveToText"), QStringLiteral("Key")) != QStringLiteral("written"))
        __builtin_trap();
    return 0;
}
