#include "service/TaskGroup.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Runs the event loop until the group has delivered its end (at most 10 s).
TaskEnd WaitForEnd(TaskGroup& group)
{
    TaskEnd end;
    QEventLoop loop;
    QObject::connect(&group, &TaskGroup::ended, &loop, [&](const TaskEnd& done) {
        end = done;
        loop.quit();
    });
    QTimer::singleShot(10s, &loop, &QEventLoop::quit);
    if (group.Busy())
        loop.exec();
    return end;
}

TEST(TaskGroup, StartsInOrderNoMoreThanAskedAtOnceAndEndsOnTheFirstFailure)
{
    struct Case
    {
        int atOnce;
        int failing; // -1: none
        std::vector<int> started;
    };
    const Case cases[] = {{2, -1, {0, 1, 2, 3, 4, 5}}, {1, 2, {0, 1, 2}}, {6, -1, {0, 1, 2, 3, 4, 5}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.atOnce);
        TaskGroup group;
        for (int i = 0; i < 6; ++i)
            group.Add([i, &c](const ServiceTask::Worker&) {
                return i == c.failing ? TaskEnd::Failure(TaskError::Kind::Service, 7, QStringLiteral("refused"))
                                      : TaskEnd::Success(i);
            });
        std::vector<int> started;
        int mostAtOnce = 0;
        QObject::connect(&group, &TaskGroup::itemStarted, [&](int item) {
            started.push_back(item);
            mostAtOnce = std::max(mostAtOnce, group.Running());
        });
        ASSERT_TRUE(group.Start(c.atOnce));
        const TaskEnd end = WaitForEnd(group);
        EXPECT_FALSE(group.Busy());
        EXPECT_EQ(started, c.started);
        EXPECT_LE(mostAtOnce, c.atOnce);
        EXPECT_EQ(end.Succeeded(), c.failing < 0);
        EXPECT_EQ(group.FailedItem(), c.failing);
        EXPECT_EQ(end.error.text, c.failing >= 0 ? QStringLiteral("refused") : QString());
    }
}

TEST(TaskGroup, AnItemPastItsLimitIsStoppedAndFailsTheGroup)
{
    TaskGroup group;
    group.Add([](const ServiceTask::Worker& worker) {
        return worker.Pause(60s) ? TaskEnd::Success() : TaskEnd::Stop();
    });
    group.SetItemLimit(50ms);
    ASSERT_TRUE(group.Start(1));
    const TaskEnd end = WaitForEnd(group);
    EXPECT_TRUE(end.Failed());
    EXPECT_TRUE(group.TimedOut());
    EXPECT_EQ(group.FailedItem(), 0);
}

} // namespace
