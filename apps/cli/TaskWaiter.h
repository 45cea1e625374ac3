#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class ProgressLine;

// Stands where a tool window would: receives the messages a client's worker posts, shows each
// reported state on the progress line, and runs the event loop until a code ends the task, the
// time runs out or the user interrupts.
class TaskWaiter : public QObject
{
public:
    // What a reported code means: the state to show, and whether it ends the task.
    struct Step
    {
        QString state;
        bool ends = false;
    };
    using Reading = std::function<Step(int code)>;
    enum class Ending { Finished, TimedOut, Interrupted };


    TaskWaiter(int message, Reading reading, ProgressLine& progress);

    Ending Wait(std::chrono::seconds timeout);
    // The code that ended the task; read after Wait() returned Finished.
    int FinalCode() const;

protected:
    bool event(QEvent* event) override;

private:
    int m_message;
    Reading m_reading;
    ProgressLine& m_progress;
    std::optional<int> m_final;
    std::function<void()> m_quit;
};
