// What the module's HTTPS requests cost: COUNT token requests (200) to the settings' token address
// as the module makes them, against the same requests on one client of the bench's own whose
// connection is kept and reused, the least a request can cost. Prints both, per request, and the
// first as a ratio to the second.
#include "host/CertificateCheck.h"
#include "service/AccessToken.h"
#include "service/AigcSettings.h"
#include "service/RestClient.h"
#include "service/RestExchange.h"

#include <QElapsedTimer>

#include <cpprest/http_client.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

// The module's way: GetAccessToken, through the module's transport.
bool TheModulesWay(const CopywritingSettings& account)
{
    std::string token;
    std::string error;
    // Each time a request: a kept token would cost nothing.
    ForgetAccessTokens();
    if (GetAccessToken(account.APIKey, account.SecretKey, token, error) && !token.empty())
        return true;
    std::fprintf(stderr, "token request failed: %s\n", error.c_str());
    return false;
}

// The same request on a client that lives as long as the run.
bool OnTheReusedClient(web::http::client::http_client& client, const CopywritingSettings& account)
{
    web::uri_builder query;
    query.append_query("grant_type", "client_credentials");
    query.append_query("client_id", account.APIKey);
    query.append_query("client_secret", account.SecretKey);
    const web::uri address = query.to_uri();
    try {
        RestExchange exchange(client, [&address] {
            web::http::http_request request(web::http::methods::POST);
            request.set_request_uri(address);
            return request;
        });
        if (exchange.Status() == web::http::status_codes::OK && exchange.ReadJson(true).has_field("access_token"))
            return true;
        std::fprintf(stderr, "token request answered %d\n", int(exchange.Status()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "token request failed: %s\n", RestClient::ErrorText(e).c_str());
    }
    return false;
}

// Seconds for count requests, or a negative number when one failed.
template <typename Request>
double Time(int count, Request request)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        if (!request())
            return -1.0;
    }
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 200;
    const std::string address = LoadTokenSettings().URL;
    const CopywritingSettings& account = LoadCopywritingSettings();
    if (address.rfind("https://", 0) != 0) {
        std::fprintf(stderr, "the settings' token address is not HTTPS: %s\n", address.c_str());
        return 1;
    }
    web::http::client::http_client_config config;
    CertificateCheck::Configure(config, web::uri(address).host());
    web::http::client::http_client reused(address, config);
    // One of each first, so that neither pays for the process's first connection alone.
    if (!TheModulesWay(account) || !OnTheReusedClient(reused, account))
        return 1;
    const double fresh = Time(count, [&] { return TheModulesWay(account); });
    const double kept = Time(count, [&] { return OnTheReusedClient(reused, account); });
    if (fresh < 0 || kept < 0)
        return 1;
    std::printf("%d token requests to %s\n", count, address.c_str());
    std::printf("  the module's requests:  %.3f s, %.2f ms per request\n", fresh, fresh * 1e3 / count);
    std::printf("  one reused connection: %.3f s, %.2f ms per request\n", kept, kept * 1e3 / count);
    std::printf("ratio module / reused connection: %.2f\n", fresh / kept);
    return 0;
}
