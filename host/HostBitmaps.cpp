#include "host/HostBitmaps.h"

#include "host/CQOVDefUiSettings.h"
#include "host/CZuBuffer.h"

#include <QImage>
#include <QPainter>

namespace {

constexpr int kScaleWidth = 100;
constexpr int kScaleHeight = 20;
constexpr int kTicks = 11;

// A baseline with ticks that grow towards the right, as the thumbnails do when the marker moves
// there; the ends leave room for the slider's edges.
QImage ScaleBar()
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    QImage image(kScaleWidth, kScaleHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(ui.disabledText);
    const int left = 10;
    const int right = kScaleWidth - 11;
    const int base = kScaleHeight - 4;
    painter.drawLine(left, base, right, base);
    for (int i = 0; i < kTicks; ++i) {
        const int x = left + (right - left) * i / (kTicks - 1);
        const int height = 3 + (kScaleHeight - 9) * i / (kTicks - 1);
        painter.drawLine(x, base, x, base - height);
    }
    return image;
}

} // namespace

namespace HostBitmaps {

const CZuBuffer* Find(const QString& name)
{
    if (name != QLatin1String("IDB_SCALE_BAR"))
        return nullptr;
    static const CZuBuffer scale = [] {
        CZuBuffer buffer;
        buffer.CreateFromImage(ScaleBar());
        return buffer;
    }();
    return &scale;
}

} // namespace HostBitmaps
