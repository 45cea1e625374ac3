#include "subtitles/SubtitlesLayout.h"

#include <algorithm>

namespace {

// A rectangle from its left, top, width and height, with no negative width.
QRect Box(int x, int y, int width, int height)
{
    return QRect(x, y, std::max(0, width), height);
}

} // namespace

SubtitlesLayout SubtitlesLayout::For(const QSize& client)
{
    const int w = client.width();
    SubtitlesLayout l;
    l.tab = Box(0, 0, w, 25);
    // The picture's own size, 160 by 180.
    l.picture = QRect(5, 30, 160, 180);
    l.modelLabel = Box(5, 220, 60, 20);
    l.model = Box(65, 220, 175, 20);
    l.userButton = Box(5, 220, 100, 28);
    l.start = Box(5, 250, 100, 28);
    l.status = Box(105, 248, w - 110, 35);
    l.history = Box(5, 283, 80, 20);
    l.selectedFile = Box(20, 308, w - 25, 40);
    return l;
}
