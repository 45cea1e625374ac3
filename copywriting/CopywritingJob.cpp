#include "copywriting/CopywritingJob.h"

#include "copywriting/CopywritingErrors.h"
#include "copywriting/CopywritingFileName.h"
#include "service/AccessToken.h"
#include "service/AigcSettings.h"
#include "service/JsonReaders.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"
#include "service/TransLog.h"

#include <QString>

#include <cpprest/http_client.h>

#include <exception>
#include <optional>

CopywritingJob::CopywritingJob(utility::string_t topic, utility::string_t outputFolder)
    : m_topic(std::move(topic)), m_outputFolder(std::move(outputFolder))
{
    const CopywritingSettings& settings = LoadCopywritingSettings();
    m_url = settings.URL;
    m_apiKey = settings.APIKey;
    m_secretKey = settings.SecretKey;
}

bool CopywritingJob::FetchToken(const pplx::cancellation_token& cancel)
{
    return GetAccessToken(m_apiKey, m_secretKey, m_accessToken, m_errorText, cancel);
}

int32_t CopywritingJob::Request(const pplx::cancellation_token& cancel)
{
    std::optional<web::http::client::http_client> client;
    try {
        client.emplace(RestClient::Make(m_url));
    } catch (const std::exception& e) {
        m_errorText = CopywritingErrors::kBadAddress + RestClient::ErrorText(e);
        return RequestFailed;
    }
    try {
        web::json::value message = web::json::value::object(true);
        message["content"] = web::json::value::string(m_topic);
        message["role"] = web::json::value::string("user");
        web::json::value body = web::json::value::object(true);
        body["messages"] = web::json::value::array({message});
        // The address is the service's own: the request adds only the token to its query.
        const web::http::http_request request = RestClient::JsonPost("", m_accessToken, body);

        RestExchange exchange(*client, request, cancel);
        if (exchange.Status() != web::http::status_codes::OK) {
            m_errorText = RestClient::FormatNumber(CopywritingErrors::kStatusFormat, int(exchange.Status()));
            return RequestFailed;
        }
        const web::json::value reply = exchange.ReadJson();
        RestClient::TraceReply("copywriting", reply);
        if (ReadReply(reply) != Success)
            return RequestFailed;
    } catch (const web::json::json_exception& e) {
        m_errorText = CopywritingErrors::kMalformedReply + RestClient::ErrorText(e);
        return RequestFailed;
    } catch (const std::exception& e) {
        m_errorText = RestClient::ErrorText(e);
        return RequestFailed;
    }
    SaveResult();
    return Success;
}

int32_t CopywritingJob::ReadReply(const web::json::value& reply)
{
    int32_t errorCode = 0;
    if (ReadJsonInt(reply, "error_code", errorCode) && errorCode != 0) {
        m_errorText = CopywritingErrors::ForServiceCode(errorCode);
        return RequestFailed;
    }
    ReadJsonString(reply, "result", m_resultText);
    if (m_resultText.empty()) {
        m_errorText = CopywritingErrors::kEmptyResult;
        return RequestFailed;
    }
    return Success;
}

void CopywritingJob::SaveResult()
{
    // A file that cannot be written still leaves the text in the window and the record in the log.
    const QString path = CopywritingFileName::Write(QString::fromStdString(m_outputFolder),
                                                    QByteArray::fromStdString(m_resultText));
    m_outputPath = path.toStdString();
    GetCopywritingLog().AddFinishedTask(QString::fromStdString(m_topic), path);
}
