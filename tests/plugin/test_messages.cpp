#include "host/QOVMessage.h"
#include "support/MessageSink.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(WindowMessages, PostedFromAWorkerArriveInOrderOnTheWindowsThread)
{
    MessageSink window;
    std::thread worker([&window] {
        for (int code = 0; code < 50; ++code)
            QOVPostMessage(&window, 8027, uintptr_t(code), 0);
    });
    worker.join();
    EXPECT_TRUE(window.Codes().isEmpty()) << "nothing arrives before the window's thread runs its loop";
    ASSERT_TRUE(window.WaitUntil([&window] { return window.Codes().size() == 50; }));
    for (int code = 0; code < 50; ++code)
        EXPECT_EQ(window.Codes()[code], code);
    EXPECT_EQ(window.Messages().front().number, 8027);
    EXPECT_FALSE(QOVPostMessage(nullptr, 8025, 0, 0)) << "no window, nothing queued";
}

} // namespace
