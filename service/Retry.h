#pragma once

#include <chrono>
#include <functional>

// The one way a task body tries something again: up to count attempts, pause apart, until one
// succeeds. A stop ends the pauses, and no attempt starts once the task is being stopped. control
// is what the body runs under (a task's worker, a run's control): it has Pause and Stopping.
namespace Retry {

// attempt returns 0 when it succeeded, else its failure code; the last attempt's code comes back
// (stoppedCode when stopped before any attempt was made).
template <class Control>
int Attempts(Control& control, int count, std::chrono::milliseconds pause, const std::function<int()>& attempt,
             int stoppedCode)
{
    int code = stoppedCode;
    for (int made = 0; made < count; ++made) {
        if ((made > 0 && !control.Pause(pause)) || control.Stopping())
            return made == 0 ? stoppedCode : code;
        code = attempt();
        if (code == 0)
            return 0;
    }
    return code;
}

} // namespace Retry
