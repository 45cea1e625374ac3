#include "copywriting/CCopywritingNetOper.h"

#include "copywriting/CopywritingErrors.h"
#include "host/QOVPaths.h"
#include "service/AccessToken.h"
#include "service/AigcSettings.h"
#include "service/JsonReaders.h"
#include "service/LocalTime.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"
#include "service/TransLog.h"

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
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_errorText;
}

utility::string_t CCopywritingNetOper::ResultText() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_resultText;
}

utility::string_t CCopywritingNetOper::OutputPath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_outputPath;
}

void CCopywritingNetOper::SetError(const utility::string_t& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_errorText = text;
}

int CCopywritingNetOper::Start(const utility::string_t& topic, const utility::string_t& outputFolder, void* context,
                               int /*unused*/)
{
    if (m_worker.joinable())
        m_worker.join();
    m_topic = topic;
    m_outputFolder = outputFolder;
    // The log is made here, on the owner's thread, rather than by the first worker that records.
    GetCopywritingLog();
    utility::string_t error = GetErrorText();
    const bool token = GetAccessToken(m_apiKey, m_secretKey, m_accessToken, error);
    SetError(error);
    if (!token)
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
        SetError(CopywritingErrors::kBadAddress + RestClient::ErrorText(e));
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
            SetError(RestClient::FormatNumber(CopywritingErrors::kStatusFormat, int(exchange.Status())));
            return RequestFailed;
        }
        const web::json::value reply = exchange.ReadJson();
        RestClient::TraceReply("copywriting", reply);
        if (ReadReply(reply) != Success)
            return RequestFailed;
    } catch (const web::json::json_exception& e) {
        SetError(CopywritingErrors::kMalformedReply + RestClient::ErrorText(e));
        return RequestFailed;
    } catch (const std::exception& e) {
        SetError(RestClient::ErrorText(e));
        return RequestFailed;
    }
    SaveResult();
    return Success;
}

int32_t CCopywritingNetOper::ReadReply(const web::json::value& reply)
{
    int32_t errorCode = 0;
    if (ReadJsonInt(reply, "error_code", errorCode) && errorCode != 0) {
        SetError(CopywritingErrors::ForServiceCode(errorCode));
        return RequestFailed;
    }
    utility::string_t result;
    ReadJsonString(reply, "result", result);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_resultText = result;
    }
    if (result.empty()) {
        SetError(CopywritingErrors::kEmptyResult);
        return RequestFailed;
    }
    return Success;
}

void CCopywritingNetOper::SaveResult()
{
    const utility::string_t text = ResultText();
    const QString folder = QString::fromStdString(m_outputFolder);
    const QString stamp = LocalTimeText("%Y_%m_%d_%H_%M_%S");
    const QString path = folder + stamp + QStringLiteral(".txt");
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_outputPath = path.toStdString();
    }

    // A file that cannot be written still leaves the text in the window and the record in the log.
    ZuCreateDirectory(folder, 0);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.data(), qint64(text.size()));

    GetCopywritingLog().AddFinishedTask(QString::fromStdString(m_topic), path);
}
