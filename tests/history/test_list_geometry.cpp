#include "history/ItemListGeometry.h"

#include <gtest/gtest.h>

namespace {

using Hit = ItemListGeometry::Hit;

TEST(ItemListGeometry, SourceColumnIsTwoFifthsOfTheListButNeverNarrowerThanItsMinimum)
{
    const struct
    {
        int clientWidth;
        int width;
        int source;
    } cases[] = {
        {510, 495, 210},   // two fifths of 495 is 198, minus 30 is 168: below the minimum
        {630, 615, 216},   // 246 - 30
        {1015, 1000, 370}, // 400 - 30
        {15, 0, 210},      // nothing but the scroll bar
    };
    for (const auto& c : cases) {
        const ItemListGeometry geometry(QSize(c.clientWidth, 300), 40, 0);
        EXPECT_EQ(geometry.Width(), c.width) << c.clientWidth;
        EXPECT_EQ(geometry.SourceWidth(), c.source) << c.clientWidth;
        EXPECT_EQ(geometry.ResultLeft(), 30 + c.source) << c.clientWidth;
        EXPECT_EQ(geometry.ResultRect(0).right(), c.width - 1) << c.clientWidth;
    }
}

TEST(ItemListGeometry, RowsAndHitsMoveUpByTheScrollPosition)
{
    const ItemListGeometry geometry(QSize(510, 300), 40, 25);
    EXPECT_EQ(geometry.RowRect(0), QRect(0, -25, 495, 40));
    EXPECT_EQ(geometry.RowRect(3), QRect(0, 95, 495, 40));
    EXPECT_EQ(geometry.FirstVisibleRow(), 0) << "row 0 still shows its last 15 pixels";
    EXPECT_EQ(ItemListGeometry(QSize(510, 300), 40, 40).FirstVisibleRow(), 1);
    EXPECT_TRUE(geometry.IsRowVisible(7)) << "top at 255";
    EXPECT_FALSE(geometry.IsRowVisible(9)) << "top at 335, below the window";

    const ItemListGeometry scrolled(QSize(510, 100), 40, 70);
    EXPECT_EQ(scrolled.HitTest({10, 0}, 10, false).row, 1);
    EXPECT_EQ(scrolled.HitTest({10, 9}, 10, false).row, 1);
    EXPECT_EQ(scrolled.HitTest({10, 10}, 10, false).row, 2);
    // Row 1's icon lies at -20..-1, its slack reaches down to 1.
    EXPECT_EQ(scrolled.HitTest({367, 1}, 10, true).kind, ItemListGeometry::HitAddIcon);
    EXPECT_EQ(scrolled.HitTest({367, 2}, 10, true).kind, ItemListGeometry::HitResult);
    EXPECT_EQ(scrolled.HitTest({10, 99}, 3, false).row, -1) << "row 4 is past the last of three";
}

TEST(ItemListGeometry, ThumbnailsOfAPaintingRowAreSquaresOneRowHeightApart)
{
    const ItemListGeometry geometry(QSize(510, 300), 60, 0);
    const int left = geometry.ResultLeft();
    EXPECT_EQ(geometry.ThumbnailRect(0, 0), QRect(left + 2, 2, 56, 56));
    EXPECT_EQ(geometry.ThumbnailRect(0, 1), QRect(left + 62, 2, 56, 56));
    EXPECT_EQ(geometry.ThumbnailRect(2, 0), QRect(left + 2, 122, 56, 56));
}

TEST(ItemListGeometry, HitTestNamesTheRowAndItsPart)
{
    const ItemListGeometry geometry(QSize(510, 300), 40, 0);
    const struct
    {
        QPoint point;
        bool iconShown;
        int row;
        int kind;
    } cases[] = {
        {{10, 10}, false, 0, ItemListGeometry::HitNumber},
        {{29, 10}, false, 0, ItemListGeometry::HitNumber},
        {{30, 10}, false, 0, ItemListGeometry::HitSource},
        {{239, 50}, false, 1, ItemListGeometry::HitSource},
        {{240, 50}, false, 1, ItemListGeometry::HitResult},
        {{494, 119}, false, 2, ItemListGeometry::HitResult},
        {{367, 20}, false, 0, ItemListGeometry::HitResult},  // the icon does not show
        {{367, 20}, true, 0, ItemListGeometry::HitAddIcon},
        {{355, 8}, true, 0, ItemListGeometry::HitAddIcon},   // two pixels outside the icon still count
        {{378, 31}, true, 0, ItemListGeometry::HitAddIcon},
        {{354, 8}, true, 0, ItemListGeometry::HitResult},
        {{379, 20}, true, 0, ItemListGeometry::HitResult},
        {{378, 32}, true, 0, ItemListGeometry::HitResult},
        {{100, 120}, false, -1, ItemListGeometry::HitNone},  // below the last of three rows
        {{100, -1}, false, -1, ItemListGeometry::HitNone},
        {{100, 300}, false, -1, ItemListGeometry::HitNone},
        {{495, 10}, false, -1, ItemListGeometry::HitNone},   // on the scroll bar
    };
    for (const auto& c : cases) {
        const Hit hit = geometry.HitTest(c.point, 3, c.iconShown);
        EXPECT_EQ(hit.row, c.row) << c.point.x() << "," << c.point.y();
        EXPECT_EQ(hit.kind, c.kind) << c.point.x() << "," << c.point.y();
    }
}

} // namespace
