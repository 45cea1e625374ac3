#pragma once

#include "service/Task.h"
#include "service/TaskEnd.h"
#include "service/TaskRun.h"

#include <QString>

#include <functional>
#include <memory>

// The base of every service call the windows and the command line make: Start() returns at once and
// runs the body on a worker of its own; the body's progress and its one end reach the thread that
// owns the task as queued signals carrying copies. Stop() cancels the request in flight and never
// blocks: the end (stopped, or the real end when the body was already done) still arrives, once. A
// task destroyed while it runs stops its body and reports nothing more. A body never waits for
// another worker, so no number of tasks can starve the pool they run on.
class ServiceTask : public Task
{
    Q_OBJECT
public:
    // What the body has on its worker: the run's control, and a way to report progress.
    class Worker
    {
    public:
        const pplx::cancellation_token& Token() const { return m_control.Token(); }
        bool Stopping() const { return m_control.Stopping(); }
        bool Pause(std::chrono::milliseconds duration) const { return m_control.Pause(duration); }
        // A state on the way; dropped once the task is being stopped.
        void Report(int code, const QString& text = QString()) const;
        // The run's control, for steps written for any run of the pool.
        TaskControl& Control() const { return m_control; }

    private:
        friend class ServiceTask;
        Worker(TaskControl& control, std::function<void(int, const QString&)> report)
            : m_control(control), m_report(std::move(report))
        {
        }
        TaskControl& m_control;
        std::function<void(int, const QString&)> m_report;
    };
    using Body = std::function<TaskEnd(const Worker&)>;

    explicit ServiceTask(QObject* parent = nullptr);
    // A task that runs body at each Start().
    explicit ServiceTask(Body body, QObject* parent = nullptr);
    ~ServiceTask() override;

    // False, and nothing started, while the previous start has not delivered its end.
    bool Start() override;
    // Makes body the task's body, then starts it.
    bool Start(Body body);
    // Cancels the run; its end follows as a signal. Does nothing when no run is under way.
    void Stop() override;
    // From Start until the end has been delivered.
    bool Busy() const override { return m_busy; }
    // Waits at most limit for the body to return (for the command line, hosts and tests); the end
    // is still delivered by the event loop.
    bool WaitForBody(std::chrono::milliseconds limit) const;

protected:
    bool event(QEvent* event) override;

private:
    struct Mailbox;

    Body m_body;
    TaskRun m_run;
    std::shared_ptr<Mailbox> m_mailbox;
    quint64 m_generation = 0;
    bool m_busy = false;
};
