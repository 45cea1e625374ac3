#include "service/ChatSession.h"

ChatSession::ChatSession(utility::string_t url, utility::string_t apiKey, utility::string_t secretKey,
                         const ChatClient::Wording& wording)
    : TokenClient(std::move(url), std::move(apiKey), std::move(secretKey)), m_chat(m_url, wording)
{
}

bool ChatSession::Ask(const utility::string_t& content, const pplx::cancellation_token& cancel)
{
    const auto ask = [&] {
        if (m_chat.Ask(m_accessToken, content, cancel))
            return true;
        SetError(m_chat.Failure());
        return false;
    };
    return WithToken(ask, cancel);
}
