#include "dubbing/DubbingLayout.h"

namespace {

constexpr int kLeft = 5;
constexpr int kControlLeft = 40;
constexpr int kRowStep = 25;
constexpr int kRowHeight = 20;
constexpr int kLabelWidth = 40;
// The selected text's height while the column scrolls: its bottom is then below the window.
constexpr int kScrolledTextHeight = 80;

} // namespace

DubbingLayout DubbingLayout::For(const QSize& client, int gridHeight, int scrollPos, bool scrollShown)
{
    DubbingLayout l;
    const int width = client.width() - (scrollShown ? kScrollBarWidth : 0);
    const int y0 = 10 - scrollPos;
    l.voiceLabel = QRect(kLeft, y0, 35, 20);
    l.grid = QRect(kControlLeft, y0, width - kGridInset, gridHeight);
    const int y1 = y0 + gridHeight + 5;
    const int controlWidth = width - 10 - kControlLeft;
    QRect* rows[][2] = {{&l.speedLabel, &l.speed}, {&l.pitchLabel, &l.pitch}, {&l.volumeLabel, &l.volume},
                        {&l.typeLabel, &l.type}};
    for (int i = 0; i < 4; ++i) {
        *rows[i][0] = QRect(kLeft, y1 + i * kRowStep, kLabelWidth, kRowHeight);
        *rows[i][1] = QRect(kControlLeft, y1 + i * kRowStep, controlWidth, kRowHeight);
    }
    l.type.setWidth(70);
    l.downloadFolder = QRect(120, l.type.y(), 80, kRowHeight);
    l.start = QRect(kLeft, y1 + 100, 100, 28);
    l.status = QRect(105, y1 + 98, width - 110, 35);
    l.history = QRect(kLeft, y1 + 133, 75, 20);
    const int textTop = y1 + 158;
    l.selectedText = QRect(kLeft, textTop, width - 15, scrollShown ? kScrolledTextHeight : client.height() - 5 - textTop);
    l.scrollBar = QRect(client.width() - kScrollBarWidth, 0, kScrollBarWidth, client.height());
    return l;
}
