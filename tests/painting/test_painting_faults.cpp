// Every way the token and image services can fail a painting task, and what the user is told.
#include "painting/CTxt2ImageNetOper.h"
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

const char* const kCreate = "/ernievilg/v1/txt2imgv2";
const char* const kQuery = "/ernievilg/v1/getImgv2";
const char* const kImagePath = "/files/a.png";
const std::string kImage = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(3000, 'P');

enum class Step { Token, Create, Poll, Download };
constexpr const char* kSteps[] = {"Token", "Create", "Poll", "Download"};
using Cell = FaultCell<Step, kSteps>;

const char* const kImageMalformed = "图片生成服务的回复格式有误：";
const char* const kDownloadFailed = "下载失败";

const std::vector<Cell> kCells = Cells<Cell>({TokenCells<Cell>(Step::Token, -1), {
    {Step::Create, Fault::Refused, {-2, 0, kConnect, true}},
    {Step::Create, Fault::Status500, {-2, 0, "图片生成服务请求失败，HTTP状态码：500"}},
    {Step::Create, Fault::Slow, {-2, 0, kTimedOut, true}},
    {Step::Create, Fault::NotJson, {-2, 0, kImageMalformed, true}},
    {Step::Create, Fault::WrongTypes, {-2, 0, kImageMalformed, true}},
    {Step::Create, Fault::Truncated, {-2, 0, kImageMalformed, true}},
    {Step::Create, Fault::ClosedMidReply, {-2, 0, kCut}},
    {Step::Create, Fault::Huge, {-2, 0, kTooLarge}},
    // A poll that fails on the way is reported and polling goes on; a status other than 200 leaves
    // the text as it was. A reply that arrived whole in a shape the service never sends ends the task.
    {Step::Poll, Fault::Refused, {1, 0, kConnect, true}},
    {Step::Poll, Fault::Status500, {1, 0, ""}},
    {Step::Poll, Fault::Slow, {1, 0, kTimedOut, true}},
    {Step::Poll, Fault::NotJson, {1, 0, kImageMalformed, true}},
    {Step::Poll, Fault::WrongTypes, {1, -1, kImageMalformed, true}},
    {Step::Poll, Fault::Truncated, {1, 0, kImageMalformed, true}},
    {Step::Poll, Fault::ClosedMidReply, {1, 0, kCut}},
    {Step::Poll, Fault::Huge, {1, 0, kTooLarge}},
    // The image is no JSON: a page, wrong types or a cut that is framed as whole are just bytes. A
    // failed download is named in the text and the task still finishes.
    {Step::Download, Fault::Refused, {1, 2, kDownloadFailed}},
    {Step::Download, Fault::Status500, {1, 2, kDownloadFailed}},
    {Step::Download, Fault::Slow, {1, 2, kDownloadFailed}},
    {Step::Download, Fault::ClosedMidReply, {1, 2, kDownloadFailed}},
    {Step::Download, Fault::Huge, {1, 2, "", false, FaultyServer::kHugeBytes}},
}});

class PaintingFaults : public ::testing::TestWithParam<Cell>
{
protected:
    void SetUp() override
    {
        RestClient::SetRequestTimeout(FaultEnvironment::kRequestTimeout);
        m_env.Reset();
        m_env.Files().Server().Reply("GET", kImagePath, 200, kImage, "image/png");
        m_folder = m_out.path() + QLatin1Char('/');
    }

    void ExpectFiles() const { ExpectOnlyFile(m_out.path(), QStringLiteral("a.png"), GetParam().expect); }

    FaultEnvironment& m_env = FaultEnvironment::Get();
    QTemporaryDir m_out;
    QString m_folder;
};

TEST_P(PaintingFaults, EndWithACodeAMessageAndARecord)
{
    const Cell& cell = GetParam();
    const std::string taskId = "t-" + cell.Name();
    const std::string created = R"({"log_id":1,"data":{"task_id":")" + taskId + R"("}})";
    const std::string imageUrl = m_env.Files().Url(kImagePath) + "?sign=1";
    const std::string finished =
        R"({"data":{"task_status":"SUCCESS","task_progress":1,"sub_task_result_list":[{"final_image_list":[)"
        R"({"img_url":")" + imageUrl + R"(","img_approve_conclusion":"pass","width":64,"height":64}]}]}})";
    FakeServer& services = m_env.Services().Server();
    services.Reply("POST", kCreate, 200, created);
    services.Reply("POST", kQuery, 200, finished);
    switch (cell.step) {
    case Step::Token:
        m_env.ServeToken(cell.fault);
        break;
    case Step::Create:
        m_env.Services().Serve("POST", kCreate, cell.fault, created, R"({"data":{"task_id":["t"]}})");
        break;
    case Step::Poll:
        if (cell.fault == Fault::Refused)
            m_env.Services().ReplyThenRefuse("POST", kCreate, created);
        else
            m_env.Services().Serve("POST", kQuery, cell.fault, finished, R"({"data":"not an object"})");
        break;
    case Step::Download:
        m_env.Files().Serve("GET", kImagePath, cell.fault, kImage, "", "image/png");
        break;
    }
    const qsizetype logged = GetPaintingLog().ItemCount();

    MessageSink window;
    CTxt2ImageNetOper client;
    const int start = client.Start("雪山", m_folder.toStdString(), 512, 512, 1, "", &window);
    ASSERT_EQ(start, cell.expect.start) << client.GetErrorText();
    if (start != CTxt2ImageNetOper::Started) {
        ExpectErrorText(client.GetErrorText(), cell.expect);
        ExpectFiles();
        EXPECT_EQ(GetPaintingLog().ItemCount(), logged) << "a task the service did not make is not logged";
        return;
    }

    const QString id = QString::fromStdString(taskId);
    if (cell.step == Step::Poll && cell.expect.end == 0) {
        ASSERT_TRUE(window.WaitUntil([&] { return !window.Codes().isEmpty(); }));
        EXPECT_EQ(window.Codes().front(), CTxt2ImageNetOper::PollFailed);
        ExpectErrorText(client.GetErrorText(), cell.expect);
        if (cell.fault != Fault::Slow && cell.fault != Fault::Refused) {
            EXPECT_TRUE(window.WaitUntil([&] { return services.RequestsTo(kQuery).size() >= 2; }))
                << "polling went on";
        }
        client.Stop();
        EXPECT_EQ(GetPaintingLog().FindTask(id)->Stat, 0);
        ExpectFiles();
        return;
    }

    ASSERT_TRUE(window.WaitUntil([&] {
        const QList<int> codes = window.Codes();
        return !codes.isEmpty() && (codes.back() == CTxt2ImageNetOper::PollFinished ||
                                    codes.back() == CTxt2ImageNetOper::PollError);
    })) << "the task never ended";
    client.Stop();
    EXPECT_EQ(window.Codes().back(), cell.expect.end);
    const std::string error = client.GetErrorText();
    if (cell.step == Step::Download && cell.expect.fileBytes == 0)
        EXPECT_EQ(error, imageUrl + cell.expect.text);
    else
        ExpectErrorText(error, cell.expect);
    const auto record = GetPaintingLog().FindTask(id);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Stat, cell.expect.end);
    ExpectFiles();
}

INSTANTIATE_TEST_SUITE_P(Matrix, PaintingFaults, ::testing::ValuesIn(kCells), Cell::TestName);

} // namespace
