#include "service/TokenClient.h"

#include "service/AccessToken.h"

TokenClient::TokenClient(utility::string_t url, utility::string_t apiKey, utility::string_t secretKey)
    : m_url(std::move(url)), m_apiKey(std::move(apiKey)), m_secretKey(std::move(secretKey))
{
}

bool TokenClient::FetchToken(const pplx::cancellation_token& cancel)
{
    RequestFailure failure;
    const bool token = GetAccessToken(m_apiKey, m_secretKey, m_accessToken, failure, cancel);
    SetError(failure);
    return token;
}

bool TokenClient::WithToken(const std::function<bool()>& request, const pplx::cancellation_token& cancel)
{
    RequestFailure renewal;
    const auto refused = [this] { return LockedCopy(m_fieldsMutex, m_failure).TokenRefused(); };
    if (AttemptWithToken(m_apiKey, m_secretKey, m_accessToken, request, refused, renewal, cancel))
        return true;
    if (renewal)
        SetError(renewal);
    return false;
}

void TokenClient::SetError(RequestFailure failure)
{
    LockedSet(m_fieldsMutex, m_failure, std::move(failure));
}

TaskEnd TokenClient::Failure(int code, const char* codes, bool wordsAsValue) const
{
    std::lock_guard<std::mutex> lock(m_fieldsMutex);
    const QString text = QString::fromStdString(m_failure.text);
    return TaskEnd::Failure({m_failure.kind, code, text, codes}, wordsAsValue ? text : QString());
}
