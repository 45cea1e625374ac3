// Every way the token service, the object store and the recognition service can fail a cloud
// recognition task, and what the owner is told.
#include "service/RestClient.h"
#include "service/TransLog.h"
#include "subtitles/CAudio2TxtNetOper.h"
#include "support/FaultEnvironment.h"
#include "support/FaultMatrix.h"
#include "support/ProgressRecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kCreate = "/aasr/v1/create";
const char* const kQuery = "/aasr/v1/query";
const char* const kStorePrefix = FaultEnvironment::kStorePrefix;

enum class Step { Token, Upload, Create, Query, Delete };
constexpr const char* kSteps[] = {"Token", "Upload", "Create", "Query", "Delete"};
using Cell = FaultCell<Step, kSteps>;

const char* const kMalformed = "识别服务的回复格式有误：";
const char* const kUploadFailed = "my talk.mp3上传失败!";
const char* const kRecognised = "你好，世界";

const std::vector<Cell> kCells = Cells<Cell>({TokenCells<Cell>(Step::Token, -1), {
    // The store's verdict is its status: a refusal or no answer fails the upload, while a page, a
    // cut body or a huge one after status 200 means the object is stored (the body is not read).
    {Step::Upload, Fault::Refused, {-2, 0, kUploadFailed}},
    {Step::Upload, Fault::Status500, {-2, 0, kUploadFailed}},
    {Step::Upload, Fault::Slow, {-2, 0, kUploadFailed}},
    {Step::Upload, Fault::NotJson, {1, 2, kRecognised}},
    {Step::Upload, Fault::ClosedMidReply, {1, 2, kRecognised}},
    {Step::Upload, Fault::Huge, {1, 2, kRecognised}},
    {Step::Create, Fault::Refused, {-3, 0, kConnect, true}},
    {Step::Create, Fault::Status500, {-3, 0, "创建识别任务失败，HTTP状态码：500"}},
    {Step::Create, Fault::Slow, {-3, 0, kTimedOut, true}},
    {Step::Create, Fault::NotJson, {-3, 0, kMalformed, true}},
    {Step::Create, Fault::WrongTypes, {-3, 0, kMalformed, true}},
    {Step::Create, Fault::Truncated, {-3, 0, kMalformed, true}},
    {Step::Create, Fault::ClosedMidReply, {-3, 0, kCut}},
    {Step::Create, Fault::Huge, {-3, 0, kTooLarge}},
    // A query that fails on the way is reported and polling goes on; a reply that arrived whole in
    // a shape the service never sends ends the task as failed.
    {Step::Query, Fault::Refused, {1, 0, kConnect, true}},
    {Step::Query, Fault::Status500, {1, 0, "查询识别任务失败，HTTP状态码：500"}},
    {Step::Query, Fault::Slow, {1, 0, kTimedOut, true}},
    {Step::Query, Fault::NotJson, {1, 0, kMalformed, true}},
    {Step::Query, Fault::WrongTypes, {1, -1, kMalformed, true}},
    {Step::Query, Fault::Truncated, {1, 0, kMalformed, true}},
    {Step::Query, Fault::ClosedMidReply, {1, 0, kCut}},
    {Step::Query, Fault::Huge, {1, 0, kTooLarge}},
    // The object left behind is the store's loss, not the task's: it still finishes with its files.
    {Step::Delete, Fault::Refused, {1, 2, kRecognised}},
    {Step::Delete, Fault::Status500, {1, 2, kRecognised}},
    {Step::Delete, Fault::Slow, {1, 2, kRecognised}},
    {Step::Delete, Fault::ClosedMidReply, {1, 2, kRecognised}},
    {Step::Delete, Fault::Huge, {1, 2, kRecognised}},
}});

class CloudRecognitionFaults : public ::testing::TestWithParam<Cell>
{
protected:
    void SetUp() override
    {
        RestClient::SetRequestTimeout(FaultEnvironment::kRequestTimeout);
        m_env.Reset();
        QFile audio(m_in.filePath(QStringLiteral("my talk.mp3")));
        ASSERT_TRUE(audio.open(QIODevice::WriteOnly));
        audio.write(QByteArray(6000, 'M'));
        m_audio = audio.fileName();
        m_srt = m_out.filePath(QStringLiteral("talk.srt"));
    }

    // Nothing half-written: both subtitle files whole, or none at all.
    void ExpectFiles(bool written) const
    {
        const QStringList files = QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        if (!written) {
            EXPECT_TRUE(files.isEmpty()) << files.join(QLatin1Char(' ')).toStdString();
            return;
        }
        ASSERT_EQ(files, (QStringList{QStringLiteral("talk.srt"), QStringLiteral("talk.txt")}));
        EXPECT_EQ(Read(m_srt), QStringLiteral("1\r\n00:00:00,000 --> 00:00:01,500\r\n你好，世界\r\n\r\n"));
        EXPECT_EQ(Read(m_out.filePath(QStringLiteral("talk.txt"))), QString::fromUtf8(kRecognised));
    }

    static QString Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
    }

    size_t StoreRequests(const char* method) const
    {
        size_t count = 0;
        for (const RecordedRequest& request : m_env.Store().Server().Requests())
            count += request.method == method ? 1 : 0;
        return count;
    }

    FaultEnvironment& m_env = FaultEnvironment::Get();
    QTemporaryDir m_in;
    QTemporaryDir m_out;
    QString m_audio;
    QString m_srt;
};

TEST_P(CloudRecognitionFaults, EndWithACodeAMessageAndNoHalfFiles)
{
    const Cell& cell = GetParam();
    const std::string taskId = "asr-" + cell.Name();
    const std::string created = R"({"log_id":1,"task_id":")" + taskId + R"(","task_status":"Created"})";
    const std::string finished =
        R"({"log_id":2,"tasks_info":[{"task_id":")" + taskId +
        R"(","task_status":"Success","task_result":{"result":["你好，世界"],)"
        R"("detailed_result":[{"res":["你好，","世界"],"begin_time":0,"end_time":1500}]}}]})";
    FakeServer& services = m_env.Services().Server();
    services.Reply("POST", kCreate, 200, created);
    services.Reply("POST", kQuery, 200, finished);
    // The store's replies carry nothing the client reads; the faults get a body to cut or pad.
    const std::string storeBody(2048, ' ');
    switch (cell.step) {
    case Step::Token:
        m_env.ServeToken(cell.fault);
        break;
    case Step::Upload:
        m_env.Store().ServePrefix("PUT", kStorePrefix, cell.fault, storeBody, "", "application/xml");
        break;
    case Step::Create:
        m_env.Services().Serve("POST", kCreate, cell.fault, created, R"({"task_id":["t"],"task_status":7})");
        break;
    case Step::Query:
        if (cell.fault == Fault::Refused)
            m_env.Services().ReplyThenRefuse("POST", kCreate, created);
        else
            m_env.Services().Serve("POST", kQuery, cell.fault, finished, R"({"tasks_info":"not an array"})");
        break;
    case Step::Delete:
        if (cell.fault == Fault::Refused)
            m_env.Store().StoreThenRefuse(kStorePrefix);
        else
            m_env.Store().ServePrefix("DELETE", kStorePrefix, cell.fault, storeBody, "", "application/xml");
        break;
    }
    const qsizetype logged = GetSubtitlesLog().ItemCount();

    ProgressRecorder progress;
    CAudio2TxtNetOper client;
    client.SetProgressCallback(&ProgressRecorder::Record);
    const int start = client.Start(m_audio.toStdString(), 80001, &progress, m_srt.toStdString());
    ASSERT_EQ(start, cell.expect.start) << client.GetErrorText();
    if (start != CAudio2TxtNetOper::Started) {
        ExpectErrorText(client.GetErrorText(), cell.expect);
        ExpectFiles(false);
        EXPECT_EQ(GetSubtitlesLog().ItemCount(), logged) << "a task the service did not make is not logged";
        // An object stored for a task that was never made is taken out again.
        if (cell.step == Step::Create) {
            EXPECT_EQ(StoreRequests("DELETE"), 1u);
        }
        if (cell.step == Step::Token) {
            EXPECT_EQ(StoreRequests("PUT"), 0u) << "nothing is uploaded without a token";
        }
        return;
    }

    const QString id = QString::fromStdString(taskId);
    if (cell.step == Step::Query && cell.expect.end == 0) {
        ASSERT_TRUE(progress.WaitForCodes(1));
        EXPECT_EQ(progress.Codes().front(), CAudio2TxtNetOper::PollFailed);
        ExpectErrorText(client.GetErrorText(), cell.expect);
        if (cell.fault != Fault::Slow && cell.fault != Fault::Refused) {
            EXPECT_TRUE(progress.WaitForCodes(2)) << "polling went on";
        }
        EXPECT_EQ(client.Stop(), 0);
        EXPECT_EQ(GetSubtitlesLog().FindTask(id)->Stat, 0);
        EXPECT_EQ(StoreRequests("DELETE"), 0u) << "a stopped task keeps its object";
        ExpectFiles(false);
        return;
    }

    ASSERT_TRUE(progress.WaitUntil([](const std::vector<int32_t>& codes) {
        return !codes.empty() && (codes.back() == CAudio2TxtNetOper::PollFinished ||
                                  codes.back() == CAudio2TxtNetOper::PollError);
    })) << "the task never ended";
    // The worker deletes the object after its last report; waiting for it is bounded too.
    EXPECT_EQ(client.Stop(), 0);
    EXPECT_EQ(progress.Codes().back(), cell.expect.end);
    if (cell.expect.end == CAudio2TxtNetOper::PollFinished) {
        EXPECT_EQ(client.GetResultText(), kRecognised);
    } else {
        ExpectErrorText(client.GetErrorText(), cell.expect);
    }
    const auto record = GetSubtitlesLog().FindTask(id);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Stat, cell.expect.end);
    EXPECT_EQ(StoreRequests("DELETE"), cell.step == Step::Delete && cell.fault == Fault::Refused ? 0u : 1u);
    ExpectFiles(cell.expect.end == CAudio2TxtNetOper::PollFinished);
}

INSTANTIATE_TEST_SUITE_P(Matrix, CloudRecognitionFaults, ::testing::ValuesIn(kCells), Cell::TestName);

} // namespace
