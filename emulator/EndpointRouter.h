#pragma once

#include <httplib.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class FaultSwitches;
class RequestRecorder;

// Every emulated endpoint is registered here rather than on the HTTP server directly, so each one
// is recorded, obeys its fault switch and answers 405 to a wrong method without any service
// having to remember to.
class EndpointRouter {
public:
    using Handler = std::function<void(const httplib::Request &, httplib::Response &)>;

    EndpointRouter(httplib::Server &http, FaultSwitches &faults, RequestRecorder &recorder);

    // `name` is what fault switches and the request record call the endpoint. `wrongTypesBody`
    // is that endpoint's reply shape with members of unexpected types.
    void AddEndpoint(const std::string &name, const std::string &method, const std::string &pattern,
                     Handler handler, std::string wrongTypesBody);
    // Routes that are neither recorded nor faulted: the control routes.
    void AddPlain(const std::string &method, const std::string &pattern, Handler handler);
    // Answers the methods no route takes on a known path with 405; call after the last route.
    void Seal();

    bool HasEndpoint(const std::string &name) const;
    std::vector<std::string> EndpointNames() const;

private:
    void Register(const std::string &method, const std::string &pattern, Handler handler);
    void Bind(const std::string &method, const std::string &pattern, Handler handler);
    void Serve(const std::string &name, const std::string &wrongTypesBody, const Handler &handler,
               const httplib::Request &req, httplib::Response &res);

    httplib::Server &http_;
    FaultSwitches &faults_;
    RequestRecorder &recorder_;
    std::set<std::string> endpoints_;
    std::map<std::string, std::set<std::string>> methodsByPattern_;
};
