#include "host/CQOVContainWnd.h"
#include "host/CQOVDefUiSettings.h"
#include "host/ContainItem.h"
#include "host/QOVMessage.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr int kActivateMessage = 5121;

// Stands in for a tool window: records the window messages the grid sends it.
class MessageRecorder : public QWidget
{
public:
    struct Record
    {
        int message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    std::vector<Record> records;

protected:
    bool event(QEvent* event) override
    {
        if (auto* message = dynamic_cast<QOVMessageEvent*>(event)) {
            records.push_back({message->Message(), message->WParam(), message->LParam()});
            return true;
        }
        return QWidget::event(event);
    }
};

class Grid : public ::testing::Test
{
protected:
    // 330 wide with 100x80 items and 6 px spacing: three columns.
    void Build(int count, const QSize& gridSize = QSize(330, 400))
    {
        for (int i = 0; i < count; ++i) {
            auto item = std::make_unique<ContainItem>();
            item->path = QStringLiteral("/media/clip%1.mp4").arg(i);
            item->toolTip = i % 2 ? QString() : QStringLiteral("tip %1").arg(i);
            list.append(item.get());
            owned.push_back(std::move(item));
        }
        parent.resize(gridSize + QSize(20, 20));
        grid = new CQOVContainWnd;
        grid->Create(&parent, QRect(QPoint(0, 0), gridSize), 77);
        grid->SetItemSize(QSize(100, 80));
        grid->SetContainList(&list);
        parent.show();
    }

    QPoint Centre(int index) const { return grid->GetItemRect(index).center(); }

    MessageRecorder parent;
    CQOVContainWnd* grid = nullptr;
    QList<ContainItem*> list;
    std::vector<std::unique_ptr<ContainItem>> owned;
};

TEST_F(Grid, LaysItemsOutInRowsOfWholeColumnsAndFoldersOnlyWhenWanted)
{
    Build(7);
    EXPECT_EQ(grid->ColumnCount(), 3);
    const std::pair<int, QRect> cases[] = {
        {0, QRect(6, 6, 100, 80)},   {1, QRect(112, 6, 100, 80)}, {2, QRect(218, 6, 100, 80)},
        {3, QRect(6, 92, 100, 80)},  {4, QRect(112, 92, 100, 80)}, {6, QRect(6, 178, 100, 80)},
    };
    for (const auto& [index, rect] : cases)
        EXPECT_EQ(grid->GetItemRect(index), rect) << "item " << index;
    EXPECT_TRUE(grid->GetItemRect(7).isEmpty());

    // A folder takes no place unless folders are wanted.
    list[1]->isFolder = true;
    grid->SetNeedFolder(false);
    EXPECT_TRUE(grid->GetItemRect(1).isEmpty());
    EXPECT_EQ(grid->GetItemRect(2), QRect(112, 6, 100, 80));
    EXPECT_EQ(grid->HitTest(QPoint(150, 40)), 2);
    grid->SetNeedFolder(true);
    EXPECT_EQ(grid->HitTest(QPoint(150, 40)), 1);
}

TEST_F(Grid, HitTestsPointsToTilesOrReportRows)
{
    Build(5);
    const std::pair<QPoint, int> cases[] = {
        {{6, 6}, 0},      {{105, 85}, 0},  {{106, 40}, -1}, // the gap between columns
        {{150, 100}, 4},  {{150, 89}, -1}, // the gap between rows
        {{230, 100}, -1}, // past the last item of a short row
        {{320, 40}, -1},  {{50, 300}, -1},
    };
    for (const auto& [point, index] : cases)
        EXPECT_EQ(grid->HitTest(point), index) << point.x() << "," << point.y();

    // Report mode: one full-width row per item.
    grid->EnableReportMode(true);
    const int width = grid->viewport()->width();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(grid->GetItemRect(i), QRect(0, i * CQOVContainWnd::kReportRowHeight, width,
                                              CQOVContainWnd::kReportRowHeight));
    EXPECT_EQ(grid->HitTest(QPoint(width - 1, 2 * CQOVContainWnd::kReportRowHeight + 1)), 2);
    EXPECT_EQ(grid->HitTest(QPoint(5, 5 * CQOVContainWnd::kReportRowHeight + 1)), -1);
}

TEST_F(Grid, ScrollsWhenItemsExceedTheHeight)
{
    Build(30, QSize(330, 200));
    QScrollBar* bar = grid->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    // The scroll bar takes width, so columns are recounted for what is left.
    const int columns = grid->ColumnCount();
    const int rows = (30 + columns - 1) / columns;
    EXPECT_EQ(bar->maximum(), rows * 86 + 6 - grid->viewport()->height());

    bar->setValue(100);
    EXPECT_EQ(grid->GetItemRect(0).top(), 6 - 100);
    const int index = columns; // first item of the second row, at 92..171 in content
    EXPECT_EQ(grid->HitTest(QPoint(10, 92 - 100 + 5)), index);

    grid->SetCurSel(29);
    const QRect last = grid->GetItemRect(29);
    EXPECT_TRUE(grid->viewport()->rect().contains(last)) << last.y();
}

TEST_F(Grid, SingleSelectionFollowsClicksReportsAndShows)
{
    Build(6);
    QSignalSpy spy(grid, &CQOVContainWnd::selectionChanged);
    EXPECT_EQ(grid->GetCurSel(), -1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Centre(1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, Centre(4));
    EXPECT_EQ(grid->GetCurSel(), 4);
    EXPECT_EQ(grid->GetSelectedItems(), QList<int>{4});
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 77);

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Centre(4));
    EXPECT_EQ(spy.count(), 2); // the same item again changes nothing
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(320, 350));
    EXPECT_EQ(grid->GetCurSel(), -1);
    EXPECT_EQ(spy.count(), 3);

    grid->SetCurSel(2);
    EXPECT_EQ(grid->GetCurSel(), 2);
    // Painted in the tile colour, the chosen one in its own, between them the background.
    const QImage image = grid->viewport()->grab().toImage();
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    EXPECT_EQ(image.pixelColor(Centre(0)), ui.tile);
    EXPECT_EQ(image.pixelColor(Centre(2)), ui.selectedTile);
    EXPECT_EQ(image.pixelColor(QPoint(2, 2)), ui.background);
    grid->SetCurSel(60);
    EXPECT_EQ(grid->GetCurSel(), -1);
    EXPECT_EQ(spy.count(), 3);
}

TEST_F(Grid, MultiSelectionTogglesAndExtends)
{
    Build(6);
    grid->SetMuitlSelect(true);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Centre(1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, Centre(3));
    EXPECT_EQ(grid->GetSelectedItems(), (QList<int>{1, 3}));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, Centre(1));
    EXPECT_EQ(grid->GetSelectedItems(), QList<int>{3});
    // The last clicked item is the anchor of a shift-click range, even one just deselected.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Centre(3));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, Centre(5));
    EXPECT_EQ(grid->GetSelectedItems(), (QList<int>{3, 4, 5}));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, Centre(2));
    EXPECT_EQ(grid->GetSelectedItems(), (QList<int>{2, 3}));
    grid->SetMuitlSelect(false);
    EXPECT_EQ(grid->GetSelectedItems().size(), 1);
}

TEST_F(Grid, DoubleClickSendsTheConfiguredMessageToTheParent)
{
    Build(5);
    QSignalSpy spy(grid, &CQOVContainWnd::itemActivated);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, Centre(2));
    EXPECT_TRUE(parent.records.empty()); // no message number: nothing sent
    EXPECT_EQ(spy.count(), 1);

    grid->SetDragDbClkItemMsg(kActivateMessage);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, Centre(3));
    ASSERT_EQ(parent.records.size(), 1u);
    EXPECT_EQ(parent.records[0].message, kActivateMessage);
    EXPECT_EQ(parent.records[0].wParam, 3u);
    EXPECT_EQ(reinterpret_cast<ContainItem*>(parent.records[0].lParam), list[3]);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 77);
    EXPECT_EQ(spy.at(1).at(1).toInt(), 3);

    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(320, 350));
    EXPECT_EQ(parent.records.size(), 1u);
}

TEST_F(Grid, DraggingAnItemOutSendsTheMessageOnce)
{
    Build(5);
    grid->SetDragDbClkItemMsg(kActivateMessage);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, Centre(1));
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(grid->viewport(), Centre(1) + QPoint(step * 20, 0));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, Centre(1) + QPoint(80, 0));
    ASSERT_EQ(parent.records.size(), 1u);
    EXPECT_EQ(parent.records[0].wParam, 1u);
}

TEST_F(Grid, ToolTipsShowTheHoveredItemsText)
{
    Build(4);
    EXPECT_EQ(grid->ToolTipAt(Centre(0)), QString()); // off until asked for
    grid->SetSmartShowToolTip(true);
    EXPECT_EQ(grid->ToolTipAt(Centre(0)), QStringLiteral("tip 0"));
    EXPECT_EQ(grid->ToolTipAt(Centre(2)), QStringLiteral("tip 2"));
    EXPECT_EQ(grid->ToolTipAt(Centre(1)), QStringLiteral("clip1.mp4")); // no tip: its caption
    EXPECT_EQ(grid->ToolTipAt(QPoint(320, 350)), QString());
}

TEST_F(Grid, RightClickRequestsAContextMenuOnlyWhenSupported)
{
    Build(4);
    QSignalSpy spy(grid, &CQOVContainWnd::contextMenuRequested);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, Centre(2));
    EXPECT_EQ(spy.count(), 0);
    grid->SetSupportContextMenu(true);
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, Centre(2));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(1).toInt(), 2);
    EXPECT_EQ(grid->GetCurSel(), 2);
}

} // namespace
