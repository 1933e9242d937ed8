// The program's ends that come from outside its windows: signals, and the
// toolkit's exit().

#include "platform/clock.h"
#include "platform/end_signals.h"

#include <QCoreApplication>
#include <QObject>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace {

TEST(EndSignals, EachEndSignalReachesTheListenerAlsoWhenItCameBeforeIt)
{
    platform::catchEndSignals();
    std::raise(SIGHUP);  // before anything listens, as during the start-up
    int heard = 0;
    {
        QObject context;
        platform::onEndSignal(&context, [&] { ++heard; });
        QCoreApplication::processEvents();
        EXPECT_EQ(heard, 1);
        for (const int s : {SIGINT, SIGTERM}) {
            std::raise(s);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(heard, 3);
    }
    std::raise(SIGTERM);  // the listener has gone: noted, and nothing runs
    QCoreApplication::processEvents();
    EXPECT_EQ(heard, 3);
}

TEST(ExitGuardDeathTest, AnExitWhileArmedRunsTheEndAndFinishesWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // other tests' threads run
    EXPECT_EXIT(
        {
            platform::armExitGuard([] { std::fputs("mount stopped\n", stderr); });
            std::exit(1);  // as the toolkit does when its display goes away
        },
        testing::ExitedWithCode(0), "mount stopped");
    EXPECT_EXIT(
        {
            platform::armExitGuard([] { std::fputs("mount stopped\n", stderr); });
            platform::disarmExitGuard();
            std::exit(3);  // main's own end is left alone
        },
        testing::ExitedWithCode(3), testing::Not(testing::HasSubstr("mount stopped")));
}

// Made after the guard, as the toolkit's data made while the program runs.
std::atomic<bool> g_madeLaterGone{false};
struct MadeLater {
    ~MadeLater() { g_madeLaterGone = true; }
};

TEST(ExitGuardDeathTest, AnExitOnTheArmingThreadRunsTheEndBeforeAnyStaticIsDestroyed)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platform::armExitGuard(
                [] { std::fputs(g_madeLaterGone ? "ended on destroyed data\n" : "ended on live data\n", stderr); });
            static MadeLater later;
            std::exit(1);
        },
        testing::ExitedWithCode(0), "ended on live data");
}

TEST(ExitGuardDeathTest, AnExitFromAnotherThreadRunsTheEndAndTheClockStaysReadable)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            using namespace std::chrono;
            // By then every static made since the arming is gone, the
            // toolkit's zone data among them; a winter and a summer instant
            // are both outside what the clock last looked up.
            platform::armExitGuard([] {
                const auto winter = platform::localTimeAt(platform::UtcMs(sys_days{2026y / 1 / 15}));
                const auto summer = platform::localTimeAt(platform::UtcMs(sys_days{2026y / 7 / 15}));
                std::fprintf(stderr, "read %d %d\n", winter.utcOffsetSeconds, summer.utcOffsetSeconds);
            });
            platform::clock().now();  // the first reading, after the arming
            std::thread([] { std::exit(1); }).join();
        },
        testing::ExitedWithCode(0), "read (3600|7200) (3600|7200)");
}

TEST(EndSignalsDeathTest, AWriteToAPipeWithoutReaderFailsInEveryThread)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const bool onAnotherThread : {false, true}) {
        EXPECT_EXIT(
            {
                int p[2];
                if (::pipe(p) != 0)
                    std::exit(2);
                ::close(p[0]);  // the reader has gone
                std::atomic<bool> caught{false};
                int result = 0;
                int error = 0;
                // A thread already running when the signals are caught.
                std::thread writer([&] {
                    while (!caught)
                        std::this_thread::yield();
                    if (onAnotherThread) {
                        result = static_cast<int>(::write(p[1], "x", 1));
                        error = errno;
                    }
                });
                platform::catchEndSignals();
                caught = true;
                writer.join();
                if (!onAnotherThread) {
                    result = static_cast<int>(::write(p[1], "x", 1));
                    error = errno;
                }
                std::fprintf(stderr, "write %s\n", result == -1 && error == EPIPE ? "failed with EPIPE" : "went on");
                std::exit(0);
            },
            testing::ExitedWithCode(0), "write failed with EPIPE")
            << (onAnotherThread ? "on another thread" : "on the thread that caught the signals");
    }
}

}  // namespace
