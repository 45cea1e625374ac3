#include "host/CI3ButtonRanges.h"

#include "host/CI3Button.h"
#include "host/CQOVDefUiSettings.h"
#include "host/CZuBuffer.h"

#include <QImage>
#include <QPainter>

namespace {

// Drawn once at a button's usual size; the button stretches it to its own.
constexpr int kWidth = 100;
constexpr int kHeight = 28;
constexpr qreal kCornerRadius = 4.0;

QImage Face(const QColor& fill, const QColor& edge)
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(edge);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(0.5, 0.5, kWidth - 1.0, kHeight - 1.0), kCornerRadius, kCornerRadius);
    return image;
}

struct RangeOne
{
    CZuBuffer normal, hover, pressed, disabled;

    RangeOne()
    {
        const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
        const QColor accent = ui.accent;
        normal.CreateFromImage(Face(accent, accent.darker(130)));
        hover.CreateFromImage(Face(accent.lighter(120), accent));
        pressed.CreateFromImage(Face(accent.darker(125), accent.darker(150)));
        disabled.CreateFromImage(Face(ui.buttonFace, ui.border));
    }
};

} // namespace

namespace CI3ButtonRanges {

void Apply(CI3Button* button, int range)
{
    if (!button || range != 1)
        return;
    static const RangeOne one;
    button->SetButtonRange(&one.normal, &one.hover, &one.pressed, &one.disabled);
}

} // namespace CI3ButtonRanges
