#include "painting/PaintingLayout.h"

#include <algorithm>

namespace {

constexpr int kLeft = 5;
constexpr int kControlLeft = 65;
constexpr int kLabelWidth = 60;
constexpr int kRowHeight = 20;
constexpr int kTop = 10;
constexpr int kGridHeight = 400;
constexpr int kPreviewGap = 10;

// A control squeezed past its width keeps none rather than a negative one.
int Width(int width)
{
    return std::max(0, width);
}

} // namespace

int PaintingLayout::SelectorWidth(int clientWidth)
{
    return clientWidth - kScrollBarWidth - kControlLeft;
}

int PaintingLayout::ContentHeight(int clientWidth, int ratioHeight, int styleHeight, bool previewShown)
{
    // The preview's gap below it belongs to the range too, or the grid's foot could not be reached.
    const int preview = previewShown ? std::min(clientWidth - 5, kPreviewSide) + kPreviewGap : 0;
    return ratioHeight + styleHeight + kFixedContent + preview;
}

PaintingLayout PaintingLayout::For(const QSize& client, int ratioHeight, int styleHeight, int scrollPos,
                                   bool previewShown)
{
    PaintingLayout l;
    const int w = client.width() - kScrollBarWidth;
    const int y0 = kTop - scrollPos;
    l.descriptionLabel = QRect(kLeft, y0, kLabelWidth, kRowHeight);
    l.description = QRect(kControlLeft, y0, Width(w - 70), 85);
    l.ratioLabel = QRect(kLeft, y0 + 95, kLabelWidth, kRowHeight);
    l.ratios = QRect(kControlLeft, y0 + 95, Width(w - kControlLeft), ratioHeight);
    const int y1 = y0 + 95 + ratioHeight + 10;
    l.styleLabel = QRect(kLeft, y1, kLabelWidth, kRowHeight);
    l.styles = QRect(kControlLeft, y1, Width(w - kControlLeft), styleHeight);
    const int y2 = y1 + styleHeight + 10;
    l.countLabel = QRect(kLeft, y2, kLabelWidth, kRowHeight);
    l.count = QRect(kControlLeft, y2, 50, kRowHeight);
    l.downloadFolder = QRect(130, y2, 75, kRowHeight);
    l.referenceLabel = QRect(kLeft, y2 + 30, kLabelWidth, kRowHeight);
    l.referencePath = QRect(kControlLeft, y2 + 30, Width(w - 95), kRowHeight);
    l.browse = QRect(w - 25, y2 + 30, 20, kRowHeight);
    const int y3 = y2 + 60;
    int y4 = y3;
    if (previewShown) {
        const int side = Width(std::min(w, kPreviewSide));
        l.preview = QRect(kLeft, y3, side, side);
        y4 = y3 + side + kPreviewGap;
    }
    l.generate = QRect(kLeft, y4, 100, 28);
    l.status = QRect(107, y4 - 2, Width(w - 109), 35);
    const int y5 = y4 + 33;
    l.history = QRect(kLeft, y5, 75, kRowHeight);
    l.refresh = QRect(85, y5, 45, kRowHeight);
    l.sizeSlider = QRect(w - 105, y5, 100, kRowHeight);
    l.grid = QRect(kLeft, y5 + 25, Width(w - 10), kGridHeight);
    l.scrollBar = QRect(client.width() - kScrollBarWidth, 0, kScrollBarWidth, client.height());
    return l;
}
