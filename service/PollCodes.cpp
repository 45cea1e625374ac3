#include "service/PollCodes.h"

void PollCodes::Push(void* context, int32_t code)
{
    static_cast<PollCodes*>(static_cast<QObject*>(context))->Add(code);
}

void PollCodes::Add(int32_t code)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_codes.push_back(code);
    }
    m_arrived.notify_all();
}

std::optional<int32_t> PollCodes::Next(const ServiceTask::Worker& worker)
{
    const pplx::cancellation_token token = worker.Token();
    pplx::cancellation_token_registration registration;
    if (token.is_cancelable()) {
        registration = token.register_callback([this] {
            // Under the lock, so that the waiter cannot miss it between its look and its wait.
            std::lock_guard<std::mutex> lock(m_mutex);
            m_arrived.notify_all();
        });
    }
    std::optional<int32_t> code;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_arrived.wait(lock, [&] { return !m_codes.empty() || worker.Stopping(); });
        if (!worker.Stopping()) {
            code = m_codes.front();
            m_codes.pop_front();
        }
    }
    if (token.is_cancelable())
        token.deregister_callback(registration);
    return code;
}
