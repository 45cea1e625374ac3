#include "apps/cli/BatchRun.h"

#include "apps/cli/BatchInput.h"
#include "apps/cli/BatchJob.h"
#include "apps/cli/CliArguments.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/InterruptSignal.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/TaskWait.h"
#include "service/ServiceTask.h"
#include "service/TaskGroup.h"
#include "service/TimeLimit.h"

#include <QThread>

#include <algorithm>
#include <climits>

namespace {

// A job's task as an item of the group: starting it starts the job, which may end the item at once
// (a source that is not there) with a status of its own instead of a task.
class JobTask : public Task
{
public:
    JobTask(BatchJob& job, std::optional<int>& status) : m_job(job), m_status(status)
    {
        connect(&m_task, &Task::progress, this, &Task::progress);
        connect(&m_task, &Task::ended, this, &Task::ended);
    }
    bool Start() override
    {
        m_status = m_job.Start(m_task);
        return !m_status;
    }
    void Stop() override { m_task.Stop(); }
    bool Busy() const override { return m_task.Busy(); }

private:
    BatchJob& m_job;
    std::optional<int>& m_status;
    ServiceTask m_task;
};

} // namespace

struct BatchRun::Item
{
    std::unique_ptr<CommandRun> run;
    std::unique_ptr<BatchJob> job;
    // The item's status when it ended without a task.
    std::optional<int> status;
    const TimeLimit* limit = nullptr;
};

BatchRun::BatchRun(CommandRun& run, int places, std::chrono::seconds timeout)
    : m_run(run)
    , m_places(places)
    , m_timeout(timeout)
{
}

BatchRun::~BatchRun() = default;

int BatchRun::Execute(const QStringList& subjects, const Make& make)
{
    m_total = int(subjects.size());
    TaskGroup group;
    group.SetPolicy(TaskGroup::Policy::RunAll);
    group.SetLimit(m_places);
    for (int index = 0; index < m_total; ++index) {
        m_items.push_back(std::make_unique<Item>());
        group.Add([this, &make, subject = subjects[index], index]() -> std::unique_ptr<Task> {
            Item& item = *m_items[size_t(index)];
            item.run = std::make_unique<CommandRun>(m_run, subject);
            item.job = make(*item.run, index);
            if (!item.job) {
                item.status = ExitFailed;
                return nullptr;
            }
            auto limited = std::make_unique<TimeLimit>(std::make_unique<JobTask>(*item.job, item.status), m_timeout,
                                                       QString());
            item.limit = limited.get();
            return limited;
        });
    }
    QObject::connect(&group, &TaskGroup::itemStarted, &group, [this, &group](int index) {
        Item& item = *m_items[size_t(index)];
        ++m_running;
        ShowCount();
        if (!item.job->HoldsPlace())
            group.FreePlace(index);
        QObject::connect(group.ItemTask(index), &Task::progress, &group, [&group, &item, index](int code) {
            if (!item.job->HoldsPlaceAfter(code))
                group.FreePlace(index);
        });
    });
    QObject::connect(&group, &TaskGroup::itemEnded, &group, [this](int index, const TaskEnd& end) {
        Item& item = *m_items[size_t(index)];
        if (item.status) {
            Count(*item.status);
        } else {
            --m_running;
            Count(item.job->Finish(Ending(item, end), end));
        }
        item.limit = nullptr;
        ShowCount();
    });
    m_wait = std::make_unique<TaskWait>(m_run.Progress());
    ShowCount();
    if (group.Start())
        m_wait->Follow(group, TaskWait::kNoLimit, {}, [](TaskWait::Ending, const TaskEnd&) {});
    m_wait->WaitAll();
    const bool interrupted = m_wait->Interrupted();
    m_wait.reset();
    m_items.clear();
    m_run.Progress().Clear();
    if (interrupted)
        return InterruptSignal::ExitCode();
    return m_failed > 0 ? ExitFailed : ExitOk;
}

TaskWait::Ending BatchRun::Ending(const Item& item, const TaskEnd& end) const
{
    if (m_wait->Interrupted())
        return TaskWait::Ending::Interrupted;
    return item.limit && item.limit->Expired() && !end.Succeeded() ? TaskWait::Ending::TimedOut
                                                                    : TaskWait::Ending::Ended;
}

void BatchRun::Count(int status)
{
    ++m_done;
    if (status != ExitOk)
        ++m_failed;
}

void BatchRun::ShowCount()
{
    QString state = QStringLiteral("%1 of %2 done, %3 running").arg(m_done).arg(m_total).arg(m_running);
    if (m_failed > 0)
        state += QStringLiteral(", %1 failed").arg(m_failed);
    m_run.Progress().SetState(state);
}

int BatchRun::One(CommandRun& run, BatchJob& job, std::chrono::seconds timeout)
{
    ServiceTask task;
    if (const std::optional<int> status = job.Start(task))
        return *status;
    TaskEnd end;
    const TaskWait::Ending ending = TaskWait::Run(task, timeout, run.Progress(),
                                                  [&job](int code, const QString& text) { return job.Read(code, text); },
                                                  end);
    return job.Finish(ending, end);
}

int BatchRun::OverTexts(CommandRun& run, const BatchInput& input, int places, std::chrono::seconds timeout,
                        const QString& textKey, const MakeForText& make)
{
    if (!input.FromFile())
        return One(run, *make(run, input.texts.front()), timeout);
    BatchRun batch(run, places, timeout);
    return batch.Execute(input.subjects, [&](CommandRun& item, int index) {
        item.Set(QStringLiteral("line"), input.lines[index]);
        if (!textKey.isEmpty())
            item.Set(textKey, input.texts[index]);
        if (!input.problems[index].isEmpty()) {
            item.Fail(input.problems[index]);
            return std::unique_ptr<BatchJob>();
        }
        return make(item, input.texts[index]);
    });
}

int BatchRun::Places(OptionReader& options, int fallback)
{
    return options.Integer(QStringLiteral("jobs"), fallback, 1, INT_MAX);
}

int BatchRun::CorePlaces()
{
    return std::max(1, QThread::idealThreadCount());
}

QStringList BatchRun::Names()
{
    return {QStringLiteral("jobs")};
}
