#pragma once

#include "service/LockedCopy.h"
#include "service/RequestFailure.h"

#include <cpprest/details/basic_types.h>
#include <pplx/pplxtasks.h>

#include <functional>
#include <mutex>

// What every client that makes tasks with a service keeps alike: the service's address, the
// credentials and the access token they buy, and the failure of the last request, which the
// owner reads while the task's worker writes it.
class TokenClient
{
public:
    TokenClient(const TokenClient&) = delete;
    TokenClient& operator=(const TokenClient&) = delete;

    utility::string_t GetErrorText() const { return LockedCopy(m_fieldsMutex, m_failure.text); }
    // What kind of failure the error text tells of.
    TaskError::Kind FailureKind() const { return LockedCopy(m_fieldsMutex, m_failure.kind); }

protected:
    TokenClient(utility::string_t url, utility::string_t apiKey, utility::string_t secretKey);
    ~TokenClient() = default;

    // A token for the credentials (a kept one while it lasts). Whatever the last request left is
    // no longer this one's failure: the token's reply replaces it.
    bool FetchToken(const pplx::cancellation_token& cancel);
    // Runs request with the token, and once more with a new one when the service no longer takes
    // it; false with the failure set when it failed.
    bool WithToken(const std::function<bool()>& request, const pplx::cancellation_token& cancel);
    void SetError(RequestFailure failure);
    // The run's end on the last failure, its code one of codes' (TaskError::domain); the failure's
    // words are also its value when asked.
    TaskEnd Failure(int code, const char* codes, bool wordsAsValue = false) const;

    const utility::string_t m_url;
    utility::string_t m_accessToken;
    mutable std::mutex m_fieldsMutex; // guards the failure and each client's own results
    RequestFailure m_failure;

private:
    const utility::string_t m_apiKey;
    const utility::string_t m_secretKey;
};
