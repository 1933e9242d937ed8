// The program's ends that come from outside its windows: signals, and the
// toolkit's exit().

#include "platform/end_signals.h"

#include <QCoreApplication>
#include <QObject>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

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

}  // namespace
