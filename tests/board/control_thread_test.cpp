// The control loop on its own thread, in real time, against the simulated
// board running on a thread of its own: the test thread plays the
// user-interface thread, decoding the board's reports and handling posts.

#include "board/ctrl_view.h"
#include "platform/dialogs.h"
#include "tests/board/control_stand.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using Frame = testing_support::SimBoard::Frame;

class LoopThread : public control_testing::ControlBase {
protected:
    void SetUp() override
    {
        ControlBase::SetUp();
        board.start(5);
    }

    void TearDown() override
    {
        ControlBase::TearDown();
        board.stop();
    }

    // Does the user-interface thread's work until `done` holds; false when
    // it did not within a few seconds.
    bool serveUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents();
            link.deliver();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
};

TEST_F(LoopThread, RunsOnceTalksToTheBoardAndEndsWithAStopFrame)
{
    CONTROL::GET_POWER = true;
    CONTROL::INIT();
    CONTROL::INIT();
    CONTROL::ACTIVATE_PARAM_LIST();
    ASSERT_TRUE(serveUntil([&] { return main.count(WM_CAL_MESSAGE) == 1; }));
    EXPECT_TRUE(CONTROL::POWER_ON);

    CONTROL::ONBUTTON(std::make_shared<THWdata>(THWdata{BUP, 2}));
    ASSERT_TRUE(serveUntil([&] { return board.speeds().second == 1000; }));
    ASSERT_TRUE(serveUntil([&] { return board.counts().second > 0; }));
    ASSERT_TRUE(serveUntil([&] { return main.params(WM_DE_MESSAGE).back() > 0; }));

    EXPECT_TRUE(CONTROL::CTRL_CLOSE());
    const auto frames = board.frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), (Frame{0x05, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(board.frames().size(), frames.size());

    CONTROL::ACTIVATE_PARAM_LIST();  // the loop is never started again
    EXPECT_FALSE(CONTROL::CONTR_RUNNING);
    QCoreApplication::processEvents();
    EXPECT_EQ(main.count(WM_STATE_MESSAGE), 1u);
    EXPECT_EQ(scheduler.calls().size(), 1u);
}

TEST_F(LoopThread, ThePowerBoxIsShownOnTheUserInterfaceThread)
{
    CONTROL::INIT();
    CONTROL::GET_INIT = true;  // alignment without motor power
    ASSERT_TRUE(serveUntil([&] { return !dialogs.shown().empty(); }));
    EXPECT_EQ(dialogs.shown()[0].text, "Motor Power not connected");
    EXPECT_TRUE(CONTROL::CTRL_CLOSE());
}

TEST_F(LoopThread, ClosingReleasesALoopWaitingForTheUserInterface)
{
    CONTROL::INIT();
    CONTROL::GET_INIT = true;
    // Without serving the user-interface thread: the loop asks and waits.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((CONTROL::GET_INIT || CONTROL::SET_ENC_ALIGN) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_TRUE(CONTROL::CTRL_CLOSE());
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.shown().empty()) << "an abandoned request is not carried out later";
}

// Closing while the loop waits for the operator to answer its box: the close
// comes from inside the box, as SIGTERM or the main window's close would.
TEST_F(LoopThread, ClosingWhileThePowerBoxIsOpenJoinsTheLoopAtOnce)
{
    CONTROL::MANUAL.set({300, 0, 0, 0});
    bool joined = false;
    std::chrono::steady_clock::duration took{};
    dialogs.whileShown = [&](const testing_support::FakeDialogs::Box&) {
        const auto start = std::chrono::steady_clock::now();
        joined = CONTROL::CTRL_CLOSE();
        took = std::chrono::steady_clock::now() - start;
    };
    CONTROL::INIT();
    CONTROL::GET_INIT = true;  // alignment without motor power: the box
    ASSERT_TRUE(serveUntil([&] { return !dialogs.shown().empty(); }));
    EXPECT_TRUE(joined) << "the loop outlived the close";
    EXPECT_LT(took, std::chrono::milliseconds(500));
    EXPECT_EQ(board.frames().back(), (Frame{0x05, 0, 0, 0, 0, 0, 0, 0})) << "the last frame stops the mount";
}

TEST_F(LoopThread, ClosingWithARealBoxOnScreenClosesItAndJoinsTheLoop)
{
    platform::setDialogs(nullptr);  // the toolkit's own boxes
    bool sawBox = false, joined = false;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            return;
        closer.stop();
        sawBox = true;
        platform::dialogs().closeAll();
        joined = CONTROL::CTRL_CLOSE();
    });
    closer.start();
    CONTROL::INIT();
    CONTROL::GET_INIT = true;
    const bool ended = serveUntil([&] { return sawBox && !QApplication::activeModalWidget(); });
    platform::setDialogs(&dialogs);
    ASSERT_TRUE(ended) << "the box stayed on screen";
    EXPECT_TRUE(joined);
}

TEST_F(LoopThread, ALongCycleTimeDoesNotHoldUpTheClose)
{
    for (const char* cycle : {"100000000", "0"}) {
        SCOPED_TRACE(cycle);
        CONTROL::RESET();
        SET_PARAM("Cycle_Time", cycle);
        SET_PARAM("WD_Timer", "100000000");
        CONTROL::INIT();
        // Cycle_Time 0 runs cycles back to back; a long one waits after the first.
        const std::size_t wanted = std::string(cycle) == "0" ? 50 : 1;
        ASSERT_TRUE(serveUntil([&] { return board.motionFrames().size() >= wanted; }));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(CONTROL::CTRL_CLOSE());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
        EXPECT_EQ(board.frames().back(), (Frame{0x05, 0, 0, 0, 0, 0, 0, 0}));
    }
}

TEST(PositionReading, BothCountsComeFromOneEncoderFrame)
{
    testing_support::freshBoardRun();
    std::atomic<bool> done{false};
    // The decoder on one thread, the loop's reading on another.
    std::thread decoder([&] {
        for (std::uint32_t i = 0; i < 200000; ++i) {
            const auto b = [&](int shift) { return static_cast<std::uint8_t>(i >> shift); };
            const std::uint8_t f[8] = {0x05, 0, b(16), b(8), b(0), b(16), b(8), b(0)};
            HAL::DECODE(f, 8);
        }
        done = true;
    });
    int mixed = 0;
    while (!done.load()) {
        std::int32_t h = 0, v = 0;
        CONTROL::READ_HARDWARE(h, v);
        if (h != v)
            ++mixed;
    }
    decoder.join();
    EXPECT_EQ(mixed, 0) << "readings that mixed two frames";
}

TEST_F(LoopThread, ClosingTheControlWindowEndsTheLoop)
{
    Tctrl ctrl;
    CONTROL::INIT();
    ASSERT_TRUE(serveUntil([&] { return !board.motionFrames().empty(); }));
    ctrl.close();
    EXPECT_FALSE(CONTROL::CONTR_RUNNING);
    EXPECT_TRUE(CONTROL::CTRL_CLOSE(0)) << "the loop's thread has been joined";
}

}  // namespace
