#include "service/RestClient.h"

#include "host/CertificateCheck.h"
#include "host/QOVSystem.h"

#include <QString>


#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>

namespace RestClient {

const char* const kDownloadUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727)";
const char* const kConnectFailed = "无法连接到服务，请检查网络和配置文件中的服务地址";
const char* const kTimedOutFormat = "服务在%d秒内没有回复，请稍后重试";
const char* const kReplyCut = "服务的回复没有传完连接就断开了，请稍后重试";
const char* const kReplyTooLargeFormat = "服务的回复大于%d MB，已放弃读取";
const char* const kNoAddress = "服务地址为空，请检查配置文件";
const char* const kBadAddressFormat = "服务地址“%s”不是有效的地址，请检查配置文件";
const char* const kNotHttpFormat = "服务地址“%s”不是http或https地址，请检查配置文件";
const char* const kNoHostFormat = "服务地址“%s”没有主机名，请检查配置文件";
const char* const kNoReason = "请求失败，网络库没有给出原因";

namespace {

std::atomic<int64_t> g_timeoutMs{kDefaultRequestTimeout.count()};

bool IsConnectFailure(const std::error_code& code)
{
    return code == std::errc::connection_refused || code == std::errc::host_unreachable ||
           code == std::errc::network_unreachable;
}

} // namespace

void SetRequestTimeout(std::chrono::milliseconds timeout)
{
    g_timeoutMs = std::max<int64_t>(1, timeout.count());
}

std::chrono::milliseconds RequestTimeout()
{
    return std::chrono::milliseconds(g_timeoutMs.load());
}

utility::string_t FormatNumber(const char* format, int number)
{
    char text[512];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

utility::string_t FormatText(const char* format, const utility::string_t& text)
{
    utility::string_t filled = format;
    const size_t at = filled.find("%s");
    if (at != utility::string_t::npos)
        filled.replace(at, 2, text);
    return filled;
}

web::http::client::http_client Make(const utility::string_t& baseUrl)
{
    if (baseUrl.empty())
        throw std::invalid_argument(kNoAddress);
    if (!web::uri::validate(baseUrl))
        throw std::invalid_argument(FormatText(kBadAddressFormat, baseUrl));
    const web::uri address(baseUrl);
    if (address.scheme() != "http" && address.scheme() != "https")
        throw std::invalid_argument(FormatText(kNotHttpFormat, baseUrl));
    if (address.host().empty())
        throw std::invalid_argument(FormatText(kNoHostFormat, baseUrl));
    // One client per address and time-out for the process: its connections, and their TLS
    // sessions, are kept and reused by every request and poll that follows, instead of a new
    // handshake for each. The library's client takes requests from any thread.
    static std::mutex mutex;
    static auto* clients = new std::map<std::string, web::http::client::http_client>;
    const std::string key = baseUrl + '\n' + std::to_string(RequestTimeout().count());
    std::lock_guard<std::mutex> lock(mutex);
    if (const auto found = clients->find(key); found != clients->end())
        return found->second;
    web::http::client::http_client_config config;
    config.set_timeout(RequestTimeout());
    CertificateCheck::Configure(config, address.host());
    return clients->emplace(key, web::http::client::http_client(address, config)).first->second;
}

utility::string_t ErrorText(const std::exception& error)
{
    utility::string_t text = error.what();
    if (text.empty())
        return kNoReason;
    // The common failures get a sentence a user can act on; the library's own words follow it,
    // for whoever has to find out more.
    if (const std::optional<std::string> secure = CertificateCheck::SecureConnectionFailure(error))
        return *secure;
    if (const auto* http = dynamic_cast<const web::http::http_exception*>(&error)) {
        if (http->error_code() == std::errc::timed_out)
            return FormatNumber(kTimedOutFormat, int((RequestTimeout().count() + 999) / 1000)) + "（" + text + "）";
        if (IsConnectFailure(http->error_code()))
            return kConnectFailed + ("（" + text + "）");
    }
    return text;
}

void TraceReply(const char* service, const web::json::value& reply)
{
    if (!QOVDebugOutputEnabled())
        return;
    QOVDebugOutput(QString::fromUtf8(service) + QStringLiteral(": ") + QString::fromStdString(reply.serialize()));
}

web::http::http_request JsonPost(const char* path, const utility::string_t& token, const web::json::value& body)
{
    web::http::http_request request(web::http::methods::POST);
    web::uri_builder address(path);
    address.append_query("access_token", token);
    request.set_request_uri(address.to_uri());
    request.set_body(body.serialize(), "application/json");
    return request;
}

} // namespace RestClient
