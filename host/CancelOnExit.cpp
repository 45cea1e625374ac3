#include "host/CancelOnExit.h"

CancelOnExit::CancelOnExit(const pplx::cancellation_token& outer) : m_outer(outer)
{
    if (m_outer.is_cancelable())
        m_registration = m_outer.register_callback([source = m_source] { source.cancel(); });
}

CancelOnExit::~CancelOnExit()
{
    // Deregistering waits for a callback that is running on another thread, so the source is
    // never cancelled by it after this point.
    if (m_outer.is_cancelable())
        m_outer.deregister_callback(m_registration);
    m_source.cancel();
}
