#include "DubbingWindowFixture.h"

#include "dubbing/DubbingErrors.h"
#include "host/CI3Button.h"
#include "host/CNLESlider.h"
#include "host/CQOVComboBox.h"
#include "host/QOVMessage.h"
#include "service/AccessToken.h"
#include "service/TaskRun.h"
#include "ui/CVoiceSelCtrl.h"

#include <cpprest/json.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

using Id = CTxt2AudioWnd::ControlId;

httplib::Params FormOf(const RecordedRequest& request)
{
    httplib::Params fields;
    httplib::detail::parse_query_text(request.body, fields);
    return fields;
}

TEST_F(DubbingWindow, ShortTextsAreSpokenByOneRequestAndHandedToTheEditor)
{
    m_env.Server().Reply("POST", TestEnvironment::kShortSpeechPath, 200, std::string(4000, 'W'), "audio/wav");
    auto window = Open(m_panel);
    const QUuid object = QUuid::createUuid();
    window->SetSelectedText(TextOf(511), object);
    QOVSendMessage(window.get(), CVoiceSelCtrl::kVoiceChosenMessage, 2, Id::IdVoices);
    window->VoiceGrid()->SetSelectedGroup(2);
    window->Slider(Id::IdSpeed)->SetPos(9);
    window->Slider(Id::IdPitch)->SetPos(3);
    window->Slider(Id::IdFirstVolume)->SetPos(14);
    window->Slider(Id::IdLaterVolume)->SetPos(1);
    window->TypeList()->SetCurSel(1);
    window->Button(Id::IdStart)->click();
    // The request runs on a worker: the window says so at once and stays usable meanwhile.
    EXPECT_EQ(Status(*window), QStringLiteral("生成中，请稍候..."));
    EXPECT_FALSE(window->Button(Id::IdStart)->isEnabled());
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return !window->IsBusy(); }));

    EXPECT_EQ(Status(*window), QStringLiteral("生成成功！"));
    EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled());
    const auto requests = m_env.Server().RequestsTo(TestEnvironment::kShortSpeechPath);
    ASSERT_EQ(requests.size(), 1u);
    const httplib::Params form = FormOf(requests[0]);
    const std::pair<const char*, const char*> expected[] = {{"per", "22"}, {"spd", "9"}, {"pit", "3"},
                                                             {"vol", "14"}, {"aue", "6"}};
    for (const auto& [field, value] : expected)
        EXPECT_EQ(form.find(field)->second, value) << field;
    EXPECT_EQ(QString::fromStdString(form.find("tex")->second), TextOf(511));

    ASSERT_EQ(m_panel.results.size(), 1);
    EXPECT_EQ(m_panel.results[0].object, object);
    const QFileInfo file(m_panel.results[0].path);
    EXPECT_EQ(file.path() + QLatin1Char('/'), window->OutputFolder());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Audio\\d{4}_\\d{2}_\\d{2}_\\d{2}_\\d{2}_\\d{2}\\.wav$"))
                    .match(file.fileName())
                    .hasMatch())
        << file.fileName().toStdString();
    EXPECT_EQ(file.size(), 4000);
}

TEST_F(DubbingWindow, AFailedShortRequestSaysWhyAndSendsNothing)
{
    // The client's reason is shown: the service's message, or why no token came.
    struct Case
    {
        bool token;
        const char* shows;
        size_t requests;
    };
    const Case cases[] = {{true, "bad voice", 1}, {false, "401", 0}};
    for (const Case& c : cases) {
        m_env.Server().Reset();
        ForgetAccessTokens();
        if (c.token)
            m_env.GrantTokens();
        else
            m_env.Server().Reply("POST", TestEnvironment::kTokenPath, 401,
                                 R"({"error":"invalid_client","error_description":"invalid_client"})");
        m_env.Server().Reply("POST", TestEnvironment::kShortSpeechPath, 200, R"({"err_no":502,"err_msg":"bad voice"})");
        DubbingHost panel;
        auto window = Open(panel);
        window->SetSelectedText(QStringLiteral("一句话"), QUuid::createUuid());
        window->Button(Id::IdStart)->click();
        ASSERT_TRUE(DeliverUntil(window.get(), [&] { return !window->IsBusy(); }));
        EXPECT_TRUE(Status(*window).contains(QString::fromUtf8(c.shows))) << Status(*window).toStdString();
        EXPECT_EQ(m_env.Server().RequestsTo(TestEnvironment::kShortSpeechPath).size(), c.requests);
        EXPECT_TRUE(panel.results.isEmpty());
    }
}

TEST_F(DubbingWindow, LongTextsRunAsATaskThatReportsBeforeItsResultReachesTheEditor)
{
    ScriptLongTask({R"({"tasks_info":[{"task_id":"t-9","task_status":"Running"}]})",
                    R"({"tasks_info":[{"task_id":"t-9","task_status":"Running"}]})", SuccessReply()});
    auto window = Open(m_panel);
    const QUuid object = QUuid::createUuid();
    window->SetSelectedText(TextOf(512), object);
    window->Slider(Id::IdLaterVolume)->SetPos(8);
    window->Slider(Id::IdFirstVolume)->SetPos(2);
    window->Button(Id::IdStart)->click();
    EXPECT_TRUE(window->IsBusy());
    EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled()) << "a long task leaves the button usable";
    // The token and the create request run on a worker; the window goes on meanwhile.
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return !m_env.Server().RequestsTo(kCreate).empty(); }));
    EXPECT_TRUE(m_env.Server().RequestsTo(TestEnvironment::kShortSpeechPath).empty());
    const auto create = web::json::value::parse(m_env.Server().RequestsTo(kCreate).at(0).body);
    EXPECT_EQ(create.at("voice").as_integer(), 20);
    EXPECT_EQ(create.at("volume").as_integer(), 8) << "the 0-to-9 slider while no voice was chosen";
    EXPECT_EQ(create.at("format").as_string(), "mp3-16k");
    EXPECT_EQ(create.at("text").at(0).as_string().size(), 512u * 3);

    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return Status(*window) == QStringLiteral("生成中，请稍候..."); }));
    // A new selection while the task runs keeps the button off until it ends.
    window->SetSelectedText(TextOf(512), object);
    EXPECT_FALSE(window->Button(Id::IdStart)->isEnabled());
    EXPECT_EQ(Status(*window), QStringLiteral("生成中，请稍候...")) << "the hint waits while the task runs";
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return !m_panel.results.isEmpty(); }));
    EXPECT_EQ(Status(*window), QStringLiteral("生成成功！"));
    EXPECT_FALSE(window->IsBusy());
    EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled());
    EXPECT_EQ(m_panel.results[0].object, object);
    EXPECT_TRUE(m_panel.results[0].path.startsWith(window->OutputFolder() + QStringLiteral("Audio")));
    EXPECT_TRUE(m_panel.results[0].path.endsWith(QStringLiteral(".mp3")));
    EXPECT_EQ(QFileInfo(m_panel.results[0].path).size(), 3000);
}

TEST_F(DubbingWindow, APollFailureIsProgressAndALaterSuccessStillArrives)
{
    // The long-text service runs only the last four voices; the window leaves that to the service.
    ScriptLongTask({"500", "500", R"({"tasks_info":[]})", SuccessReply()});
    auto window = Open(m_panel);
    window->SetSelectedText(TextOf(700), QUuid());
    window->Button(Id::IdStart)->click();
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return Status(*window) == QStringLiteral("网络存在问题"); }));
    EXPECT_TRUE(window->IsBusy()) << "the poller still runs: the task has not ended";
    window->SetSelectedText(TextOf(700), QUuid());
    EXPECT_FALSE(window->Button(Id::IdStart)->isEnabled());
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return !m_panel.results.isEmpty(); }));
    EXPECT_EQ(Status(*window), QStringLiteral("生成成功！"));
    EXPECT_TRUE(m_panel.results[0].object.isNull());
}

TEST_F(DubbingWindow, ARefusedTaskOrAnAudioThatWillNotDownloadEndsWithTheReason)
{
    struct Case
    {
        int status;
        const char* reply; // null: the task is made and finished, but its audio will not download
        QString shown;
    };
    const Case cases[] = {
        {200, R"({"error_code":336204,"error_msg":"no quota"})", QStringLiteral("错误信息:请开通付费，购买调用字符数资源。")},
        {500, "{}", QString::fromUtf8(DubbingErrors::kStatusFormat).replace(QStringLiteral("%d"), QStringLiteral("500"))},
        {0, nullptr, QString::fromStdString(m_env.Server().Url("/speech/t-9.mp3")) +
                         QStringLiteral("下载失败，已尝试3次，请稍后重新合成")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown.toStdString());
        if (c.reply) {
            m_env.Server().Reply("POST", kCreate, c.status, c.reply);
        } else {
            ScriptLongTask({SuccessReply()});
            m_env.Server().Reply("GET", "/speech/t-9.mp3", 404, "");
        }
        DubbingHost panel;
        auto window = Open(panel);
        window->SetSelectedText(TextOf(512), QUuid());
        window->Button(Id::IdStart)->click();
        ASSERT_TRUE(DeliverUntil(window.get(), [&] { return c.reply ? !window->IsBusy() : Status(*window) == c.shown; }))
            << Status(*window).toStdString();
        EXPECT_EQ(Status(*window), c.shown);
        EXPECT_FALSE(window->IsBusy());
        EXPECT_TRUE(window->Button(Id::IdStart)->isEnabled());
        EXPECT_TRUE(panel.results.isEmpty());
        EXPECT_EQ(m_env.Server().RequestsTo(kQuery).empty(), c.reply != nullptr) << "a refused task is never polled";
    }
}

TEST_F(DubbingWindow, TheChosenFolderReceivesTheAudioAndRunsInOneSecondKeepAFileEach)
{
    m_env.Server().Reply("POST", TestEnvironment::kShortSpeechPath, 200, std::string(500, 'M'), "audio/mp3");
    QTemporaryDir chosen;
    auto window = Open(m_panel);
    window->chosenFolder = QString();
    window->Button(Id::IdDownloadFolder)->click();
    EXPECT_EQ(window->OutputFolder(), m_env.WorkDir() + QStringLiteral("/AIAudio/")) << "cancelled";
    window->chosenFolder = chosen.path();
    window->Button(Id::IdDownloadFolder)->click();
    EXPECT_EQ(window->OutputFolder(), chosen.path() + QLatin1Char('/'));
    window->SetSelectedText(QStringLiteral("文字"), QUuid());
    for (int i = 0; i < 3; ++i) {
        window->Button(Id::IdStart)->click();
        ASSERT_TRUE(DeliverUntil(window.get(), [&] { return !window->IsBusy(); }));
    }
    ASSERT_EQ(m_panel.results.size(), 3);
    QSet<QString> paths;
    for (const DubbingHost::Result& result : m_panel.results) {
        paths.insert(result.path);
        EXPECT_TRUE(result.path.startsWith(chosen.path() + QStringLiteral("/Audio"))) << result.path.toStdString();
        EXPECT_TRUE(result.path.endsWith(QStringLiteral(".mp3")));
        EXPECT_TRUE(QFileInfo::exists(result.path)) << result.path.toStdString();
    }
    EXPECT_EQ(paths.size(), 3) << "audio made within one second does not replace the earlier file";
}

TEST_F(DubbingWindow, WithoutAHostMessageNothingIsSent)
{
    m_env.Server().Reply("POST", TestEnvironment::kShortSpeechPath, 200, std::string(500, 'M'), "audio/mp3");
    auto window = Open(m_panel, 0);
    window->SetSelectedText(QStringLiteral("文字"), QUuid());
    window->Button(Id::IdStart)->click();
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return !window->IsBusy(); }));
    EXPECT_EQ(Status(*window), QStringLiteral("生成成功！"));
    EXPECT_TRUE(m_panel.results.isEmpty());
}

TEST_F(DubbingWindow, ClosingTheWindowDuringALongTaskStopsIt)
{
    ScriptLongTask({R"({"tasks_info":[{"task_id":"t-9","task_status":"Running"}]})"});
    auto window = Open(m_panel);
    window->SetSelectedText(TextOf(600), QUuid());
    window->Button(Id::IdStart)->click();
    ASSERT_TRUE(DeliverUntil(window.get(), [&] { return !m_env.Server().RequestsTo(kQuery).empty(); }));
    window.reset();
    // Every run of the module's task pool has ended: no poller is left to ask again.
    EXPECT_TRUE(TaskRun::WaitForAll(std::chrono::seconds(5))) << "a poller outlived the window";
    EXPECT_TRUE(m_panel.results.isEmpty());
}

} // namespace
