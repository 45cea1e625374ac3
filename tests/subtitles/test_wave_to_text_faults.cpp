// Every way the file-transcription service can fail one of its five requests, and the code the
// transcription object ends with.
#include "service/RestClient.h"
#include "service/TransLog.h"
#include "subtitles/CWaveToText.h"
#include "support/FaultEnvironment.h"
#include "support/FaultMatrix.h"
#include "support/ProgressRecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kBase = FaultEnvironment::kTranscriptionBase;
const std::string kPrepare = kBase + "/prepare";
const std::string kUpload = kBase + "/upload";
const std::string kMerge = kBase + "/merge";
const std::string kProgress = kBase + "/getProgress";
const std::string kResult = kBase + "/getResult";

enum class Step { Prepare, Upload, Merge, Progress, Result };
constexpr const char* kSteps[] = {"Prepare", "Upload", "Merge", "Progress", "Result"};

// How a cell ends: the code Start returns, then the one progress code reported (the polling ends
// with any code but 3), then the code of the result request.
struct Codes
{
    int start;
    int progress = 9;
    int result = 0;
};

using Cell = FaultCell<Step, kSteps, Codes>;

constexpr int kPrepareFailed = CWaveToText::PrepareFailed;
constexpr int kUploadFailed = CWaveToText::UploadFailed;
constexpr int kMergeFailed = CWaveToText::MergeFailed;

// The object shows no message of its own: a failed request is -1, whatever went wrong on the way.
const std::vector<Cell> kCells = Cells<Cell>({
    EveryFault<Cell>(Step::Prepare, {kPrepareFailed}),
    // The upload's reply is not examined (a refused upload shows at the merge), but it has to arrive.
    {
        {Step::Upload, Fault::Refused, {kUploadFailed}},
        {Step::Upload, Fault::Status500, {kUploadFailed}},
        {Step::Upload, Fault::Slow, {kUploadFailed}},
        {Step::Upload, Fault::NotJson, {0}},
        {Step::Upload, Fault::WrongTypes, {0}},
        {Step::Upload, Fault::Truncated, {0}},
        {Step::Upload, Fault::ClosedMidReply, {kUploadFailed}},
        {Step::Upload, Fault::Huge, {kUploadFailed}},
    },
    EveryFault<Cell>(Step::Merge, {kMergeFailed}),
    EveryFault<Cell>(Step::Progress, {0, -1}),
    EveryFault<Cell>(Step::Result, {0, 9, -1}),
});

const char* const kAccepted = R"({"ok":0,"err_no":0,"failed":null,"data":""})";
const char* const kFinished = R"({"err_no":0,"failed":null,"data":"{\"status\":9,\"desc\":\"done\"}"})";
const char* const kSentences =
    R"({"err_no":0,"failed":null,"data":"[{\"bg\":\"0\",\"ed\":\"1500\",\"onebest\":\"你好\",\"speaker\":\"1\"}]"})";

class WaveToTextFaults : public ::testing::TestWithParam<Cell>
{
protected:
    void SetUp() override
    {
        RestClient::SetRequestTimeout(FaultEnvironment::kRequestTimeout);
        m_env.Reset();
        QFile audio(m_dir.filePath(QStringLiteral("speech.wav")));
        ASSERT_TRUE(audio.open(QIODevice::WriteOnly));
        audio.write(QByteArray(5000, 'W'));
        m_audio = audio.fileName();
        m_srt = m_dir.filePath(QStringLiteral("speech.srt"));
        m_object.InitEnv(QStringLiteral("fault-app"), QStringLiteral("fault-key"));
    }

    // Every fault of step, with its request's good reply and one whose members have the wrong types.
    void Script(const Cell& cell, const std::string& taskId)
    {
        const std::string prepared = R"({"ok":0,"err_no":0,"failed":null,"data":")" + taskId + "\"}";
        FaultyServer& services = m_env.Services();
        FakeServer& server = services.Server();
        server.Reply("POST", kPrepare, 200, prepared);
        server.Reply("POST", kUpload, 200, kAccepted);
        server.Reply("POST", kMerge, 200, kAccepted);
        server.Reply("POST", kProgress, 200, kFinished);
        server.Reply("POST", kResult, 200, kSentences);
        // Refusing from the step on: the request before it is the last one answered.
        const struct
        {
            Step step;
            std::string path;
            std::string good;
            std::string wrongTypes;
            std::string before;
            std::string beforeReply;
        } steps[] = {
            {Step::Prepare, kPrepare, prepared, R"({"ok":"0","data":["t"]})", "", ""},
            {Step::Upload, kUpload, kAccepted, R"({"ok":[0]})", kPrepare, prepared},
            {Step::Merge, kMerge, kAccepted, R"({"ok":"0"})", kUpload, kAccepted},
            {Step::Progress, kProgress, kFinished, R"({"err_no":0,"data":{"status":9}})", kMerge, kAccepted},
            {Step::Result, kResult, kSentences, R"({"err_no":0,"data":[{"bg":0}]})", kProgress, kFinished},
        };
        for (const auto& step : steps) {
            if (step.step != cell.step)
                continue;
            if (cell.fault == Fault::Refused && !step.before.empty())
                services.ReplyThenRefuse("POST", step.before, step.beforeReply);
            else
                services.Serve("POST", step.path, cell.fault, step.good, step.wrongTypes);
        }
    }

    FaultEnvironment& m_env = FaultEnvironment::Get();
    QTemporaryDir m_dir;
    QString m_audio;
    QString m_srt;
    CWaveToText m_object;
};

TEST_P(WaveToTextFaults, EndWithACodeAndNoHalfFiles)
{
    const Cell& cell = GetParam();
    const std::string taskId = "wtt-" + cell.Name();
    Script(cell, taskId);
    const qsizetype logged = GetSubtitlesLog().ItemCount();

    ProgressRecorder progress;
    const int start = m_object.Start(m_audio, m_srt, 50, &ProgressRecorder::Record, &progress);
    ASSERT_EQ(start, cell.expect.start);
    if (start != 0) {
        EXPECT_EQ(GetSubtitlesLog().ItemCount(), logged) << "a task that did not start is not logged";
        EXPECT_EQ(m_object.Stop(), 0);
        EXPECT_FALSE(QFile::exists(m_srt));
        return;
    }

    ASSERT_TRUE(progress.WaitForCodes(1)) << "no progress was reported";
    const int32_t reported = progress.Codes().front();
    if (reported == 9)
        m_object.SaveToSrtFile(); // what the owner does on 9, from its callback
    EXPECT_EQ(m_object.Stop(), 0);
    EXPECT_EQ(progress.Codes(), std::vector<int32_t>{cell.expect.progress}) << "polling ends with its first code but 3";

    const auto record = GetSubtitlesLog().FindTask(QString::fromStdString(taskId));
    ASSERT_TRUE(record);
    if (cell.expect.progress != 9) {
        EXPECT_EQ(record->Stat, 0);
        EXPECT_FALSE(QFile::exists(m_srt));
        return;
    }
    // Marked finished before the result is fetched; the subtitle file only from a good result.
    EXPECT_EQ(record->Stat, 2);
    std::vector<nsWtt::stWavResult> sentences;
    EXPECT_EQ(m_object.GetResult(sentences), cell.expect.result);
    QFile srt(m_srt);
    if (cell.expect.result != 0) {
        EXPECT_TRUE(sentences.empty());
        EXPECT_FALSE(srt.exists()) << "no subtitle file from a failed result";
        return;
    }
    ASSERT_TRUE(srt.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(srt.readAll()), QStringLiteral("1\r\n00:00:00,000 --> 00:00:01,500\r\n你好\r\n\r\n"));
    EXPECT_EQ(sentences.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Matrix, WaveToTextFaults, ::testing::ValuesIn(kCells), Cell::TestName);

} // namespace
