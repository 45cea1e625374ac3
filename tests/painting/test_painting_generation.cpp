#include "PaintingWindowFixture.h"

#include "host/CI3Button.h"
#include "host/CQOVComboBox.h"
#include "host/CQOVContainWnd.h"
#include "host/CQOVPiecewiseLinearBar.h"
#include "host/CQOVRichEditCtrl.h"
#include "host/CZuBuffDisplayWnd.h"
#include "host/CZuBuffer.h"
#include "host/CZuEdit.h"
#include "host/ContainItem.h"
#include "service/TaskRun.h"
#include "ui/CVoiceSelCtrl.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>

namespace {

const char* const kStop = R"({"error_code":282004,"error_msg":"测试到此为止"})";
const QString kStopText = QStringLiteral("测试到此为止");

QString Status(const TestPaintingWindow& window)
{
    return window.StatusLabel()->text();
}

TEST_F(PaintingWindowTest, AGenerationSendsTheChosenRatioSizeStyleAndCount)
{
    struct Case
    {
        int ratio, size; // tiles of the ratio selector
        int style;       // -1: the style selector is left at its first style
        int countIndex;  // -1: the list is left at its default
        int width, height, count;
        const char* prompt;
    };
    const Case cases[] = {
        {-1, -1, -1, -1, 640, 360, 4, "雪山\r\n湖泊\r\n油画"},
        {1, 1, -1, -1, 720, 1280, 4, "雪山\r\n湖泊\r\n油画"},
        {2, 2, 2, 0, 2048, 2048, 1, "雪山\r\n湖泊\r\n像素"},
        {0, 1, 1, 7, 1280, 720, 8, "雪山\r\n湖泊\r\n水彩"},
        {1, -1, 0, 2, 360, 640, 3, "雪山\r\n湖泊\r\n油画"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prompt);
        ScriptService(kStop);
        auto window = Open();
        CBtnSelCtrl* ratios = window->RatioSelector();
        if (c.ratio >= 0)
            Press(ratios, ratios->Groups()[c.ratio]->rect);
        if (c.size >= 0)
            Press(ratios, ratios->Groups()[ratios->GetSelectedGroup()]->children[c.size]->rect);
        if (c.style >= 0)
            Press(window->StyleSelector(), window->StyleSelector()->Groups()[c.style]->rect);
        if (c.countIndex >= 0)
            window->CountList()->SetCurSel(c.countIndex);
        Describe(*window, QStringLiteral("雪山\n湖泊"));
        ASSERT_TRUE(Generate(*window));
        const web::json::value body = LastCreateBody();
        ASSERT_TRUE(body.is_object());
        EXPECT_EQ(body.at("width").as_integer(), c.width);
        EXPECT_EQ(body.at("height").as_integer(), c.height);
        EXPECT_EQ(body.at("image_num").as_integer(), c.count);
        EXPECT_EQ(body.at("prompt").as_string(), c.prompt);
        EXPECT_FALSE(body.has_field("image"));
        EXPECT_EQ(window->DescriptionEdit()->toPlainText(), QStringLiteral("雪山\n湖泊")) << "the edit keeps the user's words";
    }
}

TEST_F(PaintingWindowTest, AReferenceImageIsPreviewedLaidOutAndSentWhileTheEditNamesIt)
{
    QTemporaryDir dir;
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString png = dir.filePath(QStringLiteral("参考.png"));
    const QString jpeg = dir.filePath(QStringLiteral("photo.jpeg"));
    const QString broken = dir.filePath(QStringLiteral("broken.png"));
    ASSERT_TRUE(picture.save(png) && picture.save(jpeg, "JPG"));
    ASSERT_TRUE(WriteBytes(broken, "not a picture"));

    ScriptService(kStop);
    auto window = Open();
    const QRect generateBefore = window->Button(CTxt2ImageWnd::IdGenerate)->geometry();
    window->referenceAnswer = png;
    window->Button(CTxt2ImageWnd::IdBrowse)->click();
    EXPECT_TRUE(window->ReferencePreview()->isVisible());
    EXPECT_EQ(window->ReferencePreview()->GetDisplayBuffer()->GetWidth(), 64);
    EXPECT_EQ(window->ReferencePathEdit()->GetWindowTextW(), png);
    EXPECT_EQ(window->ReferencePreview()->geometry(), QRect(5, 290, 100, 100));
    EXPECT_EQ(window->Button(CTxt2ImageWnd::IdGenerate)->geometry(), generateBefore.translated(0, 110));
    EXPECT_EQ(window->ContentHeight(), 45 + 60 + 650 + 110);
    Describe(*window, QStringLiteral("猫"));
    ASSERT_TRUE(Generate(*window));
    ASSERT_TRUE(LastCreateBody().has_field("image"));
    EXPECT_EQ(QImage::fromData(QByteArray::fromBase64(QByteArray::fromStdString(LastCreateBody().at("image").as_string())))
                  .size(),
              QSize(64, 48));

    // The edit is cleared: the picture goes, and nothing is sent that is not shown.
    window->ReferencePathEdit()->SetWindowTextW(QString());
    emit window->ReferencePathEdit()->focusLost(CTxt2ImageWnd::IdReferencePath);
    EXPECT_FALSE(window->ReferencePreview()->isVisible());
    EXPECT_EQ(window->Button(CTxt2ImageWnd::IdGenerate)->geometry(), generateBefore);
    ASSERT_TRUE(Generate(*window));
    EXPECT_FALSE(LastCreateBody().has_field("image"));

    struct Case
    {
        QString chosen;    // answered by the file dialog (empty: cancelled)
        QString typed;     // then typed into the edit (empty: left alone)
        bool shown;
        bool sent;
        QString status;
    };
    const Case cases[] = {
        {jpeg, QString(), true, false, QStringLiteral("参考图只支持 jpg、png、bmp 文件，此图不会随生成请求发送")},
        // A file that does not load leaves the earlier choice (the jpeg, shown but not sent).
        {broken, QString(), true, false, QStringLiteral("无法读取参考图：") + broken},
        // A typed path is never loaded, and the browsed image stays chosen and sent.
        {png, dir.filePath(QStringLiteral("other.png")), true, true,
         QStringLiteral("输入的路径不会被载入，请用“...”按钮选择参考图")},
        {png, png, true, true, QString()},
        {QString(), QString(), true, true, kStopText}, // cancelled: the last choice and status stand
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString() + " / " + c.typed.toStdString());
        window->referenceAnswer = c.chosen;
        window->Button(CTxt2ImageWnd::IdBrowse)->click();
        if (!c.typed.isEmpty()) {
            window->ReferencePathEdit()->SetWindowTextW(c.typed);
            emit window->ReferencePathEdit()->focusLost(CTxt2ImageWnd::IdReferencePath);
        }
        EXPECT_EQ(window->ReferencePreview()->isVisible(), c.shown);
        EXPECT_EQ(Status(*window), c.status);
        if (c.shown) {
            EXPECT_EQ(window->ReferencePathEdit()->GetWindowTextW(), c.chosen.isEmpty() ? png : c.chosen == broken ? jpeg : c.chosen)
                << "the edit names the image that is chosen";
        }
        ASSERT_TRUE(Generate(*window));
        EXPECT_EQ(LastCreateBody().has_field("image"), c.sent);
    }

    // A chosen file that is gone by the time of the generation stops it with the reason.
    const size_t requests = m_env.Server().RequestsTo(kCreatePath).size();
    ASSERT_TRUE(QFile::remove(png));
    window->Button(CTxt2ImageWnd::IdGenerate)->click();
    EXPECT_EQ(Status(*window), QStringLiteral("参考图已不存在：") + png);
    EXPECT_FALSE(window->ReferencePreview()->isVisible());
    EXPECT_EQ(m_env.Server().RequestsTo(kCreatePath).size(), requests);
    EXPECT_TRUE(window->Button(CTxt2ImageWnd::IdGenerate)->isEnabled());
}

TEST_F(PaintingWindowTest, FailuresShowTheirReasonAndFreeTheButton)
{
    struct Case
    {
        const char* what;
        std::function<void(FakeServer&)> script;
        QString status;
        bool polled = false;
    };
    const Case cases[] = {
        {"the task is refused with a reason",
         [](FakeServer& s) { s.Reply("POST", kCreatePath, 200, R"({"error_code":17,"error_msg":"Open api daily request limit reached"})"); },
         QStringLiteral("Open api daily request limit reached")},
        {"the task is refused with a status",
         [](FakeServer& s) { s.Reply("POST", kCreatePath, 500, "{}"); },
         QStringLiteral("图片生成服务请求失败，HTTP状态码：500")},
        {"the service reports an error while polling",
         [](FakeServer& s) {
             s.Reply("POST", kCreatePath, 200, R"({"data":{"task_id":77}})");
             s.Reply("POST", kQueryPath, 200, R"({"error_code":216630,"error_msg":"服务器内部错误"})");
         },
         QStringLiteral("服务器内部错误"), true},
        {"no token",
         [](FakeServer& s) { s.Reply("POST", TestEnvironment::kTokenPath, 401, R"({"error":"invalid_client","error_description":"unknown client id"})"); },
         QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_env.Server().Reset();
        m_env.GrantTokens();
        c.script(m_env.Server());
        auto window = Open();
        Describe(*window, QStringLiteral("海边"));
        window->Button(CTxt2ImageWnd::IdGenerate)->click();
        ASSERT_TRUE(DeliverUntil(window.get(), [&] { return window->Button(CTxt2ImageWnd::IdGenerate)->isEnabled(); }));
        if (c.status.isEmpty()) {
            EXPECT_FALSE(Status(*window).isEmpty()) << "the token request's reason";
            EXPECT_NE(Status(*window), QStringLiteral("生成任务中"));
        } else {
            EXPECT_EQ(Status(*window), c.status);
        }
        EXPECT_TRUE(window->Thumbnails().Items().isEmpty());
        EXPECT_EQ(m_env.Server().RequestsTo(kQueryPath).empty(), !c.polled) << "a refused task is never polled";
    }
}

TEST_F(PaintingWindowTest, AFailedPollIsProgressNotTheEndOfTheTask)
{
    m_env.Server().Reply("POST", kCreatePath, 200, R"({"data":{"task_id":77}})");
    m_env.Server().Reply("POST", kQueryPath, 503, "busy");
    auto window = Open();
    Describe(*window, QStringLiteral("海边"));
    CI3Button* generate = window->Button(CTxt2ImageWnd::IdGenerate);
    generate->click();
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return Status(*window) == QStringLiteral("网络存在问题"); }));
    EXPECT_FALSE(generate->isEnabled()) << "the poller asks again; the task has not ended";
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return m_env.Server().RequestsTo(kQueryPath).size() >= 3; }));
    EXPECT_EQ(Status(*window), QStringLiteral("网络存在问题"));
}

TEST_F(PaintingWindowTest, WhileTheTaskRunsTheWindowSaysSoAndStaysUsable)
{
    ScriptService(R"({"data":{"task_id":77,"task_status":"RUNNING","task_progress":0}})");
    auto window = Open();
    Describe(*window, QStringLiteral("星空"));
    CI3Button* generate = window->Button(CTxt2ImageWnd::IdGenerate);
    generate->click();
    EXPECT_FALSE(generate->isEnabled());
    EXPECT_EQ(Status(*window), QStringLiteral("生成任务中")) << "said at once, before any request returns";
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return Status(*window) == QStringLiteral("生成中，请稍候..."); }));
    EXPECT_FALSE(generate->isEnabled()) << "the button comes back with a new description, not by itself";
    Describe(*window, QStringLiteral("星空下的城市"));
    EXPECT_TRUE(generate->isEnabled()) << "a description is all a generation needs";
    EXPECT_EQ(Status(*window), QStringLiteral("生成中，请稍候..."));
    window->resize(700, 500);
    EXPECT_EQ(window->Thumbnails().Grid()->width(), 700 - 15 - 10) << "the window lays out while the task runs";
    window.reset();
    // Every run of the module's task pool has ended: no poller is left to ask again.
    EXPECT_TRUE(TaskRun::WaitForAll(std::chrono::seconds(5))) << "closing the window left its poller running";
}

TEST_F(PaintingWindowTest, ImagesThatPassedReviewBecomeThumbnailsThatTheSliderResizes)
{
    ScriptService(Finished({QStringLiteral("a.png"), QStringLiteral("b.png"), QStringLiteral("c.png")},
                           {QStringLiteral("b.png")}));
    auto window = Open();
    Describe(*window, QStringLiteral("城市"));
    ASSERT_TRUE(Generate(*window));
    EXPECT_EQ(Status(*window), QStringLiteral("生成成功！"));
    const QList<ContainItem*>& items = window->Thumbnails().Items();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->path, window->OutputFolder() + QStringLiteral("a.png"));
    EXPECT_EQ(items[1]->name, QStringLiteral("c.png"));
    ASSERT_NE(items[0]->thumbnail, nullptr);
    EXPECT_EQ(items[0]->thumbnail->GetWidth(), 1280);
    EXPECT_FLOAT_EQ(window->Thumbnails().Aspect(), 0.5625f);
    CQOVContainWnd* grid = window->Thumbnails().Grid();
    EXPECT_EQ(grid->GetItemSize(), QSize(200, 132));
    EXPECT_EQ(grid->GetItemRect(0).size(), QSize(200, 132));
    EXPECT_TRUE(window->Button(CTxt2ImageWnd::IdGenerate)->isEnabled());

    CQOVPiecewiseLinearBar* slider = window->Thumbnails().Slider();
    // A thumbnail keeps the picture's shape above a caption 20 high (sizes truncated).
    const struct
    {
        int width;
        bool list;
        int height;
    } steps[] = {{30, true, 36}, {36, false, 40}, {35, true, 39}, {400, false, 245}, {20, true, 31}, {200, false, 132}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.width);
        slider->setValue(slider->Map().PositionOf(step.width));
        EXPECT_EQ(window->Thumbnails().Width(), step.width);
        EXPECT_EQ(window->Thumbnails().IsListMode(), step.list);
        EXPECT_EQ(grid->GetItemSize(), QSize(step.width, step.height));
        EXPECT_EQ(grid->GetItemRect(0).height() == CQOVContainWnd::kReportRowHeight, step.list);
    }

    // The "+" on a hovered thumbnail hands that image to the editor, as the history hands files.
    HostPanel panel;
    window->SetOwner(&panel);
    emit grid->addClicked(CTxt2ImageWnd::IdGrid, 1);
    EXPECT_EQ(panel.Paths(), QStringList{window->OutputFolder() + QStringLiteral("c.png|")});

    // Refresh shows the same results again; a later task whose images were all refused says why.
    window->Button(CTxt2ImageWnd::IdRefresh)->click();
    EXPECT_EQ(window->Thumbnails().Items().size(), 2);
    m_env.Server().Reply("POST", kQueryPath, 200,
                         Finished({QStringLiteral("d.png")}, {QStringLiteral("d.png")}));
    ASSERT_TRUE(Generate(*window));
    EXPECT_EQ(Status(*window), QStringLiteral("没有通过审核的图片"));
    EXPECT_EQ(window->Thumbnails().Items().size(), 2) << "the earlier thumbnails stay";
}

TEST_F(PaintingWindowTest, AnImageThatFailedToDownloadIsCounted)
{
    ScriptService(Finished({QStringLiteral("gone.png"), QStringLiteral("a.png")}), QSize(720, 1280));
    auto window = Open();
    Describe(*window, QStringLiteral("人像"));
    ASSERT_TRUE(Generate(*window));
    EXPECT_EQ(Status(*window), QStringLiteral("生成成功！其中 1 张图片下载失败"));
    ASSERT_EQ(window->Thumbnails().Items().size(), 2);
    EXPECT_EQ(window->Thumbnails().Items()[0]->thumbnail, nullptr) << "listed without a picture";
    EXPECT_FLOAT_EQ(window->Thumbnails().Aspect(), 1280.0f / 720.0f) << "the first picture that decoded";
    EXPECT_EQ(window->Thumbnails().Grid()->GetItemSize(), QSize(200, 375));

    // A refresh before any generation, in another window, says there is nothing yet.
    auto fresh = Open();
    fresh->Button(CTxt2ImageWnd::IdRefresh)->click();
    EXPECT_EQ(Status(*fresh), QStringLiteral("还没有生成的图片"));
}

} // namespace
