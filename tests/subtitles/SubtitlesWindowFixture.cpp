#include "SubtitlesWindowFixture.h"

#include "MediaFixtures.h"
#include "host/CI3Button.h"
#include "subtitles/CWaveToTextMgr.h"

#include <atomic>

bool TestSubtitlesWindow::AskYesNo(const QString& question)
{
    questions.append(question);
    return answer;
}

int TestSubtitlesWindow::RunUserInfoDialog(CSetUserInfoDlg& dialog)
{
    if (!userInfo)
        return QDialog::Rejected;
    dialog.show();
    const int result = userInfo(dialog);
    dialog.hide();
    return result;
}

void SubtitlesWindow::SetUp()
{
    FakeServer& server = m_env.Server();
    server.Reset();
    server.Reply("POST", kPrepare, 200, R"({"ok":0,"err_no":0,"failed":null,"data":"task-7"})");
    server.Reply("POST", kUpload, 200, R"({"ok":0,"err_no":0,"failed":null,"data":""})");
    server.Reply("POST", kMerge, 200, R"({"ok":0,"err_no":0,"failed":null,"data":""})");
    server.Reply("POST", kResult, 200,
                 R"({"ok":0,"err_no":0,"failed":null,"data":"[{\"bg\":\"1500\",\"ed\":\"2800\",\"onebest\":\"第一句\",\"speaker\":\"1\"}]"})");
    ScriptProgress({3, 9});
    WriteAccount(QStringLiteral("test-app"), QStringLiteral("test-key"));
}

void SubtitlesWindow::WriteAccount(const QString& id, const QString& key)
{
    MediaFixtures::WriteBytes(CWaveToTextMgr::AccountFilePath(),
                              QStringLiteral("[WaveToText]\nID=%1\nKey=%2\n").arg(id, key).toUtf8());
}

std::unique_ptr<TestSubtitlesWindow> SubtitlesWindow::Open(QWidget& panel)
{
    auto window = std::make_unique<TestSubtitlesWindow>(SubtitlesHost::kMessage);
    EXPECT_TRUE(window->Create(&panel, QRect(0, 0, 920, 680), 1112));
    return window;
}

void SubtitlesWindow::Start(TestSubtitlesWindow& window, const QString& source, const QUuid& object)
{
    window.SetSelection(source, object, nullptr);
    window.Button(CAudio2TxtWnd::IdStart)->click();
}

QString SubtitlesWindow::File(const char* name)
{
    const QString path = m_dir.filePath(QString::fromUtf8(name));
    MediaFixtures::WriteBytes(path, "RIFF fake audio");
    return path;
}

void SubtitlesWindow::ScriptProgress(std::vector<int> statuses)
{
    std::vector<std::string> replies;
    for (const int status : statuses)
        replies.push_back(R"({"ok":0,"err_no":0,"failed":null,"data":"{\"status\":)" + std::to_string(status) +
                          R"(,\"desc\":\"d\"}"})");
    m_env.Server().ReplyInTurn("POST", kProgress, std::move(replies));
}

void SubtitlesWindow::ScriptCloud()
{
    m_env.GrantTokens("asr-token");
    const std::string store = std::string("/") + TestEnvironment::kStoreBucket + "/";
    m_env.Server().OnPrefix("PUT", store, [](const httplib::Request&, httplib::Response& r) { r.status = 200; });
    m_env.Server().OnPrefix("DELETE", store, [](const httplib::Request&, httplib::Response& r) { r.status = 204; });
    static std::atomic<int> count{0};
    const std::string id = "asr-window-" + std::to_string(++count);
    m_env.Server().Reply("POST", kCreate, 200, R"({"log_id":1,"task_id":")" + id + R"(","task_status":"Created"})");
    const std::string task = R"({"log_id":2,"tasks_info":[{"task_id":")" + id + R"(","task_status":")";
    m_env.Server().ReplyInTurn("POST", kQuery,
                               {task + R"(Running"}]})", task + R"(Success","task_result":{"result":["hello"],)"
                                                                R"("detailed_result":[{"res":["hello"],"begin_time":100,)"
                                                                R"("end_time":900}]}}]})"});
}
