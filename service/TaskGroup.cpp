#include "service/TaskGroup.h"

#include <QVariantList>

namespace {

const char* const kNotMade = "任务无法开始";
const char* const kStoppedItem = "任务被停止";

} // namespace

struct TaskGroup::Item
{
    TaskMaker make;
    std::unique_ptr<Task> task;
    QVariant value;
    bool holding = false;
};

TaskGroup::TaskGroup(QObject* parent) : Task(parent) {}

// The items' tasks stop their work as they go, and report nothing more.
TaskGroup::~TaskGroup() = default;

void TaskGroup::Add(TaskMaker make)
{
    if (m_busy)
        return;
    auto item = std::make_unique<Item>();
    item->make = std::move(make);
    m_items.push_back(std::move(item));
}

void TaskGroup::Add(ServiceTask::Body body)
{
    Add([body = std::move(body)]() -> std::unique_ptr<Task> { return std::make_unique<ServiceTask>(body); });
}

bool TaskGroup::Start(int atOnce)
{
    SetLimit(atOnce);
    return Start();
}

bool TaskGroup::Start()
{
    if (m_busy || m_items.empty() || m_next > 0)
        return false;
    if (m_atOnce < 0)
        m_atOnce = 1;
    m_busy = true;
    StartNext();
    return true;
}

void TaskGroup::Stop()
{
    if (!m_busy || m_stopped)
        return;
    m_stopped = true;
    for (const auto& item : m_items) {
        if (item->task)
            item->task->Stop();
    }
    EndWhenIdle();
}

void TaskGroup::FreePlace(int item)
{
    if (item < 0 || item >= Count() || !m_items[size_t(item)]->holding)
        return;
    m_items[size_t(item)]->holding = false;
    --m_holding;
    StartNext();
}

Task* TaskGroup::ItemTask(int item) const
{
    return item >= 0 && item < Count() ? m_items[size_t(item)]->task.get() : nullptr;
}

void TaskGroup::StartNext()
{
    // Started again from an item's signal while it starts the items before it.
    if (m_starting)
        return;
    m_starting = true;
    while (!m_stopped && !(m_failedItem >= 0 && m_policy == Policy::StopOnFailure) &&
           (m_atOnce == kAllAtOnce || m_holding < m_atOnce) && m_next < Count()) {
        const int index = m_next++;
        Item& item = *m_items[size_t(index)];
        item.task = item.make ? item.make() : nullptr;
        item.make = nullptr;
        if (!item.task) {
            Record(index, TaskEnd::Failure(TaskError::Kind::Local, -1, QString::fromUtf8(kNotMade)));
            continue;
        }
        connect(item.task.get(), &Task::progress, this, &Task::progress);
        connect(item.task.get(), &Task::ended, this, [this, index](const TaskEnd& end) {
            Record(index, end);
            StartNext();
        });
        ++m_running;
        ++m_holding;
        item.holding = true;
        if (!item.task->Start()) {
            Record(index, TaskEnd::Failure(TaskError::Kind::Local, -1, QString::fromUtf8(kNotMade)));
            continue;
        }
        emit itemStarted(index);
    }
    m_starting = false;
    EndWhenIdle();
}

void TaskGroup::Record(int item, const TaskEnd& end)
{
    Item& ended = *m_items[size_t(item)];
    if (ended.holding) {
        ended.holding = false;
        --m_holding;
    }
    if (ended.task) {
        --m_running;
        // Not here: its signal is still being delivered. It goes with the next event.
        ended.task.release()->deleteLater();
    }
    if (end.Succeeded()) {
        ++m_finished;
        ended.value = end.value;
    }
    emit itemEnded(item, end);
    // A stop the group asked for is not the item's failure.
    if (!end.Succeeded() && !m_stopped && !(end.Stopped() && m_failedItem >= 0))
        Fail(item, end);
}

void TaskGroup::Fail(int item, const TaskEnd& end)
{
    if (m_failedItem >= 0)
        return;
    m_failedItem = item;
    m_failure = end.Stopped() ? TaskEnd::Failure(TaskError::Kind::Local, -1, QString::fromUtf8(kStoppedItem)) : end;
    if (m_policy != Policy::StopOnFailure)
        return;
    for (const auto& each : m_items) {
        if (each->task)
            each->task->Stop();
    }
}

void TaskGroup::EndWhenIdle()
{
    const bool more = !m_stopped && m_next < Count() && !(m_failedItem >= 0 && m_policy == Policy::StopOnFailure);
    if (!m_busy || m_endPosted || m_running > 0 || more)
        return;
    m_endPosted = true;
    // Delivered from the event loop, as a task's end is, never from inside Start or Stop; busy
    // until then, so a waiter that looks in between still waits for it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            TaskEnd end = m_failure;
            if (m_stopped)
                end = TaskEnd::Stop();
            else if (m_failedItem < 0) {
                QVariantList values;
                for (const auto& item : m_items)
                    values << item->value;
                end = TaskEnd::Success(values);
            }
            m_busy = false;
            emit ended(end);
        },
        Qt::QueuedConnection);
}
