#include "host/CZuBuffer.h"
#include "plugin/AIGCTypes.h"
#include "service/ModuleHandles.h"
#include "plugin/ModuleState.h"
#include "ui/SharedWindowState.h"
#include "plugin/QOVAIGCFunc.h"
#include "ui/ISelectionReceiver.h"
#include "ui/WindowMakers.h"
#include "service/TransLog.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QImage>
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const QUuid kPainting = QUuid::fromString(QStringLiteral("{69821F54-CEB3-4599-BC69-F6CC32AA25CF}"));
const QUuid kDubbing = QUuid::fromString(QStringLiteral("{EAC20D41-0AEB-4CE6-956C-97AC89944B9A}"));
const QUuid kSubtitles = QUuid::fromString(QStringLiteral("{7CF60C8A-F809-4C54-91D8-12EE7F6539CD}"));
const QUuid kCopywriting = QUuid::fromString(QStringLiteral("{0B96C2D8-03B7-4272-920E-5AEA31E27E1D}"));
const QUuid kTranslation = QUuid::fromString(QStringLiteral("{3D5E8A17-6C42-4B9F-A17E-25D09B4C81F3}"));
const QUuid kSelectedObject = QUuid::fromString(QStringLiteral("{11111111-2222-3333-4444-555555555555}"));

// A tool window as the later windows will be: it takes the editor's selection.
class FakeToolWindow : public QWidget, public ISelectionReceiver
{
public:
    FakeToolWindow(QWidget* parent, int message)
        : QWidget(parent)
        , message(message)
    {
    }
    void SetSelection(const QString& text, const QUuid& object, const QHash<QString, QString>* properties) override
    {
        selected = text;
        selectedObject = object;
        propertyCount = properties ? int(properties->size()) : -1;
    }
    int message;
    QString selected;
    QUuid selectedObject;
    int propertyCount = -2;
};

class Entry : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestEnvironment::Get();
        for (ToolId tool : {ToolId::Dubbing, ToolId::Subtitles}) {
            WindowMakers::Register(tool, [](QWidget* parent, int message, int) -> QWidget* {
                return new FakeToolWindow(parent, message);
            });
        }
    }
    void TearDown() override
    {
        WindowMakers::Unregister(ToolId::Dubbing);
        WindowMakers::Unregister(ToolId::Subtitles);
    }

    FakeToolWindow* Create(const QUuid& tool, QWidget* parent, int message)
    {
        AIGCToolParam param{.object = parent, .toolId = tool, .selectedObject = {},
                            .value = (uint64_t(0xABCD) << 32) | uint32_t(message)};
        AIGCToolParam result{.object = nullptr, .toolId = {}, .selectedObject = {}, .value = 77};
        EXPECT_EQ(QOVAIGCFunc(AIGC_CREATE_WINDOW, &param, &result), 0);
        return result.value == 77 ? nullptr : reinterpret_cast<FakeToolWindow*>(uintptr_t(result.value));
    }

    void Select(const QUuid& tool, const char16_t* text, void* properties = nullptr)
    {
        AIGCToolParam param{.object = properties, .toolId = tool, .selectedObject = kSelectedObject,
                            .value = uint64_t(reinterpret_cast<uintptr_t>(text))};
        EXPECT_EQ(QOVAIGCFunc(AIGC_SELECT, &param, nullptr), 0);
    }

    void Destroy(const QUuid& tool, QWidget* window)
    {
        AIGCToolParam param{.object = window, .toolId = tool, .selectedObject = {}, .value = 0};
        EXPECT_EQ(QOVAIGCFunc(AIGC_DESTROY_WINDOW, &param, nullptr), 0);
    }
};

TEST_F(Entry, ListingAppendsTheFiveToolsWithDefaults)
{
    AIGCToolInfoArray tools(1);
    tools[0].displayName = QStringLiteral("editor's own");
    tools[0].firstFlag = 9;
    ASSERT_EQ(QOVAIGCFunc(AIGC_LIST_TOOLS, nullptr, &tools), 0);
    ASSERT_EQ(tools.size(), 6);
    EXPECT_EQ(tools[0].displayName, QStringLiteral("editor's own"));
    EXPECT_EQ(tools[0].firstFlag, 9);
    const QUuid order[] = {kPainting, kDubbing, kSubtitles, kCopywriting, kTranslation};
    const char* names[] = {"AI 绘画", "AI 配音", "AI 字幕", "AI 文案", "AI 翻译"};
    for (int i = 0; i < 5; ++i) {
        const AIGCToolInfo& tool = tools[i + 1];
        EXPECT_EQ(tool.toolId, order[i]);
        EXPECT_EQ(tool.displayName, QString::fromUtf8(names[i]));
        EXPECT_EQ(tool.firstFlag, 1);
        EXPECT_EQ(tool.secondFlag, 1);
        EXPECT_TRUE(tool.secondText.isEmpty() && tool.thirdText.isEmpty() && tool.texts.isEmpty());
        EXPECT_EQ(tool.firstValue + tool.secondValue, 0u);
        EXPECT_EQ(tool.integers[0] | tool.integers[1] | tool.integers[2] | tool.integers[3], 0);
    }
}

TEST_F(Entry, UnknownCommandsAndToolsChangeNothing)
{
    AIGCToolInfoArray tools;
    for (int command : {0, 3, 6, 8, -1, 1000})
        EXPECT_EQ(QOVAIGCFunc(command, nullptr, &tools), 1) << command;
    EXPECT_TRUE(tools.isEmpty());

    QWidget panel;
    EXPECT_EQ(Create(QUuid::createUuid(), &panel, 5000), nullptr);
    EXPECT_EQ(Create(kPainting, &panel, 5000), nullptr) << "a tool without its window yet creates nothing";
    Select(kDubbing, u"before any window");
    Select(QUuid::createUuid(), u"unknown");
    Destroy(QUuid::createUuid(), nullptr);
}

TEST_F(Entry, WindowsAreCreatedSelectedAndDestroyed)
{
    QWidget panel;
    FakeToolWindow* dubbing = Create(kDubbing, &panel, 0x7001);
    ASSERT_NE(dubbing, nullptr);
    EXPECT_EQ(dubbing->parentWidget(), &panel);
    EXPECT_EQ(dubbing->message, 0x7001) << "only the low 32 bits carry the message";
    EXPECT_EQ(dubbing->geometry(), QRect(0, 0, 920, 680));

    Select(kDubbing, u"配音文本");
    EXPECT_EQ(dubbing->selected, QStringLiteral("配音文本"));
    EXPECT_EQ(dubbing->selectedObject, kSelectedObject);
    EXPECT_EQ(dubbing->propertyCount, -1);

    FakeToolWindow* subtitles = Create(kSubtitles, &panel, 0x7002);
    ASSERT_NE(subtitles, nullptr);
    QHash<QString, QString> properties{{QStringLiteral("a"), QStringLiteral("1")},
                                       {QStringLiteral("b"), QStringLiteral("2")}};
    Select(kSubtitles, u"/media/clip.mp4", &properties);
    EXPECT_EQ(subtitles->selected, QStringLiteral("/media/clip.mp4"));
    EXPECT_EQ(subtitles->propertyCount, 2);

    QPointer<QWidget> watch(subtitles);
    Destroy(kSubtitles, subtitles);
    EXPECT_TRUE(watch.isNull());
    Select(kSubtitles, u"after destruction");
    Select(kDubbing, u"still open");
    EXPECT_EQ(dubbing->selected, QStringLiteral("still open"));
    Destroy(kDubbing, dubbing);
}

TEST_F(Entry, ReleaseEmptiesTheSharedState)
{
    GetCopywritingLog().AddTask(QStringLiteral("src"), QStringLiteral("id"));
    SharedWindowState& state = SharedWindowState::Get();
    CZuBuffer* image = state.AddItemImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(QSize(image->GetWidth(), image->GetHeight()), QSize(20, 20));
    auto* dialog = new QWidget;
    state.historyDialog = dialog;
    QPointer<QWidget> watch(dialog);

    EXPECT_EQ(QOVAIGCFunc(AIGC_RELEASE, nullptr, nullptr), 0);
    EXPECT_EQ(GetCopywritingLog().ItemCount(), 0);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(state.Thumbnails().Count(), 0);
    EXPECT_NE(state.AddItemImage(), nullptr) << "used again, it comes back";
}

TEST(ModuleImages, EveryImageIsFoundByNumberAtItsSize)
{
    SharedWindowState::Get();
    const std::pair<int, QSize> images[] = {{2000, {20, 20}}, {2001, {160, 180}}, {2003, {30, 30}},
                                            {2004, {30, 30}}, {2005, {301, 78}},  {2006, {301, 78}}};
    for (const auto& [id, size] : images) {
        CZuBuffer buffer(0xFFFFFFFF);
        ASSERT_NE(buffer.CreateFromImageResource(QOVGetAIGCDllResHandle(), id, QStringLiteral("PNG")), 0) << id;
        EXPECT_EQ(QSize(buffer.GetWidth(), buffer.GetHeight()), size) << id;
        EXPECT_TRUE(buffer.Image().hasAlphaChannel());
    }
}

TEST(Thumbnails, EachFileIsReadOnceAndFailuresAreNotKept)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.png"));
    QImage image(8, 6, QImage::Format_ARGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(path));
    ThumbnailCache cache;
    CZuBuffer* first = cache.GetBuffer(path);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(cache.GetBuffer(path), first) << "the second request does not read the file";
    EXPECT_EQ(cache.GetBuffer(dir.filePath(QStringLiteral("missing.png"))), nullptr);
    EXPECT_EQ(cache.Count(), 1);
}

} // namespace
