#pragma once

#include "service/ServiceTask.h"
#include "service/TaskEnd.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

// Runs many bodies as service tasks, at most a number of them at once, in the order they were
// added, so that what is needed first is asked for first. The group ends once: with success when
// every body succeeded, or with the first failure, after which nothing more starts and the tasks
// still running are stopped. Its end comes only after every task it started has delivered its own,
// so nothing of the group runs or writes once the end is out. Like a task, Stop() never blocks.
class TaskGroup : public QObject
{
    Q_OBJECT
public:
    explicit TaskGroup(QObject* parent = nullptr);
    ~TaskGroup() override;

    // Before Start.
    void Add(ServiceTask::Body body);
    // A body that has not ended this long after it started fails the group (0: no limit).
    void SetItemLimit(std::chrono::milliseconds limit) { m_limit = limit; }

    // False, and nothing started, when the group is already running or has nothing to run.
    bool Start(int atOnce);
    void Stop();
    bool Busy() const { return m_busy; }

    int Count() const { return int(m_items.size()); }
    int Finished() const { return m_finished; }
    int Running() const { return m_running; }
    // The item whose failure ended the group (-1: none), and whether that was its time running out.
    int FailedItem() const { return m_failedItem; }
    bool TimedOut() const { return m_timedOut; }

signals:
    // One item's state on the way, as its task reported it.
    void progress(int code, const QString& text);
    void itemStarted(int item);
    void itemEnded(int item, const TaskEnd& end);
    void ended(const TaskEnd& end);

private:
    struct Item;

    void StartNext();
    void OnItemEnded(int item, const TaskEnd& end);
    void Fail(int item, const TaskEnd& end, bool timedOut);
    void EndWhenIdle();

    std::vector<std::unique_ptr<Item>> m_items;
    std::chrono::milliseconds m_limit{0};
    int m_atOnce = 1;
    int m_next = 0;
    int m_running = 0;
    int m_finished = 0;
    int m_failedItem = -1;
    bool m_timedOut = false;
    bool m_stopping = false;
    bool m_busy = false;
    bool m_endPosted = false;
    TaskEnd m_end;
};
