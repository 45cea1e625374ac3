#include "apps/cli/BatchRun.h"

#include "apps/cli/BatchInput.h"
#include "apps/cli/BatchJob.h"
#include "apps/cli/CliArguments.h"
#include "apps/cli/CommandRun.h"
#include "apps/cli/InterruptSignal.h"
#include "apps/cli/OptionReader.h"
#include "apps/cli/TaskWait.h"
#include "service/ServiceTask.h"

#include <QThread>

#include <algorithm>
#include <climits>

struct BatchRun::Item
{
    // Destroyed task first: its body is over once its end has come, and nothing of it needs the
    // job after that.
    std::unique_ptr<CommandRun> run;
    std::unique_ptr<BatchJob> job;
    std::unique_ptr<ServiceTask> task;
    bool holding = false;
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
    m_wait = std::make_unique<TaskWait>(m_run.Progress());
    m_subjects = subjects;
    m_make = &make;
    StartMore();
    m_wait->WaitAll();
    const bool interrupted = m_wait->Interrupted();
    m_wait.reset();
    m_items.clear();
    m_run.Progress().Clear();
    if (interrupted)
        return InterruptSignal::ExitCode();
    return m_failed > 0 ? ExitFailed : ExitOk;
}

void BatchRun::StartMore()
{
    while (m_holding < m_places && int(m_items.size()) < m_subjects.size() && !m_wait->Interrupted()) {
        const int index = int(m_items.size());
        m_items.push_back(std::make_unique<Item>());
        Item& item = *m_items.back();
        item.run = std::make_unique<CommandRun>(m_run, m_subjects[index]);
        item.job = (*m_make)(*item.run, index);
        if (!item.job) {
            Count(ExitFailed);
            continue;
        }
        item.task = std::make_unique<ServiceTask>();
        if (const std::optional<int> status = item.job->Start(*item.task)) {
            Count(*status);
            continue;
        }
        item.holding = item.job->HoldsPlace();
        if (item.holding)
            ++m_holding;
        ++m_running;
        ShowCount();
        m_wait->Follow(
            *item.task, m_timeout,
            [this, &item](int code, const QString&) {
                if (item.holding && !item.job->HoldsPlaceAfter(code)) {
                    Release(item);
                    StartMore();
                }
                return QString();
            },
            [this, &item](TaskWait::Ending ending, const TaskEnd& end) {
                Release(item);
                --m_running;
                Count(item.job->Finish(ending, end));
                StartMore();
            });
    }
    ShowCount();
}

void BatchRun::Release(Item& item)
{
    if (!item.holding)
        return;
    item.holding = false;
    --m_holding;
}

void BatchRun::Count(int status)
{
    ++m_done;
    if (status != ExitOk)
        ++m_failed;
}

void BatchRun::ShowCount()
{
    QString state = QStringLiteral("%1 of %2 done, %3 running").arg(m_done).arg(m_subjects.size()).arg(m_running);
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
