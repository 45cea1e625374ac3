#include "service/TaskGroup.h"

#include <QTimer>

struct TaskGroup::Item
{
    ServiceTask::Body body;
    ServiceTask task;
    QTimer limit;
};

TaskGroup::TaskGroup(QObject* parent) : QObject(parent) {}

// The tasks stop their bodies as they go, and report nothing more.
TaskGroup::~TaskGroup() = default;

void TaskGroup::Add(ServiceTask::Body body)
{
    if (m_busy)
        return;
    auto item = std::make_unique<Item>();
    item->body = std::move(body);
    const int index = int(m_items.size());
    connect(&item->task, &ServiceTask::progress, this, &TaskGroup::progress);
    connect(&item->task, &ServiceTask::ended, this, [this, index](const TaskEnd& end) { OnItemEnded(index, end); });
    item->limit.setSingleShot(true);
    connect(&item->limit, &QTimer::timeout, this, [this, index] {
        Fail(index, TaskEnd::Failure(TaskError::Kind::Network, 0, QString()), true);
    });
    m_items.push_back(std::move(item));
}

bool TaskGroup::Start(int atOnce)
{
    if (m_busy || m_items.empty() || m_next > 0)
        return false;
    m_atOnce = atOnce < 1 ? 1 : atOnce;
    m_busy = true;
    m_end = TaskEnd::Success();
    StartNext();
    return true;
}

void TaskGroup::Stop()
{
    if (!m_busy || m_stopping)
        return;
    m_stopping = true;
    m_end = TaskEnd::Stop();
    for (const auto& item : m_items)
        item->task.Stop();
    EndWhenIdle();
}

void TaskGroup::StartNext()
{
    while (!m_stopping && m_running < m_atOnce && m_next < Count()) {
        const int index = m_next++;
        Item& item = *m_items[size_t(index)];
        if (!item.task.Start(std::move(item.body))) {
            Fail(index, TaskEnd::Failure(TaskError::Kind::Local, -1, QStringLiteral("the task could not start")), false);
            return;
        }
        ++m_running;
        if (m_limit.count() > 0)
            item.limit.start(m_limit);
        emit itemStarted(index);
    }
    EndWhenIdle();
}

void TaskGroup::OnItemEnded(int item, const TaskEnd& end)
{
    m_items[size_t(item)]->limit.stop();
    --m_running;
    if (end.Succeeded())
        ++m_finished;
    emit itemEnded(item, end);
    // Only the first failure counts; those that follow are mostly the stop it caused.
    if (!end.Succeeded() && !m_stopping)
        Fail(item, end, false);
    StartNext();
}

void TaskGroup::Fail(int item, const TaskEnd& end, bool timedOut)
{
    if (m_stopping)
        return;
    m_stopping = true;
    m_failedItem = item;
    m_timedOut = timedOut;
    m_end = end.Stopped() ? TaskEnd::Failure(TaskError::Kind::Local, -1, QStringLiteral("the task was stopped"))
                          : end;
    for (const auto& each : m_items)
        each->task.Stop();
    EndWhenIdle();
}

void TaskGroup::EndWhenIdle()
{
    if (!m_busy || m_endPosted || m_running > 0 || (!m_stopping && m_next < Count()))
        return;
    m_endPosted = true;
    // Delivered from the event loop, as a task's end is, never from inside Start or Stop; busy
    // until then, so a waiter that looks in between still waits for it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_busy = false;
            emit ended(m_end);
        },
        Qt::QueuedConnection);
}
