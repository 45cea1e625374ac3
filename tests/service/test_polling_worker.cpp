#include "service/PollingWorker.h"

#include "service/RestExchange.h"
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

TEST(PollingWorker, StoppedFromItsOwnReportItIsGoneBeforeTheNextStartPolls)
{
    // Everything the first loop touches is shared, so a loop that outlived its run could not
    // write into the test's frame.
    auto firstPolls = std::make_shared<std::atomic<int>>(0);
    auto secondPolls = std::make_shared<std::atomic<int>>(0);
    auto stopped = std::make_shared<std::promise<void>>();
    std::promise<void> open;
    const std::shared_future<void> gate = open.get_future().share();
    PollingWorker worker;
    worker.Start(
        1ms, [firstPolls](const pplx::cancellation_token&) { return int32_t(++*firstPolls); },
        [&worker, stopped, reported = std::make_shared<std::atomic<bool>>(false)](int32_t) {
            if (reported->exchange(true))
                return;
            worker.Stop();
            stopped->set_value();
        },
        // Holds the stopped loop after its report for a moment, so a new start has to deal with it.
        [gate](int32_t) {
            gate.wait_for(200ms);
            return false;
        });
    ASSERT_EQ(stopped->get_future().wait_for(10s), std::future_status::ready);

    worker.Start(
        1ms, [secondPolls](const pplx::cancellation_token&) { return int32_t(++*secondPolls); }, [](int32_t) {},
        [](int32_t) { return false; });
    open.set_value();
    EXPECT_TRUE(DeliverUntil(nullptr, [&] { return *firstPolls > 1 || *secondPolls >= 20; }));
    EXPECT_EQ(worker.Stop(), 0);
    EXPECT_EQ(*firstPolls, 1) << "the stopped loop polled again after the new start";
    EXPECT_FALSE(worker.Running());
}

TEST(PollingWorker, StopEndsAWaitAndNoReportFollows)
{
    auto reports = std::make_shared<std::atomic<int>>(0);
    PollingWorker worker;
    worker.Start(
        1h, [](const pplx::cancellation_token&) { return int32_t(1); }, [reports](int32_t) { ++*reports; },
        [](int32_t) { return false; });
    ASSERT_TRUE(DeliverUntil(nullptr, [&] { return *reports == 1; }));
    EXPECT_EQ(worker.Stop(), 0) << "the hour-long wait ends at once";
    EXPECT_FALSE(worker.Running());
    EXPECT_EQ(*reports, 1);
    EXPECT_EQ(worker.Stop(), 0) << "stopping twice is harmless";
}

// Every poll is one request that the worker's stop cancels. A poller may run for hours against a
// service that keeps answering "running", so the stop's reach must not leave something behind per
// request: a poller's requests grow memory no more than requests nothing can cancel.
TEST(PollingWorker, ThousandsOfCancellableRequestsKeepNothingBehind)
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
