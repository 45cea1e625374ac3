#pragma once

#include "apps/cli/TaskWaiter.h"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

class CommandRun;

// A service task a client polls on a worker of its own while the command waits: its state on the
// progress line as "task ID: …", the wait bounded by the time-out and cut short by Ctrl-C, and the
// poller stopped whatever ended the wait, so nothing is written after the command has ended.
class PolledTask
{
public:
    // The state of one poll code in words, and whether it ends the task.
    using Reading = std::function<TaskWaiter::Step(int code)>;

    // message: the one the client posts its poll codes with. noun: what the task makes ("speech",
    // "image"), for the messages. Shows that the task is being created.
    PolledTask(CommandRun& run, int message, const QString& noun, Reading reading);

    // Where the client's start sends its poll codes.
    QObject* Receiver() { return &m_waiter; }

    // Waits on a client that started: an exit status when the command ends here (interrupted or
    // timed out), nothing when a code ended the task (FinalCode()).
    template <class Client>
    std::optional<int> Wait(Client& client, std::chrono::seconds timeout)
    {
        Created(QString::fromStdString(client.TaskId()));
        const TaskWaiter::Ending ending = m_waiter.Wait(timeout);
        client.Stop();
        return Ended(m_run, ending, m_noun, timeout, LastError(client.GetErrorText()));
    }

    int FinalCode() const { return m_waiter.FinalCode(); }

    // The exit status of a wait that ended without the task: Ctrl-C, or the time-out with the
    // detail (e.g. " (last state: …)") after its message. Nothing when the task ended it.
    static std::optional<int> Ended(CommandRun& run, TaskWaiter::Ending ending, const QString& noun,
                                    std::chrono::seconds timeout, const QString& detail);

private:
    void Created(const QString& taskId);
    static QString LastError(const std::string& error);

    CommandRun& m_run;
    QString m_noun;
    QString m_task;
    Reading m_reading;
    TaskWaiter m_waiter;
};
