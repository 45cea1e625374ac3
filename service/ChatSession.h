#pragma once

#include "service/ChatClient.h"
#include "service/TokenClient.h"

#include <cpprest/details/basic_types.h>
#include <pplx/pplxtasks.h>

// The chat service asked with an account's token: the token fetched once, and a question asked
// once more with a new token when the service no longer takes the old one. Every tool that asks
// the chat service asks through this.
class ChatSession : public TokenClient
{
public:
    ChatSession(utility::string_t url, utility::string_t apiKey, utility::string_t secretKey,
                const ChatClient::Wording& wording);

    using TokenClient::Failure;
    using TokenClient::FetchToken;
    // Sends content as the user's message: true with Answer() set, false with the failure set.
    bool Ask(const utility::string_t& content, const pplx::cancellation_token& cancel);
    const utility::string_t& Answer() const { return m_chat.Answer(); }
    RequestFailure LastFailure() const { return LockedCopy(m_fieldsMutex, m_failure); }

private:
    ChatClient m_chat;
};
