#pragma once

#include <pplx/pplxtasks.h>

#include <chrono>
#include <optional>

// How a request waits for a service that says it has too many requests (HTTP 429, or a code of its
// own): a pause before asking again that starts at half a second and doubles up to eight, or the
// one the service asks for, for as long as one request may wait in all (RestClient's time-out).
class BusyWait
{
public:
    BusyWait();

    // Waits the next pause on the calling worker. False, at once, when the request's time is up or
    // cancel came first: then the request ends with the service's answer as it is.
    bool Wait(const pplx::cancellation_token& cancel, std::optional<std::chrono::milliseconds> asked = std::nullopt);

private:
    std::chrono::steady_clock::time_point m_until;
    std::chrono::milliseconds m_pause;
};
