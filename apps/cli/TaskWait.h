#pragma once

#include "service/TaskEnd.h"

#include <QEventLoop>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <optional>

class CommandRun;
class ProgressLine;
class ServiceTask;

// The command line's one way to wait for service tasks: one event loop runs until every task it
// follows has delivered its end; a task whose time runs out, and every task once Ctrl-C arrives, is
// stopped, and its end is waited for, so nothing of it runs or writes once the wait is over.
class TaskWait
{
public:
    enum class Ending { Ended, TimedOut, Interrupted };
    // The state a progress report shows on the progress line (empty: leave the line as it is).
    using Reading = std::function<QString(int code, const QString& text)>;
    // How the wait for one task ended, and the task's end (also when it was stopped here).
    using Done = std::function<void(Ending ending, const TaskEnd& end)>;

    explicit TaskWait(ProgressLine& progress);
    ~TaskWait();
    TaskWait(const TaskWait&) = delete;
    TaskWait& operator=(const TaskWait&) = delete;

    // No time-out: the task ends by itself, by its own limits, or by Ctrl-C.
    static constexpr std::chrono::milliseconds kNoLimit{0};

    // task: started; a service task, or a run of several that reports and ends as one does (the
    // same two signals, Busy, a Stop that never blocks). Its time (kNoLimit: none) counts from here. May be called
    // before WaitAll and from a Done or a Reading while it runs; a task followed after Ctrl-C is
    // stopped at once.
    template <class Waited>
    void Follow(Waited& task, std::chrono::milliseconds timeout, Reading reading, Done done)
    {
        if (!task.Busy()) {
            done(Ending::Ended, TaskEnd());
            return;
        }
        Followed* followed = Add([&task] { task.Stop(); }, std::move(reading), std::move(done));
        Watch(followed,
              QObject::connect(&task, &Waited::ended, &m_loop,
                               [this, followed](const TaskEnd& end) { Ended(followed, end); }),
              QObject::connect(&task, &Waited::progress, &m_loop,
                               [this, followed](int code, const QString& text) { Progressed(followed, code, text); }));
        Arm(followed, timeout);
    }
    // Runs the event loop until no task is followed. False when Ctrl-C arrived.
    bool WaitAll();
    bool Interrupted() const;

    // task: started. end receives the task's end, also when it was stopped here.
    template <class Waited>
    static Ending Run(Waited& task, std::chrono::milliseconds timeout, ProgressLine& progress,
                      const Reading& reading, TaskEnd& end)
    {
        TaskWait wait(progress);
        Ending ending = Ending::Ended;
        wait.Follow(task, timeout, reading, [&](Ending how, const TaskEnd& done) {
            ending = how;
            end = done;
        });
        wait.WaitAll();
        return ending;
    }

    // Waits as Run does and turns every ending but the task's success into the command's exit
    // status: Ctrl-C's, the time-out's ("no NOUN came within N s") or the task's failure. Nothing
    // when the task succeeded; its end is in end.
    static std::optional<int> ForSuccess(CommandRun& run, ServiceTask& task, std::chrono::seconds timeout,
                                         const QString& noun, TaskEnd& end);
    // The same for a wait that has ended: the exit status, or nothing for the task's success.
    static std::optional<int> Judge(CommandRun& run, Ending ending, const TaskEnd& end, std::chrono::seconds timeout,
                                    const QString& noun);

private:
    struct Followed;

    Followed* Add(std::function<void()> stop, Reading reading, Done done);
    void Watch(Followed* followed, QMetaObject::Connection onEnd, QMetaObject::Connection onProgress);
    void Arm(Followed* followed, std::chrono::milliseconds timeout);
    void Progressed(Followed* followed, int code, const QString& text);
    void Ended(Followed* followed, const TaskEnd& end);
    void StopAll();

    ProgressLine& m_progress;
    QEventLoop m_loop;
    std::list<std::unique_ptr<Followed>> m_followed;
    bool m_interrupted = false;
};
