#pragma once

#include <string>

namespace httplib {
struct Request;
}

// "http://HOST:PORT" (or "https://" when the request came over TLS) as the client reached us, so
// the addresses the services hand out work through whatever name, port and scheme it used; a
// missing or odd Host header falls back to the socket's own address.
std::string RequestOrigin(const httplib::Request &req);
