#pragma once
// The stand the control tests run on: the simulated board wired straight
// to the senders, recorders in place of the windows the loop and the control
// window post to, and for most tests the loop in step mode on a test clock.

#include "board/control.h"
#include "board/control_states.h"
#include "board/control_ui.h"
#include "board/hal.h"
#include "core/Signals.h"
#include "core/params.h"
#include "tests/support/bus_recorder.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fresh_run.h"
#include "tests/support/recording_scheduler.h"
#include "tests/support/sim_board.h"
#include "tests/support/sim_link.h"
#include "tests/support/test_clock.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace control_testing {

class FakeEncoderDialog final : public CONTROL::EncoderDialog {
public:
    std::pair<std::string, std::string> values{"2048", "4096"};
    int reads = 0, waiting = 0, done = 0;

    std::pair<std::string, std::string> texts() override
    {
        ++reads;
        return values;
    }
    void showWaitForSync() override { ++waiting; }
    void showSyncDone() override { ++done; }
};

// What every control test stands on; the loop itself is the test's.
class ControlBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::freshBoardRun();
        CONTROL::RESET();
        CLEAR_HANDLES();
        main.listenAs("Main_view");
        pad.listenAs("F_Manual");
        preselect.listenAs("F_preselect");
        calibration.listenAs("Calibration");
    }

    void TearDown() override
    {
        CONTROL::RESET();
        QCoreApplication::processEvents();
        CLEAR_HANDLES();
    }

    testing_support::RecordingScheduler scheduler;
    testing_support::FakeDialogs dialogs;
    testing_support::SimBoard board;
    testing_support::SimLink link{board};
    testing_support::BusRecorder main, pad, preselect, calibration;
};

// The loop in step mode on the test thread and a test clock.
class ControlStand : public ControlBase {
protected:
    void SetUp() override
    {
        ControlBase::SetUp();
        CONTROL::SET_ENCODER_DIALOG(&encoder);
        CONTROL::CONTR_RUNNING = true;
    }

    void TearDown() override
    {
        CONTROL::SET_ENCODER_DIALOG(nullptr);
        ControlBase::TearDown();
    }

    // The loop's start, as its thread would run it.
    void startLoop()
    {
        loop.start();
        settle();
    }

    // `n` cycles, each after one cycle time has passed; the board's replies
    // are decoded after each, and `beforeEach` runs before each.
    void cycles(int n, const std::function<void()>& beforeEach = {})
    {
        for (int i = 0; i < n; ++i) {
            clock.advance(10);
            if (beforeEach)
                beforeEach();
            loop.cycle();
            link.deliver();
        }
        settle();
    }
    void cycle() { cycles(1); }

    // Handles the posts, and the posts their handlers make in turn.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    std::size_t sent(std::uint8_t code) const { return board.framesWithCode(code).size(); }

    testing_support::TestClock clock;
    FakeEncoderDialog encoder;
    CONTROL::ControlLoop loop{CONTROL::LoopHooks{[this](int ms) { clock.advance(ms); }, {}}};
};

using Frame = testing_support::SimBoard::Frame;

}  // namespace control_testing
