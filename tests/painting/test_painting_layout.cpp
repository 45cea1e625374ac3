#include "painting/PaintingChoices.h"
#include "painting/PaintingLayout.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

TEST(PaintingLayoutRules, TheColumnFollowsTheSelectorsThePreviewAndTheScrollPosition)
{
    struct Case
    {
        QSize client;
        int ratioHeight, styleHeight, scroll;
        bool preview;
        QRect description, styles, count, referencePath, browse, preview_, generate, status, history, slider, grid;
    };
    const Case cases[] = {
        // The studio's panel: W = 905, three ratio tiles with their sizes, one row of styles.
        {{920, 680}, 45, 60, 0, false, {65, 10, 835, 85}, {65, 160, 840, 60}, {65, 230, 50, 20},
         {65, 260, 810, 20}, {880, 260, 20, 20}, {}, {5, 290, 100, 28}, {107, 288, 796, 35}, {5, 323, 75, 20},
         {800, 323, 100, 20}, {5, 348, 895, 400}},
        // A reference picture pushes everything below it down by its side and 10.
        {{920, 680}, 45, 60, 0, true, {65, 10, 835, 85}, {65, 160, 840, 60}, {65, 230, 50, 20},
         {65, 260, 810, 20}, {880, 260, 20, 20}, {5, 290, 100, 100}, {5, 400, 100, 28}, {107, 398, 796, 35},
         {5, 433, 75, 20}, {800, 433, 100, 20}, {5, 458, 895, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.client.width());
        const PaintingLayout l = PaintingLayout::For(c.client, c.ratioHeight, c.styleHeight, c.scroll, c.preview);
        const int y0 = 10 - c.scroll;
        EXPECT_EQ(l.descriptionLabel, QRect(5, y0, 60, 20));
        EXPECT_EQ(l.description, c.description);
        EXPECT_EQ(l.ratioLabel, QRect(5, y0 + 95, 60, 20));
        EXPECT_EQ(l.ratios, QRect(65, y0 + 95, c.client.width() - 80, c.ratioHeight));
        EXPECT_EQ(l.styleLabel, QRect(5, c.styles.y(), 60, 20));
        EXPECT_EQ(l.styles, c.styles);
        EXPECT_EQ(l.count, c.count);
        EXPECT_EQ(l.countLabel, QRect(5, c.count.y(), 60, 20));
        EXPECT_EQ(l.downloadFolder, QRect(130, c.count.y(), 75, 20));
        EXPECT_EQ(l.referenceLabel, QRect(5, c.referencePath.y(), 60, 20));
        EXPECT_EQ(l.referencePath, c.referencePath);
        EXPECT_EQ(l.browse, c.browse);
        EXPECT_EQ(l.preview, c.preview_);
        EXPECT_EQ(l.generate, c.generate);
        EXPECT_EQ(l.status, c.status);
        EXPECT_EQ(l.history, c.history);
        EXPECT_EQ(l.refresh, QRect(85, c.history.y(), 45, 20));
        EXPECT_EQ(l.sizeSlider, c.slider);
        EXPECT_EQ(l.grid, c.grid);
        EXPECT_EQ(l.scrollBar, QRect(c.client.width() - 15, 0, 15, c.client.height()));
    }
}

TEST(PaintingLayoutRules, NoControlGetsANegativeSizeAndNoneOverlapsInAWindowOfUsableWidth)
{
    for (int width = 0; width <= 1200; width += 5) {
        for (const auto& [preview, ratio, style] : {std::tuple{false, 45, 60}, {true, 45, 60}, {true, 0, 0}, {true, 70, 125}}) {
            SCOPED_TRACE(width);
            const PaintingLayout l = PaintingLayout::For(QSize(width, 400), ratio, style, 30, preview);
            const std::vector<QRect> rows[] = {
                {l.descriptionLabel, l.description}, {l.ratioLabel, l.ratios}, {l.styleLabel, l.styles},
                {l.countLabel, l.count, l.downloadFolder}, {l.referenceLabel, l.referencePath, l.browse},
                {l.generate, l.status}, {l.history, l.refresh, l.sizeSlider}, {l.grid}};
            for (const std::vector<QRect>& row : rows) {
                for (size_t i = 0; i < row.size(); ++i) {
                    EXPECT_GE(row[i].width(), 0);
                    EXPECT_GE(row[i].height(), 0);
                    for (size_t j = i + 1; j < row.size() && width >= 250; ++j)
                        EXPECT_FALSE(row[i].intersects(row[j])) << ::testing::PrintToString(row[i]) << " and " << ::testing::PrintToString(row[j]);
                }
            }
            EXPECT_EQ(l.descriptionLabel.top(), 10 - 30) << "the column moves up by the scroll position";
            if (preview) {
                EXPECT_EQ(l.preview.width(), std::clamp(width - 15, 0, 100)) << "a square no wider than the column";
            }
            // Rows follow each other down the column, also past the preview.
            EXPECT_LT(l.referencePath.bottom(), preview ? l.preview.top() : l.generate.top());
            EXPECT_LT(l.generate.bottom(), l.grid.top());
            EXPECT_LE(l.grid.bottom() + 30, PaintingLayout::ContentHeight(width, ratio, style, preview))
                << "the scroll range covers the column";
        }
    }
    EXPECT_EQ(PaintingLayout::SelectorWidth(920), 840);
    EXPECT_EQ(PaintingLayout::ContentHeight(60, 45, 0, true), 760) << "the preview's share shrinks with the window";
}

TEST(PaintingChoiceRules, SizesAreReadAsWidthAndHeight)
{
    const struct
    {
        const char* text;
        int width, height;
    } cases[] = {{"1280x720", 1280, 720}, {"720x1280", 720, 1280}, {"2048x2048", 2048, 2048},
                 {"", 0, 0},             {"1:1", 0, 0},           {"640x", 640, 0},
                 {"x360", 0, 360},       {"640x360x2", 640, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t width = -1;
        int32_t height = -1;
        PaintingChoices::ParseSize(QString::fromLatin1(c.text), width, height);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
    }
    // Every size offered is one the form reads back.
    for (const PaintingChoices::Ratio& ratio : PaintingChoices::kRatios) {
        for (const QString& size : PaintingChoices::SizesOf(ratio)) {
            int32_t width = 0;
            int32_t height = 0;
            PaintingChoices::ParseSize(size, width, height);
            EXPECT_EQ(QStringLiteral("%1x%2").arg(width).arg(height), size);
        }
    }
}

} // namespace
