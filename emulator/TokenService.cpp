#include "TokenService.h"

#include "EndpointRouter.h"
#include "FormEncoding.h"
#include "JsonReply.h"
#include "RandomText.h"
#include "TokenRegistry.h"

#include <utility>

namespace {

constexpr const char *kGrantType = "client_credentials";
constexpr const char *kScope = "public";

web::json::value WrongTypesReply()
{
    auto body = web::json::value::object();
    body["access_token"] = web::json::value::array({web::json::value::string("not"), web::json::value::string("a token")});
    body["expires_in"] = web::json::value::string("2592000");
    body["scope"] = web::json::value::number(7);
    body["session_key"] = web::json::value::boolean(true);
    body["refresh_token"] = web::json::value::object();
    return body;
}

}  // namespace

TokenService::TokenService(TokenRegistry &tokens, std::string clientId, std::string clientSecret)
    : tokens_(tokens), clientId_(std::move(clientId)), clientSecret_(std::move(clientSecret))
{
}

void TokenService::Register(EndpointRouter &router)
{
    router.AddEndpoint(
        kEndpoint, "POST", kPath, [this](const httplib::Request &req, httplib::Response &res) { Handle(req, res); },
        WrongTypesReply().serialize());
}

void TokenService::Handle(const httplib::Request &req, httplib::Response &res)
{
    // Form members win over the query string when both are sent.
    auto fields = FormEncoding::Parse(FormEncoding::QueryOf(req.target));
    if (FormEncoding::IsFormContentType(req.get_header_value("Content-Type"))) {
        auto formFields = FormEncoding::Parse(req.body);
        fields.insert(fields.begin(), formFields.begin(), formFields.end());
    }
    const auto grantType = FormEncoding::Find(fields, "grant_type");
    if (!grantType) {
        JsonReply::SendError(res, 400, "unsupported_grant_type", "grant_type is missing");
        return;
    }
    if (*grantType != kGrantType) {
        JsonReply::SendError(res, 400, "unsupported_grant_type", "unsupported grant_type " + *grantType);
        return;
    }
    if (FormEncoding::Find(fields, "client_id").value_or("") != clientId_) {
        JsonReply::SendError(res, 401, "invalid_client", "unknown client id");
        return;
    }
    if (FormEncoding::Find(fields, "client_secret").value_or("") != clientSecret_) {
        JsonReply::SendError(res, 401, "invalid_client", "Client authentication failed");
        return;
    }

    const auto token = tokens_.Issue();
    auto body = web::json::value::object();
    body["access_token"] = web::json::value::string(token);
    body["expires_in"] = web::json::value::number(kExpiresInSeconds);
    body["scope"] = web::json::value::string(kScope);
    body["session_key"] = web::json::value::string(RandomText::Hex(40));
    body["session_secret"] = web::json::value::string(RandomText::Hex(32));
    body["refresh_token"] = web::json::value::string(RandomText::Hex(32) + ".refresh");
    JsonReply::Send(res, 200, body);
}
