#pragma once

#include <cpprest/json.h>
#include <httplib.h>

#include <optional>
#include <string>

// JSON in and out of the HTTP handlers, in one place so every reply carries the same content type.
namespace JsonReply {

inline constexpr const char *kContentType = "application/json";

void Send(httplib::Response &res, int status, const web::json::value &body);
// The shape every emulator-level error (unknown route, bad control request) is answered with.
void SendError(httplib::Response &res, int status, const std::string &error, const std::string &description);
// Never throws: a body that is not JSON, or nests too deeply, gives std::nullopt.
std::optional<web::json::value> Parse(const std::string &text);

}  // namespace JsonReply
