#include "painting/PaintingChoices.h"

namespace PaintingChoices {

const Ratio kRatios[3] = {
    {"16:9", {"640x360", "1280x720", "2560x1440"}},
    {"9:16", {"360x640", "720x1280", "1440x2560"}},
    {"1:1", {"512x512", "1024x1024", "2048x2048"}},
};

QStringList SizesOf(const Ratio& ratio)
{
    QStringList sizes;
    for (const char* size : ratio.sizes)
        sizes << QString::fromLatin1(size);
    return sizes;
}

void ParseSize(const QString& text, int32_t& width, int32_t& height)
{
    // The height is all after the first "x", so a second one makes it no number.
    width = int32_t(text.section(QLatin1Char('x'), 0, 0).trimmed().toInt());
    height = int32_t(text.section(QLatin1Char('x'), 1).trimmed().toInt());
}

} // namespace PaintingChoices
