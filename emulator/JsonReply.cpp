#include "JsonReply.h"

#include "Utf8Text.h"

namespace JsonReply {

void Send(httplib::Response &res, int status, const web::json::value &body)
{
    res.status = status;
    res.set_content(body.serialize(), kContentType);
}

void SendError(httplib::Response &res, int status, const std::string &error, const std::string &description)
{
    auto body = web::json::value::object();
    body["error"] = web::json::value::string(error);
    body["error_description"] = web::json::value::string(Utf8Text::Sanitize(description));
    Send(res, status, body);
}

std::optional<web::json::value> Parse(const std::string &text)
{
    try {
        std::error_code error;
        auto value = web::json::value::parse(text, error);
        if (error)
            return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace JsonReply
