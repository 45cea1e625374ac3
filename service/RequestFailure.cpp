#include "service/RequestFailure.h"

#include "host/CertificateCheck.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"

#include <cpprest/http_msg.h>
#include <cpprest/json.h>

#include <stdexcept>
#include <system_error>

namespace {

TaskError::Kind KindOf(const std::exception& error)
{
    using Kind = TaskError::Kind;
    if (CertificateCheck::SecureConnectionFailure(error))
        return Kind::Certificate;
    if (dynamic_cast<const web::json::json_exception*>(&error) || dynamic_cast<const UnreadableReply*>(&error))
        return Kind::Reply;
    if (const auto* http = dynamic_cast<const web::http::http_exception*>(&error)) {
        const std::error_code code = http->error_code();
        if (code == std::errc::timed_out)
            return Kind::TimedOut;
        if (code == std::errc::connection_refused || code == std::errc::host_unreachable ||
            code == std::errc::network_unreachable)
            return Kind::Refused;
        return Kind::Network;
    }
    // An address the settings give that is no address, or authorities that cannot be read.
    if (dynamic_cast<const std::invalid_argument*>(&error) || dynamic_cast<const std::runtime_error*>(&error))
        return Kind::Local;
    return Kind::Network;
}

} // namespace

RequestFailure RequestFailure::Of(const std::exception& error, const utility::string_t& malformed)
{
    const TaskError::Kind kind = KindOf(error);
    const bool parsed = dynamic_cast<const web::json::json_exception*>(&error) != nullptr;
    return {kind, (parsed ? malformed : utility::string_t()) + RestClient::ErrorText(error)};
}

RequestFailure RequestFailure::Status(const char* format, int status)
{
    return {TaskError::Kind::Status, RestClient::FormatNumber(format, status)};
}

RequestFailure RequestFailure::Of(std::exception_ptr thrown, int status, utility::string_t text)
{
    using Kind = TaskError::Kind;
    Kind kind = Kind::Reply; // a body shorter than its announced length
    if (thrown) {
        try {
            std::rethrow_exception(thrown);
        } catch (const std::exception& error) {
            kind = KindOf(error);
            // The connection failed after the reply had begun: the reply was cut off.
            if (kind == Kind::Network && status >= 200 && status <= 299)
                kind = Kind::Reply;
        } catch (...) {
            kind = Kind::Network;
        }
    } else if (status != 0 && (status < 200 || status > 299)) {
        kind = Kind::Status;
    }
    return {kind, std::move(text)};
}
