#pragma once

#include <httplib.h>

#include <string>

class EndpointRouter;
class TokenRegistry;

// POST /oauth/2.0/token: trades the configured client id and secret for an access token, with
// the parameters in the query string or a form body.
class TokenService {
public:
    static constexpr const char *kEndpoint = "token";
    static constexpr const char *kPath = "/oauth/2.0/token";
    static constexpr int kExpiresInSeconds = 2592000;

    TokenService(TokenRegistry &tokens, std::string clientId, std::string clientSecret);
    void Register(EndpointRouter &router);

private:
    void Handle(const httplib::Request &req, httplib::Response &res);

    TokenRegistry &tokens_;
    std::string clientId_;
    std::string clientSecret_;
};
