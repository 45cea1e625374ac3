#include "service/Retry.h"

namespace Retry {

int Attempts(const ServiceTask::Worker& worker, int count, std::chrono::milliseconds pause,
             const std::function<int()>& attempt, int stoppedCode)
{
    int code = stoppedCode;
    for (int made = 0; made < count; ++made) {
        if (made > 0 && !worker.Pause(pause))
            return stoppedCode;
        if (worker.Stopping())
            return stoppedCode;
        code = attempt();
        if (code == 0)
            return 0;
    }
    return code;
}

} // namespace Retry
