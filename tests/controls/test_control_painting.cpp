#include "host/CI3Button.h"
#include "host/CNLESlider.h"
#include "host/CQOVComboBox.h"
#include "host/CQOVContainWnd.h"
#include "host/CQOVDefUiSettings.h"
#include "host/CQOVPiecewiseLinearBar.h"
#include "host/CQOVRichEditCtrl.h"
#include "host/CZuBuffDisplayWnd.h"
#include "host/CZuBuffer.h"
#include "host/CZuEdit.h"
#include "host/CZuScrollBar.h"
#include "host/CZuTabCtrl.h"
#include "host/ContainItem.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const CQOVDefUiSettings& Ui()
{
    return CQOVDefUiSettings::GetDefUiSettings();
}

// A buffer of one colour, loaded from an image file the way the editor loads its bitmaps.
std::unique_ptr<CZuBuffer> MakeSolidBuffer(const QSize& size, const QColor& color)
{
    QTemporaryDir dir;
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    const QString path = dir.filePath(QStringLiteral("solid.png"));
    auto buffer = std::make_unique<CZuBuffer>();
    if (!image.save(path) || !buffer->CreateFromFile(path))
        return nullptr;
    return buffer;
}

QColor PixelAt(QWidget& widget, const QPoint& point)
{
    return widget.grab().toImage().pixelColor(point);
}

TEST(ControlPainting, BufferDisplayFitsTheBufferCentredKeepingAspect)
{
    const std::unique_ptr<CZuBuffer> red = MakeSolidBuffer(QSize(40, 20), Qt::red);
    ASSERT_TRUE(red);
    CZuBuffDisplayWnd display;
    display.resize(100, 100);
    display.SetDisplayBuffer(red.get());
    // 40x20 scaled into 100x100 is 100x50 centred: rows 25..74 hold the picture.
    const std::pair<QPoint, QColor> cases[] = {
        {{50, 50}, Qt::red}, {{2, 30}, Qt::red}, {{97, 70}, Qt::red},
        {{50, 10}, Ui().background}, {{50, 90}, Ui().background},
    };
    for (const auto& [point, colour] : cases)
        EXPECT_EQ(PixelAt(display, point), colour) << point.x() << "," << point.y();

    display.SetDisplayBuffer(nullptr);
    EXPECT_EQ(PixelAt(display, {50, 50}), Ui().background);

    const struct
    {
        QSize source;
        QRect bounds;
        QRect fitted;
    } fits[] = {
        {{40, 20}, {0, 0, 100, 100}, {0, 25, 100, 50}},
        {{20, 40}, {10, 10, 100, 100}, {35, 10, 50, 100}},
        {{0, 40}, {0, 0, 100, 100}, {}},
        {{20, 40}, {0, 0, 0, 100}, {}},
    };
    for (const auto& c : fits)
        EXPECT_EQ(CZuBuffDisplayWnd::FitRect(c.source, c.bounds), c.fitted);
}

TEST(ControlPainting, ButtonDrawsItsStateBitmapOrTheThemedFace)
{
    CI3Button button;
    button.resize(60, 24);
    EXPECT_EQ(PixelAt(button, {30, 4}), Ui().buttonFace);

    const std::unique_ptr<CZuBuffer> normal = MakeSolidBuffer(QSize(6, 6), Qt::green);
    const std::unique_ptr<CZuBuffer> disabled = MakeSolidBuffer(QSize(6, 6), Qt::blue);
    button.SetButtonRange(normal.get(), nullptr, nullptr, disabled.get());
    EXPECT_EQ(PixelAt(button, {30, 4}), QColor(Qt::green));
    button.EnableWindow(false);
    EXPECT_EQ(PixelAt(button, {30, 4}), QColor(Qt::blue));
}

TEST(ControlPainting, ThumbnailIsDrawnInsideItsTile)
{
    const std::unique_ptr<CZuBuffer> thumb = MakeSolidBuffer(QSize(16, 9), Qt::yellow);
    ContainItem item;
    item.thumbnail = thumb.get();
    QImage image(100, 80, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    item.DrawPreview(painter, image.rect());
    painter.end();
    EXPECT_EQ(image.pixelColor(50, 40), QColor(Qt::yellow));
    EXPECT_EQ(image.pixelColor(50, 4), Ui().tile); // above the letterboxed picture
}

// Every control paints with nothing set, and the grid with empty items, hover and report rows.
TEST(ControlPainting, EveryControlPaintsWithEmptyData)
{
    std::vector<std::unique_ptr<QWidget>> widgets;
    widgets.push_back(std::make_unique<CI3Button>());
    widgets.push_back(std::make_unique<CQOVComboBox>());
    widgets.push_back(std::make_unique<CZuTabCtrl>());
    widgets.push_back(std::make_unique<CQOVRichEditCtrl>());
    widgets.push_back(std::make_unique<CZuEdit>());
    widgets.push_back(std::make_unique<CZuEdit>(nullptr, 0, true));
    widgets.push_back(std::make_unique<CZuScrollBar>());
    widgets.push_back(std::make_unique<CNLESlider>());
    widgets.push_back(std::make_unique<CQOVPiecewiseLinearBar>());
    widgets.push_back(std::make_unique<CZuBuffDisplayWnd>());
    widgets.push_back(std::make_unique<CQOVContainWnd>());
    for (auto& widget : widgets) {
        widget->resize(120, 40);
        EXPECT_FALSE(widget->grab().isNull()) << widget->metaObject()->className();
    }

    const std::unique_ptr<CZuBuffer> add = MakeSolidBuffer(QSize(12, 12), Qt::white);
    ContainItem empty;
    QList<ContainItem*> items{&empty};
    CQOVContainWnd grid;
    grid.resize(200, 120);
    grid.SetContainList(&items);
    grid.SetAddResImage(add.get());
    grid.SetCurSel(0);
    EXPECT_FALSE(grid.grab().isNull());
    grid.EnableReportMode(true);
    EXPECT_FALSE(grid.grab().isNull());
}

} // namespace
