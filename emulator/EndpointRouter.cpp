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

std::string JoinMethods(const std::set<std::string> &methods)
{
    std::string joined;
    for (const auto &method : methods)
        joined += (joined.empty() ? "" : ", ") + method;
    return joined;
}

}  // namespace

EndpointRouter::EndpointRouter(httplib::Server &http, FaultSwitches &faults, RequestRecorder &recorder)
    : http_(http), faults_(faults), recorder_(recorder)
{
}

void EndpointRouter::AddEndpoint(const std::string &name, const std::string &method, const std::string &pattern,
                                 Handler handler, std::string wrongTypesBody)
{
    endpoints_.insert(name);
    Register(method, pattern,
             [this, name, wrongTypesBody = std::move(wrongTypesBody), handler = std::move(handler)](
                 const httplib::Request &req, httplib::Response &res) { Serve(name, wrongTypesBody, handler, req, res); });
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

void EndpointRouter::Register(const std::string &method, const std::string &pattern, Handler handler)
{
    methodsByPattern_[pattern].insert(method);
    Bind(method, pattern, std::move(handler));
}

void EndpointRouter::Bind(const std::string &method, const std::string &pattern, Handler handler)
{
    if (method == "GET")
        http_.Get(pattern, std::move(handler));
    else if (method == "POST")
        http_.Post(pattern, std::move(handler));
    else if (method == "PUT")
        http_.Put(pattern, std::move(handler));
    else if (method == "PATCH")
        http_.Patch(pattern, std::move(handler));
    else if (method == "DELETE")
        http_.Delete(pattern, std::move(handler));
    else if (method == "OPTIONS")
        http_.Options(pattern, std::move(handler));
}

void EndpointRouter::Serve(const std::string &name, const std::string &wrongTypesBody, const Handler &handler,
                           const httplib::Request &req, httplib::Response &res)
{
    recorder_.Record({name, req.method, req.path, std::string(FormEncoding::QueryOf(req.target)),
                      req.get_header_value("Content-Type"), req.body, 0});
    const auto fault = faults_.Take(name);
    if (fault) {
        if (fault->delayMs > 0)
            faults_.Delay(std::chrono::milliseconds(fault->delayMs));
        if (FaultReply::Apply(*fault, wrongTypesBody, res))
            return;
    }
    handler(req, res);
}
