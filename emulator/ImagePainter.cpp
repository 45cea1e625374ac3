#include "ImagePainter.h"

#include "ImageRequest.h"
#include "ImageStyle.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRadialGradient>
#include <QSizeF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ImagePainter {

namespace {

// Qt's PNG writer turns a high quality into light zlib compression: fast, and still several times
// smaller than the raw pixels for these smooth pictures.
constexpr int kPngQuality = 80;
// Successive pictures of one set turn the colour wheel by the golden angle, so no two look alike.
constexpr int kHueStepPerIndex = 137;
constexpr int kCompositions = 3;
// Points along each drawn curve, whatever the canvas size, so drawing time grows only with area.
constexpr int kCurveSegments = 96;
constexpr double kTau = 2.0 * std::numbers::pi;

// SplitMix64: tiny, and its sequence is fixed, unlike the standard distributions, whose output
// may differ between library versions.
class Dice {
public:
    explicit Dice(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
    double Between(double low, double high) { return low + (high - low) * Unit(); }
    int Below(int bound) { return static_cast<int>(Next() % static_cast<std::uint64_t>(bound)); }

private:
    std::uint64_t state_;
};

struct Palette {
    QColor skyTop;
    QColor skyBottom;
    QColor accent;
    QColor deep;
    QColor light;
};

QColor Hsv(Dice &dice, int hue, int hueSpread, int satLow, int satHigh, int valLow, int valHigh, int alpha = 255)
{
    const int h = (hue + dice.Below(hueSpread + 1)) % 360;
    const int s = satLow + dice.Below(satHigh - satLow + 1);
    const int v = valLow + dice.Below(valHigh - valLow + 1);
    return QColor::fromHsv(h, s, v, alpha);
}

Palette MakePalette(Dice &dice, int hue, ImageStyle::Style style)
{
    const Palette plain = {Hsv(dice, hue, 20, 140, 230, 70, 160), Hsv(dice, hue + 30, 60, 70, 160, 200, 255),
                           Hsv(dice, hue + 150, 60, 180, 255, 220, 255), Hsv(dice, hue + 200, 60, 120, 210, 35, 110),
                           Hsv(dice, hue + 20, 40, 15, 70, 235, 255)};
    return {ImageStyle::Tint(style, plain.skyTop), ImageStyle::Tint(style, plain.skyBottom),
            ImageStyle::Tint(style, plain.accent), ImageStyle::Tint(style, plain.deep),
            ImageStyle::Tint(style, plain.light)};
}

QColor Blend(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

void PaintSky(QPainter &painter, Dice &dice, const Palette &palette, const QSizeF &size)
{
    const double angle = dice.Between(-0.6, 0.6);
    const QPointF centre(size.width() / 2, size.height() / 2);
    const QPointF reach(std::sin(angle) * size.height() / 2, std::cos(angle) * size.height() / 2);
    QLinearGradient gradient(centre - reach, centre + reach);
    gradient.setColorAt(0, palette.skyTop);
    gradient.setColorAt(dice.Between(0.4, 0.7), Blend(palette.skyTop, palette.skyBottom, 0.6));
    gradient.setColorAt(1, palette.skyBottom);
    painter.fillRect(QRectF(QPointF(0, 0), size), gradient);
}

void PaintGlowingDisc(QPainter &painter, const QPointF &centre, double radius, const QColor &core, const QColor &edge)
{
    QRadialGradient gradient(centre, radius);
    gradient.setColorAt(0, core);
    gradient.setColorAt(0.6, edge);
    QColor clear = edge;
    clear.setAlpha(0);
    gradient.setColorAt(1, clear);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(centre, radius, radius);
}

// A band from a wavy top edge down to the bottom of the canvas.
QPainterPath WaveBand(Dice &dice, const QSizeF &size, double baseline, double amplitude)
{
    const double frequency = dice.Between(1.0, 4.0);
    const double phase = dice.Between(0, kTau);
    const double ripple = dice.Between(0.1, 0.4);
    QPainterPath path(QPointF(0, size.height()));
    for (int i = 0; i <= kCurveSegments; ++i) {
        const double t = static_cast<double>(i) / kCurveSegments;
        const double y = baseline + amplitude * (std::sin(t * frequency * kTau + phase) +
                                                 ripple * std::sin(t * frequency * 5.3 * kTau + phase * 2));
        path.lineTo(t * size.width(), y);
    }
    path.lineTo(size.width(), size.height());
    path.closeSubpath();
    return path;
}

QPolygonF Ridge(Dice &dice, const QSizeF &size, double baseline, double height)
{
    QPolygonF ridge;
    ridge << QPointF(0, size.height());
    double level = dice.Between(-0.5, 0.5);
    constexpr int kPeaks = 14;
    for (int i = 0; i <= kPeaks; ++i) {
        level = std::clamp(level + dice.Between(-0.6, 0.6), -1.0, 1.0);
        ridge << QPointF(size.width() * i / kPeaks, baseline - height * (0.5 + level / 2));
    }
    ridge << QPointF(size.width(), size.height());
    return ridge;
}

void PaintLandscape(QPainter &painter, Dice &dice, const Palette &palette, const QSizeF &size, double unit)
{
    const QPointF sun(size.width() * dice.Between(0.15, 0.85), size.height() * dice.Between(0.12, 0.4));
    PaintGlowingDisc(painter, sun, unit * dice.Between(0.12, 0.22), palette.light, palette.accent);
    const int layers = 3 + dice.Below(2);
    painter.setPen(Qt::NoPen);
    for (int layer = 0; layer < layers; ++layer) {
        const double depth = static_cast<double>(layer + 1) / layers;
        painter.setBrush(Blend(palette.skyBottom, palette.deep, depth));
        painter.drawPolygon(Ridge(dice, size, size.height() * (0.45 + 0.12 * depth), size.height() * 0.3));
    }
    // Lighter than the nearest ridge, so the water reads as a surface of its own.
    QColor water = Blend(palette.deep, palette.skyBottom, 0.4);
    water.setAlpha(220);
    painter.setBrush(water);
    painter.drawPath(WaveBand(dice, size, size.height() * 0.86, unit * 0.015));
}

void PaintOrbs(QPainter &painter, Dice &dice, const Palette &palette, const QSizeF &size, double unit)
{
    const QColor tones[] = {palette.accent, palette.light, palette.deep, palette.skyBottom};
    const int orbs = 12 + dice.Below(12);
    for (int i = 0; i < orbs; ++i) {
        const QPointF centre(size.width() * dice.Unit(), size.height() * dice.Unit());
        QColor core = tones[dice.Below(4)];
        core.setAlpha(150 + dice.Below(100));
        PaintGlowingDisc(painter, centre, unit * dice.Between(0.04, 0.25), core, Blend(core, palette.skyTop, 0.5));
    }
    painter.setBrush(Qt::NoBrush);
    const QPointF centre(size.width() * dice.Between(0.3, 0.7), size.height() * dice.Between(0.3, 0.7));
    for (int ring = 1 + dice.Below(3); ring < 7; ring += 2) {
        QColor stroke = palette.light;
        stroke.setAlpha(90 + ring * 15);
        painter.setPen(QPen(stroke, unit * 0.008));
        painter.drawEllipse(centre, unit * 0.07 * ring, unit * 0.07 * ring);
    }
}

void PaintWaves(QPainter &painter, Dice &dice, const Palette &palette, const QSizeF &size, double unit)
{
    const int points = 5 + dice.Below(4);
    const QPointF centre(size.width() * dice.Between(0.25, 0.75), size.height() * dice.Between(0.2, 0.4));
    const double radius = unit * dice.Between(0.12, 0.2);
    const double turn = dice.Between(0, kTau);
    QPolygonF star;
    for (int i = 0; i < points * 2; ++i) {
        const double r = i % 2 == 0 ? radius : radius * 0.45;
        const double a = turn + kTau * i / (points * 2);
        star << centre + QPointF(std::cos(a) * r, std::sin(a) * r);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.accent);
    painter.drawPolygon(star);
    const int bands = 6 + dice.Below(4);
    for (int band = 0; band < bands; ++band) {
        const double depth = static_cast<double>(band) / bands;
        QColor fill = Blend(band % 2 == 0 ? palette.skyBottom : palette.accent, palette.deep, depth);
        fill.setAlpha(210);
        painter.setBrush(fill);
        painter.drawPath(WaveBand(dice, size, size.height() * (0.45 + 0.5 * depth), unit * dice.Between(0.02, 0.06)));
    }
}

// Scaled to cover the canvas and centred, over everything else: a higher change degree leaves
// more of the generated scene and less of the reference.
void PaintReference(QPainter &painter, const QImage &reference, int changeDegree, const QSize &size)
{
    const QImage cover = reference.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const QPoint offset((size.width() - cover.width()) / 2, (size.height() - cover.height()) / 2);
    painter.setOpacity(0.8 - 0.05 * (changeDegree - ImageRequest::kMinChangeDegree));
    painter.drawImage(offset, cover);
    painter.setOpacity(1.0);
}

}  // namespace

QImage Paint(const ImageRequest &request, int index)
{
    // The style words change the colours and the surface, never what the picture shows.
    const ImageStyle::Style style = ImageStyle::FromPrompt(request.prompt);
    const std::uint64_t seed = PromptSeed(ImageStyle::Subject(request.prompt));
    Dice dice(seed ^ (static_cast<std::uint64_t>(index) + 1) * 0xD6E8FEB86659FD93ull);
    const int hue = static_cast<int>((seed + static_cast<std::uint64_t>(index) * kHueStepPerIndex) % 360);
    const Palette palette = MakePalette(dice, hue, style);

    QImage image(request.width, request.height, QImage::Format_RGB32);
    const QSizeF size(request.width, request.height);
    const double unit = std::min(size.width(), size.height());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintSky(painter, dice, palette, size);
    switch ((seed + static_cast<std::uint64_t>(index)) % kCompositions) {
    case 0:
        PaintLandscape(painter, dice, palette, size, unit);
        break;
    case 1:
        PaintOrbs(painter, dice, palette, size, unit);
        break;
    default:
        PaintWaves(painter, dice, palette, size, unit);
        break;
    }
    if (!request.reference.isNull())
        PaintReference(painter, request.reference, request.changeDegree, image.size());
    painter.end();
    ImageStyle::Texture(style, image, seed + static_cast<std::uint64_t>(index));
    return image;
}

std::string EncodePng(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(kPngQuality);
    if (!writer.write(image))
        return {};
    return bytes.toStdString();
}

std::uint64_t PromptSeed(const std::string &prompt)
{
    // FNV-1a over the UTF-8 bytes: the same on every platform and in every run.
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (const unsigned char byte : prompt) {
        hash ^= byte;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

}  // namespace ImagePainter
