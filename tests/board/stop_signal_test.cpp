// Ctrl-Z (SIGTSTP) while a hand-controller key slews the mount, on the whole
// road. The process's stop itself is stood in for: the thread that stops it
// waits in the stand-in until the test lets it go on, as the whole process
// would until SIGCONT.

#include "tests/board/road_stand.h"

#include "core/names.h"
#include "core/params.h"
#include "platform/end_signals.h"

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

namespace {

using namespace road_testing;

struct StandIn {
    std::mutex m;
    std::condition_variable cv;
    // Under m:
    int stops = 0;
    int signal = 0;         // of the last stop
    std::thread::id thread;  // that stopped last
    bool block = true;
    bool goOn = false;
};
StandIn g_stop;

void stopHere(int signal)
{
    std::unique_lock lock(g_stop.m);
    ++g_stop.stops;
    g_stop.signal = signal;
    g_stop.thread = std::this_thread::get_id();
    g_stop.cv.notify_all();
    // Bounded only so that a fault fails rather than hangs the run.
    g_stop.cv.wait_for(lock, testing_support::kPatience, [] { return !g_stop.block || g_stop.goOn; });
    g_stop.goOn = false;
}

class StopSignal : public RoadStand {
protected:
    void SetUp() override
    {
        {
            std::lock_guard lock(g_stop.m);
            g_stop.stops = g_stop.signal = 0;
            g_stop.thread = {};
            g_stop.block = true;
            g_stop.goOn = false;
        }
        platform::catchEndSignals();
        // Raised here, a stop signal nobody catches would stop the tests.
        for (const int signal : {SIGTSTP, SIGTTIN, SIGTTOU}) {
            struct sigaction now {};
            sigaction(signal, nullptr, &now);
            ASSERT_NE(now.sa_handler, SIG_DFL) << signal;
        }
        platform::setStopAction(&stopHere);
        RoadStand::SetUp();
    }
    void TearDown() override
    {
        goOn();
        RoadStand::TearDown();
        platform::setStopAction(nullptr);
    }

    int stops()
    {
        std::lock_guard lock(g_stop.m);
        return g_stop.stops;
    }
    int lastSignal()
    {
        std::lock_guard lock(g_stop.m);
        return g_stop.signal;
    }
    std::thread::id stoppedBy()
    {
        std::lock_guard lock(g_stop.m);
        return g_stop.thread;
    }
    void goOn()
    {
        {
            std::lock_guard lock(g_stop.m);
            g_stop.goOn = true;
        }
        g_stop.cv.notify_all();
    }
    // The frames up to the last motion frame before index `end` moved the mount.
    static bool movedUpTo(const std::vector<Frame>& frames, std::size_t end)
    {
        const auto last = std::find_if(frames.rbegin() + static_cast<std::ptrdiff_t>(frames.size() - end),
                                       frames.rend(), [](const Frame& f) { return f[0] == 0x05; });
        return last != frames.rend() && moving(*last);
    }
};

TEST_F(StopSignal, CtrlZSendsTheZeroSpeedFrameLastAndAfterTheContinueNothingCountsAsHeld)
{
    HAL::DIGIO = 0x21;
    holdUp();
    std::raise(SIGTSTP);  // as the terminal sends it
    ASSERT_TRUE(waitUntil([&] { return stops() == 1; }));
    const auto atStop = board.frames();
    ASSERT_GE(atStop.size(), 2u);
    EXPECT_EQ(atStop.back(), (Frame{0x05, 0, 0, 0, 0, 0x21, 0, 0})) << "the last frame before the stop stops both axes";
    EXPECT_TRUE(movedUpTo(atStop, atStop.size() - 1)) << "up to it the mount was moving";
    EXPECT_EQ(lastSignal(), SIGTSTP) << "stopped as the signal itself does";
    EXPECT_NE(stoppedBy(), std::this_thread::get_id()) << "by the loop, while this thread is free";

    // The reader and the board go on here; the stopped loop sends nothing.
    const int reads = node->readsDone();
    ASSERT_TRUE(waitUntil([&] { return node->readsDone() >= reads + 20; }));
    EXPECT_EQ(board.frames().size(), atStop.size());

    // SIGCONT, the key still held: it counts as released until let go.
    goOn();
    ASSERT_TRUE(runCycles(30));
    const auto after = board.frames();
    ASSERT_GT(after.size(), atStop.size()) << "the loop goes on";
    for (std::size_t i = atStop.size(); i < after.size(); ++i)
        EXPECT_FALSE(moving(after[i])) << "frame " << i;
    EXPECT_EQ(board.speeds(), (std::pair{0, 0}));

    board.handBits = 0x00;
    ASSERT_TRUE(waitUntil([&] { return HAL::DIG_IN_R.load() == 0; }));
    holdUp();

    // A second Ctrl-Z is caught as the first was.
    std::raise(SIGTSTP);
    ASSERT_TRUE(waitUntil([&] { return stops() == 2; }));
    EXPECT_EQ(board.frames().back(), (Frame{0x05, 0, 0, 0, 0, 0x21, 0, 0}));
    goOn();
    ASSERT_TRUE(runCycles(5));
}

TEST_F(StopSignal, TheTerminalsOtherStopsStopTheMountToo)
{
    for (const int signal : {SIGTTIN, SIGTTOU}) {
        board.handBits = 0x00;
        ASSERT_TRUE(waitUntil([&] { return HAL::DIG_IN_R.load() == 0; }));
        holdUp();
        const int before = stops();
        std::raise(signal);
        ASSERT_TRUE(waitUntil([&] { return stops() == before + 1; })) << signal;
        EXPECT_EQ(board.frames().back(), HAL::STOP_FRAME()) << signal;
        EXPECT_EQ(lastSignal(), signal);
        goOn();
        ASSERT_TRUE(runCycles(5));
        EXPECT_EQ(board.speeds(), (std::pair{0, 0})) << signal;
    }
}

// The loop waits for the operator ("Motor Power not connected"): the
// user-interface thread takes the stop, for the loop can send nothing.
TEST_F(StopSignal, CtrlZWhileTheLoopWaitsForItsBoxIsTakenAtOnce)
{
    {
        std::lock_guard lock(g_stop.m);
        g_stop.block = false;  // the stand-in runs on this thread then
    }
    holdUp();
    int stopsWhileShown = -1;
    std::size_t framesWhileShown = 0;
    boxes.whileShown = [&](const testing_support::FakeDialogs::Box& box) {
        if (box.text != "Motor Power not connected")
            return;
        const auto before = board.frames().size();
        std::raise(SIGTSTP);
        waitUntil([&] { return stops() == 1; });
        stopsWhileShown = stops();
        framesWhileShown = board.frames().size() - before;
        EXPECT_EQ(board.frames().back(), HAL::STOP_FRAME());
    };
    CONTROL::POWER_ON = false;
    SET_PARAM(param::Power_check, "Yes");
    CONTROL::SET_ENC_ALIGN = true;
    ASSERT_TRUE(waitUntil([&] { return boxesSaying("Motor Power not connected") == 1; }));
    EXPECT_EQ(stopsWhileShown, 1) << "the process stopped while the box was up";
    EXPECT_EQ(framesWhileShown, 1u) << "just the zero-speed frame";
    EXPECT_EQ(stoppedBy(), std::this_thread::get_id());
    ASSERT_TRUE(runCycles(20));
    EXPECT_EQ(board.speeds(), (std::pair{0, 0})) << "the key held then counts as released";
}

}  // namespace
