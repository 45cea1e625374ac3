#include "StoreErrorReply.h"

#include "RandomText.h"
#include "Utf8Text.h"

namespace StoreErrorReply {

namespace {

constexpr std::size_t kRequestIdLength = 32;
constexpr const char *kHostId = "aigc-emulator";

std::string Element(const std::string &name, const std::string &value)
{
    return "<" + name + ">" + Escape(value) + "</" + name + ">";
}

}  // namespace

void Send(httplib::Response &res, int status, const std::string &code, const std::string &message,
          const Details &details)
{
    const std::string requestId = RandomText::Hex(kRequestIdLength);
    std::string body = R"(<?xml version="1.0" encoding="UTF-8"?>)";
    body += "<Error>" + Element("Code", code) + Element("Message", message) + Element("RequestId", requestId) +
            Element("HostId", kHostId);
    for (const auto &[name, value] : details)
        body += Element(name, value);
    body += "</Error>";
    res.status = status;
    res.set_header(kRequestIdHeader, requestId);
    res.set_content(body, kContentType);
}

std::string Escape(const std::string &text)
{
    // Keys and signed strings come from clients: whatever bytes they hold, the document stays
    // well-formed UTF-8, and line breaks are kept visible as character references.
    std::string out;
    for (const char c : Utf8Text::Sanitize(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                out += "&#xFFFD;";
            else
                out += c;
        }
    }
    return out;
}

}  // namespace StoreErrorReply
