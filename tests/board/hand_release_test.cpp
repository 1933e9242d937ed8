// A hand-controller key let go while the user-interface thread is busy (a
// long list loading), on the whole road.

#include "tests/board/road_stand.h"

#include "core/names.h"
#include "platform/gui_bridge.h"

#include <chrono>

namespace {

using namespace road_testing;
using HandRelease = RoadStand;
using std::chrono::steady_clock;

TEST_F(HandRelease, AKeyLetGoStopsTheMountWithinATenthOfASecondWhileTheWindowsAreBusy)
{
    using namespace std::chrono;
    holdUp();
    // From here on this thread, the user-interface thread, handles nothing.
    const auto letGo = steady_clock::now();
    board.handBits = 0x00;
    ASSERT_TRUE(waitUntil([&] { return board.speeds() == std::pair{0, 0}; }, false));
    const auto took = steady_clock::now() - letGo;
    EXPECT_LT(took, milliseconds(100)) << duration<double, std::milli>(took).count() << " ms";
    EXPECT_GT(platform::pendingUiCalls(), 0) << "the reports are still waiting to be decoded";

    const auto stoppedAt = board.frames().size();
    const int until = cycles.load() + 20;
    ASSERT_TRUE(waitUntil([&] { return cycles.load() >= until; }, false));
    const auto frames = board.frames();
    for (std::size_t i = stoppedAt; i < frames.size(); ++i)
        EXPECT_FALSE(moving(frames[i])) << "frame " << i;

    // The windows catch up: the release they decode changes nothing more,
    // and the key pressed again moves the mount.
    ASSERT_TRUE(runCycles(10));
    EXPECT_EQ(board.speeds(), (std::pair{0, 0}));
    EXPECT_NE(CONTROL::NEXT_CONTROL_STATE.load(), CONTROL::CTRL_MOVING);
    holdUp();
}

// What the hand controller reports says nothing of the pad.
TEST_F(HandRelease, APadSlewGoesOnWhileTheHandControllerHoldsNoKey)
{
    ASSERT_TRUE(runCycles(1));  // the loop's start leaves a speed set before it
    auto press = std::make_shared<THWdata>();
    press->BUTTONS = BUP;
    press->SPEED = 1;
    SIGNAL(bus::Control, WM_BUTTON_MESSAGE, press);
    ASSERT_TRUE(waitUntil([&] { return board.speeds() != std::pair{0, 0}; }));
    const auto from = board.frames().size();
    ASSERT_TRUE(runCycles(30));
    const auto frames = board.frames();
    for (std::size_t i = from; i < frames.size(); ++i) {
        if (frames[i][0] == 0x05) {
            EXPECT_TRUE(moving(frames[i])) << "frame " << i;
        }
    }

    press->BUTTONS = 0;
    SIGNAL(bus::Control, WM_BUTTON_MESSAGE, press);
    ASSERT_TRUE(waitUntil([&] { return board.speeds() == std::pair{0, 0}; }));
}

}  // namespace
