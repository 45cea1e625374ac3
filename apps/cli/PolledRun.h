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

// The start on task, for a command that waits on one or many; noun: what the task makes
// ("speech", "image"), for the messages.
void Start(CommandRun& run, const QString& noun, const PolledClient& client, ServiceTask& task);
// The exit status from how the wait ended (Ctrl-C, the time-out, a failure); nothing when a code
// ended the task: that code is in finalCode.
std::optional<int> Finish(CommandRun& run, const QString& noun, const PolledClient& client,
                          std::chrono::seconds timeout, TaskWait::Ending ending, const TaskEnd& end, int& finalCode);

// The exit status of a wait that the time-out ended, with detail (e.g. " (last state: …)") after
// its message.
int TimedOut(CommandRun& run, const QString& noun, std::chrono::seconds timeout, const QString& detail);

} // namespace PolledRun
