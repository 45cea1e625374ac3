#include "service/PolledSteps.h"
#include "service/ResultFile.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"
#include "service/ServiceTask.h"
#include "support/Delivery.h"
#include "support/FakeServer.h"
#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

using namespace std::chrono_literals;

// What a task delivered to its owner's thread, in order.
struct Delivered
{
    explicit Delivered(ServiceTask& task)
    {
        QObject::connect(&task, &ServiceTask::progress, &task, [this](int code, const QString&) {
            progressAfterEnd = progressAfterEnd || !ends.empty();
            progress.push_back(code);
        });
        QObject::connect(&task, &ServiceTask::ended, &task, [this](const TaskEnd& end) { ends.push_back(end); });
    }

    std::vector<int> progress;
    std::vector<TaskEnd> ends;
    bool progressAfterEnd = false;
};

// The events a task posted after its end, if any slipped through, are delivered by now.
void Drain()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Delivers the task's events until its end has arrived (at most limit), then drains.
bool WaitForEnd(ServiceTask& task, std::chrono::milliseconds limit = 10s)
{
    const bool ended = DeliverUntil(&task, [&task] { return !task.Busy(); }, limit);
    Drain();
    return ended;
}

TEST(ServiceTask, ReportsItsProgressAndThenExactlyOneEndWithTheResultsCopy)
{
    ServiceTask task;
    Delivered delivered(task);
    ASSERT_TRUE(task.Start([](const ServiceTask::Worker& worker) {
        for (int step = 1; step <= 3; ++step)
            worker.Report(step);
        return TaskEnd::Success(QStringLiteral("/results/a.txt"));
    }));
    EXPECT_TRUE(task.Busy());
    EXPECT_FALSE(task.Start([](const ServiceTask::Worker&) { return TaskEnd::Success(); }))
        << "a second start while the first has not ended";
    ASSERT_TRUE(WaitForEnd(task));
    EXPECT_EQ(delivered.progress, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(delivered.ends.size(), 1u);
    EXPECT_TRUE(delivered.ends[0].Succeeded());
    EXPECT_EQ(delivered.ends[0].value.toString(), QStringLiteral("/results/a.txt"));
    EXPECT_FALSE(delivered.progressAfterEnd);

    // The task can run again once its end has arrived, and each start ends once.
    ASSERT_TRUE(task.Start([](const ServiceTask::Worker&) {
        return TaskEnd::Failure(TaskError::Kind::Service, -2, QStringLiteral("refused"));
    }));
    ASSERT_TRUE(WaitForEnd(task));
    ASSERT_EQ(delivered.ends.size(), 2u);
    EXPECT_TRUE(delivered.ends[1].Failed());
    EXPECT_EQ(delivered.ends[1].error.code, -2);
    EXPECT_EQ(delivered.ends[1].error.text, QStringLiteral("refused"));
}

TEST(ServiceTask, ABodyThatThrowsStillEndsOnceAsAFailure)
{
    ServiceTask task;
    Delivered delivered(task);
    ASSERT_TRUE(task.Start([](const ServiceTask::Worker&) -> TaskEnd { throw std::runtime_error("broken reply"); }));
    ASSERT_TRUE(WaitForEnd(task)) << "an exception on the worker swallowed the end";
    ASSERT_EQ(delivered.ends.size(), 1u);
    EXPECT_TRUE(delivered.ends[0].Failed());
    EXPECT_EQ(delivered.ends[0].error.text, QStringLiteral("broken reply"));
}

TEST(ServiceTask, AStopCancelsTheRequestInFlightAndEndsAsStoppedNotFailed)
{
    FakeServer server;
    server.Stall("POST", "/slow");
    ServiceTask task;
    Delivered delivered(task);
    const std::string url = server.Url("");
    ASSERT_TRUE(task.Start([url](const ServiceTask::Worker& worker) {
        try {
            web::http::client::http_client client = RestClient::Make(url);
            worker.Report(1);
            RestExchange exchange(
                client,
                [] {
                    web::http::http_request request(web::http::methods::POST);
                    request.set_request_uri("/slow");
                    return request;
                },
                worker.Token());
            return TaskEnd::Success();
        } catch (const std::exception& e) {
            return TaskEnd::Failure(TaskError::Kind::Network, -2, QString::fromUtf8(e.what()));
        }
    }));
    // The stop comes once the request is on its way to a server that will not answer for 20 s.
    ASSERT_TRUE(DeliverUntil(&task, [&server] { return !server.RequestsTo("/slow").empty(); }, 10s));
    QElapsedTimer stopping;
    stopping.start();
    task.Stop();
    ASSERT_TRUE(WaitForEnd(task));
    EXPECT_LT(stopping.elapsed(), 2000) << "the request was waited out instead of cancelled";
    ASSERT_EQ(delivered.ends.size(), 1u);
    EXPECT_TRUE(delivered.ends[0].Stopped()) << "a request the stop cut short is the stop, not a failure";
    server.ReleaseStalls();
}

// Polls as scripted: codes 0 (failed) and 1 (running) go on, 2 is ready to fetch; no code left,
// it polls on for ever.
class ScriptedPolls : public PolledSteps
{
public:
    ScriptedPolls(std::vector<int> codes, std::chrono::milliseconds interval)
        : m_codes(std::move(codes)), m_interval(interval)
    {
    }
    std::optional<TaskEnd> Create(const ServiceTask::Worker&) override { return std::nullopt; }
    QString TaskId() const override { return QStringLiteral("t1"); }
    Polled Poll(const ServiceTask::Worker& worker, TaskEnd&) override
    {
        const int code = m_next < m_codes.size() ? m_codes[m_next++] : 0;
        if (code == 2)
            return Polled::Ready;
        worker.Report(code, StateText(TaskId(), QStringLiteral("state"), code == 0 ? QStringLiteral("why") : QString()));
        return Polled::Running;
    }
    std::optional<TaskEnd> Fetch(const ServiceTask::Worker&) override
    {
        // The first fetch fails and is tried again after the next poll.
        return ++m_fetches == 1 ? std::nullopt : std::optional<TaskEnd>(TaskEnd::Success(m_fetches));
    }
    std::chrono::milliseconds Interval() const override { return m_interval; }
    void Finish(const TaskEnd& end) override { finished = end.Succeeded() ? 1 : end.Stopped() ? 2 : 3; }

    static inline std::atomic<int> finished{0};

private:
    std::vector<int> m_codes;
    size_t m_next = 0;
    int m_fetches = 0;
    std::chrono::milliseconds m_interval;
};

TEST(ServiceTask, APollThatFailsIsProgressAndOnlyTheTasksOwnEndOrAStopEndsIt)
{
    ServiceTask task;
    Delivered delivered(task);
    // Two failed polls, one pending, ready (the fetch fails), ready again (fetched).
    ASSERT_TRUE(task.Start([](const ServiceTask::Worker& worker) {
        ScriptedPolls steps({0, 0, 1, 2, 2}, 1ms);
        return PolledSteps::Drive(steps, worker);
    }));
    ASSERT_TRUE(WaitForEnd(task));
    EXPECT_EQ(delivered.progress, (std::vector<int>{PolledSteps::kCreated, 0, 0, 1}));
    ASSERT_EQ(delivered.ends.size(), 1u);
    EXPECT_TRUE(delivered.ends[0].Succeeded());
    EXPECT_EQ(delivered.ends[0].value.toInt(), 2);
    EXPECT_EQ(ScriptedPolls::finished, 1);
    EXPECT_EQ(PolledSteps::ReasonOf(PolledSteps::StateText(QStringLiteral("t1"), QStringLiteral("x"), QStringLiteral("a (b)"))),
              QStringLiteral("a (b)"));

    // A poller that never finishes ends with the stop, at once, however long its interval.
    ASSERT_TRUE(task.Start([](const ServiceTask::Worker& worker) {
        ScriptedPolls steps({}, 1h);
        return PolledSteps::Drive(steps, worker);
    }));
    ASSERT_TRUE(DeliverUntil(&task, [&delivered] { return delivered.progress.size() == 6; }, 10s))
        << "the second run never polled";
    task.Stop();
    ASSERT_TRUE(WaitForEnd(task, 2s));
    ASSERT_EQ(delivered.ends.size(), 2u);
    EXPECT_TRUE(delivered.ends[1].Stopped());
    EXPECT_EQ(ScriptedPolls::finished, 2) << "the steps hear of the stop";
}

TEST(ServiceTask, ATaskDestroyedWhileRunningStopsItsBodyAndReportsNothingMore)
{
    auto stopped = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<Delivered> delivered;
    {
        ServiceTask task;
        delivered = std::make_shared<Delivered>(task);
        ASSERT_TRUE(task.Start([stopped](const ServiceTask::Worker& worker) {
            worker.Pause(1h);
            *stopped = worker.Stopping();
            worker.Report(7);
            return TaskEnd::Success();
        }));
        // The window closes: its task goes without waiting for the body.
    }
    ASSERT_TRUE(TaskRun::WaitForAll(10s)) << "the body did not end after its task was destroyed";
    Drain();
    EXPECT_TRUE(*stopped);
    EXPECT_TRUE(delivered->progress.empty());
    EXPECT_TRUE(delivered->ends.empty());
}

TEST(ResultFile, ATakenNameGetsTheNextFreeNumberAndNothingIsWrittenOver)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString wanted = folder.filePath(QStringLiteral("Audio2026_12_07_10_00_00.mp3"));
    ASSERT_TRUE(WriteBytes(wanted, "earlier result"));
    QFile second;
    ASSERT_TRUE(ResultFile::Create(wanted, second));
    EXPECT_EQ(second.fileName(), folder.filePath(QStringLiteral("Audio2026_12_07_10_00_00_2.mp3")));
    EXPECT_EQ(ResultFile::Reserve(wanted), folder.filePath(QStringLiteral("Audio2026_12_07_10_00_00_3.mp3")));
    EXPECT_EQ(ReadBytes(wanted), QByteArray("earlier result"));

    EXPECT_EQ(ResultFile::Numbered(QStringLiteral("/a.b/name"), 2), QStringLiteral("/a.b/name_2"));
    EXPECT_EQ(ResultFile::Numbered(QStringLiteral("/a/.hidden"), 3), QStringLiteral("/a/.hidden_3"));
    QString error;
    EXPECT_TRUE(ResultFile::Reserve(folder.filePath(QStringLiteral("missing/x.txt")), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("missing/x.txt"))) << error.toStdString();
}

// A disk that fills up mid-write leaves no truncated result to be handed on: a new result leaves
// nothing at all, and a run again leaves its earlier file as it was.
TEST(ResultFile, AWriteThatCannotFinishLeavesNothingHalfWritten)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString ownPath = folder.filePath(QStringLiteral("own.srt"));
    ASSERT_TRUE(WriteBytes(ownPath, "the earlier run's file"));
    // Less than a write buffer holds, so a short write shows only when the buffer is flushed.
    const QByteArray large(6000, 'x');
    const struct
    {
        const char* name;
        bool own;
        QStringList left;
    } cases[] = {{"new.srt", false, {QStringLiteral("own.srt")}}, {"own.srt", true, {QStringLiteral("own.srt")}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString path = folder.filePath(QString::fromUtf8(c.name));
        QString error;
        {
            FileSizeLimit full(4096);
            ASSERT_TRUE(full.IsSet());
            EXPECT_FALSE(ResultFile::Write(path, large, c.own, &error));
        }
        EXPECT_TRUE(error.startsWith(QStringLiteral("无法写入文件"))) << error.toStdString();
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), c.left);
    }
    EXPECT_EQ(ReadBytes(ownPath), QByteArray("the earlier run's file"));

    QString path = folder.filePath(QStringLiteral("own.srt"));
    ASSERT_TRUE(ResultFile::Write(path, large));
    EXPECT_EQ(path, folder.filePath(QStringLiteral("own_2.srt")));
    EXPECT_EQ(QFileInfo(path).size(), large.size());
}

} // namespace
