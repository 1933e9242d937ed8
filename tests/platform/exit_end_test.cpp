// The end the toolkit makes with exit() when its display goes away, on the
// whole road: the board, its reader, the control loop, and the program's own
// end guard.

#include "platform/end_signals.h"
#include "platform/gui_bridge.h"
#include "tests/board/road_stand.h"
#include "ui/program_close.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace road_testing;

// Made after the guard was armed, as the toolkit's data made while the
// program runs (its time-zone data among them).
std::atomic<bool> g_madeLaterGone{false};
struct MadeLater {
    ~MadeLater() { g_madeLaterGone = true; }
};

class ExitOnTheRoad : public RoadStand {
protected:
    // Armed before the loop starts, as the program arms it before its windows.
    void SetUp() override
    {
        platform::armExitGuard([this] {
            const bool live = !g_madeLaterGone;
            ProgramClose::stopMountSide(bridge);
            const auto frames = board.frames();
            std::fprintf(stderr, "ended on %s data, last frame %s\n", live ? "live" : "destroyed",
                         !frames.empty() && frames.back() == HAL::STOP_FRAME() ? "stop" : "other");
            // The process ends without destroying anything; the reader is
            // joined here only for the thread sanitizer's count at the end.
            window.reset();
        });
        RoadStand::SetUp();
    }

    void TearDown() override
    {
        platform::disarmExitGuard();
        RoadStand::TearDown();
    }

    platform::UiBridge bridge;  // stands in for the program's own
};

TEST_F(ExitOnTheRoad, AnExitWhileTheLoopWaitsForThePowerBoxStopsTheMountFirst)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static MadeLater later;
            holdUp();
            board.motorPower = 0;
            boxes.whileShown = [](const testing_support::FakeDialogs::Box& box) {
                if (box.text == "Motor Power not connected")
                    std::exit(1);  // as the toolkit does, inside the box's own wait
            };
            CONTROL::GET_INIT = true;
            waitUntil([&] { return !boxes.shown().empty(); });
            std::fputs("the box brought no exit\n", stderr);
            std::_Exit(2);
        },
        testing::ExitedWithCode(0), "ended on live data, last frame stop");
}

}  // namespace
