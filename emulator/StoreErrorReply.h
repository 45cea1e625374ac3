#pragma once

#include <httplib.h>

#include <string>
#include <utility>
#include <vector>

// The object store answers failures with an XML document rather than the JSON of the other
// services: <Error> with Code, Message, RequestId and HostId, plus whatever else helps the caller
// see what went wrong (the string the store signed, the resource).
namespace StoreErrorReply {

inline constexpr const char *kContentType = "application/xml";
inline constexpr const char *kRequestIdHeader = "x-obs-request-id";

using Details = std::vector<std::pair<std::string, std::string>>;

void Send(httplib::Response &res, int status, const std::string &code, const std::string &message,
          const Details &details = {});
// Text made safe to stand between XML tags.
std::string Escape(const std::string &text);

}  // namespace StoreErrorReply
