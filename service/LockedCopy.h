#pragma once

#include <mutex>
#include <utility>

// A copy of a field taken under the mutex that guards it: a client's owner reads what the task's
// worker writes.
template <typename T>
T LockedCopy(std::mutex& mutex, const T& field)
{
    std::lock_guard<std::mutex> lock(mutex);
    return field;
}

// Sets a field under the mutex that guards it: a task's worker writes what the owner reads.
template <typename T, typename Value>
void LockedSet(std::mutex& mutex, T& field, Value&& value)
{
    std::lock_guard<std::mutex> lock(mutex);
    field = std::forward<Value>(value);
}
