#pragma once

#include "service/TaskEnd.h"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class CommandRun;
class ProgressLine;
class ServiceTask;
class SrtDubbing;

// The command line's one way to wait for a service task: the event loop runs until the task
// delivers its end, the time runs out or Ctrl-C arrives. A task that did not end by itself is
// stopped, and its end is waited for, so nothing of it runs or writes once this returns.
class TaskWait
{
public:
    enum class Ending { Ended, TimedOut, Interrupted };
    // The state a progress report shows on the progress line (empty: leave the line as it is).
    using Reading = std::function<QString(int code, const QString& text)>;

    // task: started. end receives the task's end, also when it was stopped here.
    static Ending Run(ServiceTask& task, std::chrono::milliseconds timeout, ProgressLine& progress,
                      const Reading& reading, TaskEnd& end);

    // The same for a subtitle file's dubbing, whose tasks run a few at once.
    static Ending Run(SrtDubbing& dubbing, std::chrono::milliseconds timeout, ProgressLine& progress, TaskEnd& end);

    // Waits as Run does and turns every ending but the task's success into the command's exit
    // status: Ctrl-C's, the time-out's ("no NOUN came within N s") or the task's failure. Nothing
    // when the task succeeded; its end is in end.
    static std::optional<int> ForSuccess(CommandRun& run, ServiceTask& task, std::chrono::seconds timeout,
                                         const QString& noun, TaskEnd& end);
};
