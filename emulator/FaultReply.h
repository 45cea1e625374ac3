#pragma once

#include "FaultSetting.h"

#include <httplib.h>

#include <string>

// Turns a fault switch into the broken reply a client must survive. Precedence: close drops the
// connection; otherwise malformed or wrong_types pick the body and status (when set) the HTTP
// status; status alone answers a small JSON error. A switch with only a delay leaves the request
// to its endpoint.
namespace FaultReply {

// A body that announces JSON and is cut off mid-string.
inline constexpr const char *kMalformedBody = R"({"result": "trunc)";

// Returns true when the fault produced the reply, false when the endpoint should still answer.
bool Apply(const FaultSetting &fault, const std::string &wrongTypesBody, httplib::Response &res);

}  // namespace FaultReply
