#pragma once

#include "service/TaskEnd.h"

#include <QString>

#include <chrono>
#include <functional>

class ProgressLine;
class ServiceTask;

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
};
