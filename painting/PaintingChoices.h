#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// What the painting window offers to choose: aspect ratios with their sizes, and how many images.
namespace PaintingChoices {

struct Ratio
{
    const char* name;
    const char* sizes[3]; // "width x height", smallest first
};

// "16:9", "9:16" and "1:1", in the order the ratio selector shows them.
extern const Ratio kRatios[3];

inline constexpr int kMaxCount = 8;
// The count list starts at "4".
inline constexpr int kDefaultCountIndex = 3;

// The sizes of a ratio as the selector's sub-buttons.
QStringList SizesOf(const Ratio& ratio);

// A size as the ratio selector names it ("1280x720"): the decimal numbers before and after the
// first "x". Text that is not of that form gives 0 for the part that is missing or not a number,
// which the image service refuses.
void ParseSize(const QString& text, int32_t& width, int32_t& height);

} // namespace PaintingChoices
