#include "service/RestExchange.h"

#include "host/QOVSystem.h"
#include "service/BusyWait.h"
#include "service/RestClient.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

// The pause a reply's Retry-After asks for, in seconds; nothing when it asks for none.
std::optional<std::chrono::milliseconds> AskedPause(const web::http::http_headers& headers)
{
    utility::string_t value;
    if (!headers.match(web::http::header_names::retry_after, value))
        return std::nullopt;
    bool ok = false;
    const int seconds = QString::fromStdString(value).trimmed().toInt(&ok);
    if (!ok || seconds < 0)
        return std::nullopt;
    return std::chrono::seconds(seconds);
}

// A kept connection the server closed while it lay idle (servers keep idle connections for less
// time than the client does): the request could not be written, so the server never had it. Each
// idle connection of the address may be such a one, and one of them is used per try.
constexpr int kStaleTries = AddressSlot::kPerAddress + 1;
// How the library's message begins when the request's head or body could not be written.
constexpr std::string_view kWriteFailure = "Failed to write request";

// Only a request that could not be written is sent again: one the server may have read whole (its
// reply was cut off) could have started a task, and is never sent twice. Which error the socket
// gives for a connection the server closed varies (a broken pipe, a reset, others); the step
// that failed does not.
bool WriteFailed(const web::http::http_exception& error)
{
    return std::string_view(error.what()).starts_with(kWriteFailure);
}

// Sends a request made afresh for each try, past the connections the server has closed.
web::http::http_response Send(web::http::client::http_client& client, const RestExchange::RequestMaker& make,
                              const pplx::cancellation_token& cancel)
{
    for (int tries = 1;; ++tries) {
        try {
            return client.request(make(), cancel).get();
        } catch (const web::http::http_exception& error) {
            if (tries == kStaleTries || !WriteFailed(error))
                throw;
            QOVDebugOutput(QStringLiteral("a kept connection was closed: %1").arg(QString::fromUtf8(error.what())));
        }
    }
}

} // namespace

RestExchange::RestExchange(web::http::client::http_client& client, const RequestMaker& make,
                           const pplx::cancellation_token& cancel)
    : m_place(client.base_uri().authority().to_string(), cancel), m_cancel(cancel)
{
    BusyWait busy;
    do
        m_response = Send(client, make, m_cancel.Token());
    while (m_response.status_code() == web::http::status_codes::TooManyRequests &&
           busy.Wait(cancel, AskedPause(m_response.headers())));
    m_cancel.Watch(m_response);
}

RestExchange::~RestExchange() = default;

std::string RestExchange::ReadBody(size_t limit)
{
    const auto tooLarge = [limit] {
        return UnreadableReply(RestClient::FormatNumber(RestClient::kReplyTooLargeFormat, int(limit >> 20)));
    };
    // An announced length says at once; a body without one is read until it passes the limit.
    if (m_response.headers().content_length() > limit)
        throw tooLarge();
    std::string body;
    try {
        concurrency::streams::streambuf<uint8_t> stream = m_response.body().streambuf();
        std::vector<uint8_t> chunk(size_t(1) << 16);
        for (;;) {
            const size_t read = stream.getn(chunk.data(), std::min(chunk.size(), limit + 1 - body.size())).get();
            if (read == 0)
                break;
            body.append(reinterpret_cast<const char*>(chunk.data()), read);
            if (body.size() > limit)
                throw tooLarge();
        }
    } catch (const web::http::http_exception& e) {
        if (e.error_code() == std::errc::timed_out)
            throw;
        QOVDebugOutput(QStringLiteral("reading a reply: %1").arg(QString::fromUtf8(e.what())));
        throw UnreadableReply(RestClient::kReplyCut);
    }
    return body;
}

web::json::value RestExchange::ReadJson(bool declaredOnly)
{
    if (declaredOnly) {
        const QString type = QString::fromStdString(m_response.headers().content_type()).toLower();
        if (!type.contains(QLatin1String("json")) && !type.contains(QLatin1String("javascript")))
            throw web::json::json_exception("the reply is not declared as JSON (Content-Type: " +
                                            m_response.headers().content_type() + ")");
    }
    const std::string text = ReadBody(RestClient::kMaxJsonReplyBytes);
    if (text.empty())
        return web::json::value();
    return web::json::value::parse(text);
}
