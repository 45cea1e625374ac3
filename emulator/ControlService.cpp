#include "ControlService.h"

#include "EndpointRouter.h"
#include "FaultSetting.h"
#include "FaultSwitches.h"
#include "JsonReply.h"
#include "RequestRecorder.h"

#include <string>

namespace {

const std::string kControlRoot = ControlService::kPrefix;

web::json::value Acknowledge()
{
    auto body = web::json::value::object();
    body["ok"] = web::json::value::boolean(true);
    return body;
}

}  // namespace

ControlService::ControlService(EndpointRouter &router, FaultSwitches &faults, RequestRecorder &recorder)
    : router_(router), faults_(faults), recorder_(recorder)
{
}

void ControlService::Register()
{
    using Req = httplib::Request;
    using Res = httplib::Response;
    router_.AddPlain("GET", kControlRoot + "/health", [this](const Req &, Res &res) {
        auto body = Acknowledge();
        auto names = web::json::value::array();
        for (const auto &name : router_.EndpointNames())
            names[names.size()] = web::json::value::string(name);
        body["endpoints"] = names;
        JsonReply::Send(res, 200, body);
    });
    router_.AddPlain("GET", kControlRoot + "/faults", [this](const Req &, Res &res) { ListFaults(res); });
    router_.AddPlain("DELETE", kControlRoot + "/faults", [this](const Req &, Res &res) {
        faults_.ClearAll();
        JsonReply::Send(res, 200, Acknowledge());
    });
    router_.AddPlain("POST", kControlRoot + "/faults/([^/]+)", [this](const Req &req, Res &res) { SetFault(req, res); });
    router_.AddPlain("DELETE", kControlRoot + "/faults/([^/]+)", [this](const Req &req, Res &res) { ClearFault(req, res); });
    router_.AddPlain("GET", kControlRoot + "/requests", [this](const Req &req, Res &res) { ListRequests(req, res); });
    router_.AddPlain("DELETE", kControlRoot + "/requests", [this](const Req &, Res &res) {
        recorder_.Clear();
        JsonReply::Send(res, 200, Acknowledge());
    });
}

void ControlService::SetFault(const httplib::Request &req, httplib::Response &res)
{
    const std::string endpoint = req.matches[1];
    if (!CheckEndpoint(endpoint, res))
        return;
    const auto body = JsonReply::Parse(req.body);
    if (!body) {
        JsonReply::SendError(res, 400, "invalid_fault", "the fault must be a JSON object");
        return;
    }
    std::string error;
    const auto setting = FaultSetting::FromJson(*body, error);
    if (!setting) {
        JsonReply::SendError(res, 400, "invalid_fault", error);
        return;
    }
    faults_.Set(endpoint, *setting);
    auto reply = Acknowledge();
    reply["endpoint"] = web::json::value::string(endpoint);
    reply["fault"] = setting->ToJson();
    JsonReply::Send(res, 200, reply);
}

void ControlService::ClearFault(const httplib::Request &req, httplib::Response &res)
{
    const std::string endpoint = req.matches[1];
    if (!CheckEndpoint(endpoint, res))
        return;
    faults_.Clear(endpoint);
    JsonReply::Send(res, 200, Acknowledge());
}

void ControlService::ListFaults(httplib::Response &res) const
{
    auto body = web::json::value::object();
    for (const auto &[endpoint, setting] : faults_.Snapshot())
        body[endpoint] = setting.ToJson();
    JsonReply::Send(res, 200, body);
}

void ControlService::ListRequests(const httplib::Request &req, httplib::Response &res) const
{
    const std::string endpoint = req.get_param_value("endpoint");
    if (!endpoint.empty() && !CheckEndpoint(endpoint, res))
        return;
    JsonReply::Send(res, 200, recorder_.ToJson(endpoint));
}

bool ControlService::CheckEndpoint(const std::string &name, httplib::Response &res) const
{
    if (router_.HasEndpoint(name))
        return true;
    std::string known;
    for (const auto &endpoint : router_.EndpointNames())
        known += (known.empty() ? "" : ", ") + endpoint;
    JsonReply::SendError(res, 404, "unknown_endpoint", "no endpoint is called " + name + "; known: " + known);
    return false;
}
