#pragma once

#include "mediakit/CaptionLayout.h"

#include <QString>

// What the studio remembers between runs, in its own file in the user's settings folder: the
// caption layout's three numbers as they were last set.
namespace StudioSettings {

QString Path();

// The numbers kept, or the layout's defaults for any not kept (or not a number).
CaptionLayout::Limits CaptionLimits();
// False when the file could not be written; the numbers then last only this run.
bool SetCaptionLimits(const CaptionLayout::Limits& limits);

} // namespace StudioSettings
