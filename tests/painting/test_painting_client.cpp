#include "ImagePainter.h"
#include "painting/CTxt2ImageNetOper.h"
#include "painting/PaintingOutcome.h"
#include "service/PolledSteps.h"
#include "service/TransLog.h"
#include "support/MessageSink.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

const char* const kCreate = "/ernievilg/v1/txt2imgv2";
const char* const kQuery = "/ernievilg/v1/getImgv2";

std::string Image(const FakeServer& server, const std::string& name, const char* conclusion)
{
    return R"({"img_url":")" + server.Url("/files/" + name) + R"(?sign=ab&expires=1","width":64,"height":32,)" +
           R"("img_approve_conclusion":")" + conclusion + R"("})";
}

std::string Finished(const std::string& subTasks)
{
    return R"({"log_id":7,"data":{"task_id":99,"task_status":"SUCCESS","task_progress":1,"sub_task_result_list":[)" +
           subTasks + "]}}";
}

class PaintingClient : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_env.Server().Reset();
        m_env.GrantTokens("paint-token");
        m_env.Server().Reply("POST", kCreate, 200, R"({"log_id":1,"data":{"task_id":99}})");
        m_folder = m_out.path() + QLatin1Char('/');
        QImage picture(64, 32, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        const std::string png = ImagePainter::EncodePng(picture);
        for (const char* name : {"a.png", "b.png", "c.png"})
            m_env.Server().Reply("GET", std::string("/files/") + name, 200, png, "image/png");
    }

    // Answers the queries in turn; the last answer repeats.
    void ScriptQueries(std::vector<std::string> replies) { m_env.Server().ReplyInTurn("POST", kQuery, std::move(replies)); }

    // Waits (bounded) until the server has received a request to path.
    bool WaitForRequest(const std::string& path)
    {
        return m_sink.WaitUntil([this, path] { return !m_env.Server().RequestsTo(path).empty(); });
    }

    CTxt2ImageNetOper::Request Request(const std::string& prompt = "雪山\r\n湖泊",
                                       const std::string& reference = std::string()) const
    {
        return {prompt, m_folder.toStdString(), 1024, 768, 3, reference};
    }

    // The client driven as the painting task drives it, kept for a look at its results.
    struct Run
    {
        explicit Run(const CTxt2ImageNetOper::Request& request)
            : client(std::make_shared<CTxt2ImageNetOper>(request))
            , task([client = client](const ServiceTask::Worker& worker) { return PolledSteps::Drive(*client, worker); })
        {
            QObject::connect(&task, &Task::progress, [this](int code, const QString&) { codes.push_back(code); });
            QObject::connect(&task, &Task::ended, [this](const TaskEnd& done) { end = done; });
            task.Start();
        }
        bool WaitForEnd() { return DeliverUntil(&task, [this] { return end.has_value(); }); }

        std::shared_ptr<CTxt2ImageNetOper> client;
        ServiceTask task;
        std::vector<int> codes;
        std::optional<TaskEnd> end;
    };

    web::json::value CreateBody() const
    {
        const auto requests = m_env.Server().RequestsTo(kCreate);
        return requests.empty() ? web::json::value() : web::json::value::parse(requests.back().body);
    }

    TestEnvironment& m_env = TestEnvironment::Get();
    QTemporaryDir m_out;
    QString m_folder;
    MessageSink m_sink;
};

TEST_F(PaintingClient, OnlyBmpJpgAndPngReferencesAreSent)
{
    ScriptQueries({R"({"data":{"task_status":"RUNNING","task_progress":0}})"});
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const struct
    {
        const char* name;
        const char* format;
        bool sent;
    } cases[] = {{"ref.JPG", "JPG", true}, {"ref.png", "PNG", true}, {"ref.bmp", "BMP", true},
                 {"ref.jpeg", "JPG", false}, {"ref.gif", "PNG", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = m_out.filePath(QString::fromLatin1(c.name));
        ASSERT_TRUE(picture.save(path, c.format));
        CTxt2ImageNetOper client(Request("p", path.toStdString()));
        ASSERT_EQ(client.Start(), CTxt2ImageNetOper::Started);
        const web::json::value body = CreateBody();
        EXPECT_EQ(body.has_field("image"), c.sent);
        if (c.sent) {
            const QByteArray jpeg = QByteArray::fromBase64(QByteArray::fromStdString(body.at("image").as_string()));
            EXPECT_TRUE(jpeg.startsWith("\xFF\xD8")) << "the reference goes as a JPEG";
            EXPECT_EQ(QImage::fromData(jpeg).size(), QSize(40, 30));
            EXPECT_EQ(body.at("change_degree").as_integer(), 1);
        }
    }
}

TEST_F(PaintingClient, UnfinishedPollsContinueUntilImagesArriveAndOnlyPassedOnesAreLogged)
{
    // A task id of its own: the log keeps one record per task, made at its creation.
    m_env.Server().Reply("POST", kCreate, 200, R"({"log_id":1,"data":{"task_id":97}})");
    ScriptQueries({R"({"log_id":2,"data":{"task_status":"SUCCESS","task_progress":0}})", R"({"error_code":0})",
                   Finished("{\"sub_task_error_code\":0,\"final_image_list\":[" + Image(m_env.Server(), "a.png", "pass") +
                            "," + Image(m_env.Server(), "b.png", "block") + "," +
                            Image(m_env.Server(), "c.png", "PASS") + "]}")});
    Run run(Request());
    ASSERT_TRUE(run.WaitForEnd());
    const CTxt2ImageNetOper& client = *run.client;
    EXPECT_EQ(run.codes, (std::vector<int>{PolledSteps::kCreated, 1, 1, 2}));
    const auto create = m_env.Server().RequestsTo(kCreate).at(0);
    EXPECT_EQ(create.target, std::string(kCreate) + "?access_token=paint-token");
    EXPECT_EQ(create.contentType, "application/json");
    EXPECT_EQ(CreateBody().at("version").as_string(), "v2");
    EXPECT_EQ(client.TaskId(), "97") << "an integer task id is kept as its decimal text";

    const std::vector<ImgRetData> results = client.Results();
    ASSERT_EQ(results.size(), 3u);
    for (const ImgRetData& result : results) {
        EXPECT_TRUE(QFile::exists(QString::fromStdString(result.localPath))) << result.localPath;
        EXPECT_EQ(result.width, 64);
    }
    EXPECT_EQ(results[0].localPath, m_folder.toStdString() + "a.png");
    const auto logged = GetPaintingLog().FindTask(QStringLiteral("97"));
    ASSERT_TRUE(logged);
    EXPECT_EQ(logged->Stat, 2);
    EXPECT_EQ(logged->SrcInfo, QStringLiteral("雪山|湖泊"));
    EXPECT_EQ(logged->Files, m_folder + QStringLiteral("a.png|") + m_folder + QStringLiteral("c.png|"));
}

TEST_F(PaintingClient, ServiceErrorsAndSubTaskErrorsReachTheErrorText)
{
    ScriptQueries({R"({"error_code":216630,"error_msg":"服务器忙"})"});
    {
        Run run(Request());
        ASSERT_TRUE(run.WaitForEnd());
        EXPECT_EQ(run.codes, (std::vector<int>{PolledSteps::kCreated, -1}));
        EXPECT_TRUE(run.end->Failed());
        EXPECT_EQ(run.end->error.text, QStringLiteral("服务器忙"));
        EXPECT_EQ(run.end->value.toString(), QStringLiteral("服务器忙")) << "the service's own words";
        EXPECT_EQ(GetPaintingLog().FindTask(QStringLiteral("99"))->Stat, -1);
        EXPECT_EQ(m_env.Server().RequestsTo(kQuery).size(), 1u) << "the task ended";
    }
    ScriptQueries({Finished(R"({"sub_task_error_code":17},{"sub_task_error_code":18},{"sub_task_error_code":0},)"
                            R"({"sub_task_error_code":123,"final_image_list":[)" +
                            Image(m_env.Server(), "missing.png", "pass") + "]}")});
    Run run(Request());
    ASSERT_TRUE(run.WaitForEnd());
    EXPECT_EQ(run.codes.back(), 2);
    EXPECT_EQ(run.end->value.value<PaintingOutcome>().notes.toStdString(), "日配额流量超限QPS超限额未知错误" + m_env.Server().Url("/files/missing.png") +
                                         "?sign=ab&expires=1下载失败");
}

TEST_F(PaintingClient, AddressesWithoutAUsableNameStayInsideTheFolderAndEarlierFilesSurvive)
{
    const QString earlier = m_folder + QStringLiteral("a.png");
    ASSERT_TRUE(WriteBytes(earlier, "an earlier result"));
    const std::string base = m_env.Server().Url("/files");
    ScriptQueries({Finished(R"({"final_image_list":[{"img_url":")" + base + R"(/..?sign=1","img_approve_conclusion":"pass"},)"
                            R"({"img_url":")" + base + R"(/a.png","img_approve_conclusion":"pass"},)"
                            R"({"img_url":")" + base + R"(/x/a.png?v=2","img_approve_conclusion":"pass"},)"
                            R"({"img_url":")" + base + R"(/","img_approve_conclusion":"pass"}]})")});
    Run run(Request());
    ASSERT_TRUE(run.WaitForEnd());
    QSet<QString> paths;
    for (const ImgRetData& result : run.client->Results()) {
        const QString path = QString::fromStdString(result.localPath);
        EXPECT_EQ(QFileInfo(path).absolutePath() + QLatin1Char('/'), m_folder) << result.localPath;
        EXPECT_NE(QFileInfo(path).fileName(), QStringLiteral(".."));
        paths.insert(path);
    }
    EXPECT_EQ(paths.size(), 4) << "no image overwrites another";
    EXPECT_FALSE(paths.contains(earlier));
    EXPECT_EQ(ReadBytes(earlier), QByteArray("an earlier result"));
    EXPECT_TRUE(QDir(m_out.path() + QStringLiteral("/..")).exists());
}

// A stop cancels the download in flight and fetches no more; the images already on disk stay the
// user's, and the history offers them.
TEST_F(PaintingClient, StoppingDuringTheDownloadsKeepsAndRecordsWhatArrived)
{
    m_env.Server().Reply("POST", kCreate, 200, R"({"log_id":1,"data":{"task_id":"t-stop"}})");
    m_env.Server().Stall("GET", "/files/b.png");
    ScriptQueries({Finished("{\"final_image_list\":[" + Image(m_env.Server(), "a.png", "pass") + "," +
                            Image(m_env.Server(), "b.png", "pass") + "," + Image(m_env.Server(), "c.png", "pass") +
                            "]}")});
    Run run(Request());
    ASSERT_TRUE(WaitForRequest("/files/b.png"));
    run.task.Stop();
    ASSERT_TRUE(run.WaitForEnd());
    EXPECT_TRUE(run.end->Stopped()) << "a stopped task is not reported finished";
    EXPECT_EQ(m_env.Server().Answered("/files/b.png"), 0u) << "Stop waited for the download";
    EXPECT_TRUE(m_env.Server().RequestsTo("/files/c.png").empty()) << "the next image was still fetched";
    EXPECT_TRUE(std::find(run.codes.begin(), run.codes.end(), 2) == run.codes.end());
    const QString kept = m_folder + QStringLiteral("a.png");
    EXPECT_EQ(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("a.png")})
        << "no part of the stopped download is left";
    const auto record = GetPaintingLog().FindTask(QStringLiteral("t-stop"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Stat, 2);
    EXPECT_EQ(record->Files, kept + QLatin1Char('|'));
}

// Stopping (as destroying does) cancels the poll in flight without waiting for it and reports
// nothing more; the library's words for that are no error of this task's or of the next one's.
TEST_F(PaintingClient, AStoppedPollLeavesNoErrorTextBehind)
{
    m_env.Server().Stall("POST", kQuery);
    Run run(Request());
    ASSERT_TRUE(WaitForRequest(kQuery));
    run.task.Stop();
    ASSERT_TRUE(run.WaitForEnd());
    EXPECT_TRUE(run.end->Stopped());
    EXPECT_EQ(m_env.Server().Answered(kQuery), 0u) << "Stop waited for the slow reply";
    EXPECT_EQ(run.codes, (std::vector<int>{PolledSteps::kCreated}));
    EXPECT_EQ(run.client->GetErrorText(), "");
    m_env.Server().Reset();
    m_env.GrantTokens("paint-token");
    m_env.Server().Reply("POST", kCreate, 200, R"({"log_id":1,"data":{"task_id":98}})");
    ASSERT_EQ(run.client->Start(), CTxt2ImageNetOper::Started);
    EXPECT_EQ(run.client->GetErrorText(), "");
}

} // namespace
