#pragma once

#include <httplib.h>

#include <cstddef>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

class FaultSwitches;
class RequestRecorder;

// Every emulated endpoint is registered here rather than on the HTTP server directly, so each one
// is recorded, obeys its fault switch and answers 405 to a wrong method without any service
// having to remember to. The router also reads request bodies itself: ordinary endpoints get
// theirs whole, up to kMaxBodyBytes; streaming endpoints read theirs piece by piece, so an
// object of gigabytes never sits in memory.
class EndpointRouter {
public:
    using Handler = std::function<void(const httplib::Request &, httplib::Response &)>;
    using StreamingHandler =
        std::function<void(const httplib::Request &, httplib::Response &, const httplib::ContentReader &)>;

    // Far above any request body a client of the ordinary endpoints sends; a bigger one is
    // answered 413 and its bytes are read and dropped, never kept.
    static constexpr std::size_t kMaxBodyBytes = 64u << 20;

    EndpointRouter(httplib::Server &http, FaultSwitches &faults, RequestRecorder &recorder);

    // `name` is what fault switches and the request record call the endpoint. `wrongTypesBody`
    // is that endpoint's reply shape with members of unexpected types.
    void AddEndpoint(const std::string &name, const std::string &method, const std::string &pattern,
                     Handler handler, std::string wrongTypesBody);
    // The handler reads the body through the reader, or not at all; the record keeps no body.
    void AddStreamingEndpoint(const std::string &name, const std::string &method, const std::string &pattern,
                              StreamingHandler handler, std::string wrongTypesBody);
    // Routes that are neither recorded nor faulted: the control routes.
    void AddPlain(const std::string &method, const std::string &pattern, Handler handler);
    // Answers the methods no route takes on a known path with 405; call after the last route.
    void Seal();

    bool HasEndpoint(const std::string &name) const;
    std::vector<std::string> EndpointNames() const;

    // The request's content type as the client sent it (see the pre-routing step in the source).
    static std::string ContentTypeOf(const httplib::Request &req);
    // Reads and drops what is left of a body a handler refuses, so the client, still sending,
    // gets the answer rather than a reset connection; a body too big to wait for closes the
    // connection instead.
    static void DiscardBody(const httplib::Request &req, httplib::Response &res, const httplib::ContentReader &reader);

private:
    void Register(const std::string &method, const std::string &pattern, Handler handler);
    void RegisterStreaming(const std::string &method, const std::string &pattern, StreamingHandler handler);
    void Bind(const std::string &method, const std::string &pattern, Handler handler);
    void BindStreaming(const std::string &method, const std::string &pattern, StreamingHandler handler);
    void Serve(const std::string &name, const std::string &wrongTypesBody, const Handler &handler,
               const httplib::Request &req, httplib::Response &res);
    void ServeStreaming(const std::string &name, const std::string &wrongTypesBody, const StreamingHandler &handler,
                        const httplib::Request &req, httplib::Response &res, const httplib::ContentReader &reader);
    bool ApplyFault(const std::string &name, const std::string &wrongTypesBody, httplib::Response &res);

    httplib::Server &http_;
    FaultSwitches &faults_;
    RequestRecorder &recorder_;
    std::set<std::string> endpoints_;
    std::map<std::string, std::set<std::string>> methodsByPattern_;
};
