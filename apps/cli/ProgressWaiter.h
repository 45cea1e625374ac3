#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <optional>

// Stands where a tool window would: receives the progress messages a client's worker posts and
// runs the event loop until a code ends the task or the time runs out.
class ProgressWaiter : public QObject
{
public:
    ProgressWaiter(int message, std::function<bool(int code)> ends);

    // The code that ended the task, or nothing when the time ran out first.
    std::optional<int> Wait(std::chrono::seconds timeout);

protected:
    bool event(QEvent* event) override;

private:
    int m_message;
    std::function<bool(int)> m_ends;
    std::optional<int> m_final;
    std::function<void()> m_quit;
};
