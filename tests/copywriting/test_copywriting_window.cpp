#include "copywriting/CCopywritingWnd.h"
#include "copywriting/CopywritingLayout.h"
#include "host/CI3Button.h"
#include "host/CQOVComboBox.h"
#include "host/CQOVRichEditCtrl.h"
#include "host/QOVMessage.h"
#include "service/RestClient.h"
#include "service/TransLog.h"
#include "support/Delivery.h"
#include "support/EditorPanel.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;

using HostPanel = EditorPanel<0x6004>;

// The window with its dialogs answered by the test.
class TestWindow : public CCopywritingWnd
{
public:
    using CCopywritingWnd::CCopywritingWnd;
    QStringList shown;
    QString exportPath;

protected:
    void ShowMessage(const QString& text) override { shown << text; }
    QString ChooseExportPath() override { return exportPath; }
};

class CopywritingWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Server().Reset();
        m_env.GrantTokens();
    }

    std::unique_ptr<TestWindow> Open(QWidget& panel)
    {
        auto window = std::make_unique<TestWindow>(HostPanel::kMessage);
        EXPECT_TRUE(window->Create(&panel, QRect(0, 0, 920, 680), 1113));
        return window;
    }

    static bool WaitForIdle(TestWindow& window)
    {
        return DeliverUntil(&window, [&] { return window.Button(CCopywritingWnd::IdStart)->isEnabled(); });
    }

    // Writes the settings with another font size for the windows made inside the call.
    template <typename Body>
    void WithFontSize(const char* size, Body body)
    {
        const QString original = QString::fromUtf8(ReadBytes(m_env.AppDir() + QStringLiteral("/InitFile/AIGC.ini")));
        ASSERT_TRUE(original.contains(QStringLiteral("FontSize=12")));
        QString changed = original;
        changed.replace(QStringLiteral("FontSize=12"), QStringLiteral("FontSize=") + QString::fromLatin1(size));
        TestEnvironment::WriteSettings(m_env.AppDir(), changed);
        body();
        TestEnvironment::WriteSettings(m_env.AppDir(), original);
    }

    TestEnvironment& m_env = TestEnvironment::Get();
    HostPanel m_panel;
};

TEST(CopywritingLayoutRules, ControlsFollowTheWindowSize)
{
    struct Case
    {
        QSize size;
        QRect topic, start, history, output, fontSize, fontLabel, putOnTrack, exportText;
    };
    const Case cases[] = {
        {{920, 680}, {5, 30, 910, 109}, {5, 144, 100, 28}, {830, 144, 80, 20}, {5, 177, 910, 436},
         {860, 618, 55, 20}, {820, 618, 40, 20}, {830, 643, 80, 20}, {730, 643, 80, 20}},
        {{600, 400}, {5, 30, 590, 53}, {5, 88, 100, 28}, {510, 88, 80, 20}, {5, 121, 590, 212},
         {540, 338, 55, 20}, {500, 338, 40, 20}, {510, 363, 80, 20}, {410, 363, 80, 20}},
    };
    for (const Case& c : cases) {
        const CopywritingLayout layout = CopywritingLayout::For(c.size.width(), c.size.height());
        EXPECT_EQ(layout.topicLabel, QRect(5, 5, 65, 20));
        EXPECT_EQ(layout.topic, c.topic);
        EXPECT_EQ(layout.start, c.start);
        EXPECT_EQ(layout.history, c.history);
        EXPECT_EQ(layout.output, c.output);
        EXPECT_EQ(layout.fontSize, c.fontSize);
        EXPECT_EQ(layout.fontSizeLabel, c.fontLabel);
        EXPECT_EQ(layout.putOnTrack, c.putOnTrack);
        EXPECT_EQ(layout.exportText, c.exportText);
    }
}

TEST_F(CopywritingWindow, TheWindowLaysItsControlsOutWhenResized)
{
    m_panel.show();
    auto window = Open(m_panel);
    window->resize(600, 400);
    EXPECT_EQ(window->OutputEdit()->geometry(), QRect(5, 121, 590, 212));
    EXPECT_EQ(window->Button(CCopywritingWnd::IdExport)->geometry(), QRect(410, 363, 80, 20));
}

TEST_F(CopywritingWindow, FontSizeComesFromTheSettingsAndTheList)
{
    struct Case
    {
        const char* setting;
        int selected;
        int pointSize; // 0: the edits keep the shared font
    };
    for (const Case& c : {Case{"14", 5, 14}, Case{"13", 2, 13}, Case{"10", 2, 0}}) {
        SCOPED_TRACE(c.setting);
        WithFontSize(c.setting, [&] {
            HostPanel panel;
            auto window = Open(panel);
            EXPECT_EQ(window->FontSizeList()->GetCurSel(), c.selected);
            if (c.pointSize) {
                EXPECT_EQ(window->TopicEdit()->font().pointSize(), c.pointSize);
            }
            EXPECT_EQ(window->TopicEdit()->font(), window->OutputEdit()->font());
        });
    }

    EXPECT_EQ(CCopywritingWnd::FontPixelHeight(96, 12), 16);
    EXPECT_EQ(CCopywritingWnd::FontPixelHeight(96, 10), 13) << "truncated toward zero";
    HostPanel panel;
    auto window = Open(panel);
    window->TopicEdit()->SetWindowTextW(QStringLiteral("话题"));
    window->FontSizeList()->setCurrentIndex(CCopywritingWnd::FontSizes().indexOf(QStringLiteral("24")));
    emit window->FontSizeList()->selectionChanged(CCopywritingWnd::IdFontSize);
    const int expected = CCopywritingWnd::FontPixelHeight(window->logicalDpiY(), 24);
    EXPECT_EQ(window->TopicEdit()->font().pixelSize(), expected);
    EXPECT_EQ(window->OutputEdit()->font().pixelSize(), expected);
    EXPECT_EQ(window->TopicEdit()->GetWindowTextW(), QStringLiteral("话题")) << "the texts survive the change";
}

TEST_F(CopywritingWindow, AnEmptyTopicAsksForContentAndSendsNothing)
{
    auto window = Open(m_panel);
    window->Button(CCopywritingWnd::IdStart)->click();
    EXPECT_EQ(window->shown, QStringList{QStringLiteral("请输入内容！")});
    EXPECT_TRUE(window->Button(CCopywritingWnd::IdStart)->isEnabled());
    EXPECT_TRUE(m_env.Server().Requests().empty());
}

TEST_F(CopywritingWindow, AGenerationFillsTheTextAndTheEditorGetsTheWrittenFile)
{
    m_env.Server().Reply("POST", TestEnvironment::kChatPath, 200, R"({"result":"发布会开场白。"})");
    auto window = Open(m_panel);
    EXPECT_FALSE(window->Button(CCopywritingWnd::IdExport)->isEnabled());
    EXPECT_FALSE(window->Button(CCopywritingWnd::IdPutOnTrack)->isEnabled());
    window->TopicEdit()->SetWindowTextW(QStringLiteral("新品发布会"));
    window->Button(CCopywritingWnd::IdStart)->click();
    EXPECT_FALSE(window->Button(CCopywritingWnd::IdStart)->isEnabled()) << "no second request while one runs";
    ASSERT_TRUE(WaitForIdle(*window));
    EXPECT_EQ(window->OutputEdit()->GetWindowTextW(), QStringLiteral("发布会开场白。"));
    ASSERT_TRUE(window->Button(CCopywritingWnd::IdPutOnTrack)->isEnabled());

    window->OutputEdit()->SetWindowTextW(QStringLiteral("用户改过的文字"));
    window->Button(CCopywritingWnd::IdPutOnTrack)->click();
    ASSERT_EQ(m_panel.Paths().size(), 1);
    EXPECT_TRUE(m_panel.Paths()[0].startsWith(window->OutputFolder()));
    EXPECT_EQ(QString::fromUtf8(ReadBytes(m_panel.Paths()[0])), QStringLiteral("发布会开场白。")) << "the file, not the edit";

    QTemporaryDir dir;
    window->exportPath = dir.filePath(QStringLiteral("export.txt"));
    window->Button(CCopywritingWnd::IdExport)->click();
    EXPECT_EQ(QString::fromUtf8(ReadBytes(window->exportPath)), QStringLiteral("用户改过的文字")) << "export takes the edits";
    EXPECT_TRUE(window->shown.isEmpty());
}

TEST_F(CopywritingWindow, AFailedGenerationShowsTheReason)
{
    m_env.Server().Reply("POST", TestEnvironment::kChatPath, 200, R"({"error_code":18})");
    // Asked again while a request may wait: a short wait here.
    RestClient::SetRequestTimeout(std::chrono::milliseconds(700));
    auto window = Open(m_panel);
    window->TopicEdit()->SetWindowTextW(QStringLiteral("话题"));
    window->Button(CCopywritingWnd::IdStart)->click();
    ASSERT_TRUE(WaitForIdle(*window));
    EXPECT_EQ(window->shown, QStringList{QStringLiteral("QPS超限额")});
    EXPECT_FALSE(window->Button(CCopywritingWnd::IdPutOnTrack)->isEnabled());
}

TEST_F(CopywritingWindow, HistoryItemsReachTheEditorAndTheirTextsAreFreed)
{
    auto window = Open(m_panel);
    // Texts made at run time share their data with their copies, which shows when one is freed.
    const QString files = QString::fromUtf8("/w/Copywriting/2024_03_05_14_07_09.txt");
    const QString source = QString::fromUtf8("话题");
    QOVPostTexts(window.get(), CCopywritingWnd::kHistoryItemMessage, source, files);
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_EQ(m_panel.Paths(), QStringList{files});
    m_panel.results.clear(); // the editor's own copy shares the data too
    EXPECT_TRUE(files.isDetached() && source.isDetached()) << "both texts went with the message";

    QOVPostTexts(window.get(), CCopywritingWnd::kHistoryItemMessage, source, files);
    window.reset();
    EXPECT_TRUE(files.isDetached() && source.isDetached()) << "a message dropped with the window frees its texts";
    EXPECT_TRUE(m_panel.Paths().isEmpty());
}

TEST_F(CopywritingWindow, ClosingTheWindowDuringAGenerationIsSafe)
{
    m_env.Server().Stall("POST", TestEnvironment::kChatPath);
    auto window = Open(m_panel);
    window->TopicEdit()->SetWindowTextW(QStringLiteral("慢"));
    window->Button(CCopywritingWnd::IdStart)->click();
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return !m_env.Server().RequestsTo(TestEnvironment::kChatPath).empty(); }));
    window.reset();
    EXPECT_EQ(m_env.Server().Answered(TestEnvironment::kChatPath), 0u)
        << "closing waited for the request instead of cancelling it";
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(m_panel.Paths().isEmpty());
}

TEST_F(CopywritingWindow, PutOnTrackHandsOverTheShownTextsFileWhileTheNextOneIsWritten)
{
    m_env.Server().Reply("POST", TestEnvironment::kChatPath, 200, R"({"result":"第一篇"})");
    auto window = Open(m_panel);
    window->TopicEdit()->SetWindowTextW(QStringLiteral("话题"));
    window->Button(CCopywritingWnd::IdStart)->click();
    ASSERT_TRUE(WaitForIdle(*window));
    window->Button(CCopywritingWnd::IdPutOnTrack)->click();
    ASSERT_EQ(m_panel.Paths().size(), 1);
    const QString first = m_panel.Paths()[0];

    // Files are named after the second they are written in: the next one must get a name of its own.
    const auto nameNow = [] {
        return QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss")) + QStringLiteral(".txt");
    };
    for (int i = 0; i < 300 && nameNow() == QFileInfo(first).fileName(); ++i)
        std::this_thread::sleep_for(10ms);

    // The second generation's worker has written its file and path, but the window has not been told.
    m_env.Server().Reply("POST", TestEnvironment::kChatPath, 200, R"({"result":"第二篇"})");
    const qsizetype logged = GetCopywritingLog().ItemCount();
    window->Button(CCopywritingWnd::IdStart)->click();
    for (int i = 0; i < 4000 && GetCopywritingLog().ItemCount() == logged; ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_GT(GetCopywritingLog().ItemCount(), logged);
    window->Button(CCopywritingWnd::IdPutOnTrack)->click();
    ASSERT_EQ(m_panel.Paths().size(), 2);
    EXPECT_EQ(m_panel.Paths()[1], first) << "the editor got a file the window does not show yet";

    ASSERT_TRUE(WaitForIdle(*window));
    EXPECT_EQ(window->OutputEdit()->GetWindowTextW(), QStringLiteral("第二篇"));
    window->Button(CCopywritingWnd::IdPutOnTrack)->click();
    ASSERT_EQ(m_panel.Paths().size(), 3);
    EXPECT_NE(m_panel.Paths()[2], first);
    EXPECT_EQ(QString::fromUtf8(ReadBytes(m_panel.Paths()[2])), QStringLiteral("第二篇"));
}

} // namespace
