#include "history/CItemListWnd.h"
#include "host/CQOVDefUiSettings.h"
#include "host/CZuBuffer.h"
#include "host/CZuScrollBar.h"
#include "host/QOVMessage.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A tool window that takes 8224: it reads the message's texts.
class AddItemReceiver : public QWidget
{
public:
    QStringList sources;
    QStringList files;

protected:
    bool event(QEvent* event) override
    {
        const QOVMessageEvent* message = QOVMessageEvent::From(event);
        if (!message || message->Message() != CItemListWnd::kAddItemMessage)
            return QWidget::event(event);
        sources << *message->WText();
        files << *message->LText();
        return true;
    }
};

std::unique_ptr<TaskItemData> Entry(const QString& source, const QString& files, const QString& fileLine = {},
                                    const QString& textLine = {})
{
    auto item = std::make_unique<TaskItemData>();
    item->TaskID = QStringLiteral("id-") + source;
    item->SrcInfo = source;
    item->Files = files;
    item->FileLine = fileLine;
    item->TextLine = textLine;
    return item;
}

void SendMouse(QWidget& widget, QEvent::Type type, const QPoint& point)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(point), widget.mapToGlobal(QPointF(point)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void Click(QWidget& widget, const QPoint& point)
{
    SendMouse(widget, QEvent::MouseMove, point);
    SendMouse(widget, QEvent::MouseButtonPress, point);
    SendMouse(widget, QEvent::MouseButtonRelease, point);
}

// Whether anything but the background shows in rect.
bool Painted(const QImage& image, const QRect& rect)
{
    const QColor background = CQOVDefUiSettings::GetDefUiSettings().background;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y) != background)
                return true;
    return false;
}

class ItemList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_list.Create(nullptr, QRect(0, 0, 510, 300), 1001));
        m_list.SetBkColor(CQOVDefUiSettings::GetDefUiSettings().background);
        m_list.SetOwnerTool(&m_tool);
    }

    void Deliver()
    {
        QCoreApplication::sendPostedEvents(&m_tool, 0);
    }

    QPoint IconCentre(int row) const
    {
        return m_list.Geometry().IconRect(row).center();
    }

    AddItemReceiver m_tool;
    CItemListWnd m_list;
};

TEST_F(ItemList, ClickOnTheAddIconHandsTheEntryToItsToolAsTwoTexts)
{
    m_list.AddItem(Entry(QStringLiteral("雪山|湖泊"), QStringLiteral("/w/a.png|/w/b.png|")));
    m_list.AddItem(Entry(QStringLiteral("second"), QStringLiteral("/w/c.mp3")));
    m_list.UpdateScrollInfo();

    SendMouse(m_list, QEvent::MouseMove, IconCentre(1));
    EXPECT_EQ(m_list.GetHoverRow(), 1);
    EXPECT_TRUE(m_list.IsAddIconShown());
    SendMouse(m_list, QEvent::MouseButtonPress, IconCentre(1));
    SendMouse(m_list, QEvent::MouseButtonRelease, IconCentre(1));
    EXPECT_FALSE(m_list.IsAddIconShown()) << "the icon goes once used";
    Click(m_list, IconCentre(0));
    Deliver();

    EXPECT_EQ(m_tool.sources, (QStringList{QStringLiteral("second"), QStringLiteral("雪山|湖泊")}));
    EXPECT_EQ(m_tool.files, (QStringList{QStringLiteral("/w/c.mp3"), QStringLiteral("/w/a.png|/w/b.png|")}));
    EXPECT_EQ(m_list.GetSelectedRow(), 0);
}

TEST_F(ItemList, HandedOverTextsAreFreedWhenTheToolWindowGoesBeforeTheyArrive)
{
    // Texts made at run time share their data with their copies: a copy is alone again once
    // every other holder has let go.
    const QString source = QString::fromUtf8("雪山湖泊");
    const QString files = QString::fromUtf8("/w/a.png|");
    m_list.AddItem(Entry(source, files));
    m_list.UpdateScrollInfo();
    auto tool = std::make_unique<AddItemReceiver>();
    m_list.SetOwnerTool(tool.get());
    Click(m_list, IconCentre(0));
    m_list.DeleteAllItems();
    EXPECT_FALSE(source.isDetached()) << "the queued message holds the texts";
    tool.reset();
    EXPECT_TRUE(source.isDetached()) << "the source went with the dropped message";
    EXPECT_TRUE(files.isDetached()) << "the files went with the dropped message";
}

TEST_F(ItemList, PressesSelectTheirRowButNothingIsHandedOverWithoutIconOrOwner)
{
    m_list.AddItem(Entry(QStringLiteral("no result"), QString()));
    m_list.AddItem(Entry(QStringLiteral("with result"), QStringLiteral("/w/r.txt")));
    m_list.UpdateScrollInfo();

    SendMouse(m_list, QEvent::MouseMove, IconCentre(0));
    EXPECT_EQ(m_list.GetHoverRow(), 0);
    EXPECT_FALSE(m_list.IsAddIconShown()) << "an entry without files shows no icon";
    SendMouse(m_list, QEvent::MouseButtonPress, IconCentre(0));
    SendMouse(m_list, QEvent::MouseButtonRelease, IconCentre(0));

    // Pressed on the result column away from the icon: the row is selected, nothing handed over.
    Click(m_list, m_list.Geometry().ResultRect(1).topLeft() + QPoint(3, 3));
    EXPECT_EQ(m_list.GetSelectedRow(), 1);
    Click(m_list, QPoint(100, 130));
    EXPECT_EQ(m_list.GetSelectedRow(), -1) << "a press below the last row selects none";

    // Pressed on the icon, but the pointer left before the release.
    SendMouse(m_list, QEvent::MouseMove, IconCentre(1));
    SendMouse(m_list, QEvent::MouseButtonPress, IconCentre(1));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&m_list, &leave);
    SendMouse(m_list, QEvent::MouseButtonRelease, IconCentre(1));

    m_list.EnableAddIcon(false);
    Click(m_list, IconCentre(1));
    m_list.EnableAddIcon(true);

    m_list.SetOwnerTool(nullptr);
    Click(m_list, IconCentre(1));
    Deliver();
    EXPECT_TRUE(m_tool.sources.isEmpty()) << m_tool.sources.join(QLatin1Char(',')).toStdString();
}

TEST_F(ItemList, ScrollingStaysWithinTheEntries)
{
    m_list.SetRowHeight(40);
    for (int i = 0; i < 100; ++i)
        m_list.AddItem(Entry(QString::number(i), QStringLiteral("/f")));
    m_list.UpdateScrollInfo();
    // (100 + 1) rows of 40 pixels, 300 of them visible.
    const int end = 101 * 40 - 300;

    const auto wheel = [this](int delta) {
        QWheelEvent event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&m_list, &event);
    };
    wheel(120);
    EXPECT_EQ(m_list.GetScrollPos(), 0);
    wheel(-120);
    wheel(-120);
    EXPECT_EQ(m_list.GetScrollPos(), 30);
    wheel(120);
    EXPECT_EQ(m_list.GetScrollPos(), 15);

    auto* bar = m_list.findChild<CZuScrollBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), QRect(495, 0, 15, 300));
    bar->setValue(1000);
    EXPECT_EQ(m_list.GetScrollPos(), 1000) << "dragging the bar moves the list";
    EXPECT_EQ(m_list.Geometry().HitTest({10, 5}, m_list.GetItemCount(), false).row, 25);
    m_list.ScrollTo(1000000);
    EXPECT_EQ(m_list.GetScrollPos(), end);
    EXPECT_EQ(bar->GetScrollPos(), end);

    m_list.resize(510, 500);
    EXPECT_EQ(m_list.GetScrollPos(), 101 * 40 - 500) << "a taller window shows more of the end";
    m_list.DeleteAllItems();
    m_list.UpdateScrollInfo();
    EXPECT_EQ(m_list.GetScrollPos(), 0);
}

TEST_F(ItemList, PaintsThumbnailsTextAndTheHoveredIcon)
{
    QImage red(64, 64, QImage::Format_ARGB32);
    red.fill(Qt::red);
    CZuBuffer thumbnail;
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("red.png"));
    ASSERT_TRUE(folder.isValid() && red.save(path));
    ASSERT_TRUE(thumbnail.CreateFromFile(path));

    m_list.SetRowHeight(60);
    auto painting = Entry(QStringLiteral("湖泊"), QStringLiteral("/w/a.png|/w/b.png|"));
    painting->Thumbnails = {&thumbnail, &thumbnail};
    m_list.AddItem(std::move(painting));
    m_list.AddItem(Entry(QStringLiteral("配音"), QStringLiteral("/w/a.mp3"), QStringLiteral("文件：a.mp3")));
    m_list.AddItem(Entry(QStringLiteral("文案"), QStringLiteral("/w/a.txt"), QStringLiteral("文件：a.txt"),
                         QStringLiteral("文本内容：很长的一段文字") .repeated(20)));
    for (int i = 0; i < 40; ++i)
        m_list.AddItem(Entry(QStringLiteral("更多").repeated(i), QString()));
    m_list.UpdateScrollInfo();

    const ItemListGeometry geometry = m_list.Geometry();
    QImage image = m_list.grab().toImage();
    ASSERT_EQ(image.size(), QSize(510, 300));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(image.pixelColor(geometry.ThumbnailRect(0, i).center()), QColor(Qt::red)) << i;
    EXPECT_NE(image.pixelColor(geometry.ThumbnailRect(0, 2).center()), QColor(Qt::red));

    // The file line alone starts at the top; beside a text line it takes the row's last 20 pixels.
    const auto bottomBand = [&](int row) {
        const QRect text = geometry.ResultTextRect(row);
        return QRect(text.left(), text.bottom() - 18, text.width(), 17);
    };
    EXPECT_FALSE(Painted(image, bottomBand(1)));
    EXPECT_TRUE(Painted(image, bottomBand(2)));
    EXPECT_TRUE(Painted(image, geometry.ResultTextRect(1).adjusted(0, 0, 0, -30)));

    EXPECT_FALSE(Painted(image, geometry.IconRect(1)));
    SendMouse(m_list, QEvent::MouseMove, geometry.IconRect(1).center());
    image = m_list.grab().toImage();
    EXPECT_TRUE(Painted(image, geometry.IconRect(1)));
    SendMouse(m_list, QEvent::MouseMove, geometry.IconRect(3).center());
    image = m_list.grab().toImage();
    EXPECT_FALSE(Painted(image, geometry.IconRect(1)));
    EXPECT_FALSE(Painted(image, geometry.IconRect(3))) << "the hovered entry has no files";

    m_list.ScrollTo(1000);
    image = m_list.grab().toImage();
    EXPECT_EQ(image.size(), QSize(510, 300));
}

} // namespace
