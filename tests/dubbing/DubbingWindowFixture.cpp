#include "DubbingWindowFixture.h"

#include "support/TestFiles.h"

#include <QDir>

#include <atomic>

void DubbingWindow::SetUp()
{
    m_env.Server().Reset();
    m_env.GrantTokens("tts-token");
    WriteLibrary();
}

void DubbingWindow::WriteLibrary(const QByteArray& document)
{
    QDir().mkpath(LibraryFolder());
    QByteArray text = document;
    if (text.isNull()) {
        text = "<Voices>";
        for (int i = 0; i < kVoiceCount; ++i)
            text += QStringLiteral("<V Basic=\"1\" ID=\"%1\" Name=\"声音%2\" Audio=\"audio/%2.wav\"/>").arg(20 + i).arg(i).toUtf8();
        text += "</Voices>";
    }
    EXPECT_TRUE(WriteBytes(LibraryFolder() + QStringLiteral("voice.xml"), text));
}

std::unique_ptr<TestDubbingWindow> DubbingWindow::Open(QWidget& panel, uint32_t message)
{
    auto window = std::make_unique<TestDubbingWindow>(message);
    window->SetSamplePlayer(std::make_unique<RecordingPlayer>(&m_played));
    EXPECT_TRUE(window->Create(&panel, QRect(0, 0, 920, 680), 1111));
    return window;
}

std::string DubbingWindow::SuccessReply() const
{
    return R"({"log_id":7,"tasks_info":[{"task_id":"t-9","task_status":"Success","task_result":{"speech_url":")" +
           m_env.Server().Url("/speech/t-9.mp3") + R"("}}]})";
}

void DubbingWindow::ScriptLongTask(std::vector<std::string> queries)
{
    m_env.Server().Reply("POST", kCreate, 200, R"({"log_id":5,"task_id":"t-9","task_status":"Created"})");
    m_env.Server().Reply("GET", "/speech/t-9.mp3", 200, std::string(3000, 'M'), "audio/mp3");
    auto shared = std::make_shared<std::vector<std::string>>(std::move(queries));
    auto next = std::make_shared<std::atomic<size_t>>(0);
    m_env.Server().On("POST", kQuery, [shared, next](const httplib::Request&, httplib::Response& response) {
        const std::string& reply = (*shared)[std::min(next->fetch_add(1), shared->size() - 1)];
        if (reply == "500") {
            response.status = 500;
            return;
        }
        response.set_content(reply, "application/json");
    });
}
