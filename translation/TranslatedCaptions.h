#pragma once

#include "mediakit/Caption.h"
#include "mediakit/CaptionLayout.h"
#include "translation/CaptionTranslation.h"

#include <vector>

// A finished translation as captions to write: one for each input caption, with its time, laid
// out by the limits. A caption's pieces stay one caption unless cut is set, since a translation
// that silently gained captions would no longer line up with its source.
namespace TranslatedCaptions {

std::vector<Caption> LaidOut(const std::vector<CaptionTranslation::Translated>& results,
                             const CaptionLayout::Limits& limits, bool cut);

} // namespace TranslatedCaptions
