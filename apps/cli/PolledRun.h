#pragma once

#include "apps/cli/TaskWait.h"
#include "service/PolledClient.h"

#include <QString>

#include <chrono>
#include <optional>

class CommandRun;

// A client that polls on its own, run as a service task the command waits on with TaskWait: the
// task's state on the progress line as "task ID: …", the wait bounded by the time-out and cut short
// by Ctrl-C, and the client stopped whatever ended the wait, so nothing is written after the
// command has ended.
namespace PolledRun {

// noun: what the task makes ("speech", "image"), for the messages. An exit status when the command
// ends here (the start failed, Ctrl-C, the time-out); nothing when a code ended the task: that
// code is in finalCode.
std::optional<int> Wait(CommandRun& run, const QString& noun, const PolledClient& client,
                        std::chrono::seconds timeout, int& finalCode);
// Wait in two halves, for a command that waits on many: the start on task, and the exit status
// from how the wait ended, as Wait gives it.
void Start(CommandRun& run, const QString& noun, const PolledClient& client, ServiceTask& task);
std::optional<int> Finish(CommandRun& run, const QString& noun, const PolledClient& client,
                          std::chrono::seconds timeout, TaskWait::Ending ending, const TaskEnd& end, int& finalCode);

// The exit status of a wait that the time-out ended, with detail (e.g. " (last state: …)") after
// its message.
int TimedOut(CommandRun& run, const QString& noun, std::chrono::seconds timeout, const QString& detail);

} // namespace PolledRun
