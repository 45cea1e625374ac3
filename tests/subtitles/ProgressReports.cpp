#include "ProgressReports.h"

#include <chrono>

ProgressReports::ProgressReports(CWaveToText* object, bool saveOnFinish)
    : m_object(object), m_saveOnFinish(saveOnFinish)
{
}

void ProgressReports::Callback(void* data, int32_t code)
{
    auto* self = static_cast<ProgressReports*>(data);
    if (code == 9 && self->m_saveOnFinish)
        self->m_object->SaveToSrtFile();
    std::lock_guard<std::mutex> lock(self->m_mutex);
    self->m_codes.push_back(code);
    self->m_changed.notify_all();
}

bool ProgressReports::WaitFor(size_t count)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_codes.size() >= count; });
}

std::vector<int32_t> ProgressReports::Codes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_codes;
}
