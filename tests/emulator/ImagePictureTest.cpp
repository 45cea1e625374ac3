#include "ImageFixture.h"

#include <QPainter>

#include <string>
#include <vector>

using image_test::CreateBody;
using image_test::MeanDifference;

namespace {

// Far above what JPEG and scaling noise add, far below what another picture differs by.
constexpr double kClearlyDifferent = 12.0;

// Red on the left half, blue on the right: still the same halves once scaled to cover a square.
QImage HalvedReference(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter painter(&image);
    painter.fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
    return image;
}

TEST_F(ImageTest, PicturesFollowPromptIndexAndReference)
{
    const auto reference = image_test::EncodedImage(HalvedReference(QSize(320, 240)), "JPEG");
    const auto lake = Start(CreateBody("a mountain lake at dawn", 512, 512, 2));
    const auto lakeAgain = Start(CreateBody("a mountain lake at dawn", 512, 512, 1));
    const auto city = Start(CreateBody("neon city in the rain", 512, 512, 1));
    const auto lakeFromReference = Start(CreateBody("a mountain lake at dawn", 512, 512, 1, reference));

    const auto lakes = Pictures(AwaitSuccess(lake));
    const auto again = Pictures(AwaitSuccess(lakeAgain));
    const auto cities = Pictures(AwaitSuccess(city));
    const auto referenced = Pictures(AwaitSuccess(lakeFromReference));
    ASSERT_EQ(lakes.size(), 2u);
    ASSERT_EQ(again.size(), 1u);
    ASSERT_EQ(cities.size(), 1u);
    ASSERT_EQ(referenced.size(), 1u);
    // Each picture is compared with a 512 by 512 one below, which fails on a picture of another size.

    EXPECT_TRUE(lakes[0] == again[0]) << "the same prompt must give the same pixels";
    EXPECT_GT(MeanDifference(lakes[0], lakes[1]), kClearlyDifferent) << "pictures of one set must differ";
    EXPECT_GT(MeanDifference(lakes[0], cities[0]), kClearlyDifferent) << "another prompt must look different";

    const QImage expected = HalvedReference(QSize(512, 512));
    const double plainDistance = MeanDifference(lakes[0], expected);
    const double referencedDistance = MeanDifference(referenced[0], expected);
    EXPECT_GT(MeanDifference(lakes[0], referenced[0]), kClearlyDifferent);
    EXPECT_LT(referencedDistance, plainDistance / 2) << "the reference must show through";
}

// Every listed size is drawn exactly. A flagged prompt marks only the last picture of its set, and
// blocked pictures are still drawn and served.
TEST_F(ImageTest, EveryListedSizeIsDrawnAndFlaggedPromptsMarkOnlyTheLastPicture)
{
    struct Case {
        const char *prompt;
        int count;
        bool flagged;
        QSize size;
    } cases[] = {
        {"a quiet garden", 3, false, {640, 360}},
        {"a blocked scene", 3, true, {512, 512}},
        {"含违禁内容的海报", 1, true, {1280, 720}},
        {"A BLOCKED road", 2, true, {360, 640}},
        {"違禁 in another script is not listed", 2, false, {720, 1280}},
        {"size check", 1, false, {2560, 1440}},
        {"size check", 1, false, {1440, 2560}},
        {"size check", 1, false, {1024, 1024}},
        {"size check", 1, false, {2048, 2048}},
    };
    std::vector<std::int64_t> ids;
    for (const auto &c : cases)
        ids.push_back(Start(CreateBody(c.prompt, c.size.width(), c.size.height(), c.count)));
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto &c = cases[i];
        SCOPED_TRACE(std::string(c.prompt) + " " + std::to_string(c.size.width()) + "x" + std::to_string(c.size.height()));
        const auto data = AwaitSuccess(ids[i]);
        ASSERT_TRUE(data.is_object());
        const auto &subTasks = data.at("sub_task_result_list").as_array();
        ASSERT_EQ(subTasks.size(), static_cast<std::size_t>(c.count));
        for (int k = 0; k < c.count; ++k) {
            const bool blocked = c.flagged && k == c.count - 1;
            const auto &entry = subTasks.at(static_cast<std::size_t>(k));
            const auto &image = entry.at("final_image_list").at(0);
            EXPECT_EQ(image.at("img_approve_conclusion").as_string(), blocked ? "block" : "pass") << k;
            EXPECT_EQ(entry.at("sub_task_status").as_string(), "SUCCESS");
            EXPECT_EQ(image.at("width").as_integer(), c.size.width());
            EXPECT_EQ(image.at("height").as_integer(), c.size.height());
        }
        for (const auto &picture : Pictures(data))
            EXPECT_EQ(picture.size(), c.size);
    }
}

}  // namespace
