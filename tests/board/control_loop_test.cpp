// The control loop in step mode: its start, the position reports, the pacing,
// the watchdog and the end.

#include "board/control_loop.h"
#include "tests/board/control_stand.h"

#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace {

using control_testing::ControlStand;
using control_testing::Frame;
using namespace CONTROL;

using LoopStart = ControlStand;
using LoopPosition = ControlStand;
using LoopPacing = ControlStand;

TEST_F(LoopStart, TakesTheStartStateThenMovesAndRaisesThePriority)
{
    startLoop();
    EXPECT_EQ(main.params(WM_STATE_MESSAGE), std::vector<std::int64_t>{CTRL_STOP});
    EXPECT_EQ(CONTROL_STATE, CTRL_MOVING);
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_MOVING);
    EXPECT_EQ(scheduler.calls(), std::vector{platform::PriorityClass::High});
}

TEST_F(LoopStart, KeepsTheRequestsMadeBeforeItAndResetsTheResults)
{
    GET_POWER = true;
    SAVE_CONF = true;
    POWER_ON = true;
    ABS_ENC = true;
    SET_ENC_VAL = true;
    startLoop();
    EXPECT_TRUE(GET_POWER);
    EXPECT_TRUE(SAVE_CONF);
    EXPECT_FALSE(POWER_ON);
    EXPECT_FALSE(ABS_ENC);
    EXPECT_FALSE(SET_ENC_VAL);
    cycle();
    EXPECT_EQ(sent(0xF4), 1u);
    EXPECT_EQ(sent(0x42), 1u);
}

TEST_F(LoopPosition, PostsTheFirstReadingAndThenOnlyTheAxisThatChanged)
{
    startLoop();
    cycles(2);  // no encoder frame yet: the loop's angles are 0
    EXPECT_EQ(main.params(WM_RA_MESSAGE), std::vector<std::int64_t>{0});
    EXPECT_EQ(main.params(WM_DE_MESSAGE), std::vector<std::int64_t>{0});

    board.setCounts(0, 4194304);  // a quarter turn on the second axis
    board.step(0);
    link.deliver();
    cycles(2);
    EXPECT_EQ(main.params(WM_RA_MESSAGE), std::vector<std::int64_t>{0});
    EXPECT_EQ(main.params(WM_DE_MESSAGE), (std::vector<std::int64_t>{0, 3240000}));

    board.setCounts(12582912, 4194304);
    board.step(0);
    link.deliver();
    cycle();
    EXPECT_EQ(main.params(WM_RA_MESSAGE), (std::vector<std::int64_t>{0, 9720000}));
    EXPECT_EQ(main.params(WM_DE_MESSAGE).size(), 2u);
}

TEST(PositionTenths, RoundsHalvesToTheEvenNeighbour)
{
    const struct {
        double arcsec;
        std::int64_t tenths;
    } cases[] = {
        {12.25, 122}, {12.75, 128}, {-0.25, -2}, {1295999.96, 12960000}, {-648000.0, -6480000},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(POSITION_TENTHS(c.arcsec), c.tenths) << c.arcsec;
}

// Runs the real loop body on the test clock; `onSleep` sees the milliseconds
// slept so far. Each sleep lasts `oversleepMs` longer than asked, as a busy
// system's do.
class PacedLoop {
public:
    PacedLoop(testing_support::TestClock& clock, std::function<void(int elapsed)> onSleep, int oversleepMs = 0)
        : loop_(LoopHooks{[this, &clock, onSleep, oversleepMs](int ms) {
                              clock.advance(ms + oversleepMs);
                              elapsed_ += ms + oversleepMs;
                              onSleep(elapsed_);
                          },
                          {}})
    {
    }
    void run() { loop_.run(); }

private:
    int elapsed_ = 0;
    ControlLoop loop_;
};

// Records when each motion frame is written and makes each cycle's work
// take 3 ms.
struct SlowLink final : HAL::Link {
    testing_support::TestClock& clock;
    std::vector<std::int32_t> motionAt;
    explicit SlowLink(testing_support::TestClock& c) : clock(c) {}
    void writeIfConnected(const HAL::Frame& f) override
    {
        if (f[0] != 0x05)
            return;
        motionAt.push_back(clock.now().msOfDay);
        clock.advance(3);
    }
};

TEST_F(LoopPacing, KeepsTheCycleTimeReadAtItsStartWhateverTheWorkTakes)
{
    SlowLink slow(clock);
    HAL::SET_LINK(&slow);
    PacedLoop paced(clock, [](int elapsed) {
        if (elapsed >= 100)
            SET_PARAM("Cycle_Time", "50");  // no effect on a running loop
        if (elapsed >= 300)
            CONTR_RUNNING = false;
    });
    paced.run();
    HAL::SET_LINK(&link);

    ASSERT_GT(slow.motionAt.size(), 30u);
    for (std::size_t i = 1; i + 1 < slow.motionAt.size(); ++i)
        EXPECT_EQ(slow.motionAt[i] - slow.motionAt[i - 1], 10) << i;
}

// When each motion frame goes out on the monotonic clock; `workMs(n)` is how
// long the n-th cycle's work takes after it.
struct TimedLink final : HAL::Link {
    testing_support::TestClock& clock;
    std::function<int(std::size_t)> workMs;
    std::vector<std::int64_t> motionAt;
    TimedLink(testing_support::TestClock& c, std::function<int(std::size_t)> w) : clock(c), workMs(std::move(w)) {}
    void writeIfConnected(const HAL::Frame& f) override
    {
        if (f[0] != 0x05)
            return;
        motionAt.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(clock.monotonic()).count());
        clock.advance(workMs(motionAt.size()));
    }
    std::vector<std::int64_t> gaps() const
    {
        std::vector<std::int64_t> g;
        for (std::size_t i = 1; i < motionAt.size(); ++i)
            g.push_back(motionAt[i] - motionAt[i - 1]);
        return g;
    }
};

TEST_F(LoopPacing, LateWakesAndUnevenWorkDoNotDriftTheCyclesOverAThousand)
{
    TimedLink timed(clock, [](std::size_t n) { return static_cast<int>(n % 8); });
    HAL::SET_LINK(&timed);
    std::size_t sleeps = 0;
    PacedLoop paced(
        clock,
        [&](int) {
            ++sleeps;
            if (timed.motionAt.size() == 1001)
                CONTR_RUNNING = false;
        },
        1);
    paced.run();
    HAL::SET_LINK(&link);

    ASSERT_EQ(timed.motionAt.size(), 1002u);  // the last is the zero-speed frame at the end
    // Every cycle after the first wakes 1 ms late, but from its own deadline.
    for (std::size_t n = 1; n <= 1000; ++n)
        ASSERT_EQ(timed.motionAt[n] - timed.motionAt[0], static_cast<std::int64_t>(10 * n + 1)) << n;
    EXPECT_EQ(sleeps, 1001u);  // one wake per cycle
}

TEST_F(LoopPacing, AnOverrunStartsTheNextCycleAtOnceWithoutCatchingUp)
{
    TimedLink timed(clock, [](std::size_t n) { return n == 3 ? 35 : 2; });
    HAL::SET_LINK(&timed);
    PacedLoop paced(clock, [&](int) {
        if (timed.motionAt.size() == 7)
            CONTR_RUNNING = false;
    });
    paced.run();
    HAL::SET_LINK(&link);

    // The third cycle's work takes 35 ms: the fourth starts as it ends, and
    // the count goes on from there.
    EXPECT_EQ(timed.gaps(), (std::vector<std::int64_t>{10, 10, 35, 10, 10, 10, 10}));
}

TEST_F(LoopPacing, ChangesOfTheLocalClockNeitherStretchNorShrinkACycle)
{
    TimedLink timed(clock, [](std::size_t) { return 3; });
    HAL::SET_LINK(&timed);
    PacedLoop paced(clock, [&](int elapsed) {
        if (elapsed == 7)
            clock.setTime(23, 59, 59, 995);  // across midnight in the next cycle
        if (elapsed == 14)
            clock.setTime(2, 0, 0);  // the clock set back by hours
        if (elapsed == 21)
            clock.setTime(12, 0, 0);  // and forward
        if (timed.motionAt.size() == 6)
            CONTR_RUNNING = false;
    });
    paced.run();
    HAL::SET_LINK(&link);

    EXPECT_EQ(timed.gaps(), (std::vector<std::int64_t>{10, 10, 10, 10, 10, 10}));
}

TEST_F(LoopPacing, SendsTheWatchdogEveryWdTimerReadAtEachRestart)
{
    PacedLoop paced(clock, [](int elapsed) {
        if (elapsed >= 1200)
            SET_PARAM("WD_Timer", "500");  // read at the next restart, at 2000
        if (elapsed >= 2600)
            CONTR_RUNNING = false;
    });
    paced.run();

    // Cycle n starts (n - 1) * 10 ms after the loop start and sends its
    // motion frame after its watchdog.
    std::vector<int> motionFramesBefore;
    int motion = 0;
    for (const Frame& f : board.frames()) {
        if (f[0] == 0x05)
            ++motion;
        else if (f == Frame{0xF0, 0, 0, 0, 0, 0, 0, 0x55})
            motionFramesBefore.push_back(motion);
    }
    EXPECT_EQ(motionFramesBefore, (std::vector<int>{100, 200, 250}));
}

TEST_F(LoopPacing, EndsAfterTheCycleInWhichItWasClosedWithAZeroSpeedFrame)
{
    bool moved = false, closed = false;
    PacedLoop paced(clock, [&](int elapsed) {
        if (!moved && elapsed >= 5) {
            moved = true;
            MANUAL.modify([](ManualMotion& m) { m.HMV = 500; });
        }
        if (!closed && elapsed >= 25) {
            closed = true;
            CONTR_RUNNING = false;  // during the wait of the third cycle
        }
    });
    paced.run();

    const Frame moving{0x05, 0x01, 0xF4, 0, 0, 0, 0, 0};
    const Frame still{0x05, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(board.frames(), (std::vector<Frame>{still, moving, moving, still}));
}

}  // namespace
