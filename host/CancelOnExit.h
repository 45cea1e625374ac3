#pragma once

#include <pplx/pplxtasks.h>

// A cancellation of one request's own that the caller's token reaches too. The registration on
// the caller's token goes with the object, so a token that outlives thousands of requests (a
// poller's) does not collect one callback per request. Leaving cancels the request, which closes
// a connection whose reply was not read to its end.
class CancelOnExit
{
public:
    explicit CancelOnExit(const pplx::cancellation_token& outer);
    ~CancelOnExit();
    CancelOnExit(const CancelOnExit&) = delete;
    CancelOnExit& operator=(const CancelOnExit&) = delete;

    pplx::cancellation_token Token() const { return m_source.get_token(); }

private:
    pplx::cancellation_token_source m_source;
    pplx::cancellation_token m_outer;
    pplx::cancellation_token_registration m_registration;
};
