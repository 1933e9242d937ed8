#include "core/utils.h"

#include "platform/clock.h"
#include "platform/priority.h"
#include "tests/support/recording_scheduler.h"
#include "tests/support/test_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using testing_support::TestClock;

class WaitTimer : public ::testing::Test {
protected:
    TestClock clock;
    void SetUp() override { clock.setTime(12, 0, 0); }
};

TEST_F(WaitTimer, TimesOutOnceTheIntervalHasPassedAndStaysSo)
{
    TWaitTimer t(1000);
    clock.advance(999);
    EXPECT_FALSE(t.TIMEOUT());
    clock.advance(1);
    EXPECT_TRUE(t.TIMEOUT());
    clock.advance(5000);
    EXPECT_TRUE(t.TIMEOUT());  // polling does not restart it
    t.RESTART();
    EXPECT_FALSE(t.TIMEOUT());
    clock.advance(1000);
    EXPECT_TRUE(t.TIMEOUT());  // the interval was kept
}

TEST_F(WaitTimer, RestartWithAnIntervalReplacesIt)
{
    auto t = TWaitTimer::Create(1000);
    t->RESTART(10);
    clock.advance(9);
    EXPECT_FALSE(t->TIMEOUT());
    clock.advance(1);
    EXPECT_TRUE(t->TIMEOUT());
}

TEST_F(WaitTimer, IntervalsAtTheEnds)
{
    EXPECT_TRUE(TWaitTimer(0).TIMEOUT());
    EXPECT_TRUE(TWaitTimer(-5).TIMEOUT());
    clock.setTime(0, 0, 0);
    TWaitTimer day(86400000);
    clock.setTime(23, 59, 59, 999);
    EXPECT_FALSE(day.TIMEOUT());  // a day or more never passes
}

TEST_F(WaitTimer, MeasuresTheDistanceOfTwoTimesOfDay)
{
    // Started before midnight, it times out at the first poll after it.
    clock.setTime(23, 59, 59, 500);
    TWaitTimer t(1000);
    clock.advance(700);  // 00:00:00.200
    EXPECT_TRUE(t.TIMEOUT());

    // A clock set back by hand makes a running timer time out too.
    clock.setTime(12, 0, 0);
    TWaitTimer u(1000);
    clock.setTime(11, 59, 58);
    EXPECT_TRUE(u.TIMEOUT());
}

TEST(VersionTexts, FromTheProjectVersionWhateverTheArgument)
{
    EXPECT_EQ(GET_FILE_INFO("FileVersion"), "1.4.0");
    EXPECT_EQ(GET_FILE_INFO(""), "1.4.0");
    EXPECT_EQ(GET_BUILD_INFO(""), "25");
}

TEST(ProcessPriority, LevelsMapToClassesAndOthersChangeNothing)
{
    using platform::PriorityClass;
    testing_support::RecordingScheduler scheduler;
    for (int p : {0, 1, 2, 3, 4, 5, 255})
        SETPRIORITYLEVEL(static_cast<std::uint8_t>(p));
    EXPECT_EQ(scheduler.calls(), (std::vector<PriorityClass>{PriorityClass::Idle, PriorityClass::Normal,
                                                             PriorityClass::High, PriorityClass::Realtime}));
}

TEST(LocalClock, DateNumbersAndRollOver)
{
    platform::LocalTime noon;
    noon.msOfDay = platform::kMsPerDay / 2;
    EXPECT_DOUBLE_EQ(platform::dateTime(noon), 36526.5);
    noon.year = 1899;
    noon.month = 12;
    noon.day = 30;
    EXPECT_EQ(platform::dayNumber(noon), 0);

    TestClock clock;
    clock.setDate(2049, 12, 31);
    clock.setTime(23, 59, 59, 999);
    clock.advance(1);
    const auto t = clock.now();
    EXPECT_EQ(t.year, 2050);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.msOfDay, 0);
    clock.setDate(2024, 2, 28);
    clock.advance(2LL * platform::kMsPerDay + 5);
    EXPECT_EQ(clock.now().month, 3);
    EXPECT_EQ(clock.now().day, 1);
    EXPECT_EQ(clock.now().msOfDay, 5);
    clock.advance(-6);
    EXPECT_EQ(clock.now().month, 2);
    EXPECT_EQ(clock.now().day, 29);
    EXPECT_EQ(clock.now().msOfDay, platform::kMsPerDay - 1);
}

TEST(LocalClock, TheRealClockReportsTheZoneWithDaylightSaving)
{
    // The test runs with TZ=Europe/Berlin.
    const auto t = platform::clock().now();
    EXPECT_TRUE(t.utcOffsetSeconds == 3600 || t.utcOffsetSeconds == 7200) << t.utcOffsetSeconds;
    EXPECT_EQ(t.daylightSaving, t.utcOffsetSeconds == 7200);
    EXPECT_GE(t.msOfDay, 0);
    EXPECT_LT(t.msOfDay, platform::kMsPerDay);
}

TEST(LocalClock, TheZoneFollowsItsTransitionsAndClockJumpsAtOnce)
{
    // TZ=Europe/Berlin: summer time began 2026-03-29 at 01:00 UTC and ended
    // 2026-10-25 at 01:00 UTC. Read in this order, each reading must be right
    // although the previous one was made less than a second before.
    using namespace std::chrono;
    const auto at = [](int month, int day, int h, int m, int s, int ms) {
        return platform::UtcMs(sys_days{year{2026} / month / day} + hours(h) + minutes(m) + seconds(s) +
                               milliseconds(ms));
    };
    const struct {
        platform::UtcMs utc;
        std::int32_t msOfDay, offset;
        int day;
    } cases[] = {
        {at(3, 29, 0, 59, 59, 999), (1 * 3600 + 59 * 60 + 59) * 1000 + 999, 3600, 29},
        {at(3, 29, 1, 0, 0, 0), 3 * 3600 * 1000, 7200, 29},
        {at(3, 29, 0, 30, 0, 0), (1 * 3600 + 30 * 60) * 1000, 3600, 29},  // the clock set back
        {at(10, 25, 0, 59, 59, 0), (2 * 3600 + 59 * 60 + 59) * 1000, 7200, 25},
        {at(10, 25, 1, 0, 0, 0), 2 * 3600 * 1000, 3600, 25},
        {at(12, 31, 23, 0, 0, 0), 0, 3600, 1},  // into the new year
    };
    for (const auto& c : cases) {
        const platform::LocalTime t = platform::localTimeAt(c.utc);
        EXPECT_EQ(t.msOfDay, c.msOfDay) << c.utc.time_since_epoch().count();
        EXPECT_EQ(t.utcOffsetSeconds, c.offset) << c.utc.time_since_epoch().count();
        EXPECT_EQ(t.daylightSaving, c.offset == 7200);
        EXPECT_EQ(t.day, c.day);
    }
    EXPECT_EQ(platform::localTimeAt(at(12, 31, 23, 0, 0, 0)).year, 2027);
}

// Last: it lowers this test program's own priority, for good.
TEST(ProcessPriority, TheRealSchedulerReachesEveryThread)
{
    std::atomic<pid_t> otherTid{0};
    std::atomic<bool> done{false};
    std::thread other([&] {
        otherTid = static_cast<pid_t>(::syscall(SYS_gettid));
        while (!done)
            std::this_thread::yield();
    });
    while (otherTid == 0)
        std::this_thread::yield();
    platform::scheduler().setProcessPriority(platform::PriorityClass::Idle);
    const int mine = ::getpriority(PRIO_PROCESS, 0);
    const int theirs = ::getpriority(PRIO_PROCESS, static_cast<id_t>(otherTid.load()));
    done = true;
    other.join();
    EXPECT_EQ(mine, 19);
    EXPECT_EQ(theirs, 19);
}

}  // namespace
