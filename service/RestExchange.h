#pragma once

#include "host/AddressSlot.h"
#include "host/RequestCancel.h"

#include <cpprest/http_client.h>
#include <cpprest/json.h>
#include <pplx/pplxtasks.h>

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>

// A reply that could not be read to its end: cut off, or larger than the reader allows.
class UnreadableReply : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One request and its reply. Sending waits for the reply's status and headers; the body is read
// on demand and only as far as the caller allows. A body that is not read to its end is not
// received further once the exchange is done with it (see RequestCancel), so a service that sends
// far too much is not buffered in the background.
class RestExchange
{
public:
    // The request is made by make, afresh for each time it is sent: once more on a fresh connection
    // when a kept one turns out to have been closed by the server, and again after a pause that
    // grows (or the one the reply asks for) while the service answers 429 (too many requests), for
    // as long as a request may wait in all. Throws what the library throws when no reply comes;
    // cancelling cancel (a worker's stop) cancels the request.
    using RequestMaker = std::function<web::http::http_request()>;
    RestExchange(web::http::client::http_client& client, const RequestMaker& make,
                 const pplx::cancellation_token& cancel = pplx::cancellation_token::none());
    ~RestExchange();
    RestExchange(const RestExchange&) = delete;
    RestExchange& operator=(const RestExchange&) = delete;

    web::http::status_code Status() const { return m_response.status_code(); }
    const web::http::http_headers& Headers() const { return m_response.headers(); }

    // The body, at most limit bytes. A longer body throws (with the message a user sees), and so
    // does a body the connection cut off.
    std::string ReadBody(size_t limit);
    // The body as JSON, at most RestClient::kMaxJsonReplyBytes; an empty body is the null value, a
    // malformed one throws web::json::json_exception, and so does one not declared as JSON when
    // declaredOnly is set.
    web::json::value ReadJson(bool declaredOnly = false);

private:
    // Held until the reply has been read, or dropped.
    AddressSlot m_place;
    web::http::http_response m_response;
    // Last, so that it goes first: what is left of the reply is not received once we are done.
    RequestCancel m_cancel;
};
