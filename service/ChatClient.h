#pragma once

#include "service/RequestFailure.h"

#include <cpprest/details/basic_types.h>
#include <cpprest/json.h>
#include <pplx/pplxtasks.h>

// One question to the chat service: the access token in the query, "messages" holding one user
// message, the answer in the reply's "result". The service's own error codes read as its table's
// texts; every other failure is worded by the tool that asks, which names its service to its users.
class ChatClient
{
public:
    // The asking tool's words for what the service's table does not cover.
    struct Wording
    {
        const char* traceName;      // what the debug output calls the reply
        const char* statusFormat;   // %d: the HTTP status
        const char* emptyResult;    // the reply held no text
        const char* malformedReply; // followed by the JSON library's message
        const char* badAddress;     // followed by the reason
    };

    ChatClient(utility::string_t url, const Wording& wording);

    // Sends content as the user's message. True with Answer() set, or false with ErrorText() set;
    // cancelling cancel ends the request at once.
    bool Ask(const utility::string_t& accessToken, const utility::string_t& content,
             const pplx::cancellation_token& cancel);
    // What a reply that arrived with status 200 means, without the network.
    bool ReadReply(const web::json::value& reply);

    const utility::string_t& Answer() const { return m_answer; }
    const utility::string_t& ErrorText() const { return m_failure.text; }
    const RequestFailure& Failure() const { return m_failure; }
    // The service said the access token is invalid or has expired: a new one may succeed.
    bool TokenRefused() const { return m_failure.TokenRefused(); }

private:
    bool AskOnce(const utility::string_t& accessToken, const utility::string_t& content,
                 const pplx::cancellation_token& cancel);
    bool Fail(RequestFailure failure);

    utility::string_t m_url;
    Wording m_wording;
    utility::string_t m_answer;
    RequestFailure m_failure;
};
