#include "service/RestExchange.h"
#include "service/TaskRun.h"
#include "support/Delivery.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(TaskRun, AStopFromItsOwnBodyEndsItAndNoNewStartRunsBeforeItHasReturned)
{
    // Everything the first body touches is shared, so a body that outlived its run could not
    // write into the test's frame.
    auto firstPolls = std::make_shared<std::atomic<int>>(0);
    auto secondPolls = std::make_shared<std::atomic<int>>(0);
    std::promise<void> open;
    const std::shared_future<void> gate = open.get_future().share();
    TaskRun run;
    ASSERT_TRUE(run.Start([&run, firstPolls, gate](TaskControl& control) {
        while (!control.Stopping()) {
            ++*firstPolls;
            EXPECT_FALSE(run.StopAndWait(1s)) << "a body cannot wait for itself";
            // Holds the stopped body a moment, so a new start has to deal with it.
            gate.wait_for(200ms);
        }
    }));
    EXPECT_FALSE(run.Start([](TaskControl&) {})) << "a start while the stopped body has not returned";
    open.set_value();
    ASSERT_TRUE(run.Control()->WaitDone(10s));
    ASSERT_TRUE(run.Start([secondPolls](TaskControl& control) {
        while (control.Pause(1ms))
            ++*secondPolls;
    }));
    EXPECT_TRUE(DeliverUntil(nullptr, [&] { return *secondPolls >= 20; }));
    EXPECT_TRUE(run.StopAndWait(5s));
    EXPECT_EQ(*firstPolls, 1) << "the stopped body polled again";
    EXPECT_FALSE(run.Running());
}

TEST(TaskRun, AStopEndsAPauseAtOnce)
{
    TaskRun run;
    std::atomic<bool> paused{false};
    ASSERT_TRUE(run.Start([&paused](TaskControl& control) {
        paused = true;
        control.Pause(1h);
    }));
    ASSERT_TRUE(DeliverUntil(nullptr, [&] { return paused.load(); }));
    EXPECT_TRUE(run.StopAndWait(5s)) << "the hour-long pause ends at once";
    EXPECT_FALSE(run.Running());
    EXPECT_TRUE(run.StopAndWait(5s)) << "stopping twice is harmless";
}

// Every poll is one request that the task's stop cancels. A poller may run for hours against a
// service that keeps answering "running", so the stop's reach must not leave something behind per
// request: a poller's requests grow memory no more than requests nothing can cancel.
TEST(RestExchange, ThousandsOfCancellableRequestsKeepNothingBehind)
{
    // Not the recording server: its records would grow with every request.
    httplib::Server server;
    server.Get("/query", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("{\"task_status\":\"Running\"}", "application/json");
    });
    server.set_tcp_nodelay(true);
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&server] { server.listen_after_bind(); });
    web::http::client::http_client client("http://127.0.0.1:" + std::to_string(port));
    static constexpr int kPolls = 3000;
    const auto growth = [&client](const pplx::cancellation_token& cancel) {
        const auto poll = [&client, &cancel] {
            RestExchange exchange(
                client,
                [] {
                    web::http::http_request request(web::http::methods::GET);
                    request.set_request_uri("/query");
                    return request;
                },
                cancel);
            return exchange.ReadJson().has_field("task_status");
        };
        for (int i = 0; i < 300; ++i)
            poll();
        const size_t before = mallinfo2().uordblks;
        int answered = 0;
        for (int i = 0; i < kPolls; ++i)
            answered += poll() ? 1 : 0;
        EXPECT_EQ(answered, kPolls);
        return ptrdiff_t(mallinfo2().uordblks) - ptrdiff_t(before);
    };
    const ptrdiff_t uncancellable = growth(pplx::cancellation_token::none());
    pplx::cancellation_token_source stop;
    const ptrdiff_t cancellable = growth(stop.get_token());
    server.stop();
    serving.join();
    EXPECT_LT(cancellable, uncancellable + kPolls * 64)
        << "cancellable requests grew memory by " << cancellable << " bytes, others by " << uncancellable;
}

// A server that answers each request as if it kept the connection, then closes it at once, as a
// server does with a connection left idle longer than it keeps one.
class ClosingServer
{
public:
    ClosingServer()
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(m_socket, 8);
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~ClosingServer()
    {
        ::shutdown(m_socket, SHUT_RDWR);
        ::close(m_socket);
        m_thread.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    // Resolved when the server has answered and closed its first connection.
    std::future<void> FirstClosed() { return m_firstClosed.get_future(); }
    int Answered() const { return m_answered; }

private:
    void Serve()
    {
        for (int connection; (connection = ::accept(m_socket, nullptr, nullptr)) >= 0;) {
            // The request's head, then as much body as it announces.
            std::string request;
            char chunk[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t read = ::recv(connection, chunk, sizeof(chunk), 0);
                if (read <= 0)
                    break;
                request.append(chunk, size_t(read));
            }
            const size_t head = request.find("\r\n\r\n");
            const size_t announced = request.find("Content-Length: ");
            size_t body = announced == std::string::npos ? 0 : std::stoul(request.substr(announced + 16));
            for (size_t got = head == std::string::npos ? 0 : request.size() - head - 4; got < body;) {
                const ssize_t read = ::recv(connection, chunk, sizeof(chunk), 0);
                if (read <= 0)
                    break;
                got += size_t(read);
            }
            if (head != std::string::npos) {
                const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                                          "Content-Length: 7\r\nConnection: keep-alive\r\n\r\n{\"a\":1}";
                ::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
                ++m_answered;
            }
            ::close(connection);
            if (!m_closedOnce.exchange(true))
                m_firstClosed.set_value();
        }
    }

    int m_socket = -1;
    int m_port = 0;
    std::atomic<int> m_answered{0};
    std::atomic<bool> m_closedOnce{false};
    std::promise<void> m_firstClosed;
    std::thread m_thread;
};

TEST(RestExchange, AKeptConnectionTheServerClosedIsReplacedAndTheRequestSentAgain)
{
    ClosingServer server;
    std::future<void> firstClosed = server.FirstClosed();
    web::http::client::http_client client(server.Url());
    const auto post = [&client] {
        RestExchange exchange(client, [] {
            web::http::http_request request(web::http::methods::POST);
            request.set_request_uri("/task");
            request.set_body(web::json::value::parse(R"({"text":"a body written after the head"})"));
            return request;
        });
        return exchange.ReadJson().has_field("a");
    };
    EXPECT_TRUE(post());
    ASSERT_EQ(firstClosed.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    // The client kept the first connection; writing the body to it fails, and the request goes on
    // a new one.
    EXPECT_TRUE(post());
    EXPECT_EQ(server.Answered(), 2);
}

} // namespace
