// Boards the program lets go of, boards that come back and a second board of
// the vendor, on the whole road: what each board is told, and that no board
// moves without a key held on its own hand controller.

#include "tests/board/road_stand.h"

#include "core/names.h"
#include "core/params.h"
#include "platform/gui_bridge.h"

#include <QPushButton>

#include <algorithm>
#include <csignal>
#include <pthread.h>

namespace {

using namespace road_testing;
using testing_support::FakeHidInterface;
using testing_support::Report;
using testing_support::SimBoardInterface;

constexpr const char* kStoppedAnswering =
    "The board stopped answering and was disconnected. The mount was told to stop.";

// Names a case of a table by its place in the enumeration.
template <class Case>
auto namedBy(std::vector<std::string> names)
{
    return [names](const ::testing::TestParamInfo<Case>& p) { return names[static_cast<std::size_t>(p.param)]; };
}

class Connections : public RoadStand {
protected:
    // A second board of the vendor appears, listed after the first, and a
    // device change follows; no saved choice keeps the first.
    void switchToOther()
    {
        otherNode = fake.add<SimBoardInterface>(other, "/dev/hidraw1");
        other.start(5);
        SET_PARAM(param::USB_DEV, "");
        fake.fireChange();
        ASSERT_EQ(window->HidDevice1->GETDEVICEPATH(), "/dev/hidraw1");
    }

    // The user-interface thread's queue holds no hand-off of the reader.
    void drainHandOffs()
    {
        ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 0; }));
    }

    std::shared_ptr<SimBoardInterface> otherNode;
};

// ---- let go while it slews ------------------------------------------------------

enum class LetGo { Disconnect, Rescan, Switch };

class LettingGo : public Connections, public ::testing::WithParamInterface<LetGo> {};

TEST_P(LettingGo, TheBoardsLastFrameBeforeItsHandleClosesIsTheStopAndNoOtherBoardMoves)
{
    HAL::DIGIO = 0x21;  // the outputs ride along in the stop frame
    holdUp();
    other.sendAbsolute = false;  // a newcomer that says nothing of its keys yet
    switch (GetParam()) {
    case LetGo::Disconnect:
        window->B_ConnectClick();
        ASSERT_FALSE(window->HidDevice1->GETCONNECTED());
        break;
    case LetGo::Rescan:
        window->Button1->click();
        ASSERT_EQ(window->HidDevice1->GETDEVICEPATH(), "/dev/hidraw0");
        break;
    case LetGo::Switch:
        switchToOther();
        break;
    }
    // The loop goes on while no event is handled: no release still to come
    // may leave the key's speed standing meanwhile.
    const int cycle = cycles.load();
    ASSERT_TRUE(waitUntil([&] { return cycles.load() >= cycle + 5; }, false));
    EXPECT_FALSE(anyMoving(other.frames(), 0)) << "the first board's key moved the second";

    ASSERT_TRUE(waitUntil([&] { return !node->lastWritesOfClosedHandles().empty(); }));
    EXPECT_EQ(node->lastWritesOfClosedHandles(), std::vector<Report>{reportOf(HAL::STOP_FRAME())});
    EXPECT_EQ(HAL::STOP_FRAME(), (Frame{0x05, 0, 0, 0, 0, 0x21, 0, 0}));

    const auto sent = board.frames().size();
    ASSERT_TRUE(runCycles(20));
    if (GetParam() == LetGo::Rescan) {
        EXPECT_TRUE(anyMoving(board.frames(), sent)) << "the key still held moves the board again";
        return;
    }
    EXPECT_EQ(board.frames().size(), sent) << "nothing after the stop";
    EXPECT_EQ(board.speeds(), (std::pair{0, 0}));
    if (GetParam() == LetGo::Switch) {
        EXPECT_FALSE(anyMoving(other.frames(), 0)) << "the first board's key moved the second";
        other.sendAbsolute = true;
        ASSERT_TRUE(runCycles(20));
        EXPECT_FALSE(anyMoving(other.frames(), 0)) << "no key is held on the second board";
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, LettingGo, ::testing::Values(LetGo::Disconnect, LetGo::Rescan, LetGo::Switch),
                         namedBy<LetGo>({"Disconnect", "RescanReconnect", "SwitchToASecondBoard"}));

TEST_F(Connections, AfterTheLoopsLastFrameTheConnectionsCloseSendsNothing)
{
    holdUp();
    ASSERT_TRUE(CONTROL::CTRL_CLOSE());
    const auto frames = board.frames();
    ASSERT_FALSE(frames.empty());
    ASSERT_EQ(frames.back(), HAL::STOP_FRAME());
    window.reset();
    EXPECT_EQ(board.frames().size(), frames.size()) << "the loop's last frame is the last";
}

// ---- a key held at the end is not pressed again by the reconnect ----------------

enum class Lost { UnpluggedAndBack, ReadFailureThenRescan, DisconnectWithAReportQueuedThenRescan };

class Reconnecting : public Connections, public ::testing::WithParamInterface<Lost> {};

TEST_P(Reconnecting, AKeyReleasedMeanwhileIsNotPressedAgainWhenTheBoardsFirstReportComesLate)
{
    holdUp();
    switch (GetParam()) {
    case Lost::UnpluggedAndBack:
        node->unplug();
        ASSERT_TRUE(waitUntil([&] { return !window->HidDevice1->GETCONNECTED(); }));
        board.handBits = 0;
        board.sendAbsolute = false;
        node->replug();
        fake.fireChange();
        break;
    case Lost::ReadFailureThenRescan:
        node->failReads(true);
        ASSERT_TRUE(waitUntil([&] { return !window->HidDevice1->GETCONNECTED(); }));
        board.handBits = 0;
        board.sendAbsolute = false;
        node->failReads(false);
        window->Button1->click();
        break;
    case Lost::DisconnectWithAReportQueuedThenRescan:
        // The reader is handing over a frame with the key held when the
        // operator disconnects; it arrives after the disconnect.
        board.stop();
        drainHandOffs();
        board.step();
        ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 1; }, false));
        window->B_ConnectClick();
        ASSERT_FALSE(window->HidDevice1->GETCONNECTED());
        board.handBits = 0;
        drainHandOffs();
        window->Button1->click();
        break;
    }
    ASSERT_TRUE(window->HidDevice1->GETCONNECTED());
    const auto from = board.frames().size();
    ASSERT_TRUE(runCycles(30));
    EXPECT_FALSE(anyMoving(board.frames(), from)) << "moved before the board told its keys";
    board.sendAbsolute = true;
    if (GetParam() == Lost::DisconnectWithAReportQueuedThenRescan)
        board.start(5);
    ASSERT_TRUE(runCycles(20));
    EXPECT_FALSE(anyMoving(board.frames(), from)) << "moved with no key held";
}

INSTANTIATE_TEST_SUITE_P(Ways, Reconnecting,
                         ::testing::Values(Lost::UnpluggedAndBack, Lost::ReadFailureThenRescan,
                                           Lost::DisconnectWithAReportQueuedThenRescan),
                         namedBy<Lost>({"UnpluggedAndBack", "ReadFailureThenRescan",
                                        "DisconnectWithAReportQueuedThenRescan"}));

// ---- a board back under the same node name ------------------------------------------

TEST_F(Connections, ABoardBackUnderItsOldNodeNameIsConnectedAgainButOneThatFailsInPlaceIsNot)
{
    // One report after both changes (a 1 s poll), or both reports in one burst.
    for (const int reports : {1, 2}) {
        SCOPED_TRACE(reports);
        node->unplug();
        ASSERT_TRUE(waitUntil([&] { return !window->HidDevice1->GETCONNECTED(); }));
        node->replug();
        for (int i = 0; i < reports; ++i)
            fake.fireChange();
        EXPECT_TRUE(window->HidDevice1->GETCONNECTED());
        EXPECT_EQ(window->HidDevice1->GETDEVICEPATH(), "/dev/hidraw0");
        QCoreApplication::processEvents();
        EXPECT_EQ(main.params(WM_DEMO_MESSAGE).back(), 0) << "the status line claims the board again";
        const auto sent = board.frames().size();
        ASSERT_TRUE(waitUntil([&] { return board.frames().size() > sent; })) << "the board hears from the loop";
    }

    // Reads fail while the board stays plugged in: the change reports that
    // follow find the same node, and nothing connects it in a loop.
    node->failReads(true);
    ASSERT_TRUE(waitUntil([&] { return !window->HidDevice1->GETCONNECTED(); }));
    for (int i = 0; i < 3; ++i)
        fake.fireChange();
    ASSERT_TRUE(runCycles(5));
    EXPECT_FALSE(window->HidDevice1->GETCONNECTED());
    EXPECT_EQ(boxesSaying(kStoppedAnswering), 1u);
}

// ---- a signal on the reader's thread ------------------------------------------------------

TEST_F(Connections, ASignalSentToTheReaderThreadIsNoReadFailure)
{
    struct sigaction handled {}, before {};
    handled.sa_handler = [](int) { FakeHidInterface::signalHandledOnThisThread(); };
    sigemptyset(&handled.sa_mask);
    ASSERT_EQ(sigaction(SIGHUP, &handled, &before), 0);
    ASSERT_TRUE(waitUntil([&] { return node->readsDone() > 0; }));
    ASSERT_EQ(pthread_kill(node->lastReader(), SIGHUP), 0);
    const int reads = node->readsDone();
    ASSERT_TRUE(waitUntil(
        [&] { return node->readsDone() >= reads + 3 || !window->HidDevice1->GETCONNECTED(); }));
    EXPECT_TRUE(window->HidDevice1->GETCONNECTED());
    EXPECT_TRUE(boxes.shown().empty());
    sigaction(SIGHUP, &before, nullptr);
}

// ---- a reply the connection before left behind ------------------------------------------------

enum class Left { InTheMailbox, QueuedByTheReader };

class LeftBehind : public Connections, public ::testing::WithParamInterface<Left> {};

TEST_P(LeftBehind, APowerReplyOfTheFirstBoardDoesNotAnswerTheSecondBoardsRequest)
{
    other.silenceCode(0xF4);
    board.stop();
    drainHandOffs();
    // A power reply nobody asked for (12000, well above the threshold).
    board.sendReport({0, 0xF0, 0, 0, 0, 0, 0x2E, 0xE0, 0xF4});
    if (GetParam() == Left::InTheMailbox)
        ASSERT_TRUE(waitUntil([] { return HAL::HW_CONFIG_RECEIVED.load() == 0xF4; }));
    else
        ASSERT_TRUE(waitUntil([] { return platform::pendingUiCalls() == 1; }, false));
    switchToOther();
    CONTROL::GET_POWER = true;  // what the status line's "board detected" asks
    ASSERT_TRUE(runCycles(20));
    EXPECT_FALSE(CONTROL::POWER_ON.load()) << "the second board never answered";
    EXPECT_TRUE(CONTROL::GET_POWER.load()) << "the power request is still waiting for its reply";
    EXPECT_GE(other.framesWithCode(0xF4).size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Ways, LeftBehind, ::testing::Values(Left::InTheMailbox, Left::QueuedByTheReader),
                         namedBy<Left>({"InTheMailbox", "QueuedByTheReader"}));

}  // namespace
