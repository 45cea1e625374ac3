#include "ui/CBtnSelCtrl.h"
#include "host/CZuBuffer.h"
#include "host/QOVMessage.h"
#include "ui/CVoiceSelCtrl.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

constexpr int kGridId = 1002;

// The window a selector sits in: records the messages it is sent or posted.
class Recorder : public QWidget
{
public:
    struct Message
    {
        int number;
        intptr_t word;
        intptr_t lparam;
        bool operator==(const Message&) const = default;
    };
    QList<Message> messages;

    QList<Message> Take()
    {
        QCoreApplication::sendPostedEvents(this);
        return std::exchange(messages, {});
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() < QEvent::User || event->type() > QEvent::MaxUser)
            return QWidget::event(event);
        const auto* message = static_cast<QOVMessageEvent*>(event);
        messages.append({message->Message(), intptr_t(message->WParam()), message->LParam()});
        return true;
    }
};

void Mouse(QWidget* widget, QEvent::Type type, const QPoint& point)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(point), widget->mapToGlobal(QPointF(point)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void Leave(QWidget* widget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
}

void Click(QWidget* widget, const QPoint& point)
{
    Mouse(widget, QEvent::MouseButtonPress, point);
    Mouse(widget, QEvent::MouseButtonRelease, point);
}

template <typename Control>
Control* MakeControl(Recorder& parent, int groups, int tileWidth, int gap, int tileHeight)
{
    auto* control = new Control(&parent);
    control->Create(&parent, QRect(0, 0, 300, 200), kGridId);
    for (int i = 0; i < groups; ++i)
        control->AddGroup(QStringLiteral("g%1").arg(i), nullptr, nullptr, 100 + i);
    control->SetTileSize(tileWidth, gap, tileHeight);
    return control;
}

TEST(SelectorLayout, TilesFlowInRowsAndWrapAtTheWidth)
{
    struct Case
    {
        int groups, tileWidth, gap, tileHeight, width;
        QList<QPoint> corners;
        int height;
    };
    const Case cases[] = {
        {3, 130, 5, 40, 300, {{0, 0}, {135, 0}, {0, 45}}, 85},
        {2, 130, 5, 40, 265, {{0, 0}, {135, 0}}, 40},                 // right edge + tile + gap == width
        {2, 130, 5, 40, 264, {{0, 0}, {0, 45}}, 85},
        {4, 80, 5, 20, 1000, {{0, 0}, {85, 0}, {170, 0}, {255, 0}}, 20},
        {3, 80, 5, 20, 10, {{0, 0}, {0, 25}, {0, 50}}, 70},           // narrower than a tile
        {1, 80, 5, 20, 10, {{0, 0}}, 20},
        {0, 80, 5, 20, 300, {}, 0},
    };
    for (const Case& c : cases) {
        Recorder parent;
        CBtnSelCtrl* control = MakeControl<CBtnSelCtrl>(parent, c.groups, c.tileWidth, c.gap, c.tileHeight);
        EXPECT_EQ(control->Layout(c.width, false), c.height) << c.width;
        EXPECT_EQ(control->GetContentHeight(), c.height);
        ASSERT_EQ(control->Groups().size(), c.corners.size());
        for (qsizetype i = 0; i < c.corners.size(); ++i) {
            EXPECT_EQ(control->Groups()[i]->rect, QRect(c.corners[i], QSize(c.tileWidth, c.tileHeight)))
                << c.width << " tile " << i;
        }
    }
}

TEST(SelectorLayout, ChildrenShareOneAreaBelowTheLastRowOfGroups)
{
    Recorder parent;
    CBtnSelCtrl* control = MakeControl<CBtnSelCtrl>(parent, 0, 80, 5, 20);
    const QStringList three{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const QStringList one{QStringLiteral("x")};
    control->AddGroup(QStringLiteral("ratio"), &three, nullptr, -1);
    control->AddGroup(QStringLiteral("style"), nullptr, nullptr, -1);
    control->AddGroup(QStringLiteral("size"), &one, nullptr, -1);
    // Two groups fit a row of 170: the last group starts the second row at y = 25.
    EXPECT_EQ(control->Layout(170, false), 95);
    const QList<ItemChildInfo*>& children = control->Groups()[0]->children;
    EXPECT_EQ(children[0]->rect, QRect(0, 50, 80, 20));
    EXPECT_EQ(children[1]->rect, QRect(85, 50, 80, 20));
    EXPECT_EQ(children[2]->rect, QRect(0, 75, 80, 20));
    EXPECT_EQ(control->Groups()[2]->children[0]->rect, QRect(0, 50, 80, 20));
    EXPECT_EQ(children[0]->selected, 1);
    EXPECT_EQ(children[1]->selected, 0);
}

TEST(SelectorLayout, AHeightChangeIsToldOnlyWhenAskedAndOnlyOnce)
{
    Recorder parent;
    Recorder notify;
    CBtnSelCtrl* control = MakeControl<CBtnSelCtrl>(parent, 3, 130, 5, 40);
    control->Layout(300, false);
    EXPECT_TRUE(parent.Take().isEmpty()) << "no notification unless asked";
    control->Layout(300, true);
    EXPECT_TRUE(parent.Take().isEmpty()) << "the height did not change";
    control->Layout(500, true);
    EXPECT_EQ(parent.Take(), (QList<Recorder::Message>{{4112, 40, intptr_t(control)}}));
    control->SetNotifyWnd(&notify);
    control->Layout(200, true);
    EXPECT_TRUE(parent.Take().isEmpty());
    EXPECT_EQ(notify.Take(), (QList<Recorder::Message>{{4112, 130, intptr_t(control)}}));
}

TEST(ButtonSelector, PressesSelectGroupsAndChildrenWithoutTellingTheParent)
{
    Recorder parent;
    CBtnSelCtrl* control = MakeControl<CBtnSelCtrl>(parent, 0, 80, 5, 20);
    const QStringList children{QStringLiteral("16:9"), QStringLiteral("4:3")};
    control->AddGroup(QStringLiteral("横版"), &children, nullptr, -1);
    control->AddGroup(QStringLiteral("方形"), nullptr, nullptr, -1);
    control->Layout(300, false);
    EXPECT_EQ(control->GetSelectedText(), QString()) << "nothing selected yet";

    struct Step
    {
        QPoint press;
        int group, child, kind;
        const char* text;
    };
    const Step steps[] = {
        {{10, 10}, 0, 0, 1, "16:9"},   // the group brings its selected child
        {{100, 40}, 0, 1, 2, "4:3"},   // a child of the selected group
        {{90, 10}, 1, -1, 1, "方形"},  // a group without children
        {{100, 40}, 1, -1, -1, "方形"}, // the other group's children are neither drawn nor hit
        {{10, 10}, 0, 1, 1, "4:3"},    // back: the child chosen before is still chosen
    };
    for (const Step& s : steps) {
        Click(control, s.press);
        EXPECT_EQ(control->GetSelectedGroup(), s.group) << s.text;
        EXPECT_EQ(control->GetSelectedChild(), s.child) << s.text;
        EXPECT_EQ(control->GetLastHitKind(), s.kind) << s.text;
        EXPECT_EQ(control->GetSelectedText(), QString::fromUtf8(s.text));
        EXPECT_EQ(control->Groups()[0]->selected, s.group == 0 ? 1 : 0);
    }
    EXPECT_TRUE(parent.Take().isEmpty());
}

class VoiceGrid : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_grid = MakeControl<CVoiceSelCtrl>(m_parent, 0, 130, 5, 40);
        QImage red(40, 40, QImage::Format_ARGB32);
        red.fill(Qt::red);
        m_picture.CreateFromImage(red);
        QImage green(30, 30, QImage::Format_ARGB32);
        green.fill(Qt::green);
        m_play.CreateFromImage(green);
        for (int i = 0; i < 3; ++i)
            m_grid->AddGroup(QStringLiteral("声音\\r\\n%1").arg(i), nullptr, i == 1 ? nullptr : &m_picture, 10 + i);
        m_grid->SetImages(&m_play, nullptr, nullptr, nullptr);
        m_grid->SetPictureSize(40, 40);
        m_grid->SetTextBelowPicture(false);
        m_grid->SetShowPlayIcon(true);
        m_grid->SetSelectedGroup(0);
        m_grid->Layout(300, false);
        m_parent.show();
    }

    QImage Render()
    {
        QImage image(m_grid->size(), QImage::Format_ARGB32);
        m_grid->render(&image);
        return image;
    }

    Recorder m_parent;
    CVoiceSelCtrl* m_grid = nullptr;
    CZuBuffer m_picture;
    CZuBuffer m_play;
};

TEST_F(VoiceGrid, HitsTellTileTextPictureAndPlayIcon)
{
    struct Case
    {
        QPoint point;
        bool hoverFirst; // the pointer rests on the picture before the test
        int group, kind;
    };
    const Case cases[] = {
        {{100, 20}, false, 0, 1}, {{2, 2}, false, 0, 3},   {{20, 20}, false, 0, 3}, {{20, 20}, true, 0, 4},
        {{2, 2}, true, 0, 3},     {{40, 20}, true, 0, 1},  {{136, 2}, true, 1, 3},  {{2, 47}, true, 2, 3},
        {{290, 10}, true, -1, -1}, {{131, 20}, false, -1, -1},
    };
    for (const Case& c : cases) {
        Leave(m_grid);
        if (c.hoverFirst)
            Mouse(m_grid, QEvent::MouseMove, c.point);
        const SelectorHit hit = m_grid->HitTest(c.point);
        EXPECT_EQ(hit.group, c.group) << c.point.x() << "," << c.point.y();
        EXPECT_EQ(hit.kind, c.kind) << c.point.x() << "," << c.point.y();
        EXPECT_EQ(hit.child, -1);
    }
}

TEST_F(VoiceGrid, HoverFollowsThePointerAndLeavingClearsIt)
{
    Mouse(m_grid, QEvent::MouseMove, {150, 20});
    EXPECT_EQ(m_grid->GetHoverIndex(), 1);
    EXPECT_TRUE(m_grid->IsHoverOnPicture());
    Mouse(m_grid, QEvent::MouseMove, {200, 20});
    EXPECT_EQ(m_grid->GetHoverIndex(), 1);
    EXPECT_FALSE(m_grid->IsHoverOnPicture());
    Mouse(m_grid, QEvent::MouseMove, {290, 150});
    EXPECT_EQ(m_grid->GetHoverIndex(), -1);
    Mouse(m_grid, QEvent::MouseMove, {20, 20});
    Leave(m_grid);
    EXPECT_EQ(m_grid->GetHoverIndex(), -1);
}

TEST_F(VoiceGrid, PressesPlaySelectAndStopAndReleasesTellTheChoice)
{
    constexpr int kChosen = 4033, kPlay = 8124;
    Click(m_grid, {200, 20});
    EXPECT_EQ(m_grid->GetSelectedGroup(), 1);
    EXPECT_EQ(m_grid->Groups()[0]->selected, 0);
    EXPECT_EQ(m_grid->Groups()[1]->selected, 1);
    EXPECT_EQ(m_parent.Take(), (QList<Recorder::Message>{{kChosen, 1, kGridId}}));

    // The first move over a picture shows the icon; a press on it plays that tile's sample.
    Mouse(m_grid, QEvent::MouseMove, {20, 65});
    Click(m_grid, {20, 65});
    EXPECT_EQ(m_parent.Take(), (QList<Recorder::Message>{{kChosen, 2, kGridId}, {kPlay, 2, kGridId}}))
        << "4033 is sent at once, 8124 is posted";
    EXPECT_EQ(m_grid->GetSelectedGroup(), 2);
    EXPECT_EQ(m_grid->GetHoverIndex(), -1) << "the release ends the hover";

    Click(m_grid, {290, 150});
    EXPECT_EQ(m_parent.Take(), (QList<Recorder::Message>{{kChosen, 2, kGridId}, {kPlay, -1, kGridId}}))
        << "a press beside the tiles stops the sample and keeps the choice";
    EXPECT_EQ(m_grid->GetSelectedGroup(), 2);
}

TEST_F(VoiceGrid, DrawsPicturesNamesOnOneLineAndThePlayIconOnlyUnderThePointer)
{
    QImage image = Render();
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(155, 20), QColor(Qt::red)) << "a voice without a picture leaves the place blank";
    const QRect text = m_grid->TextRect(m_grid->Groups()[0]->rect);
    EXPECT_EQ(text, QRect(45, 0, 85, 40));
    const QColor background = image.pixelColor(129, 1);
    bool inked = false;
    for (int y = text.top(); y < text.bottom(); ++y) {
        for (int x = text.left(); x < text.right(); ++x)
            inked = inked || image.pixelColor(x, y) != background;
    }
    EXPECT_TRUE(inked) << "the name is drawn";

    EXPECT_NE(image.pixelColor(20, 20), QColor(Qt::green));
    Mouse(m_grid, QEvent::MouseMove, {5, 5});
    image = Render();
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::green)) << "the play icon over the hovered picture";
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(20, 65), QColor(Qt::red)) << "only the hovered tile shows it";
}

TEST(EmptyVoiceGrid, DrawsNothingAndTellsNothing)
{
    Recorder parent;
    auto* grid = MakeControl<CVoiceSelCtrl>(parent, 0, 130, 5, 40);
    grid->SetSelectedGroup(0);
    EXPECT_EQ(grid->Layout(300, true), 0);
    EXPECT_EQ(grid->GetSelectedGroup(), 0);
    EXPECT_EQ(grid->GetSelectedText(), QString());
    Click(grid, {10, 10});
    EXPECT_EQ(parent.Take(), (QList<Recorder::Message>{{8124, -1, kGridId}})) << "no choice to tell";
}

} // namespace
