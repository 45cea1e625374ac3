// Every way the token and speech services can fail a short or a long synthesis, and what the user
// is told.
#include "dubbing/CTxt2AudioNetOper.h"
#include "dubbing/CTxt2AudioShortNetOper.h"
#include "service/RestClient.h"
#include "service/TransLog.h"
#include "support/FaultEnvironment.h"
#include "support/FaultMatrix.h"
#include "support/MessageSink.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::chrono_literals;

const char* const kCreate = "/tts/v1/create";
const char* const kQuery = "/tts/v1/query";
const char* const kAudioPath = "/speech/audio.mp3";
const std::string kAudio(4000, 'A');

enum class Step { Token, Synthesize, Create, Poll, Download };
constexpr const char* kSteps[] = {"Token", "Synthesize", "Create", "Poll", "Download"};
using Cell = FaultCell<Step, kSteps>;

const char* const kSpeechMalformed = "语音合成服务的回复格式有误：";
const char* const kStatus500 = "语音合成服务请求失败，HTTP状态码：500";
const char* const kNoAudio = "语音合成服务没有返回音频，请稍后重试";

class SpeechFaults : public ::testing::TestWithParam<Cell>
{
protected:
    void SetUp() override
    {
        RestClient::SetRequestTimeout(FaultEnvironment::kRequestTimeout);
        m_env.Reset();
        m_env.Files().Server().Reply("GET", kAudioPath, 200, kAudio, "audio/mp3");
        m_path = m_out.filePath(QStringLiteral("Audio.mp3"));
    }

    void ExpectFiles() const { ExpectOnlyFile(m_out.path(), QStringLiteral("Audio.mp3"), GetParam().expect); }

    FaultEnvironment& m_env = FaultEnvironment::Get();
    QTemporaryDir m_out;
    QString m_path;
};

using ShortSpeechFaults = SpeechFaults;
using LongSpeechFaults = SpeechFaults;

const std::vector<Cell> kShortCells = Cells<Cell>({TokenCells<Cell>(Step::Token, 0), {
    {Step::Synthesize, Fault::Refused, {0, 0, kConnect, true}},
    {Step::Synthesize, Fault::Status500, {0, 0, kStatus500}},
    {Step::Synthesize, Fault::Slow, {0, 0, kTimedOut, true}},
    // A page where audio was expected is no audio, however long it is.
    {Step::Synthesize, Fault::NotJson, {0, 0, kNoAudio}},
    {Step::Synthesize, Fault::WrongTypes, {0, 0, kNoAudio}},
    // Audio cut short but framed as whole cannot be told from a shorter text's audio.
    {Step::Synthesize, Fault::Truncated, {1, 0, "", false, kAudio.size() / 2}},
    {Step::Synthesize, Fault::ClosedMidReply, {0, 0, kCut}},
    {Step::Synthesize, Fault::Huge, {1, 0, "", false, FaultyServer::kHugeBytes}},
}});

TEST_P(ShortSpeechFaults, EndWithAResultAndAMessage)
{
    const Cell& cell = GetParam();
    if (cell.step == Step::Token)
        m_env.ServeToken(cell.fault);
    else
        m_env.Services().Serve("POST", FaultEnvironment::kShortSpeechPath, cell.fault, kAudio,
                               R"({"err_no":502,"err_msg":["token invalid"]})", "audio/mp3");
    const qsizetype logged = GetDubbingLog().ItemCount();

    CTxt2AudioShortNetOper client;
    std::string error;
    const bool synthesized = client.Synthesize("短文本", error, m_path.toStdString(), 5, 5, 5, 1, 3);
    EXPECT_EQ(synthesized, cell.expect.start == 1);
    ExpectErrorText(error, cell.expect);
    ExpectFiles();
    EXPECT_EQ(GetDubbingLog().ItemCount(), logged + (synthesized ? 1 : 0)) << "only audio is logged";
}

INSTANTIATE_TEST_SUITE_P(Matrix, ShortSpeechFaults, ::testing::ValuesIn(kShortCells), Cell::TestName);

// Three tries at the download, then the task ends.
const char* const kGaveUp = "下载失败，已尝试3次，请稍后重新合成";

const std::vector<Cell> kLongCells = Cells<Cell>({TokenCells<Cell>(Step::Token, -1), {
    {Step::Create, Fault::Refused, {-2, 0, kConnect, true}},
    {Step::Create, Fault::Status500, {-2, 0, kStatus500}},
    {Step::Create, Fault::Slow, {-2, 0, kTimedOut, true}},
    {Step::Create, Fault::NotJson, {-2, 0, kSpeechMalformed, true}},
    {Step::Create, Fault::WrongTypes, {-2, 0, kSpeechMalformed, true}},
    {Step::Create, Fault::Truncated, {-2, 0, kSpeechMalformed, true}},
    {Step::Create, Fault::ClosedMidReply, {-2, 0, kCut}},
    {Step::Create, Fault::Huge, {-2, 0, kTooLarge}},
    // A failed poll is reported and polling goes on: the service may recover.
    {Step::Poll, Fault::Refused, {1, 0, kConnect, true}},
    {Step::Poll, Fault::Status500, {1, 0, kStatus500}},
    {Step::Poll, Fault::Slow, {1, 0, kTimedOut, true}},
    {Step::Poll, Fault::NotJson, {1, 0, kSpeechMalformed, true}},
    {Step::Poll, Fault::WrongTypes, {1, 0, kSpeechMalformed, true}},
    {Step::Poll, Fault::Truncated, {1, 0, kSpeechMalformed, true}},
    {Step::Poll, Fault::ClosedMidReply, {1, 0, kCut}},
    {Step::Poll, Fault::Huge, {1, 0, kTooLarge}},
    // The audio is no JSON: a page, wrong types or a cut that is framed as whole are just bytes.
    {Step::Download, Fault::Refused, {1, -1, kGaveUp}},
    {Step::Download, Fault::Status500, {1, -1, kGaveUp}},
    {Step::Download, Fault::Slow, {1, -1, kGaveUp}},
    {Step::Download, Fault::ClosedMidReply, {1, -1, kGaveUp}},
    {Step::Download, Fault::Huge, {1, 2, "", false, FaultyServer::kHugeBytes}},
}});

TEST_P(LongSpeechFaults, EndWithACodeAMessageAndARecord)
{
    const Cell& cell = GetParam();
    const std::string taskId = "t-" + cell.Name();
    const std::string created = R"({"log_id":1,"task_id":")" + taskId + R"("})";
    const std::string audioUrl = m_env.Files().Url(kAudioPath);
    const std::string finished = R"({"tasks_info":[{"task_id":")" + taskId +
                                 R"(","task_status":"Success","task_result":{"speech_url":")" + audioUrl + R"("}}]})";
    FakeServer& services = m_env.Services().Server();
    services.Reply("POST", kCreate, 200, created);
    services.Reply("POST", kQuery, 200, finished);
    switch (cell.step) {
    case Step::Token:
        m_env.ServeToken(cell.fault);
        break;
    case Step::Create:
        m_env.Services().Serve("POST", kCreate, cell.fault, created, R"({"error_code":"0","task_id":["t"]})");
        break;
    case Step::Poll:
        if (cell.fault == Fault::Refused)
            m_env.Services().ReplyThenRefuse("POST", kCreate, created);
        else
            m_env.Services().Serve("POST", kQuery, cell.fault, finished, R"({"tasks_info":"not a list"})");
        break;
    case Step::Download:
    case Step::Synthesize:
        m_env.Files().Serve("GET", kAudioPath, cell.fault, kAudio, "", "audio/mp3");
        break;
    }
    const qsizetype logged = GetDubbingLog().ItemCount();

    MessageSink window;
    CTxt2AudioNetOper client;
    const int start = client.Start("长文本", m_path.toStdString(), "mp3-16k", 1, 5, 5, 5, &window);
    ASSERT_EQ(start, cell.expect.start) << client.GetErrorText();
    if (start != CTxt2AudioNetOper::Started) {
        ExpectErrorText(client.GetErrorText(), cell.expect);
        ExpectFiles();
        const QList<TransLogItem> items = GetDubbingLog().Items();
        if (start == CTxt2AudioNetOper::NoToken) {
            EXPECT_EQ(items.size(), logged) << "nothing was sent, nothing is logged";
        } else {
            ASSERT_EQ(items.size(), logged + 1);
            EXPECT_EQ(items.back().Files, QString::fromStdString(client.GetErrorText())) << "the record says why";
        }
        return;
    }

    if (cell.step == Step::Poll) {
        ASSERT_TRUE(window.WaitUntil([&] { return !window.Codes().isEmpty(); }));
        EXPECT_EQ(window.Codes().front(), CTxt2AudioNetOper::PollFailed);
        ExpectErrorText(client.GetErrorText(), cell.expect);
        if (cell.fault != Fault::Slow && cell.fault != Fault::Refused) {
            EXPECT_TRUE(window.WaitUntil([&] { return services.RequestsTo(kQuery).size() >= 2; }))
                << "polling went on";
        }
        client.Stop();
        EXPECT_EQ(GetDubbingLog().FindTask(QString::fromStdString(taskId))->Stat, 0);
        ExpectFiles();
        return;
    }

    ASSERT_TRUE(window.WaitUntil([&] {
        const QList<int> codes = window.Codes();
        return !codes.isEmpty() && (codes.back() == CTxt2AudioNetOper::PollFinished || codes.back() == -1);
    })) << "the task never ended";
    client.Stop();
    EXPECT_EQ(window.Codes().back(), cell.expect.end);
    const std::string error = client.GetErrorText();
    if (cell.expect.end == -1) {
        EXPECT_EQ(error, audioUrl + cell.expect.text);
        EXPECT_EQ(services.RequestsTo(kQuery).size(), 3u) << "three polls, each with a try, then no more";
        EXPECT_EQ(window.Codes(), (QList<int>{0, 0, -1})) << "two failed tries go on, the third ends the task";
    } else {
        ExpectErrorText(error, cell.expect);
    }
    const auto record = GetDubbingLog().FindTask(QString::fromStdString(taskId));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Stat, cell.expect.end);
    EXPECT_EQ(record->Files, cell.expect.end == 2 ? m_path : QString::fromStdString(error));
    ExpectFiles();
}

INSTANTIATE_TEST_SUITE_P(Matrix, LongSpeechFaults, ::testing::ValuesIn(kLongCells), Cell::TestName);

} // namespace
