#pragma once

#include <httplib.h>

class EndpointRouter;
class FaultSwitches;
class RequestRecorder;

// The /__control routes through which tests switch faults on and off and read what each
// endpoint received. They need no token and are never faulted or recorded themselves.
class ControlService {
public:
    static constexpr const char *kPrefix = "/__control";

    ControlService(EndpointRouter &router, FaultSwitches &faults, RequestRecorder &recorder);
    void Register();

private:
    void SetFault(const httplib::Request &req, httplib::Response &res);
    void ClearFault(const httplib::Request &req, httplib::Response &res);
    void ListFaults(httplib::Response &res) const;
    void ListRequests(const httplib::Request &req, httplib::Response &res) const;
    // Answers 404 and returns false for a name no endpoint has, so a misspelt switch is noticed.
    bool CheckEndpoint(const std::string &name, httplib::Response &res) const;

    EndpointRouter &router_;
    FaultSwitches &faults_;
    RequestRecorder &recorder_;
};
