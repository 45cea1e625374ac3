#pragma once

#include "service/ServiceTask.h"

#include <chrono>
#include <functional>

// The one way a task body tries something again: up to count attempts, pause apart, until one
// succeeds. A stop ends the pauses, and no attempt starts once the task is being stopped.
namespace Retry {

// attempt returns 0 when it succeeded, else its failure code; the last attempt's code comes back
// (that of the first attempt not made when stopped before it).
int Attempts(const ServiceTask::Worker& worker, int count, std::chrono::milliseconds pause,
             const std::function<int()>& attempt, int stoppedCode);

} // namespace Retry
