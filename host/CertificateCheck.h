#pragma once

#include <exception>
#include <optional>
#include <string>

namespace web::http::client {
class http_client_config;
}

// Whom the module's HTTPS requests trust, the same for every request: the service clients, the
// downloads and the object store. The settings ([Network], NetworkSettings) decide; by default the
// server's certificate is checked against the system's authorities and CaFile's, the access-token
// request that carries the client secret included. A refused certificate ends the request in its
// handshake, before any byte of the request is sent.
namespace CertificateCheck {

// What a user is told. %s: the certificate's problem in words; the TLS library's words; the file.
extern const char* const kRefusedFormat;
extern const char* const kSecureConnectionFailedFormat;
extern const char* const kCaFileUnreadableFormat;

// Sets config's certificate checking as the settings say, for requests to host (the name or address
// of the client's base address, which the certificate must name). Throws std::runtime_error, with
// the words a user is shown, when CaFile cannot be read.
void Configure(web::http::client::http_client_config& config, const std::string& host);

// The words for a request that failed on its secure connection (a refused certificate, a server
// that speaks no TLS), or nothing when error is another failure.
std::optional<std::string> SecureConnectionFailure(const std::exception& error);

} // namespace CertificateCheck
