#include "SubtitlesWindowFixture.h"

#include "host/CI3Button.h"
#include "support/TestFiles.h"

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
    ScriptTranscription(server, "task-7", kOneSentence);
    ScriptProgress(server, {3, 9});
    WriteAccount(QStringLiteral("test-app"), QStringLiteral("test-key"));
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
    EXPECT_TRUE(WriteBytes(path, "RIFF fake audio"));
    return path;
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
