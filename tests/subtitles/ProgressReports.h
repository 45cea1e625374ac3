#pragma once

#include "subtitles/CWaveToText.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

// The owner's side of a transcription object's progress callback: records every code, and on 9
// writes the subtitle file from the callback as the task manager does.
class ProgressReports
{
public:
    explicit ProgressReports(CWaveToText* object = nullptr, bool saveOnFinish = false);

    static void Callback(void* data, int32_t code);

    // Waits up to 20 seconds until count codes have come.
    bool WaitFor(size_t count);
    std::vector<int32_t> Codes() const;

private:
    CWaveToText* m_object;
    bool m_saveOnFinish;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<int32_t> m_codes;
};
