#pragma once

#include "apps/cli/TaskWait.h"

#include <QString>

#include <chrono>
#include <optional>

class CommandRun;

// What a command learns of a task that polls a service, from the task's own progress: the
// service's task identifier and why the last poll failed. With them the command's result names the
// task, and a time-out says what went wrong on the way.
class PolledProgress
{
public:
    // noun: what the task makes ("speech", "image"), for the messages.
    explicit PolledProgress(QString noun) : m_noun(std::move(noun)) {}

    // A progress report of the task; the state the progress line shows.
    QString Read(int code, const QString& text);
    // The exit status from how the wait ended (Ctrl-C, the time-out, a failure); nothing when the
    // task succeeded.
    std::optional<int> Finish(CommandRun& run, std::chrono::seconds timeout, TaskWait::Ending ending,
                              const TaskEnd& end) const;

    // The exit status of a wait that the time-out ended, with detail (e.g. " (last state: …)") after
    // its message.
    static int TimedOut(CommandRun& run, const QString& noun, std::chrono::seconds timeout, const QString& detail);

private:
    QString m_noun;
    QString m_taskId;
    QString m_lastError;
};
