#pragma once
// The whole road from the board to the loop: the simulated board in real
// time behind the fake HID backend, the device window with its real
// connection and reader, the control window and the control loop on its own
// thread. The test thread is the user-interface thread.

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
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace road_testing {

using testing_support::SimBoard;
using testing_support::waitUntil;
using Frame = SimBoard::Frame;

inline bool moving(const Frame& f) { return f[0] == 0x05 && (f[1] | f[2] | f[3] | f[4]) != 0; }

// Whether a frame from `from` on sets an axis moving.
inline bool anyMoving(const std::vector<Frame>& frames, std::size_t from = 0)
{
    return std::any_of(frames.begin() + static_cast<std::ptrdiff_t>(std::min(from, frames.size())), frames.end(),
                       moving);
}

// The report a frame goes out as: report id 0, then the frame.
inline testing_support::Report reportOf(const Frame& f)
{
    testing_support::Report r(f.size() + 1, 0);
    std::copy(f.begin(), f.end(), r.begin() + 1);
    return r;
}

// Holds the control loop between building its motion frame and writing it:
// once armed, the next frame built waits there until released.
class MotionHold {
public:
    void arm()
    {
        std::lock_guard lock(m_);
        armed_ = true;
        held_ = released_ = false;
    }
    // The speeds of the frame held, once the loop waits with it.
    bool waitHeld()
    {
        return waitUntil([&] {
            std::lock_guard lock(m_);
            return held_;
        });
    }
    std::pair<std::int32_t, std::int32_t> heldSpeeds()
    {
        std::lock_guard lock(m_);
        return speeds_;
    }
    void release()
    {
        {
            std::lock_guard lock(m_);
            armed_ = false;
            released_ = true;
        }
        cv_.notify_all();
    }
    // On the loop's thread.
    void built(std::int32_t hor, std::int32_t vert)
    {
        std::unique_lock lock(m_);
        if (!armed_)
            return;
        held_ = true;
        speeds_ = {hor, vert};
        cv_.wait(lock, [&] { return released_; });
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool armed_ = false, held_ = false, released_ = false;
    std::pair<std::int32_t, std::int32_t> speeds_{};
};

class RoadStand : public ::testing::Test {
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
        CONTROL::INIT_CONTR(CONTROL::LoopHooks{{}, [this] { cycles.fetch_add(1); },
                                               [this](std::int32_t h, std::int32_t v) { hold.built(h, v); }});
        // The loop's start clears the speeds and requests made before it.
        ASSERT_TRUE(runCycles(1));
    }

    void TearDown() override
    {
        hold.release();
        CONTROL::RESET();
        board.stop();
        other.stop();
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
    SimBoard other;  // a second board of the vendor, for a test that lists it
    testing_support::FakeHidBackend fake;
    testing_support::FakeDialogs boxes;
    testing_support::BusRecorder main, pad;
    std::shared_ptr<testing_support::SimBoardInterface> node;
    std::unique_ptr<Tctrl> ctrl;
    std::unique_ptr<Tdev_int> window;
    std::atomic<int> cycles{0};
    MotionHold hold;
};

}  // namespace road_testing
