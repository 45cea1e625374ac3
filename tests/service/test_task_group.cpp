#include "service/PolledSteps.h"
#include "service/TaskGroup.h"
#include "service/TaskRun.h"
#include "service/TimeLimit.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Runs the event loop until the task has delivered its end (at most 20 s); the end, or a marker
// failure when none came.
TaskEnd WaitForEnd(Task& task)
{
    TaskEnd end = TaskEnd::Failure(TaskError::Kind::None, -99, QStringLiteral("no end"));
    QEventLoop loop;
    QObject::connect(&task, &Task::ended, &loop, [&](const TaskEnd& done) {
        end = done;
        loop.quit();
    });
    QTimer::singleShot(20s, &loop, &QEventLoop::quit);
    if (task.Busy())
        loop.exec();
    return end;
}

TaskEnd Refused()
{
    return TaskEnd::Failure(TaskError::Kind::Service, 7, QStringLiteral("refused"));
}

// A body that waits until stopped; a stop ends it as stopped.
ServiceTask::Body Waits()
{
    return [](const ServiceTask::Worker& worker) { return worker.Pause(1h) ? TaskEnd::Success() : TaskEnd::Stop(); };
}

// What a group told about its items.
struct Watched
{
    std::vector<int> started;
    std::vector<int> ended;
    int mostAtOnce = 0;
    int runningAtEnd = -1;

    explicit Watched(TaskGroup& group)
    {
        QObject::connect(&group, &TaskGroup::itemStarted, [this, &group](int item) {
            started.push_back(item);
            mostAtOnce = std::max(mostAtOnce, group.Running());
        });
        QObject::connect(&group, &TaskGroup::itemEnded, [this](int item, const TaskEnd&) { ended.push_back(item); });
        QObject::connect(&group, &Task::ended, [this, &group](const TaskEnd&) { runningAtEnd = group.Running(); });
    }
};

TEST(TaskGroup, StartsInOrderNoMoreThanItsLimitAtOnceAndJudgesFailuresByItsPolicy)
{
    struct Case
    {
        int limit;
        TaskGroup::Policy policy;
        int failing; // -1: none
        std::vector<int> started;
        int finished;
    };
    using P = TaskGroup::Policy;
    const Case cases[] = {
        {2, P::StopOnFailure, -1, {0, 1, 2, 3, 4, 5}, 6},
        {1, P::StopOnFailure, 2, {0, 1, 2}, 2},
        {6, P::StopOnFailure, -1, {0, 1, 2, 3, 4, 5}, 6},
        {1, P::RunAll, 2, {0, 1, 2, 3, 4, 5}, 5},
        {TaskGroup::kAllAtOnce, P::RunAll, 4, {0, 1, 2, 3, 4, 5}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "limit " << c.limit << ", failing " << c.failing);
        TaskGroup group;
        group.SetPolicy(c.policy);
        for (int i = 0; i < 6; ++i)
            group.Add([i, &c](const ServiceTask::Worker&) { return i == c.failing ? Refused() : TaskEnd::Success(i); });
        const Watched watched(group);
        group.SetLimit(c.limit);
        ASSERT_TRUE(group.Start());
        const TaskEnd end = WaitForEnd(group);
        EXPECT_FALSE(group.Busy());
        EXPECT_EQ(watched.started, c.started);
        if (c.limit != TaskGroup::kAllAtOnce) {
            EXPECT_LE(watched.mostAtOnce, c.limit);
        }
        EXPECT_EQ(group.Finished(), c.finished);
        EXPECT_EQ(end.Succeeded(), c.failing < 0);
        EXPECT_EQ(group.FailedItem(), c.failing);
        EXPECT_EQ(end.error.text, c.failing >= 0 ? QStringLiteral("refused") : QString());
        if (end.Succeeded()) {
            EXPECT_EQ(end.value.toList(), (QVariantList{0, 1, 2, 3, 4, 5})) << "values in the order added";
        }
    }
}

// The limit counts the items that take a place: one whose place is freed goes on beside the next.
TEST(TaskGroup, AnItemThatFreesItsPlaceLetsTheNextStartAndStillEndsTheGroup)
{
    TaskGroup group;
    for (int i = 0; i < 3; ++i)
        group.Add([](const ServiceTask::Worker& worker) {
            worker.Report(1);
            return worker.Pause(50ms) ? TaskEnd::Success(1) : TaskEnd::Stop();
        });
    int mostAtOnce = 0;
    QObject::connect(&group, &TaskGroup::itemStarted, [&](int item) {
        mostAtOnce = std::max(mostAtOnce, group.Running());
        // Freed at its first report: the next item starts while it runs.
        QObject::connect(group.ItemTask(item), &Task::progress, &group, [&group, item] { group.FreePlace(item); });
    });
    ASSERT_TRUE(group.Start(1));
    const TaskEnd end = WaitForEnd(group);
    ASSERT_TRUE(end.Succeeded()) << end.error.text.toStdString();
    EXPECT_EQ(end.value.toList().size(), 3);
    EXPECT_GT(mostAtOnce, 1) << "a freed place was not given to the next item";
    EXPECT_EQ(group.Running(), 0);
}

TEST(TaskGroup, EndsOnlyAfterEveryItemItStartedHasEnded)
{
    // A failure while two others wait: they are stopped, and the group's end comes after theirs.
    TaskGroup group;
    group.Add(Waits());
    group.Add(Waits());
    group.Add([](const ServiceTask::Worker& worker) {
        worker.Pause(20ms);
        return Refused();
    });
    group.Add([](const ServiceTask::Worker&) { return TaskEnd::Success(); });
    const Watched watched(group);
    ASSERT_TRUE(group.Start(3));
    const TaskEnd end = WaitForEnd(group);
    EXPECT_TRUE(end.Failed());
    EXPECT_EQ(end.error.code, 7);
    EXPECT_EQ(group.FailedItem(), 2);
    EXPECT_EQ(watched.started, (std::vector<int>{0, 1, 2})) << "nothing starts after the failure";
    EXPECT_EQ(watched.ended.size(), watched.started.size());
    EXPECT_EQ(watched.runningAtEnd, 0);
}

TEST(TaskGroup, AStopInAnyPhaseEndsItOnceAsStoppedWithNothingLeftRunning)
{
    enum class Phase { BeforeAnyEnd, WhileItemsWait, AfterAFailure };
    for (const Phase phase : {Phase::BeforeAnyEnd, Phase::WhileItemsWait, Phase::AfterAFailure}) {
        SCOPED_TRACE(int(phase));
        TaskGroup group;
        group.SetPolicy(TaskGroup::Policy::RunAll);
        auto made = std::make_shared<int>(0);
        for (int i = 0; i < 5; ++i) {
            group.Add([made, i]() -> std::unique_ptr<Task> {
                ++*made;
                return std::make_unique<ServiceTask>(i == 0 ? ServiceTask::Body([](const ServiceTask::Worker&) {
                    return Refused();
                })
                                                            : Waits());
            });
        }
        const Watched watched(group);
        int ends = 0;
        QObject::connect(&group, &Task::ended, [&ends](const TaskEnd&) { ++ends; });
        ASSERT_TRUE(group.Start(2));
        if (phase == Phase::WhileItemsWait)
            QTimer::singleShot(20ms, &group, [&group] { group.Stop(); });
        else if (phase == Phase::AfterAFailure)
            QObject::connect(&group, &TaskGroup::itemEnded, &group, [&group](int, const TaskEnd&) { group.Stop(); });
        else
            group.Stop();
        const TaskEnd end = WaitForEnd(group);
        EXPECT_TRUE(end.Stopped());
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(watched.runningAtEnd, 0);
        EXPECT_EQ(watched.ended.size(), watched.started.size());
        EXPECT_LE(*made, 3) << "items not yet due are never made";
    }
}

TEST(TaskGroup, GroupsNestAndTheirItemsAreMadeWhenTheirTurnComes)
{
    TaskGroup outer;
    auto made = std::make_shared<std::vector<int>>();
    for (int g = 0; g < 3; ++g) {
        outer.Add([made, g]() -> std::unique_ptr<Task> {
            made->push_back(g);
            auto inner = std::make_unique<TaskGroup>();
            for (int i = 0; i < 2; ++i)
                inner->Add([g, i](const ServiceTask::Worker&) { return TaskEnd::Success(g * 10 + i); });
            inner->SetLimit(TaskGroup::kAllAtOnce);
            return inner;
        });
    }
    int madeBeforeStart = int(made->size());
    ASSERT_TRUE(outer.Start(1));
    const TaskEnd end = WaitForEnd(outer);
    EXPECT_EQ(madeBeforeStart, 0);
    ASSERT_TRUE(end.Succeeded()) << end.error.text.toStdString();
    EXPECT_EQ(*made, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(end.value.toList().at(2).toList(), (QVariantList{20, 21}));

    // An item that cannot be made is that item's failure.
    TaskGroup broken;
    broken.Add([]() -> std::unique_ptr<Task> { return nullptr; });
    ASSERT_TRUE(broken.Start());
    const TaskEnd failed = WaitForEnd(broken);
    EXPECT_TRUE(failed.Failed());
    EXPECT_EQ(broken.FailedItem(), 0);
}

TEST(TimeLimit, ATaskPastItsTimeIsStoppedAndEndsAsTimedOutInWordsOneThatEndsFirstEndsAsItEnded)
{
    TimeLimit late(std::make_unique<ServiceTask>(Waits()), 50ms, QStringLiteral("no answer within %1 s"));
    ASSERT_TRUE(late.Start());
    const TaskEnd expired = WaitForEnd(late);
    ASSERT_TRUE(expired.Failed());
    EXPECT_EQ(expired.error.kind, TaskError::Kind::TimedOut);
    EXPECT_EQ(expired.error.text, QStringLiteral("no answer within 1 s"));
    EXPECT_TRUE(late.Expired());

    TimeLimit quick(std::make_unique<ServiceTask>([](const ServiceTask::Worker&) { return TaskEnd::Success(5); }), 10s,
                    QString());
    ASSERT_TRUE(quick.Start());
    const TaskEnd done = WaitForEnd(quick);
    EXPECT_TRUE(done.Succeeded());
    EXPECT_EQ(done.value.toInt(), 5);

    // Stopped by its owner, it ends as stopped, not as timed out.
    TimeLimit stopped(std::make_unique<ServiceTask>(Waits()), 10s, QString());
    ASSERT_TRUE(stopped.Start());
    stopped.Stop();
    EXPECT_TRUE(WaitForEnd(stopped).Stopped());
}

// A service task that is done after a few polls, the last one ready to fetch.
class ScriptedSteps : public PolledSteps
{
public:
    explicit ScriptedSteps(int polls) : m_polls(polls) {}
    std::optional<TaskEnd> Create(const ServiceTask::Worker&) override { return std::nullopt; }
    QString TaskId() const override { return QStringLiteral("t"); }
    Polled Poll(const ServiceTask::Worker& worker, TaskEnd&) override
    {
        worker.Report(1);
        return --m_polls > 0 ? Polled::Running : Polled::Ready;
    }
    std::chrono::milliseconds Interval() const override { return 1ms; }

private:
    int m_polls;
};

TEST(TaskGroup, MorePolledTasksThanThePoolHasThreadsAllFinish)
{
    // Each polled task holds one thread from its creation to its end and never waits for another:
    // twelve at once on two threads finish, two at a time.
    const int before = TaskRun::PoolSize();
    TaskRun::SetPoolSize(2);
    TaskGroup group;
    for (int i = 0; i < 12; ++i) {
        group.Add([](const ServiceTask::Worker& worker) {
            ScriptedSteps steps(3);
            return PolledSteps::Drive(steps, worker);
        });
    }
    ASSERT_TRUE(group.Start(TaskGroup::kAllAtOnce));
    const TaskEnd end = WaitForEnd(group);
    TaskRun::SetPoolSize(before);
    EXPECT_TRUE(end.Succeeded()) << end.error.text.toStdString();
    EXPECT_EQ(group.Finished(), 12);
}

} // namespace
