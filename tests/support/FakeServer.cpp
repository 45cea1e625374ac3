#include "support/FakeServer.h"

#include "support/TestCertificates.h"

#include <atomic>
#include <stdexcept>
#include <utility>

FakeServer::FakeServer(int port, const TlsIdentity* tls)
    : m_server(tls ? std::make_unique<httplib::SSLServer>(tls->certFile.c_str(), tls->keyFile.c_str())
                   : std::make_unique<httplib::Server>())
    , m_tls(tls != nullptr)
{
    if (!m_server->is_valid())
        throw std::runtime_error("fake server cannot use its certificate");
    const auto dispatch = [this](const httplib::Request& request, httplib::Response& response) {
        Dispatch(request, response);
    };
    m_server->Get(".*", dispatch);
    m_server->Post(".*", dispatch);
    m_server->Put(".*", dispatch);
    m_server->Delete(".*", dispatch);
    m_server->new_task_queue = [] { return new httplib::ThreadPool(8); };
    // Headers and body go out in two writes: without this a kept-alive connection waits for the
    // client's delayed acknowledgement between them on every request.
    m_server->set_tcp_nodelay(true);
    // The module keeps its connections for the next request; a test's server closes each after
    // its reply instead, so that stopping it never waits for an idle connection to time out.
    m_server->set_keep_alive_max_count(1);
    if (port == 0)
        m_port = m_server->bind_to_any_port("127.0.0.1");
    else if (m_server->bind_to_port("127.0.0.1", port))
        m_port = port;
    if (m_port <= 0)
        throw std::runtime_error("fake server cannot bind to 127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // stop() before the accept loop has begun would be lost and leave the loop running forever.
    while (!m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FakeServer::~FakeServer()
{
    // Stalled handlers hold pool threads the server's end waits for.
    ReleaseStalls();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

void FakeServer::On(const std::string& method, const std::string& path, Handler handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_routes[method + " " + path] = std::move(handler);
}

void FakeServer::OnPrefix(const std::string& method, const std::string& prefix, Handler handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_prefixRoutes[method + " " + prefix] = std::move(handler);
}

void FakeServer::Reply(const std::string& method, const std::string& path, int status, const std::string& body,
                       const std::string& contentType)
{
    On(method, path, [=](const httplib::Request&, httplib::Response& response) {
        response.status = status;
        response.set_content(body, contentType.c_str());
    });
}

void FakeServer::ReplyInTurn(const std::string& method, const std::string& path, std::vector<std::string> bodies)
{
    auto shared = std::make_shared<const std::vector<std::string>>(std::move(bodies));
    auto next = std::make_shared<std::atomic<size_t>>(0);
    On(method, path, [shared, next](const httplib::Request&, httplib::Response& response) {
        response.set_content((*shared)[std::min(next->fetch_add(1), shared->size() - 1)], "application/json");
    });
}

void FakeServer::Stall(const std::string& method, const std::string& path)
{
    On(method, path, StallHandler());
}

FakeServer::Handler FakeServer::StallHandler()
{
    std::shared_future<void> released;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        released = m_release->released;
    }
    return [released](const httplib::Request&, httplib::Response& response) {
        released.wait_for(kStallLimit);
        response.status = 503;
        response.set_content("{\"error\":\"stalled\"}", "application/json");
    };
}

void FakeServer::ReleaseStalls()
{
    std::shared_ptr<Release> release;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        release = std::exchange(m_release, std::make_shared<Release>());
    }
    release->promise.set_value();
}

void FakeServer::Reset()
{
    ReleaseStalls();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_routes.clear();
    m_prefixRoutes.clear();
    m_requests.clear();
    m_answered.clear();
    // A request of an earlier script that is answered only now is not counted for the next one.
    ++m_epoch;
}

std::vector<RecordedRequest> FakeServer::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::vector<RecordedRequest> FakeServer::RequestsTo(const std::string& path) const
{
    std::vector<RecordedRequest> matching;
    for (const RecordedRequest& request : Requests()) {
        if (request.path == path)
            matching.push_back(request);
    }
    return matching;
}

size_t FakeServer::Answered(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_answered.find(path);
    return found == m_answered.end() ? 0 : found->second;
}

std::string FakeServer::Url(const std::string& path) const
{
    return (m_tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port) + path;
}

void FakeServer::Dispatch(const httplib::Request& request, httplib::Response& response)
{
    Handler handler;
    uint64_t epoch = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        epoch = m_epoch;
        m_requests.push_back(RecordedRequest{request.method, request.path, request.target,
                                             request.get_header_value("Content-Type"), request.body,
                                             request.params, request.files, request.headers});
        const std::string route = request.method + " " + request.path;
        const auto found = m_routes.find(route);
        if (found != m_routes.end()) {
            handler = found->second;
        } else {
            size_t longest = 0;
            for (const auto& [prefix, candidate] : m_prefixRoutes) {
                if (route.compare(0, prefix.size(), prefix) == 0 && prefix.size() > longest) {
                    longest = prefix.size();
                    handler = candidate;
                }
            }
        }
    }
    if (handler) {
        handler(request, response);
    } else {
        response.status = 404;
        response.set_content("{\"error\":\"no such route\"}", "application/json");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (epoch == m_epoch)
        ++m_answered[request.path];
}
