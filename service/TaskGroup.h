#pragma once

#include "service/ServiceTask.h"
#include "service/Task.h"

#include <QString>

#include <memory>
#include <vector>

// Many tasks run as one: in the order they were added, at most a number of them at once (one makes
// a sequence), each made only when its turn comes. A group is itself a task, so groups nest. It
// ends once, and only after every item it started has delivered its own end, so nothing of the
// group runs or writes once its end is out:
// - StopOnFailure: the first failure stops the items under way, starts no more and is the group's
//   end;
// - RunAll: every item runs to its end; the group fails with the first failure, if any.
// A success carries the items' values, in the order they were added. Stopping the group stops its
// items; it then ends as stopped.
class TaskGroup : public Task
{
    Q_OBJECT
public:
    enum class Policy { StopOnFailure, RunAll };
    // No limit on the items at once.
    static constexpr int kAllAtOnce = 0;

    explicit TaskGroup(QObject* parent = nullptr);
    ~TaskGroup() override;

    // Before Start.
    void Add(TaskMaker make);
    void Add(ServiceTask::Body body);
    void SetLimit(int atOnce) { m_atOnce = atOnce; }
    void SetPolicy(Policy policy) { m_policy = policy; }

    // False, and nothing started, when the group is already running or has nothing to run.
    bool Start() override;
    bool Start(int atOnce);
    void Stop() override;
    bool Busy() const override { return m_busy; }

    // The item goes on, but no longer takes one of the places the limit counts: the part of its
    // work the limit is for is over (an upload done, a service task created, and what is left is
    // waiting for the service).
    void FreePlace(int item);

    int Count() const { return int(m_items.size()); }
    int Finished() const { return m_finished; }
    int Running() const { return m_running; }
    // The item whose failure ended the group (-1: none).
    int FailedItem() const { return m_failedItem; }
    // An item's task while it runs (null before and after): for its own signals and state.
    Task* ItemTask(int item) const;

signals:
    void itemStarted(int item);
    void itemEnded(int item, const TaskEnd& end);

private:
    struct Item;

    void StartNext();
    // An item's end: counted, its value kept, a failure judged by the policy.
    void Record(int item, const TaskEnd& end);
    void Fail(int item, const TaskEnd& end);
    void EndWhenIdle();

    std::vector<std::unique_ptr<Item>> m_items;
    Policy m_policy = Policy::StopOnFailure;
    int m_atOnce = 1;
    int m_next = 0;
    int m_running = 0;
    int m_holding = 0; // running items that take a place
    int m_finished = 0;
    int m_failedItem = -1;
    bool m_stopped = false;
    bool m_busy = false;
    bool m_endPosted = false;
    bool m_starting = false;
    TaskEnd m_failure;
};
