#include "ImageFixture.h"
#include "ImagePainter.h"
#include "ImageRequest.h"
#include "ImageStyle.h"

#include <QColor>

#include <functional>
#include <string>
#include <vector>

using image_test::MeanDifference;
using ImageStyle::Style;

namespace {

constexpr double kClearlyDifferent = 12.0;
const std::string kSubject = "雪山下的湖泊";

QImage Draw(const std::string &prompt, int index = 0, int side = 256)
{
    ImageRequest request;
    request.prompt = prompt;
    request.width = side;
    request.height = side;
    request.count = 1;
    return ImagePainter::Paint(request, index).convertToFormat(QImage::Format_RGB32);
}

// Mean of a measure over the pixels of a region (the whole picture when empty).
double Mean(const QImage &image, const std::function<double(const QColor &)> &measure, QRect region = {})
{
    if (region.isEmpty())
        region = image.rect();
    double sum = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x)
            sum += measure(QColor(image.pixel(x, y)));
    }
    return sum / (region.width() * region.height());
}

double Brightness(const QColor &c)
{
    return c.value();
}

double Saturation(const QColor &c)
{
    return c.hsvSaturation();
}

TEST(ImageStyleWords, ThePromptNamesTheStyleAndTheLastNamedWins)
{
    struct Case {
        std::string prompt;
        Style style;
        std::string subject;
    } cases[] = {
        {"雪山\r\n油画", Style::OilPainting, "雪山"},
        {"水彩 风格的花", Style::Watercolour, "风格的花"},
        {"城市夜景\r\n赛博朋克", Style::Cyberpunk, "城市夜景"},
        {"赛博朋克风格的街道\r\n像素", Style::PixelArt, "风格的街道"},
        {"A Pencil SKETCH of a cat", Style::Sketch, "A   of a cat"},
        {"国风山水", Style::ChineseInk, "山水"},
        {"动漫少女\r\n写实", Style::Realistic, "少女"},
        {"a lake at dawn", Style::None, "a lake at dawn"},
        {"", Style::None, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.prompt);
        EXPECT_EQ(ImageStyle::FromPrompt(c.prompt), c.style);
        EXPECT_EQ(ImageStyle::Subject(c.prompt), c.subject);
    }
}

TEST(ImageStyleWords, AStyleKeepsWhatThePictureShowsAndChangesHowItLooks)
{
    const char *words[] = {"写实", "油画", "水彩", "素描", "国风", "动漫", "赛博朋克", "像素"};
    const QImage plain = Draw(kSubject);
    std::vector<QImage> styled;
    for (const char *word : words) {
        SCOPED_TRACE(word);
        const QImage picture = Draw(kSubject + "\r\n" + word);
        EXPECT_TRUE(picture == Draw(kSubject + "\r\n" + word)) << "a style draws the same pixels every time";
        EXPECT_GT(MeanDifference(plain, picture), kClearlyDifferent);
        for (std::size_t i = 0; i < styled.size(); ++i)
            EXPECT_GT(MeanDifference(styled[i], picture), kClearlyDifferent) << "against " << words[i];
        styled.push_back(picture);
    }
    // The palette changes but the composition stays: the plain picture's layout shows through in
    // the realistic one far more than another subject's does.
    const QImage other = Draw("neon city in the rain\r\n写实");
    EXPECT_LT(MeanDifference(plain, styled[0]), MeanDifference(other, styled[0]));
}

TEST(ImageStyleWords, EachStyleLeavesItsOwnMark)
{
    const QImage plain = Draw(kSubject);
    const int side = plain.width();

    const QImage sketch = Draw(kSubject + "\r\n素描");
    EXPECT_EQ(Mean(sketch, [](const QColor &c) { return c.red() != c.green() || c.green() != c.blue() ? 1.0 : 0.0; }), 0.0)
        << "pencil is grey";

    const QImage pixels = Draw(kSubject + "\r\n像素", 0, 384);
    const int block = 6;
    const int pixelSide = pixels.width();
    int ragged = 0;
    for (int y = 0; y < pixelSide; y += block) {
        for (int x = 0; x < pixelSide; x += block) {
            const QRgb first = pixels.pixel(x, y);
            for (int dy = 0; dy < block; ++dy) {
                for (int dx = 0; dx < block; ++dx)
                    ragged += pixels.pixel(x + dx, y + dy) != first;
            }
        }
    }
    EXPECT_EQ(ragged, 0) << "pixel art is made of whole blocks";

    const QImage cel = Draw(kSubject + "\r\n动漫");
    auto onStep = [](int channel) { return channel % 85 == 0; };
    EXPECT_EQ(Mean(cel, [&](const QColor &c) {
                  const bool outline = c == QColor(20, 20, 28);
                  return outline || (onStep(c.red()) && onStep(c.green()) && onStep(c.blue())) ? 0.0 : 1.0;
              }),
              0.0)
        << "anime is flat colour in four steps with outlines";

    const QImage neon = Draw(kSubject + "\r\n赛博朋克");
    double scanned = 0;
    double lit = 0;
    for (int y = 0; y < side; ++y)
        (y % 4 == 3 ? scanned : lit) += Mean(neon, Brightness, QRect(0, y, side, 1)) / (y % 4 == 3 ? 1 : 3);
    EXPECT_LT(scanned, lit / 2) << "every fourth row is a dark scan line";

    const QImage ink = Draw(kSubject + "\r\n国风");
    const int seal = side / 9;
    const QRect sealArea(side - seal * 3 / 2, side - seal * 3 / 2, seal, seal);
    EXPECT_GT(Mean(ink, [](const QColor &c) { return c.red() > 150 && c.green() < 90 && c.blue() < 90 ? 1.0 : 0.0; },
                   sealArea),
              0.5)
        << "a vermilion seal in the corner";
    EXPECT_LT(Mean(ink, Saturation), Mean(plain, Saturation) / 2) << "ink is muted";

    const QImage wash = Draw(kSubject + "\r\n水彩");
    EXPECT_GT(Mean(wash, Brightness), Mean(plain, Brightness) + 20) << "watercolour is light";
    EXPECT_LT(Mean(wash, Saturation), Mean(plain, Saturation)) << "and washed out";

    const QImage oil = Draw(kSubject + "\r\n油画");
    auto warm = [](const QColor &c) {
        const int hue = c.hsvHue();
        return c.hsvSaturation() > 40 && (hue < 110 || hue > 330) ? 1.0 : 0.0;
    };
    auto coloured = [](const QColor &c) { return c.hsvSaturation() > 40 ? 1.0 : 0.0; };
    EXPECT_GT(Mean(oil, warm), 0.8 * Mean(oil, coloured)) << "oil paint in warm earth tones";

    const QImage photo = Draw(kSubject + "\r\n写实");
    const QRect centre(side * 3 / 8, side * 3 / 8, side / 4, side / 4);
    const QRect corner(0, 0, side / 8, side / 8);
    const double rim = Mean(photo, Brightness, corner) / Mean(photo, Brightness, centre);
    EXPECT_LT(rim, Mean(plain, Brightness, corner) / Mean(plain, Brightness, centre)) << "a lens darkens the rim";
}

}  // namespace
