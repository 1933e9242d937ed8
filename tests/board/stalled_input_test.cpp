// A board whose input stops while a key holds the mount moving, on the whole
// road: the simulated board in real time behind the fake HID backend, the
// device window with its real connection and reader, the control window and
// the control loop on its own thread. The test thread is the user-interface
// thread.

#include "board/control.h"
#include "board/ctrl_view.h"
#include "board/dev_int.h"
#include "board/hal.h"
#include "core/Signals.h"
#include "tests/support/bus_recorder.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_hid.h"
#include "tests/support/fresh_run.h"
#include "tests/support/sim_board_interface.h"
#include "tests/support/wait.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

namespace {

using testing_support::SimBoard;
using testing_support::waitUntil;
using Frame = SimBoard::Frame;

constexpr const char* kStoppedAnswering =
    "The board stopped answering and was disconnected. The mount was told to stop.";

bool moving(const Frame& f) { return f[0] == 0x05 && (f[1] | f[2] | f[3] | f[4]) != 0; }

class StalledInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::freshBoardRun();
        CONTROL::RESET();
        CLEAR_HANDLES();
        main.listenAs("Main_view");
        pad.listenAs("F_Manual");
        node = fake.add<testing_support::SimBoardInterface>(board, "/dev/hidraw0");
        ctrl = std::make_unique<Tctrl>();
        window = std::make_unique<Tdev_int>();
        ASSERT_TRUE(window->HidDevice1->GETCONNECTED());
        board.start(5);
        CONTROL::INIT_CONTR(CONTROL::LoopHooks{{}, [this] { cycles.fetch_add(1); }});
    }

    void TearDown() override
    {
        CONTROL::RESET();
        board.stop();
        window.reset();
        ctrl.reset();
        QCoreApplication::processEvents();
        CLEAR_HANDLES();
    }

    // The up key of the hand controller, held until the mount moves.
    void holdUp()
    {
        board.handBits = 0x02;
        ASSERT_TRUE(waitUntil([&] { return board.speeds() != std::pair{0, 0}; }));
    }

    // Serves the user-interface thread while the loop runs `n` more cycles.
    bool runCycles(int n)
    {
        const int until = cycles.load() + n;
        return waitUntil([&] { return cycles.load() >= until; });
    }

    std::size_t boxesSaying(const std::string& text) const
    {
        std::size_t n = 0;
        for (const auto& b : boxes.shown())
            n += b.text == text;
        return n;
    }

    SimBoard board;  // before the backend, whose interface refers to it
    testing_support::FakeHidBackend fake;
    testing_support::FakeDialogs boxes;
    testing_support::BusRecorder main, pad;
    std::shared_ptr<testing_support::SimBoardInterface> node;
    std::unique_ptr<Tctrl> ctrl;
    std::unique_ptr<Tdev_int> window;
    std::atomic<int> cycles{0};
};

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
