#include "platform/gui_bridge.h"

#include "tests/support/wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using platform::runOnUiThread;
using testing_support::waitUntil;

namespace {

// Runs `body` on a worker thread while this (the user-interface) thread
// handles events until the worker is done.
template <class F>
void onWorker(F body)
{
    std::atomic<bool> done{false};
    std::thread t([&] {
        body();
        done = true;
    });
    EXPECT_TRUE(waitUntil([&] { return done.load(); }));
    t.join();
}

TEST(UiBridge, RunsOnTheUserInterfaceThreadAndWaits)
{
    const auto ui = std::this_thread::get_id();
    std::thread::id ranOn;
    EXPECT_TRUE(runOnUiThread([&] { ranOn = std::this_thread::get_id(); }));
    EXPECT_EQ(ranOn, ui);  // directly, on the user-interface thread itself

    onWorker([&] {
        int value = 0;
        EXPECT_TRUE(runOnUiThread([&] {
            ranOn = std::this_thread::get_id();
            value = 42;
        }));
        EXPECT_EQ(value, 42);  // done by the time the call returns
        EXPECT_THROW(runOnUiThread([] { throw std::runtime_error("boom"); }), std::runtime_error);
    });
    EXPECT_EQ(ranOn, ui);
}

TEST(UiBridge, PostedCallsRunLaterOnTheUserInterfaceThreadUnlessCancelled)
{
    const auto ui = std::this_thread::get_id();
    std::vector<int> ran;
    platform::UiCallGroup group;
    std::thread t([&] {
        EXPECT_TRUE(platform::postToUiThread([&] {
            EXPECT_EQ(std::this_thread::get_id(), ui);
            ran.push_back(1);
        }));
        EXPECT_TRUE(platform::postToUiThread([&] { ran.push_back(2); }, &group));
    });
    t.join();
    EXPECT_TRUE(platform::postToUiThread([&] { ran.push_back(3); }));  // queued here too, not run at once
    EXPECT_TRUE(ran.empty());
    group.cancel();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, (std::vector<int>{1, 3}));
}

TEST(UiBridge, CancelledGroupDropsItsQueuedCallAndRefusesLaterOnes)
{
    platform::UiCallGroup group;
    platform::UiCallGroup other;
    std::atomic<bool> ran{false};
    std::atomic<int> result{-1};
    std::thread t([&] { result = runOnUiThread([&] { ran = true; }, &group) ? 1 : 0; });
    ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 1; }, false));
    group.cancel();
    t.join();  // released without the user-interface thread running anything
    EXPECT_EQ(result, 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
    EXPECT_FALSE(runOnUiThread([&] { ran = true; }, &group));
    EXPECT_FALSE(ran);

    onWorker([&] { EXPECT_TRUE(runOnUiThread([] {}, &other)); });  // other groups go on
}

TEST(UiBridge, ShutdownReleasesEveryWaitAndRefusesLaterOnes)
{
    std::atomic<bool> ran{false};
    std::atomic<int> results{0};
    {
        platform::UiBridge bridge;  // stands in for the program's
        std::thread a([&] { results += runOnUiThread([&] { ran = true; }) ? 1 : 10; });
        ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 1; }, false));
        bridge.shutdown();
        a.join();
        std::thread b([&] { results += runOnUiThread([&] { ran = true; }) ? 1 : 10; });
        b.join();
        EXPECT_TRUE(runOnUiThread([] {}));  // the user-interface thread itself still runs calls
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(results, 20);
    EXPECT_FALSE(ran);
    onWorker([] { EXPECT_TRUE(runOnUiThread([] {})); });  // the program's bridge is back
}

}  // namespace
