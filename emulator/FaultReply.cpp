#include "FaultReply.h"

#include "JsonReply.h"

#include <string_view>

namespace FaultReply {

namespace {

constexpr std::string_view kDroppedPrefix = R"({"id":"dropped","result":"the connection drops he)";
constexpr std::size_t kAnnouncedLength = 4096;

// The status line and headers go out, announcing more body than ever follows; the provider then
// reports failure and the HTTP library closes the socket. A client therefore sees a reply start
// and the connection end mid-body, whether the connection was fresh or reused from a pool (a
// connection closed before any reply byte would be silently retried by pooling clients).
void DropConnection(httplib::Response &res)
{
    res.status = 200;
    res.set_content_provider(kAnnouncedLength, JsonReply::kContentType,
                             [](std::size_t offset, std::size_t, httplib::DataSink &sink) {
                                 if (offset == 0)
                                     sink.write(kDroppedPrefix.data(), kDroppedPrefix.size());
                                 return false;
                             });
}

}  // namespace

bool Apply(const FaultSetting &fault, const std::string &wrongTypesBody, httplib::Response &res)
{
    if (fault.close) {
        DropConnection(res);
        return true;
    }
    if (fault.malformed) {
        res.status = fault.status.value_or(200);
        res.set_content(kMalformedBody, JsonReply::kContentType);
        return true;
    }
    if (fault.wrongTypes) {
        res.status = fault.status.value_or(200);
        res.set_content(wrongTypesBody, JsonReply::kContentType);
        return true;
    }
    if (fault.status) {
        JsonReply::SendError(res, *fault.status, "emulated_fault",
                             "fault switch answered HTTP " + std::to_string(*fault.status));
        return true;
    }
    return false;
}

}  // namespace FaultReply
