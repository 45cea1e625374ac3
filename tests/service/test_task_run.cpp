#include "service/RestExchange.h"
#include "service/TaskRun.h"
#include "support/Delivery.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
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
            web::http::http_request request(web::http::methods::GET);
            request.set_request_uri("/query");
            RestExchange exchange(client, request, cancel);
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

} // namespace
