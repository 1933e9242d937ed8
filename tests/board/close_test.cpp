// The end of the program while the user-interface thread writes the gears
// to a board that does not acknowledge them, on the whole road.

#include "tests/board/road_stand.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

using namespace road_testing;
using CloseOnTheRoad = RoadStand;

TEST_F(CloseOnTheRoad, ACloseDuringAGearWriteEndsItAndTheStopStaysTheLastFrame)
{
    board.silenceCode(0x12);
    board.silenceCode(0x13);
    holdUp();
    // The close comes as a signal's would: an event handled inside the gear
    // write's own wait, after a few unanswered sends.
    QElapsedTimer sinceClose;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (board.framesWithCode(0x12).size() < 3 || sinceClose.isValid())
            return;
        sinceClose.start();
        EXPECT_TRUE(CONTROL::CTRL_CLOSE());
    });
    closer.start(1);
    CONTROL::SAVE_GEAR(1000000, 3000000);
    ASSERT_TRUE(sinceClose.isValid()) << "the close never came";
    EXPECT_LT(sinceClose.elapsed(), 1000);

    const auto frames = board.frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), HAL::STOP_FRAME()) << "a gear frame came after the stop";
    EXPECT_EQ(board.framesWithCode(0x13).size(), 0u) << "the Dec gear was begun after the close";
    EXPECT_EQ(boxes.shown().size(), 1u) << "only the question: a close is no failure to report";
}

TEST_F(CloseOnTheRoad, AGearWriteToAnUnpluggedBoardSaysNeitherAxisWasWritten)
{
    board.silenceCode(0x12);
    board.silenceCode(0x13);
    QTimer unplug;
    QObject::connect(&unplug, &QTimer::timeout, [&] {
        if (!board.framesWithCode(0x12).empty())
            node->unplug();
    });
    unplug.start(1);
    CONTROL::SAVE_GEAR(1000000, 3000000);
    EXPECT_EQ(boxesSaying("The board did not acknowledge the RA and Dec gear values: neither was written."), 1u);
}

}  // namespace
