#pragma once

#include "service/ServiceTask.h"

#include <QString>

#include <chrono>
#include <optional>

// A service that works on a task of its own, as the steps one task body drives on its worker:
// create the service's task, poll it until it has an end, and fetch its result. The body is the
// only loop; a step never starts a thread or waits for another one.
class PolledSteps
{
public:
    // How one poll found the service's task.
    enum class Polled {
        Running, // not done yet, or this poll failed (the step reported why): ask again
        Ready,   // done; its result is to be fetched
        Over,    // ended without a result to fetch: the end says how
    };

    virtual ~PolledSteps() = default;

    // Creates the service's task (its token first). Nothing when it was created; else how the run
    // ends.
    virtual std::optional<TaskEnd> Create(const ServiceTask::Worker& worker) = 0;
    // The service's identifier of the task created.
    virtual QString TaskId() const = 0;
    // One poll; reports its state as progress. end is set for Over.
    virtual Polled Poll(const ServiceTask::Worker& worker, TaskEnd& end) = 0;
    // Fetches a Ready task's result: how the run ends, or nothing to poll again and fetch anew.
    virtual std::optional<TaskEnd> Fetch(const ServiceTask::Worker& worker) { (void)worker; return TaskEnd::Success(); }
    // Between two polls.
    virtual std::chrono::milliseconds Interval() const = 0;
    // Called once the run has ended, whatever ended it, on the worker: nothing of the run may be
    // left behind (a name reserved for a result that never came).
    virtual void Finish(const TaskEnd& end) { (void)end; }

    // The progress code of the creation (text "task ID: created"); the clients' own codes are small.
    static constexpr int kCreated = -1000;

    // A poll's progress text: "task ID: STATE", and the reason in brackets after a failed one.
    static QString StateText(const QString& taskId, const QString& state, const QString& reason = QString());
    // The reason a StateText carries; empty when it has none.
    static QString ReasonOf(const QString& text);

    // The one polling loop: create, poll every Interval() until an end, fetch. A stop ends it at
    // once, between polls or in a request; a failed poll is progress, never an end.
    static TaskEnd Drive(PolledSteps& steps, const ServiceTask::Worker& worker);
};
