#include "RequestOrigin.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>

std::string RequestOrigin(const httplib::Request &req)
{
    const std::string scheme = req.ssl ? "https://" : "http://";
    const std::string host = req.get_header_value("Host");
    const bool plain = !host.empty() && std::all_of(host.begin(), host.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    });
    if (plain)
        return scheme + host;
    const bool v6 = req.local_addr.find(':') != std::string::npos;
    return scheme + (v6 ? "[" + req.local_addr + "]" : req.local_addr) + ":" + std::to_string(req.local_port);
}
