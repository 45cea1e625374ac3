#pragma once

#include <cpprest/http_client.h>
#include <cpprest/json.h>

#include <chrono>
#include <cstddef>
#include <exception>

// What every cloud request of the module shares: one client per service address for the process,
// whose connections are kept and reused, the library's default configuration (30-second time-out)
// with the server's certificate checked as the settings say (CertificateCheck), at most a few
// requests to one address at once (AddressSlot), and the reply traced to the debug output.
namespace RestClient {

// The user agent the module's downloads present, as the editor's resource client expects it.
extern const char* const kDownloadUserAgent;

// What a user is told when a request fails on the way.
extern const char* const kConnectFailed;       // no connection to the service
extern const char* const kTimedOutFormat;      // %d: seconds the request waited
extern const char* const kReplyCut;            // the connection closed before the reply was whole
extern const char* const kReplyTooLargeFormat; // %d: the largest reply read, in MB

// How long a request may wait for its service: the library's 30 seconds, for every request and
// download of the process. Tests lower it, so that a service that never answers fails quickly.
constexpr std::chrono::milliseconds kDefaultRequestTimeout{30000};
void SetRequestTimeout(std::chrono::milliseconds timeout);
std::chrono::milliseconds RequestTimeout();

// The largest JSON reply read (RestExchange): a service that sends more is not held in memory.
constexpr size_t kMaxJsonReplyBytes = size_t(8) << 20;

// Throws when the address is empty or not an http or https address, or when the settings' extra
// authorities cannot be read; callers catch at their operation's boundary like any other request
// failure.
web::http::client::http_client Make(const utility::string_t& baseUrl);

// The exception's message as the error text a user sees; never empty. A refused connection, a
// time-out and a refused certificate get a message of their own.
utility::string_t ErrorText(const std::exception& error);

void TraceReply(const char* service, const web::json::value& reply);

// A message format with its one "%d" or "%s" filled in.
utility::string_t FormatNumber(const char* format, int number);
utility::string_t FormatText(const char* format, const utility::string_t& text);

// A POST of a JSON body to path (relative to the client's base address) with the access token as
// the query parameter access_token.
web::http::http_request JsonPost(const char* path, const utility::string_t& token, const web::json::value& body);

} // namespace RestClient
