#pragma once

#include <mutex>

// A copy of a field taken under the mutex that guards it: a client's owner reads what the task's
// worker writes.
template <typename T>
T LockedCopy(std::mutex& mutex, const T& field)
{
    std::lock_guard<std::mutex> lock(mutex);
    return field;
}
