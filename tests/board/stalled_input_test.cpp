// A board whose input stops while a key holds the mount moving, on the whole
// road.

#include "tests/board/road_stand.h"

#include <algorithm>
#include <chrono>

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

// The board's input stops without an error (reads time out) while its
// writes still work: no box, no disconnect, but the key it reported last is
// no key held.
TEST_F(StalledInput, ABoardThatStopsReportingLetsGoOfTheKeyWithinASecondAndTheStatusSaysSo)
{
    using namespace std::chrono;
    holdUp();
    const auto stalled = steady_clock::now();
    board.silent = true;
    ASSERT_TRUE(waitUntil([&] { return board.speeds() == std::pair{0, 0}; }));
    const auto took = steady_clock::now() - stalled;
    // A second from its last report, plus a cycle; the margin is the machine's.
    EXPECT_GE(took, milliseconds(980));
    EXPECT_LT(took, milliseconds(1250)) << duration<double>(took).count() << " s";
    ASSERT_TRUE(waitUntil([&] { return main.count(WM_STATUS_MESSAGE) == 1; }));
    EXPECT_EQ(main.params(WM_STATUS_MESSAGE).back(), STATUS_BOARD_QUIET);

    const auto stoppedAt = board.frames().size();
    ASSERT_TRUE(runCycles(30));
    const auto frames = board.frames();
    ASSERT_GT(frames.size(), stoppedAt) << "the connection stays up and is driven";
    for (std::size_t i = stoppedAt; i < frames.size(); ++i)
        EXPECT_FALSE(moving(frames[i])) << "frame " << i;
    EXPECT_TRUE(window->HidDevice1->GETCONNECTED());
    EXPECT_TRUE(boxes.shown().empty());

    // Reporting again with the key still held: it counts from its next frame.
    board.silent = false;
    ASSERT_TRUE(waitUntil([&] { return board.speeds() != std::pair{0, 0}; }));
    ASSERT_TRUE(waitUntil([&] { return main.count(WM_STATUS_MESSAGE) == 2; }));
    EXPECT_EQ(main.params(WM_STATUS_MESSAGE).back(), STATUS_BOARD_REPORTING);
}

// The windows are busy (a long list loading) when the input stalls: the
// loop lets go of the key without them.
TEST_F(StalledInput, ABoardThatStopsReportingWhileTheWindowsAreBusyLetsGoOfTheKeyAllTheSame)
{
    using namespace std::chrono;
    holdUp();
    const auto stalled = steady_clock::now();
    board.silent = true;
    ASSERT_TRUE(waitUntil([&] { return board.speeds() == std::pair{0, 0}; }, false));
    EXPECT_LT(steady_clock::now() - stalled, milliseconds(1250));
    EXPECT_EQ(main.count(WM_STATUS_MESSAGE), 0u) << "the status line is the windows' to tell, later";
    ASSERT_TRUE(waitUntil([&] { return main.count(WM_STATUS_MESSAGE) == 1; }));
}

// Twice a second is reporting: the held key keeps the mount moving.
TEST_F(StalledInput, ABoardReportingTwiceASecondKeepsItsKeyHeld)
{
    holdUp();
    board.start(500);
    const auto from = board.frames().size();
    const auto counts = board.counts();
    const int perStep = board.speeds().second / 2;  // counts in half a second
    ASSERT_GT(perStep, 0);
    // Six reports, 3 s, each a step of the moving mount.
    ASSERT_TRUE(waitUntil([&] { return board.counts().second >= counts.second + 6 * perStep; }));
    const auto frames = board.frames();
    for (std::size_t i = from; i < frames.size(); ++i) {
        if (frames[i][0] == 0x05) {
            ASSERT_TRUE(moving(frames[i])) << "frame " << i;
        }
    }
    EXPECT_EQ(main.count(WM_STATUS_MESSAGE), 0u);
}

}  // namespace
