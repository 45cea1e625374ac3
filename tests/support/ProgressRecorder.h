#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

// Stands in for the owner of a client that reports through a plain callback: records every code,
// in order, from whatever thread reports it.
class ProgressRecorder
{
public:
    // The callback; the context is the recorder.
    static void Record(void* context, int32_t code);

    // Waits until done(codes) holds or the time runs out; returns done(codes).
    bool WaitUntil(const std::function<bool(const std::vector<int32_t>&)>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool WaitForCodes(size_t count) { return WaitUntil([count](const auto& codes) { return codes.size() >= count; }); }
    std::vector<int32_t> Codes() const;

    // Runs on every code before it is recorded, on the reporting thread: an owner's own work.
    std::function<void(int32_t)> onCode;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<int32_t> m_codes;
};
