#pragma once

#include <cpprest/http_msg.h>
#include <pplx/pplxtasks.h>

#include <optional>

// One request's cancellation. The caller's token (a worker's stop) reaches the request, and the
// registration on it goes with the object, so a token that outlives thousands of requests (a
// poller's) does not collect one callback per request.
//
// When the object goes, a reply body still arriving is not received further: its buffer refuses
// more, and the library ends the request on its own thread at the next piece that arrives.
// Cancelling the request instead would close its socket from this thread, which races with the
// library's own reads of the socket.
class RequestCancel
{
public:
    explicit RequestCancel(const pplx::cancellation_token& outer);
    ~RequestCancel();
    RequestCancel(const RequestCancel&) = delete;
    RequestCancel& operator=(const RequestCancel&) = delete;

    pplx::cancellation_token Token() const { return m_source.get_token(); }
    // The reply whose body is dropped when this object goes.
    void Watch(const web::http::http_response& reply) { m_reply = reply; }

private:
    pplx::cancellation_token_source m_source;
    pplx::cancellation_token m_outer;
    pplx::cancellation_token_registration m_registration;
    std::optional<web::http::http_response> m_reply;
};
