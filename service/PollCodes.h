#pragma once

#include "service/ServiceTask.h"

#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

// The codes a client's own poller reports through its plain callback, queued for a task body that
// drives the client and waits for them on its worker. It stands where the client expects its
// window, hence a QObject; it receives no events.
class PollCodes : public QObject
{
public:
    // The clients' callback: context is the PollCodes given as their window.
    static void Push(void* context, int32_t code);
    void Add(int32_t code);
    // The next code, in order; nothing once the task is being stopped.
    std::optional<int32_t> Next(const ServiceTask::Worker& worker);

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<int32_t> m_codes;
};
