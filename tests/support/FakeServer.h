#pragma once

#include <httplib.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What a fake server received.
struct RecordedRequest
{
    std::string method;
    std::string path;
    std::string target; // path and raw query as sent
    std::string contentType;
    std::string body;
    httplib::Params params; // decoded query (and form) parameters
    httplib::Headers headers;
};

// An HTTP server on 127.0.0.1 with an ephemeral port, scripted per test: routes are set and
// replaced while it runs, and every request is recorded. Unscripted routes answer 404.
class FakeServer
{
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    FakeServer();
    ~FakeServer();
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    void On(const std::string& method, const std::string& path, Handler handler);
    // Answers every path that starts with prefix and has no route of its own; the longest prefix
    // wins. For paths a test cannot know in advance, such as keys made of new GUIDs.
    void OnPrefix(const std::string& method, const std::string& prefix, Handler handler);
    // Answers method+path with a fixed status, body and content type.
    void Reply(const std::string& method, const std::string& path, int status, const std::string& body,
               const std::string& contentType = "application/json");
    void Reset();

    std::vector<RecordedRequest> Requests() const;
    std::vector<RecordedRequest> RequestsTo(const std::string& path) const;
    int Port() const;
    std::string Url(const std::string& path) const;

private:
    void Dispatch(const httplib::Request& request, httplib::Response& response);

    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::map<std::string, Handler> m_routes;
    std::map<std::string, Handler> m_prefixRoutes;
    std::vector<RecordedRequest> m_requests;
};
