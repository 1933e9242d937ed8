#include "platform/stoppable_sleep.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(StoppableSleep, AWakeEndsTheSleepInProgressOrTheNextOneAtOnce)
{
    platform::StoppableSleep sleep;
    const auto t0 = Clock::now();
    bool timedOut = true;
    std::thread sleeper([&] { timedOut = sleep.sleepFor(1h); });
    sleep.wake();  // before or during the sleep: it ends either way
    sleeper.join();
    EXPECT_FALSE(timedOut);

    sleep.wake();
    EXPECT_FALSE(sleep.sleepFor(1h)) << "a wake nobody took ends the next sleep";
    EXPECT_LT(Clock::now() - t0, 30s);

    // One wake a sleep: the second sleep runs out.
    sleep.wake();
    EXPECT_FALSE(sleep.sleepFor(1h));
    EXPECT_TRUE(sleep.sleepFor(1ms));

    sleep.wake();
    sleep.wake();
    sleep.clear();
    const auto t1 = Clock::now();
    EXPECT_TRUE(sleep.sleepFor(2ms)) << "cleared wakes are forgotten";
    EXPECT_GE(Clock::now() - t1, 2ms);
}

}  // namespace
