#include "host/RequestCancel.h"

#include <stdexcept>

RequestCancel::RequestCancel(const pplx::cancellation_token& outer) : m_outer(outer)
{
    if (m_outer.is_cancelable())
        m_registration = m_outer.register_callback([source = m_source] { source.cancel(); });
}

RequestCancel::~RequestCancel()
{
    // Deregistering waits for a callback that is running on another thread, so the request is
    // never cancelled by it after this point.
    if (m_outer.is_cancelable())
        m_outer.deregister_callback(m_registration);
    if (!m_reply)
        return;
    concurrency::streams::streambuf<uint8_t> body = m_reply->body().streambuf();
    if (body && body.can_write())
        body.close(std::ios_base::out, std::make_exception_ptr(std::runtime_error("the rest of the reply is not wanted")));
}
