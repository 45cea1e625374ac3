#include "copywriting/CopywritingLayout.h"

CopywritingLayout CopywritingLayout::For(int width, int height)
{
    const int h = (height - 133) / 5;
    CopywritingLayout layout;
    layout.topicLabel = QRect(5, 5, 65, 20);
    layout.topic = QRect(5, 30, width - 10, h);
    layout.start = QRect(5, h + 35, 100, 28);
    layout.history = QRect(width - 90, h + 35, 80, 20);
    layout.output = QRect(5, h + 68, width - 10, 4 * h);
    layout.fontSize = QRect(width - 60, 5 * h + 73, 55, 20);
    layout.fontSizeLabel = QRect(width - 100, 5 * h + 73, 40, 20);
    layout.putOnTrack = QRect(width - 90, 5 * h + 98, 80, 20);
    layout.exportText = QRect(width - 190, 5 * h + 98, 80, 20);
    return layout;
}
