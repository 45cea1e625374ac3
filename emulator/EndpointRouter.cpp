#include "EndpointRouter.h"

#include "FaultReply.h"
#include "FaultSwitches.h"
#include "FormEncoding.h"
#include "JsonReply.h"
#include "RequestRecorder.h"

#include <chrono>
#include <utility>

namespace {

const std::vector<std::string> kAllMethods = {"GET", "POST", "PUT", "PATCH", "DELETE", "OPTIONS"};
// Where the pre-routing step puts a multipart content type aside.
constexpr const char *kSetAsideContentType = "X-Aigc-Emulator-Content-Type";
// A refused body up to this size is read to its end before the answer goes out.
constexpr std::uint64_t kMaxDiscardedBytes = 16u << 20;

std::string JoinMethods(const std::set<std::string> &methods)
{
    std::string joined;
    for (const auto &method : methods)
        joined += (joined.empty() ? "" : ", ") + method;
    return joined;
}

bool CarriesBody(const std::string &method)
{
    return method == "POST" || method == "PUT" || method == "PATCH" || method == "DELETE";
}

// The HTTP library takes every multipart body apart with its own parser and hands over only the
// pieces, never the bytes as sent. The emulator's services parse multipart bodies themselves, so
// before the library routes a request its multipart content type is put aside under another
// name; ContentTypeOf() gives it back. The request object is the library's own, non-const one,
// handed to this step as const only by signature.
httplib::Server::HandlerResponse SetMultipartAside(const httplib::Request &req, httplib::Response &)
{
    if (req.is_multipart_form_data()) {
        auto &headers = const_cast<httplib::Headers &>(req.headers);
        const auto found = headers.find("Content-Type");
        headers.emplace(kSetAsideContentType, found->second);
        headers.erase(found);
    }
    return httplib::Server::HandlerResponse::Unhandled;
}

}  // namespace

EndpointRouter::EndpointRouter(httplib::Server &http, FaultSwitches &faults, RequestRecorder &recorder)
    : http_(http), faults_(faults), recorder_(recorder)
{
    http_.set_pre_routing_handler(SetMultipartAside);
}

void EndpointRouter::AddEndpoint(const std::string &name, const std::string &method, const std::string &pattern,
                                 Handler handler, std::string wrongTypesBody)
{
    endpoints_.insert(name);
    Register(method, pattern,
             [this, name, wrongTypesBody = std::move(wrongTypesBody), handler = std::move(handler)](
                 const httplib::Request &req, httplib::Response &res) { Serve(name, wrongTypesBody, handler, req, res); });
}

void EndpointRouter::AddStreamingEndpoint(const std::string &name, const std::string &method,
                                          const std::string &pattern, StreamingHandler handler,
                                          std::string wrongTypesBody)
{
    endpoints_.insert(name);
    RegisterStreaming(method, pattern,
                      [this, name, wrongTypesBody = std::move(wrongTypesBody), handler = std::move(handler)](
                          const httplib::Request &req, httplib::Response &res, const httplib::ContentReader &reader) {
                          ServeStreaming(name, wrongTypesBody, handler, req, res, reader);
                      });
}

void EndpointRouter::AddPlain(const std::string &method, const std::string &pattern, Handler handler)
{
    Register(method, pattern, std::move(handler));
}

void EndpointRouter::Seal()
{
    for (const auto &[pattern, methods] : methodsByPattern_) {
        const std::string allowed = JoinMethods(methods);
        Handler refuse = [allowed](const httplib::Request &req, httplib::Response &res) {
            res.set_header("Allow", allowed);
            JsonReply::SendError(res, 405, "method_not_allowed", req.method + " is not allowed here; use " + allowed);
        };
        for (const auto &method : kAllMethods) {
            if (methods.count(method) == 0)
                Bind(method, pattern, refuse);
        }
    }
}

bool EndpointRouter::HasEndpoint(const std::string &name) const { return endpoints_.count(name) != 0; }

std::vector<std::string> EndpointRouter::EndpointNames() const
{
    return {endpoints_.begin(), endpoints_.end()};
}

std::string EndpointRouter::ContentTypeOf(const httplib::Request &req)
{
    if (req.has_header(kSetAsideContentType))
        return req.get_header_value(kSetAsideContentType);
    return req.get_header_value("Content-Type");
}

void EndpointRouter::DiscardBody(const httplib::Request &req, httplib::Response &res,
                                 const httplib::ContentReader &reader)
{
    const bool announced = req.has_header("Content-Length");
    if (announced && req.get_header_value<std::uint64_t>("Content-Length") > kMaxDiscardedBytes) {
        res.set_header("Connection", "close");
        return;
    }
    std::uint64_t seen = 0;
    const bool whole = reader([&seen](const char *, std::size_t length) {
        seen += length;
        return seen <= kMaxDiscardedBytes;
    });
    if (!whole)
        res.set_header("Connection", "close");
}

void EndpointRouter::Register(const std::string &method, const std::string &pattern, Handler handler)
{
    methodsByPattern_[pattern].insert(method);
    Bind(method, pattern, std::move(handler));
}

void EndpointRouter::RegisterStreaming(const std::string &method, const std::string &pattern, StreamingHandler handler)
{
    methodsByPattern_[pattern].insert(method);
    BindStreaming(method, pattern, std::move(handler));
}

void EndpointRouter::Bind(const std::string &method, const std::string &pattern, Handler handler)
{
    if (!CarriesBody(method)) {
        if (method == "GET")
            http_.Get(pattern, std::move(handler));
        else if (method == "OPTIONS")
            http_.Options(pattern, std::move(handler));
        return;
    }
    // Bodies are read here, capped, rather than by the library, whose one limit for every route
    // would have to admit the streaming endpoints' gigabytes into memory.
    BindStreaming(method, pattern,
                  [handler = std::move(handler)](const httplib::Request &req, httplib::Response &res,
                                                 const httplib::ContentReader &reader) {
                      std::string body;
                      bool tooLarge = false;
                      const bool whole = reader([&](const char *data, std::size_t length) {
                          if (!tooLarge && body.size() + length > kMaxBodyBytes) {
                              tooLarge = true;
                              std::string().swap(body);
                          }
                          if (!tooLarge)
                              body.append(data, length);
                          return true;
                      });
                      if (tooLarge) {
                          JsonReply::SendError(res, 413, "http_error", "request refused with HTTP 413");
                          return;
                      }
                      if (!whole) {
                          res.set_header("Connection", "close");
                          JsonReply::SendError(res, 400, "http_error", "the request body ended before its announced length");
                          return;
                      }
                      httplib::Request filled = req;
                      filled.body = std::move(body);
                      handler(filled, res);
                  });
}

void EndpointRouter::BindStreaming(const std::string &method, const std::string &pattern, StreamingHandler handler)
{
    if (method == "POST")
        http_.Post(pattern, std::move(handler));
    else if (method == "PUT")
        http_.Put(pattern, std::move(handler));
    else if (method == "PATCH")
        http_.Patch(pattern, std::move(handler));
    else if (method == "DELETE")
        http_.Delete(pattern, std::move(handler));
}

void EndpointRouter::Serve(const std::string &name, const std::string &wrongTypesBody, const Handler &handler,
                           const httplib::Request &req, httplib::Response &res)
{
    recorder_.Record({name, req.method, req.path, std::string(FormEncoding::QueryOf(req.target)), ContentTypeOf(req),
                      req.body, 0});
    if (ApplyFault(name, wrongTypesBody, res))
        return;
    handler(req, res);
}

void EndpointRouter::ServeStreaming(const std::string &name, const std::string &wrongTypesBody,
                                    const StreamingHandler &handler, const httplib::Request &req,
                                    httplib::Response &res, const httplib::ContentReader &reader)
{
    recorder_.Record({name, req.method, req.path, std::string(FormEncoding::QueryOf(req.target)), ContentTypeOf(req),
                      std::string(), 0});
    if (ApplyFault(name, wrongTypesBody, res)) {
        DiscardBody(req, res, reader);
        return;
    }
    handler(req, res, reader);
}

bool EndpointRouter::ApplyFault(const std::string &name, const std::string &wrongTypesBody, httplib::Response &res)
{
    const auto fault = faults_.Take(name);
    if (!fault)
        return false;
    if (fault->delayMs > 0)
        faults_.Delay(std::chrono::milliseconds(fault->delayMs));
    return FaultReply::Apply(*fault, wrongTypesBody, res);
}
