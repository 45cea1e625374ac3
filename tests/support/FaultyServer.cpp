#include "support/FaultyServer.h"

#include "support/TestCertificates.h"

#include <algorithm>
#include <iterator>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// How far the last huge body got.
struct HugeProgress
{
    std::mutex mutex;
    std::condition_variable changed;
    size_t sent = 0;
    bool ended = false;

    void Restart()
    {
        std::lock_guard<std::mutex> lock(mutex);
        sent = 0;
        ended = false;
    }
};

namespace {

// Large enough that a client cannot take an error page for a short piece of audio.
std::string ErrorPage(int status)
{
    std::string page = "<!DOCTYPE html><html><head><title>" + std::to_string(status) +
                       "</title></head><body><h1>Service error</h1><p>";
    page += std::string(300, '.');
    return page + "</p></body></html>";
}

bool IsJson(const std::string& contentType)
{
    return contentType.rfind("application/json", 0) == 0;
}

// A 50 MB reply made from the good one: a JSON object gets a padding member in front of its own
// members, anything else is followed by filler bytes.
void ServeHuge(httplib::Response& response, const std::string& good, const std::string& contentType,
               std::shared_ptr<HugeProgress> progress)
{
    std::string head;
    std::string tail;
    char filler = '\0';
    if (IsJson(contentType) && good.size() > 2 && good.front() == '{') {
        head = "{\"padding\":\"";
        tail = "\"," + good.substr(1);
        filler = 'x';
    } else {
        head = good;
    }
    const size_t fill = FaultyServer::kHugeBytes - std::min(FaultyServer::kHugeBytes, head.size() + tail.size());
    const size_t total = head.size() + fill + tail.size();
    response.set_content_provider(
        total, contentType,
        [head, tail, fill, filler, progress](size_t offset, size_t length, httplib::DataSink& sink) {
            const size_t wanted = std::min(length, size_t(1) << 16);
            std::string chunk;
            chunk.reserve(wanted);
            for (size_t at = offset; chunk.size() < wanted;) {
                size_t take = wanted - chunk.size();
                if (at < head.size()) {
                    take = std::min(take, head.size() - at);
                    chunk.append(head, at, take);
                } else if (at < head.size() + fill) {
                    take = std::min(take, head.size() + fill - at);
                    chunk.append(take, filler);
                } else {
                    const size_t from = at - head.size() - fill;
                    take = std::min(take, tail.size() - from);
                    chunk.append(tail, from, take);
                }
                at += take;
            }
            if (!sink.write(chunk.data(), chunk.size()))
                return false;
            std::lock_guard<std::mutex> lock(progress->mutex);
            progress->sent = offset + chunk.size();
            return true;
        },
        [progress](bool) {
            {
                std::lock_guard<std::mutex> lock(progress->mutex);
                progress->ended = true;
            }
            progress->changed.notify_all();
        });
}

} // namespace

const char* FaultName(Fault fault)
{
    // In the order of Fault.
    static constexpr const char* kNames[] = {"Refused",        "Status500", "Slow",
                                             "NotJson",        "WrongTypes", "Truncated",
                                             "ClosedMidReply", "Huge",       "UntrustedCertificate",
                                             "TrustedThroughCaFile"};
    static_assert(std::size(kNames) == size_t(Fault::TrustedThroughCaFile) + 1);
    return kNames[size_t(fault)];
}

FaultyServer::FaultyServer(const TlsIdentity* tls)
    : m_tls(tls)
{
    // The listener shares the port through SO_REUSEPORT, which the HTTP library sets on its socket.
    m_reserve = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_reserve < 0 || ::setsockopt(m_reserve, SOL_SOCKET, SO_REUSEPORT, &yes, sizeof yes) != 0 ||
        ::bind(m_reserve, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(m_reserve, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_reserve >= 0)
            ::close(m_reserve);
        throw std::runtime_error("cannot reserve a port on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
    m_server = std::make_unique<FakeServer>(m_port, m_tls);
    m_huge = std::make_shared<HugeProgress>();
}

FaultyServer::~FaultyServer()
{
    m_server.reset();
    ::close(m_reserve);
}

std::string FaultyServer::Url(const std::string& path) const
{
    return (m_tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port) + path;
}

void FaultyServer::Relisten(const TlsIdentity* tls)
{
    m_server->Reset();
    // A server that stopped listening cannot start again: a new one takes the port.
    m_server.reset();
    m_server = std::make_unique<FakeServer>(m_port, tls);
}

void FaultyServer::ReplyThenRefuse(const std::string& method, const std::string& path, const std::string& good,
                                   const std::string& contentType)
{
    FakeServer* server = m_server.get();
    server->On(method, path, [server, good, contentType](const httplib::Request&, httplib::Response& response) {
        response.set_content(good, contentType.c_str());
        server->StopListening();
    });
}

void FaultyServer::StoreThenRefuse(const std::string& prefix)
{
    FakeServer* server = m_server.get();
    server->OnPrefix("PUT", prefix, [server](const httplib::Request&, httplib::Response& response) {
        response.status = 200;
        server->StopListening();
    });
}

void FaultyServer::Serve(const std::string& method, const std::string& path, Fault fault, const std::string& good,
                         const std::string& wrongTypes, const std::string& contentType)
{
    if (FakeServer::Handler handler = Prepare(fault, good, wrongTypes, contentType))
        m_server->On(method, path, std::move(handler));
}

void FaultyServer::ServePrefix(const std::string& method, const std::string& prefix, Fault fault,
                               const std::string& good, const std::string& wrongTypes, const std::string& contentType)
{
    if (FakeServer::Handler handler = Prepare(fault, good, wrongTypes, contentType))
        m_server->OnPrefix(method, prefix, std::move(handler));
}

void FaultyServer::ServeHugeStatus(const std::string& method, const std::string& prefix, int status)
{
    m_huge->Restart();
    m_server->OnPrefix(method, prefix, [status, progress = m_huge](const httplib::Request&, httplib::Response& response) {
        response.status = status;
        ServeHuge(response, "", "text/html", progress);
    });
}

size_t FaultyServer::HugeBytesSent() const
{
    std::unique_lock<std::mutex> lock(m_huge->mutex);
    m_huge->changed.wait_for(lock, FakeServer::kStallLimit, [this] { return m_huge->ended; });
    return m_huge->sent;
}

FakeServer::Handler FaultyServer::Prepare(Fault fault, const std::string& good, const std::string& wrongTypes,
                                          const std::string& contentType)
{
    const auto reply = [](int status, const std::string& body, const std::string& type) {
        return [=](const httplib::Request&, httplib::Response& response) {
            response.status = status;
            response.set_content(body, type.c_str());
        };
    };
    switch (fault) {
    case Fault::Refused:
        Refuse();
        break;
    case Fault::UntrustedCertificate:
        Relisten(&TestCertificates::Get().Stranger());
        [[fallthrough]];
    case Fault::TrustedThroughCaFile:
        return reply(200, good, contentType);
    case Fault::Slow:
        return m_server->StallHandler();
    case Fault::Status500:
        return reply(500, ErrorPage(500), "text/html");
    case Fault::NotJson:
        return reply(200, ErrorPage(200), "text/html");
    case Fault::WrongTypes:
        return reply(200, wrongTypes, "application/json");
    case Fault::Truncated:
        return reply(200, good.substr(0, good.size() / 2), contentType);
    case Fault::ClosedMidReply:
        return [good, contentType](const httplib::Request&, httplib::Response& response) {
            const std::string half = good.substr(0, good.size() / 2);
            response.set_content_provider(good.size(), contentType,
                                          [half](size_t offset, size_t, httplib::DataSink& sink) {
                                              if (offset == 0)
                                                  sink.write(half.data(), half.size());
                                              return false; // closes the connection
                                          });
        };
    case Fault::Huge:
        m_huge->Restart();
        return [good, contentType, progress = m_huge](const httplib::Request&, httplib::Response& response) {
            ServeHuge(response, good, contentType, progress);
        };
    }
    return {};
}
