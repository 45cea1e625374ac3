#include "support/ProgressRecorder.h"

void ProgressRecorder::Record(void* context, int32_t code)
{
    auto* recorder = static_cast<ProgressRecorder*>(context);
    if (recorder->onCode)
        recorder->onCode(code);
    std::lock_guard<std::mutex> lock(recorder->m_mutex);
    recorder->m_codes.push_back(code);
    recorder->m_changed.notify_all();
}

bool ProgressRecorder::WaitUntil(const std::function<bool(const std::vector<int32_t>&)>& done,
                                 std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return done(m_codes); });
}

std::vector<int32_t> ProgressRecorder::Codes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_codes;
}
