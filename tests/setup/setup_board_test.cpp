// The wizard against the simulated board, one control cycle at a time: the
// real wizard, pad and control window, the control loop and the board's
// wiring. The operator is played by the test: it holds the pad's buttons the
// way the instructions say, watching the mount itself, not the readings.

#include "board/ctrl_view.h"
#include "setup/setup_view.h"
#include "tests/board/control_stand.h"
#include "tests/setup/wizard_folders.h"
#include "tests/support/fake_sound.h"
#include "ui/manual.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

using namespace setup;
using testing_support::SimBoard;
using Frame = SimBoard::Frame;

constexpr std::int32_t kCounts = 1 << 24;

class WizardOnBoard : public control_testing::ControlStand {
protected:
    void SetUp() override
    {
        ControlStand::SetUp();
        board.countsPerSpeedUnit = 100;  // the fast speed turns 10000 counts a cycle
        ctrl = std::make_unique<Tctrl>();
        pad = std::make_unique<TF_Manual>();
        wizard = std::make_unique<TSetup>();
        wizard->setPad(pad.get());
        wizard->setManualTicks(true);
        CONTROL::SET_GEAR_WAIT([this] { link.deliver(); });
    }
    void TearDown() override
    {
        CONTROL::SET_GEAR_WAIT(nullptr);
        wizard.reset();
        pad.reset();
        ctrl.reset();
        ControlStand::TearDown();
    }

    // A board that answers as it is wired, set up or not.
    void wire(bool raMotorReversed, bool raEncoderReversed, bool deMotorReversed, bool deEncoderReversed,
              bool swapped)
    {
        SimBoard::Axis ra = board.axis(0), de = board.axis(1);
        ra.motorReversed = raMotorReversed;
        ra.encoderReversed = raEncoderReversed;
        ra.gear = 1000000;
        de.motorReversed = deMotorReversed;
        de.encoderReversed = deEncoderReversed;
        de.gear = 3000000;
        board.setAxis(0, ra);
        board.setAxis(1, de);
        board.setEncoderSwap(swapped);
        board.setCounts(4000000, 1000000);
    }

    // One control period: the loop's cycle, the board moving, its reports
    // decoded, the posts handled and one tick of the wizard's timer.
    void period()
    {
        clock.advance(10);
        loop.cycle();
        board.step(10);
        link.deliver();
        settle();
        wizard->Timer1Timer();
    }
    bool periodsUntil(const std::function<bool()>& done, int most = 3000)
    {
        for (int i = 0; i < most; ++i) {
            if (done())
                return true;
            period();
        }
        return done();
    }
    void periods(int n)
    {
        for (int i = 0; i < n; ++i)
            period();
    }

    // The board connects; then Init, as the main window starts them.
    void connectAndInit()
    {
        startLoop();
        CONTROL::GET_POWER = true;
        periods(5);
        CONTROL::SETUP_COMMAND = CONTROL::INIT_CMD;
        CONTROL::GET_POWER = true;
    }
    // The main window's answer to the set-up start: the step, the encoder
    // pulses when the board's set-up is missing, and the wizard opened.
    void openAsTheMainWindowDoes()
    {
        ASSERT_TRUE(periodsUntil([&] { return main.count(WM_CAL_MESSAGE) >= 2; }));
        ASSERT_EQ(main.params(WM_CAL_MESSAGE).back(), 4);
        wizard->setStep(CONTROL::STATE);
        const bool align = GET_BPARAM("Setup_align");
        if (!CONTROL::DIR_INIT_DONE) {
            CONTROL::GET_INIT_COUNT = 0;
            HAL::HW_CONFIG_RECEIVED = 0;
            CONTROL::SET_ENC_VAL = true;
        }
        if (!CONTROL::DIR_INIT_DONE || align) {
            wizard->setStep(STEP_REFERENCE);
            SET_PARAM("Setup_align", false);
        }
        ASSERT_LT(wizard->step(), STEP_DONE);
        wizard->show();
        wizard->FormActivate();
    }

    void hold(QPushButton* b)
    {
        QTest::mousePress(b, Qt::LeftButton);
        settle();
    }
    void letGo(QPushButton* b)
    {
        QTest::mouseRelease(b, Qt::LeftButton);
        settle();
    }
    // The operator comes back to the wizard and presses OK.
    void pressOk()
    {
        wizard->FormActivate();
        wizard->B_OK->click();
        settle();
    }
    void fastest()
    {
        while (pad->CURSPEED != 3)
            pad->Button3Click();
    }
    // Slews with `button` until `done`, then lets go and lets the mount stop.
    void slew(QPushButton* button, const std::function<bool()>& done)
    {
        hold(button);
        EXPECT_TRUE(periodsUntil(done));
        letGo(button);
        periods(2);
    }
    // Physical axis positions, in counts.
    double physical(int axis) const { return board.axis(axis).position; }

    setup_testing::WizardFolders folders;
    testing_support::FakeSoundPlayer sound;
    std::unique_ptr<Tctrl> ctrl;
    std::unique_ptr<TF_Manual> pad;
    std::unique_ptr<TSetup> wizard;
};

// The counts a channel moved between two readings, the short way round.
std::int64_t moved(std::int32_t from, std::int32_t to) { return countStep(from, to); }

TEST_F(WizardOnBoard, LearnsACrossedReversedMountAndItsHalfTurnsWithIncrementalEncoders)
{
    // RA motor and encoder reversed, Dec encoder reversed, encoders crossed.
    wire(true, true, false, true, true);
    board.absoluteEncoders = false;
    board.setupDone = false;
    connectAndInit();
    openAsTheMainWindowDoes();
    for (int code : {0xF4, 0xC2, 0x26, 0xA0, 0x92, 0x93})
        EXPECT_GE(sent(static_cast<std::uint8_t>(code)), 1u) << code;
    periods(3);
    EXPECT_EQ(board.encoderPulses(), (std::pair<std::int32_t, std::int32_t>{2048, 4096}));
    ASSERT_TRUE(pad->isVisible());
    EXPECT_EQ(wizard->step(), STEP_HORIZONTAL) << "the first tick took the reference where the mount stands";
    EXPECT_EQ(CONTROL::HW_RA_GEAR, 1000000);
    EXPECT_EQ(CONTROL::HW_DE_GEAR, 3000000);
    fastest();

    // "Turn the telescope clockwise": with its motor reversed, left does that
    // (clockwise is the RA axis turning back). The readings first show the
    // crossed encoders, then, once the swap is written, the RA axis itself.
    const double raBefore = physical(0);
    slew(pad->Button2, [&] { return wizard->step() == STEP_VERTICAL; });
    EXPECT_LT(physical(0), raBefore) << "the operator turned it clockwise";
    EXPECT_TRUE(wizard->chk_mvhor->isVisible());

    // "Raise the tube": up does that, the Dec motor being right.
    const double deBefore = physical(1);
    slew(pad->Button1, [&] { return wizard->step() == STEP_LEARNT; });
    EXPECT_GT(physical(1), deBefore);
    periods(2);
    EXPECT_TRUE(CONTROL::RA_MOT_CCW && CONTROL::RA_ENC_CCW && !CONTROL::DE_MOT_CCW && CONTROL::DE_ENC_CCW &&
                CONTROL::ENC_SWAP);
    EXPECT_EQ(sent(0x42), 2u) << "the swap at once, then the learnt configuration";
    const auto c = board.config();
    EXPECT_TRUE(c.raMotCcw && c.raEncCcw && !c.deMotCcw && c.deEncCcw && c.encSwap && c.equatorial);
    EXPECT_EQ(sound.played.size(), 2u);

    // The configuration mends the wiring: right now turns RA clockwise and
    // its counts fall; up raises the tube and the Dec counts rise; each
    // channel reads its own axis.
    {
        const auto [ra0, de0] = board.counts();
        const double p0 = physical(0);
        hold(pad->Button4);
        periods(5);
        letGo(pad->Button4);
        periods(2);
        const auto [ra1, de1] = board.counts();
        EXPECT_LT(physical(0), p0);
        EXPECT_LT(moved(ra0, ra1), 0);
        EXPECT_EQ(de1, de0);
        hold(pad->Button1);
        periods(5);
        letGo(pad->Button1);
        periods(2);
        EXPECT_GT(moved(de1, board.counts().second), 0);
        EXPECT_EQ(board.counts().first, ra1);
    }

    // The gear part. The Dec counter is turned down through 0 (a wrap) by
    // three quarters of 2^23 counts, the RA axis up by 1.25 times 2^23.
    pressOk();
    EXPECT_EQ(wizard->step(), STEP_GEAR);
    EXPECT_TRUE(wizard->PaintBox1->isVisible());
    EXPECT_EQ(GET_PARAM("GetStar"), "No") << "the control window took the point as a calibration";
    board.setCounts(board.counts().first, 2000000);
    periods(2);
    pressOk();
    ASSERT_EQ(wizard->step(), STEP_DEC_TURN);
    const std::int32_t deStart = board.counts().second;
    slew(pad->Button5, [&] { return moved(deStart, board.counts().second) <= -6291456; });
    const std::int64_t deMoved = moved(deStart, board.counts().second);
    EXPECT_GT(board.counts().second, kCounts / 2) << "the counter wrapped";
    pressOk();
    EXPECT_DOUBLE_EQ(wizard->deFactor(), static_cast<double>(deMoved) / 8388608.0);
    pressOk();
    ASSERT_EQ(wizard->step(), STEP_RA_TURN);
    // Left now turns RA counter-clockwise, its counts rising: by more than
    // half a counter turn, which only the tick-by-tick count can follow.
    const double raStart = physical(0);
    slew(pad->Button2, [&] { return physical(0) - raStart >= 1.25 * 8388608.0; });
    const double raMoved = physical(0) - raStart;
    pressOk();
    EXPECT_EQ(wizard->step(), STEP_DONE);
    EXPECT_EQ(wizard->modalResult(), RESULT_OK);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_FALSE(pad->isVisible());
    EXPECT_NEAR(wizard->raFactor(), raMoved / 8388608.0, 2.0 / 8388608.0);

    // The main window's completion and Save: the corrected gears go out.
    ASSERT_TRUE(wizard->takeCompletedRun());
    const auto corrected = [](std::int32_t gear, double factor) {
        return static_cast<std::int32_t>(std::llabs(std::llround(std::nearbyint(gear * factor))));
    };
    CONTROL::HW_RA_GEAR = corrected(CONTROL::HW_RA_GEAR, wizard->raFactor());
    CONTROL::HW_DE_GEAR = corrected(CONTROL::HW_DE_GEAR, wizard->deFactor());
    dialogs.answer(true);
    CONTROL::SAVE_GEAR();
    EXPECT_EQ(board.axis(0).gear, CONTROL::HW_RA_GEAR.load());
    EXPECT_EQ(board.axis(1).gear, CONTROL::HW_DE_GEAR.load());
    EXPECT_EQ(board.axis(1).gear, corrected(3000000, static_cast<double>(deMoved) / 8388608.0));
}

TEST_F(WizardOnBoard, ARunOverABoardSetUpBeforeKeepsItsSetUpWithAbsoluteEncoders)
{
    // The RA motor is wired backwards and the board already knows it.
    wire(true, false, false, false, false);
    SET_PARAM("RA_mot_CCW", true);
    HAL::SAVE_HW_CONF();
    board.setupDone = true;
    board.absoluteEncoders = true;
    startLoop();
    CONTROL::GET_POWER = true;
    periods(5);
    ASSERT_TRUE(CONTROL::DIR_INIT_DONE);
    ASSERT_TRUE(CONTROL::RA_MOT_CCW);
    // Align.
    SET_PARAM("Setup_align", true);
    CONTROL::GET_INIT = true;
    CONTROL::STATE = 5;
    openAsTheMainWindowDoes();
    EXPECT_EQ(CONTROL::STATE, 1) << "absolute encoders start the wizard from its directions";
    EXPECT_FALSE(CONTROL::SET_ENC_VAL) << "no encoder pulses for a board set up";
    fastest();
    board.clearLog();

    // The mount now turns as it should: right is clockwise, up raises the tube.
    slew(pad->Button4, [&] { return wizard->step() == STEP_VERTICAL; });
    slew(pad->Button1, [&] { return wizard->step() == STEP_LEARNT; });
    periods(2);
    ASSERT_EQ(sent(0x42), 1u);
    EXPECT_EQ(board.framesWithCode(0x42)[0], (Frame{0xF0, 0x01, 0x00, 0x20, 0, 0, 0, 0x42}))
        << "the RA motor stays turned round";

    pressOk();
    EXPECT_EQ(wizard->step(), STEP_DONE);
    EXPECT_EQ(wizard->modalResult(), RESULT_OK);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_FALSE(pad->isVisible());
    EXPECT_EQ(sent(0x92) + sent(0x93), 0u);
}

TEST_F(WizardOnBoard, CancelAfterTheDirectionsWereWrittenGivesTheBoardItsConfigurationBack)
{
    wire(false, false, true, false, true);
    board.absoluteEncoders = false;
    connectAndInit();
    openAsTheMainWindowDoes();
    periods(3);
    const SimBoard::Config before = board.config();
    fastest();
    slew(pad->Button4, [&] { return wizard->step() == STEP_VERTICAL; });
    slew(pad->Button5, [&] { return wizard->step() == STEP_LEARNT; });  // its Dec motor is reversed
    periods(2);
    ASSERT_TRUE(board.config().deMotCcw && board.config().encSwap);
    pressOk();
    ASSERT_EQ(wizard->step(), STEP_GEAR);

    wizard->B_Cancel->click();
    periods(3);
    EXPECT_EQ(wizard->modalResult(), RESULT_CANCEL);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_TRUE(pad->isVisible());
    const SimBoard::Config after = board.config();
    EXPECT_EQ(after.deMotCcw, before.deMotCcw);
    EXPECT_EQ(after.encSwap, before.encSwap);
    EXPECT_FALSE(CONTROL::DE_MOT_CCW || CONTROL::ENC_SWAP);
    EXPECT_EQ(sent(0x42), 3u);
}

TEST_F(WizardOnBoard, ClosedByItsTitleBarItLearnsNothingMoreWhileThePadSlews)
{
    wire(true, false, false, false, false);
    connectAndInit();
    openAsTheMainWindowDoes();
    periods(3);
    fastest();
    hold(pad->Button2);
    periods(5);
    wizard->close();
    EXPECT_TRUE(pad->isVisible());
    periods(100);  // far beyond the range
    letGo(pad->Button2);
    EXPECT_EQ(wizard->step(), STEP_DONE);
    EXPECT_FALSE(CONTROL::RA_MOT_CCW);
    EXPECT_EQ(sent(0x42), 0u);
    EXPECT_EQ(wizard->modalResult(), RESULT_CANCEL);
}

}  // namespace
