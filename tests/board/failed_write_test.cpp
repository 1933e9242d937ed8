// Writes that fail for a moment while a key slews the mount, on the whole
// road: what the board is told last, and that the loop goes on while the
// operator reads the "USB Error" box.

#include "tests/board/road_stand.h"

#include "core/names.h"
#include "core/params.h"

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace {

using namespace road_testing;
using testing_support::Report;
using testing_support::SimBoardInterface;

struct Failure {
    const char* name;
    int writes;  // what the board's writes do meanwhile: -1 fail, n > 0 take n bytes
    const char* text;
};

const Failure kFailures[] = {
    {"FailedForAMoment", -1, "Unable to write to the USB device."},
    {"OneShortWrite", 4, "Unable to write all bytes to the USB device."},
};

std::string nameOf(const ::testing::TestParamInfo<Failure>& p) { return p.param.name; }

class FlakyWrite : public RoadStand, public ::testing::WithParamInterface<Failure> {};

TEST_P(FlakyWrite, TheBoardTakesTheStopOnceItsWritesWorkAgainAndNothingAfterIt)
{
    HAL::DIGIO = 0x21;  // the outputs ride along in the stop frame
    holdUp();
    board.failWrites = GetParam().writes;
    ASSERT_TRUE(waitUntil([&] { return !window->HidDevice1->GETCONNECTED(); }));
    board.failWrites = 0;  // the moment has passed

    ASSERT_TRUE(waitUntil([&] { return !node->lastWritesOfClosedHandles().empty(); }));
    EXPECT_EQ(node->lastWritesOfClosedHandles(), std::vector<Report>{reportOf(HAL::STOP_FRAME())});
    const auto frames = board.frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames.back(), (Frame{0x05, 0, 0, 0, 0, 0x21, 0, 0})) << "the last frame stops both axes";
    EXPECT_TRUE(moving(frames[frames.size() - 2])) << "up to the stop the mount was moving";
    EXPECT_EQ(board.speeds(), (std::pair{0, 0}));

    board.handBits = 0;  // the key let go
    ASSERT_TRUE(runCycles(20));
    EXPECT_EQ(board.frames().size(), frames.size()) << "nothing after the stop";
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "USB Error");
    EXPECT_EQ(boxes.shown()[0].text, GetParam().text);

    ASSERT_TRUE(CONTROL::CTRL_CLOSE());
    window.reset();
    EXPECT_EQ(board.frames().size(), frames.size()) << "the program's end sends nothing after it";
}

INSTANTIATE_TEST_SUITE_P(Ways, FlakyWrite, ::testing::ValuesIn(kFailures), nameOf);

// While the box is up a board is connected again by a device change: the
// same board plugged back, or a second one of the vendor.
enum class Again { SameBoardPluggedBack, SecondBoard };

class BoxUp : public RoadStand, public ::testing::WithParamInterface<Again> {};

TEST_P(BoxUp, TheLoopDrivesABoardConnectedAgainAtOnceAndStopsItAtTheClose)
{
    const bool second = GetParam() == Again::SecondBoard;
    SimBoard& again = second ? other : board;
    holdUp();
    std::int64_t msToFirstFrame = -1;
    bool closed = false;
    boxes.whileShown = [&](const testing_support::FakeDialogs::Box& box) {
        if (box.title != "USB Error")
            return;
        // The box waits for the operator in a loop of its own, as this one does.
        board.failWrites = 0;
        if (second) {
            fake.add<SimBoardInterface>(other, "/dev/hidraw1");
            other.start(5);
            SET_PARAM(param::USB_DEV, "");
        } else {
            node->unplug();
            node->replug();
        }
        const auto before = again.frames().size();
        fake.fireChange();
        ASSERT_TRUE(window->HidDevice1->GETCONNECTED());
        ASSERT_EQ(window->HidDevice1->GETDEVICEPATH(), second ? "/dev/hidraw1" : "/dev/hidraw0");
        QElapsedTimer sinceConnect;
        sinceConnect.start();
        ASSERT_TRUE(waitUntil([&] { return again.frames().size() > before; })) << "no frame while the box is up";
        msToFirstFrame = sinceConnect.elapsed();

        // The key is let go and the program closes, the box still up.
        board.handBits = 0;
        ASSERT_TRUE(runCycles(10));
        closed = CONTROL::CTRL_CLOSE();
    };
    board.failWrites = -1;
    ASSERT_TRUE(waitUntil([&] { return !boxes.shown().empty(); }));
    EXPECT_GE(msToFirstFrame, 0);
    EXPECT_LT(msToFirstFrame, 100) << "ms from the connect to the board's first frame";
    EXPECT_TRUE(closed) << "the loop was not joined while the box was up";
    ASSERT_EQ(boxes.shown().size(), 1u);

    EXPECT_EQ(again.frames().back(), HAL::STOP_FRAME()) << "the loop's last frame";
    if (second) {
        EXPECT_EQ(board.frames().back(), HAL::STOP_FRAME()) << "the first board's last frame";
        EXPECT_FALSE(anyMoving(other.frames())) << "the first board's key moved the second";
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, BoxUp, ::testing::Values(Again::SameBoardPluggedBack, Again::SecondBoard),
                         [](const ::testing::TestParamInfo<Again>& p) {
                             return p.param == Again::SecondBoard ? "SecondBoard" : "SameBoardPluggedBack";
                         });

}  // namespace
