// The control loop on its own thread, in real time, against the simulated
// board running on a thread of its own: the test thread plays the
// user-interface thread, decoding the board's reports and handling posts.

#include "board/ctrl_view.h"
#include "tests/board/control_stand.h"

#include <QCoreApplication>

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
