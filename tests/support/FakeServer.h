#pragma once

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct RecordedRequest
{
    std::string method;
    std::string path;
    std::string target; // path and raw query as sent
    std::string contentType;
    std::string body;
    httplib::Params params; // decoded query (and form) parameters
    httplib::MultipartFormDataMap files; // the parts of a multipart body (its body text stays empty)
    httplib::Headers headers;
};

struct TlsIdentity;

// An HTTP server on 127.0.0.1 with an ephemeral port, scripted per test: routes are set and
// replaced while it runs, and every request is recorded. Unscripted routes answer 404. Given an
// identity, it speaks HTTPS only and presents that certificate.
//
// A handler may still run after the test that scripted it has returned (a client that was
// stopped leaves its request behind), so handlers keep their state in what they capture by value
// or in the server, never in the test's own variables.
class FakeServer
{
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    // How long a stalled request waits for its release at most, so nothing hangs for good.
    static constexpr std::chrono::seconds kStallLimit{20};

    // port 0 takes any free port; another port must be free for this process to bind.
    explicit FakeServer(int port = 0, const TlsIdentity* tls = nullptr);
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
    // Answers method+path with status 200 and the JSON bodies in turn; the last one repeats.
    void ReplyInTurn(const std::string& method, const std::string& path, std::vector<std::string> bodies);
    // Holds every request to method+path without an answer until ReleaseStalls(), Reset() or the
    // server's end (at most kStallLimit); a released request is answered with status 503.
    void Stall(const std::string& method, const std::string& path);
    // The handler Stall installs, for routes scripted some other way (a prefix).
    Handler StallHandler();
    void ReleaseStalls();
    // Releases the stalls, then forgets routes and records.
    void Reset();
    // Stops accepting connections; later connections are refused. A handler may call it: its own
    // reply still goes out.
    void StopListening() { m_server->stop(); }

    std::vector<RecordedRequest> Requests() const;
    std::vector<RecordedRequest> RequestsTo(const std::string& path) const;
    // How many requests to path have been answered (their handler has returned).
    size_t Answered(const std::string& path) const;
    int Port() const { return m_port; }
    std::string Url(const std::string& path) const;

private:
    // Set once: a stall waits for the release of the script it began under.
    struct Release
    {
        std::promise<void> promise;
        std::shared_future<void> released = promise.get_future().share();
    };

    void Dispatch(const httplib::Request& request, httplib::Response& response);

    std::unique_ptr<httplib::Server> m_server;
    bool m_tls = false;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::map<std::string, Handler> m_routes;
    std::map<std::string, Handler> m_prefixRoutes;
    std::vector<RecordedRequest> m_requests;
    std::map<std::string, size_t> m_answered;
    uint64_t m_epoch = 0;
    std::shared_ptr<Release> m_release = std::make_shared<Release>();
};
