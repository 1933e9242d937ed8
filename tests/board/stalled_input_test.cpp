// A board whose input stops while a key holds the mount moving, on the whole
// road.

#include "tests/board/road_stand.h"

#include <algorithm>

namespace {

using namespace road_testing;
using StalledInput = RoadStand;

constexpr const char* kStoppedAnswering =
    "The board stopped answering and was disconnected. The mount was told to stop.";

TEST_F(StalledInput, TheLastFrameStopsTheMountAndOneBoxSaysSo)
{
    HAL::DIGIO = 0x21;  // the outputs ride along in the stop frame
    holdUp();
    node->failReads(true);  // writes still work
    ASSERT_TRUE(waitUntil([&] { return !window->HidDevice1->GETCONNECTED(); }));
    ASSERT_TRUE(runCycles(20));

    const auto frames = board.frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames.back(), (Frame{0x05, 0, 0, 0, 0, 0x21, 0, 0})) << "the last frame stops both axes";
    EXPECT_EQ(frames.back(), HAL::STOP_FRAME()) << "the loop's own last frame";
    const auto lastMotion =
        std::find_if(frames.rbegin() + 1, frames.rend(), [](const Frame& f) { return f[0] == 0x05; });
    ASSERT_NE(lastMotion, frames.rend());
    EXPECT_TRUE(moving(*lastMotion)) << "up to the stop the mount was moving";
    EXPECT_EQ(board.speeds(), (std::pair{0, 0}));

    const auto counts = board.counts();
    ASSERT_TRUE(runCycles(20));
    EXPECT_EQ(board.frames().size(), frames.size()) << "nothing after the stop frame";
    EXPECT_EQ(board.counts(), counts) << "the encoders stand still";

    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "USB Error");
    EXPECT_EQ(boxes.shown()[0].text, kStoppedAnswering);
    EXPECT_EQ(main.params(WM_DEMO_MESSAGE).back(), 1) << "the status line no longer claims a board";
}

TEST_F(StalledInput, AnUnpluggedBoardIsToldNothingAndNoBoxSaysItStopped)
{
    holdUp();
    node->unplug();  // writes fail too
    ASSERT_TRUE(waitUntil([&] { return !window->HidDevice1->GETCONNECTED(); }));
    const auto sent = board.frames().size();
    ASSERT_TRUE(runCycles(20));
    EXPECT_EQ(board.frames().size(), sent);
    EXPECT_EQ(boxesSaying(kStoppedAnswering), 0u);
}

}  // namespace
