#include "ImageStyle.h"

#include <QPainter>
#include <QPen>
#include <QPointF>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

namespace ImageStyle {

namespace {

struct Word {
    std::string_view text;
    Style style;
};

// Latin words are matched in lower case.
constexpr std::array<Word, 20> kWords = {{
    {"写实", Style::Realistic},      {"realistic", Style::Realistic}, {"油画", Style::OilPainting},
    {"oil painting", Style::OilPainting}, {"水彩", Style::Watercolour}, {"watercolo", Style::Watercolour},
    {"素描", Style::Sketch},         {"sketch", Style::Sketch},       {"pencil", Style::Sketch},
    {"国风", Style::ChineseInk},     {"水墨", Style::ChineseInk},     {"ink wash", Style::ChineseInk},
    {"动漫", Style::Anime},          {"二次元", Style::Anime},        {"anime", Style::Anime},
    {"赛博朋克", Style::Cyberpunk},  {"cyberpunk", Style::Cyberpunk}, {"像素", Style::PixelArt},
    {"pixel art", Style::PixelArt},  {"8-bit", Style::PixelArt},
}};

// Rice paper and the vermilion of a seal stamp.
const QColor kPaper(0xF2, 0xE8, 0xD5);
const QColor kSeal(0xC8, 0x32, 0x28);

// SplitMix64, as the painter uses it: a fixed sequence on every platform.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Between(int low, int high) { return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1)); }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

private:
    std::uint64_t state_;
};

int Clamp(int value)
{
    return std::clamp(value, 0, 255);
}

int Luma(QRgb pixel)
{
    return (qRed(pixel) * 299 + qGreen(pixel) * 587 + qBlue(pixel) * 114) / 1000;
}

QColor WithHsv(const QColor &colour, int hue, double saturation, double value, int valueLift = 0)
{
    const int h = hue < 0 ? colour.hsvHue() : hue;
    return QColor::fromHsv(h < 0 ? 0 : h % 360, Clamp(static_cast<int>(colour.hsvSaturation() * saturation)),
                           Clamp(static_cast<int>(colour.value() * value) + valueLift), colour.alpha());
}

// The hue moved part of the way toward target, round the shorter side of the wheel.
int PullHue(int hue, int target, double amount)
{
    if (hue < 0)
        return target;
    const int apart = ((hue - target) % 360 + 540) % 360 - 180;
    return ((target + static_cast<int>(apart * (1.0 - amount))) % 360 + 360) % 360;
}

template <typename Change>
void ForEachPixel(QImage &image, Change change)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = change(x, y, line[x]);
    }
}

QRgb Grain(QRgb pixel, Noise &noise, int amount)
{
    const int shift = noise.Between(-amount, amount);
    return qRgb(Clamp(qRed(pixel) + shift), Clamp(qGreen(pixel) + shift), Clamp(qBlue(pixel) + shift));
}

QRgb Mix(QRgb pixel, const QColor &colour, double amount)
{
    auto mix = [amount](int a, int b) { return Clamp(static_cast<int>(a + (b - a) * amount)); };
    return qRgb(mix(qRed(pixel), colour.red()), mix(qGreen(pixel), colour.green()), mix(qBlue(pixel), colour.blue()));
}

int Unit(const QImage &image)
{
    return std::min(image.width(), image.height());
}

// Film grain and a darker rim, as a lens leaves them.
void Photograph(QImage &image, Noise &noise)
{
    const double cx = image.width() / 2.0;
    const double cy = image.height() / 2.0;
    const double reach = cx * cx + cy * cy;
    ForEachPixel(image, [&](int x, int y, QRgb pixel) {
        const double fall = 1.0 - 0.35 * ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / reach;
        const QRgb dimmed = qRgb(Clamp(static_cast<int>(qRed(pixel) * fall)), Clamp(static_cast<int>(qGreen(pixel) * fall)),
                                 Clamp(static_cast<int>(qBlue(pixel) * fall)));
        return Grain(dimmed, noise, 6);
    });
}

// Short thick strokes in the colour found under each, leaning the way their neighbours lean.
void BrushStrokes(QImage &image, Noise &noise)
{
    const QImage source = image.copy();
    const double width = std::max(3.0, Unit(image) / 55.0);
    const double length = width * 2.6;
    const int strokes = static_cast<int>(image.width() * image.height() / (width * length * 0.7));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < strokes; ++i) {
        const QPointF centre(noise.Unit() * image.width(), noise.Unit() * image.height());
        const double lean = std::sin(centre.x() / length * 0.35) + std::cos(centre.y() / length * 0.3) + noise.Unit() * 0.4;
        const QPointF reach(std::cos(lean) * length / 2, std::sin(lean) * length / 2);
        QColor colour(source.pixel(std::min(static_cast<int>(centre.x()), image.width() - 1),
                                   std::min(static_cast<int>(centre.y()), image.height() - 1)));
        colour = colour.lighter(90 + noise.Between(0, 25));
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centre - reach, centre + reach);
    }
}

// Washed-out colour that bleeds a little, on grainy paper.
void Wash(QImage &image, Noise &noise)
{
    const int size = std::max(4, Unit(image) / 24);
    const QImage soft = image.scaled(std::max(1, image.width() / size), std::max(1, image.height() / size),
                                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_RGB32);
    ForEachPixel(image, [&](int x, int y, QRgb pixel) {
        const QRgb bled = Mix(pixel, QColor(soft.pixel(x, y)), 0.55);
        return Grain(Mix(bled, Qt::white, 0.3), noise, 5);
    });
}

// Pencil on white paper: the darker the scene, the denser the hatching.
void Pencil(QImage &image, Noise &noise)
{
    const int spacing = std::max(4, Unit(image) / 90);
    ForEachPixel(image, [&](int x, int y, QRgb pixel) {
        const int dark = 255 - Luma(pixel);
        int tone = 245;
        if (dark > 70 && (x + y) % spacing == 0)
            tone -= dark / 2;
        if (dark > 130 && (x - y + 4096 * spacing) % spacing == 0)
            tone -= dark / 2;
        if (dark > 190 && y % spacing == spacing / 2)
            tone -= dark / 3;
        tone = Clamp(tone - dark / 5 + noise.Between(-4, 4));
        return qRgb(tone, tone, tone);
    });
}

// Ink on rice paper with a vermilion seal in the lower right corner.
void InkOnPaper(QImage &image, Noise &noise)
{
    ForEachPixel(image, [&](int, int, QRgb pixel) {
        const int ink = Luma(pixel);
        const QRgb grey = qRgb(ink, ink, ink);
        return Grain(Mix(Mix(pixel, QColor(grey), 0.5), kPaper, 0.4), noise, 3);
    });
    const int side = std::max(6, Unit(image) / 9);
    const QRect seal(image.width() - side * 3 / 2, image.height() - side * 3 / 2, side, side);
    QPainter painter(&image);
    painter.fillRect(seal, kSeal);
    painter.setPen(QPen(kPaper, std::max(1, side / 10)));
    painter.drawRect(seal.adjusted(side / 5, side / 5, -side / 5, -side / 5));
}

// Flat colour in a few steps with dark outlines where the tones change sharply.
void Cel(QImage &image)
{
    const QImage source = image.copy();
    constexpr int kSteps = 4;
    auto step = [](int channel) { return Clamp((channel * kSteps / 256) * 255 / (kSteps - 1)); };
    // Both sides of a change are inked, so the outline is two pixels wide.
    constexpr int kEdge = 24;
    const int right = source.width() - 1;
    const int bottom = source.height() - 1;
    ForEachPixel(image, [&](int x, int y, QRgb pixel) {
        const int here = Luma(pixel);
        const QPoint around[] = {{std::min(x + 1, right), y}, {std::max(x - 1, 0), y},
                                 {x, std::min(y + 1, bottom)}, {x, std::max(y - 1, 0)}};
        for (const QPoint &point : around) {
            if (std::abs(here - Luma(source.pixel(point))) > kEdge)
                return qRgb(20, 20, 28);
        }
        return qRgb(step(qRed(pixel)), step(qGreen(pixel)), step(qBlue(pixel)));
    });
}

// Neon on a dark screen: every fourth row dimmed like a monitor's scan lines.
void ScanLines(QImage &image)
{
    ForEachPixel(image, [](int, int y, QRgb pixel) {
        if (y % 4 != 3)
            return pixel;
        return qRgb(qRed(pixel) / 3, qGreen(pixel) / 3, qBlue(pixel) / 3);
    });
}

// Large square pixels in a small set of colours.
void Pixels(QImage &image)
{
    // Small pictures (the style previews among them) still show their pixels.
    const int block = std::max(6, Unit(image) / 64);
    for (int top = 0; top < image.height(); top += block) {
        for (int left = 0; left < image.width(); left += block) {
            const int right = std::min(left + block, image.width());
            const int bottom = std::min(top + block, image.height());
            const QRgb centre = image.pixel((left + right) / 2, (top + bottom) / 2);
            auto level = [](int channel) { return (channel / 43) * 51; };
            const QRgb flat = qRgb(level(qRed(centre)), level(qGreen(centre)), level(qBlue(centre)));
            for (int y = top; y < bottom; ++y) {
                auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
                std::fill(line + left, line + right, flat);
            }
        }
    }
}

// Latin letters in lower case, byte for byte, so positions stay those of the prompt.
std::string Folded(const std::string &text)
{
    std::string folded = text;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c); });
    return folded;
}

}  // namespace

std::string Subject(const std::string &prompt)
{
    std::string subject = prompt;
    for (const Word &word : kWords) {
        for (std::size_t at = Folded(subject).find(word.text); at != std::string::npos;
             at = Folded(subject).find(word.text, at))
            subject.erase(at, word.text.size());
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!subject.empty() && blank(subject.back()))
        subject.pop_back();
    std::size_t first = 0;
    while (first < subject.size() && blank(subject[first]))
        ++first;
    return subject.substr(first);
}

Style FromPrompt(const std::string &prompt)
{
    const std::string folded = Folded(prompt);
    Style style = Style::None;
    std::size_t last = 0;
    bool found = false;
    for (const Word &word : kWords) {
        const std::size_t at = folded.rfind(word.text);
        if (at != std::string::npos && (!found || at > last)) {
            style = word.style;
            last = at;
            found = true;
        }
    }
    return style;
}

QColor Tint(Style style, const QColor &colour)
{
    switch (style) {
    case Style::Realistic:
        return WithHsv(colour, -1, 0.75, 0.95);
    case Style::OilPainting:
        // Warm earth tones: every hue pulled toward ochre.
        return WithHsv(colour, PullHue(colour.hsvHue(), 35, 0.6), 1.2, 0.9);
    case Style::Watercolour:
        return WithHsv(colour, -1, 0.5, 0.6, 100);
    case Style::Sketch:
        return WithHsv(colour, -1, 0.0, 1.0);
    case Style::ChineseInk:
        return WithHsv(colour, PullHue(colour.hsvHue(), 160, 0.7), 0.3, 0.9);
    case Style::Anime:
        return WithHsv(colour, -1, 1.3, 0.8, 60);
    case Style::Cyberpunk:
        // Magenta and cyan neon.
        return WithHsv(colour, PullHue(colour.hsvHue(), colour.hsvHue() % 2 == 0 ? 305 : 185, 0.8), 1.6, 0.75);
    case Style::PixelArt:
        return WithHsv(colour, -1, 1.2, 1.0);
    case Style::None:
        break;
    }
    return colour;
}

void Texture(Style style, QImage &image, std::uint64_t seed)
{
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    Noise noise(seed ^ 0x5DEECE66Dull);
    switch (style) {
    case Style::Realistic:
        Photograph(image, noise);
        break;
    case Style::OilPainting:
        BrushStrokes(image, noise);
        break;
    case Style::Watercolour:
        Wash(image, noise);
        break;
    case Style::Sketch:
        Pencil(image, noise);
        break;
    case Style::ChineseInk:
        InkOnPaper(image, noise);
        break;
    case Style::Anime:
        Cel(image);
        break;
    case Style::Cyberpunk:
        ScanLines(image);
        break;
    case Style::PixelArt:
        Pixels(image);
        break;
    case Style::None:
        break;
    }
}

}  // namespace ImageStyle
