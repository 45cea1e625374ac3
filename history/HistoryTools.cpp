#include "history/HistoryTools.h"

#include "service/TransLog.h"

namespace HistoryTool {

TransLog* LogOf(int tool)
{
    switch (tool) {
    case Painting:
        return &GetPaintingLog();
    case Subtitles:
        return &GetSubtitlesLog();
    case Dubbing:
        return &GetDubbingLog();
    case Copywriting:
        return &GetCopywritingLog();
    default:
        return nullptr;
    }
}

} // namespace HistoryTool
