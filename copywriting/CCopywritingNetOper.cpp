#include "copywriting/CCopywritingNetOper.h"

#include "copywriting/CopywritingErrors.h"
#include "host/QOVPaths.h"
#include "service/AccessToken.h"
#include "service/AigcSettings.h"
#include "service/JsonReaders.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"
#include "service/TransLog.h"

#include <QDateTime>
#include <QFile>
#include <QString>

#include <cpprest/http_client.h>
#include <cpprest/json.h>

#include <cstdio>
#include <exception>
#include <optional>

CCopywritingNetOper::CCopywritingNetOper()
{
    const CopywritingSettings& settings = LoadCopywritingSettings();
    m_url = settings.URL;
    m_apiKey = settings.APIKey;
    m_secretKey = settings.SecretKey;
}

CCopywritingNetOper::~CCopywritingNetOper()
{
    m_closing = true;
    m_cancel.cancel();
    if (m_worker.joinable())
        m_worker.join();
}

void CCopywritingNetOper::SetCompletionHandler(CompletionHandler handler)
{
    m_handler = handler;
}

utility::string_t CCopywritingNetOper::GetErrorText() const
{
    return m_errorText;
}

int CCopywritingNetOper::Start(const utility::string_t& topic, const utility::string_t& outputFolder, void* context,
                               int /*unused*/)
{
    if (m_worker.joinable())
        m_worker.join();
    m_topic = topic;
    m_outputFolder = outputFolder;
    if (!GetAccessToken(m_apiKey, m_secretKey, m_accessToken, m_errorText))
        return NoToken;
    m_activeHandler = m_handler;
    m_context = context;
    m_worker = std::thread(&CCopywritingNetOper::Work, this);
    return Success;
}

void CCopywritingNetOper::Work()
{
    const int32_t code = Request();
    if (m_activeHandler && !m_closing)
        m_activeHandler(m_context, code);
}

int32_t CCopywritingNetOper::Request()
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

        RestExchange exchange(*client, request, m_cancel.get_token());
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

int32_t CCopywritingNetOper::ReadReply(const web::json::value& reply)
{
    int32_t errorCode = 0;
    if (ReadJsonInt(reply, "error_code", errorCode) && errorCode != 0) {
        m_errorText = CopywritingErrors::ForServiceCode(errorCode);
        return RequestFailed;
    }
    m_resultText.clear();
    ReadJsonString(reply, "result", m_resultText);
    if (m_resultText.empty()) {
        m_errorText = CopywritingErrors::kEmptyResult;
        return RequestFailed;
    }
    return Success;
}

void CCopywritingNetOper::SaveResult()
{
    const QString folder = QString::fromStdString(m_outputFolder);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss"));
    const QString path = folder + stamp + QStringLiteral(".txt");
    m_outputPath = path.toStdString();

    // A file that cannot be written still leaves the text in the window and the record in the log.
    ZuCreateDirectory(folder, 0);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(m_resultText.data(), qint64(m_resultText.size()));

    GetCopywritingLog().AddFinishedTask(QString::fromStdString(m_topic), path);
}
