// The whole set-up against the simulated board, one control cycle at a time:
// the real main window, wizard, pad, control window and encoder pulses
// dialog, the control loop and the board's wiring. The operator is played by
// the test: it holds the pad's buttons the way the instructions say, watching
// the mount itself, not the readings.

#include "board/ctrl_view.h"
#include "setup/setup_flow.h"
#include "setup/setup_view.h"
#include "tests/board/control_stand.h"
#include "tests/ui/main_view_stand.h"
#include "ui/manual.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace {

using namespace setup;
using testing_support::SimBoard;
using Frame = SimBoard::Frame;

constexpr std::int32_t kCounts = 1 << 24;

class WholeSetUp : public control_testing::ControlStand, public main_view_testing::MainViewParts {
protected:
    void SetUp() override
    {
        ControlStand::SetUp();
        main_view_testing::freshWindows();
        cwd_ = std::filesystem::current_path();
        std::filesystem::current_path(home.path());  // where "orla_setup.ini" is looked for
        board.countsPerSpeedUnit = 100;  // the fast speed turns 10000 counts a cycle

        // The windows in the program's order, wired as the program wires them.
        makeView();
        setup = std::make_unique<TSetup>();
        setup->setManualTicks(true);
        view->setWizard(setup.get());
        ctrl = std::make_unique<Tctrl>();
        pad = std::make_unique<TF_Manual>();
        setup->setPad(pad.get());
        view->setManualPad(pad.get());
        CONTROL::SET_ENCODER_DIALOG(&form1);
        CONTROL::SET_GEAR_WAIT([this] { link.deliver(); });
        activateOnly();
    }
    void TearDown() override
    {
        CONTROL::SET_GEAR_WAIT(nullptr);
        setup.reset();
        pad.reset();
        ctrl.reset();
        view.reset();
        ControlStand::TearDown();
        main_view_testing::freshWindows();
        std::filesystem::current_path(cwd_);
    }

    // A board wired as given, then connected.
    void connect(bool raMotorReversed, bool raEncoderReversed, bool deMotorReversed, bool deEncoderReversed,
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
        startLoop();
        view->ONDEMO(0);  // the device window connected the board
        periods(5);
    }

    // Init, the encoder pulses answered, and the wizard opened by the main
    // window and given the focus.
    void initUntilTheWizardIsOpen(std::function<void(TForm1&)> answer = [](TForm1& f) { f.B_Start->click(); })
    {
        whenPulsesAsked(std::move(answer));
        view->B_Init->click();
        ASSERT_TRUE(periodsUntil([&] { return setup->isVisible(); }, 50));
        periods(3);
        setup->FormActivate();
    }

    // One control period: the loop's cycle, the board moving, its reports
    // decoded, the posts handled, and a tick of both windows' timers.
    void period()
    {
        clock.advance(10);
        loop.cycle();
        board.step(10);
        link.deliver();
        ControlStand::settle();
        setup->Timer1Timer();
        view->siderialTimer();
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

    void hold(QPushButton* b)
    {
        QTest::mousePress(b, Qt::LeftButton);
        ControlStand::settle();
    }
    void letGo(QPushButton* b)
    {
        QTest::mouseRelease(b, Qt::LeftButton);
        ControlStand::settle();
    }
    // The operator comes back to the wizard from the pad and presses OK.
    void pressOk()
    {
        setup->FormActivate();
        setup->B_OK->click();
        ControlStand::settle();
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
    std::string text(const QLineEdit* e) const { return e->text().toStdString(); }
    std::string status() const { return view->L_Object->text().toStdString(); }

    std::unique_ptr<TSetup> setup;
    std::unique_ptr<Tctrl> ctrl;
    std::unique_ptr<TF_Manual> pad;

private:
    std::filesystem::path cwd_;
};

// The counts a channel moved between two readings, the short way round.
std::int64_t moved(std::int32_t from, std::int32_t to) { return countStep(from, to); }

TEST_F(WholeSetUp, IncrementalSetUpOfACrossedReversedMountFromInitToSave)
{
    // RA motor and encoder reversed, Dec encoder reversed, encoders crossed.
    board.absoluteEncoders = false;
    board.setupDone = false;
    connect(true, true, false, true, true);
    ASSERT_TRUE(CONTROL::POWER_ON);

    initUntilTheWizardIsOpen([](TForm1& f) {
        f.edt_DE_enc->setText("4096");
        f.B_Start->click();
    });
    EXPECT_TRUE(pulsesAsked);
    for (int code : {0xF4, 0xC2, 0x26, 0xA0, 0x92, 0x93})
        EXPECT_GE(sent(static_cast<std::uint8_t>(code)), 1u) << code;
    EXPECT_EQ(sent(0x27), 1u);
    EXPECT_EQ(board.encoderPulses(), (std::pair<std::int32_t, std::int32_t>{2048, 4096}));
    EXPECT_EQ(text(view->edt_RA_gear), "1000000");
    ASSERT_TRUE(pad->isVisible());
    EXPECT_EQ(pad->x(), setup->x() + setup->frameGeometry().width() + 10);
    EXPECT_EQ(setup->step(), STEP_HORIZONTAL) << "the first tick took the reference where the mount stands";
    fastest();

    // "Turn the telescope clockwise": with its motor reversed, left does that
    // (clockwise is the RA axis turning back). The readings first show the
    // crossed encoders, then, once the swap is written, the RA axis itself.
    const double raBefore = physical(0);
    slew(pad->Button2, [&] { return setup->step() == STEP_VERTICAL; });
    EXPECT_LT(physical(0), raBefore) << "the operator turned it clockwise";
    EXPECT_TRUE(setup->chk_mvhor->isVisible());

    // "Raise the tube": up does that, the Dec motor being right.
    const double deBefore = physical(1);
    slew(pad->Button1, [&] { return setup->step() == STEP_LEARNT; });
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
        slew(pad->Button4, [&] { return p0 - physical(0) > 40000; });
        const auto [ra1, de1] = board.counts();
        EXPECT_LT(moved(ra0, ra1), 0);
        EXPECT_EQ(de1, de0);
        const double p1 = physical(1);
        slew(pad->Button1, [&] { return physical(1) - p1 > 40000; });
        EXPECT_GT(moved(de1, board.counts().second), 0);
        EXPECT_EQ(board.counts().first, ra1);
    }

    // The gear part. The Dec counter is turned down through 0 (a wrap) by
    // three quarters of 2^23 counts, the RA axis up by 1.25 times 2^23.
    pressOk();
    EXPECT_EQ(setup->step(), STEP_GEAR);
    EXPECT_TRUE(setup->PaintBox1->isVisible());
    EXPECT_EQ(GET_PARAM("GetStar"), "No") << "the control window took the point as a calibration";
    board.setCounts(board.counts().first, 2000000);
    periods(2);
    pressOk();
    ASSERT_EQ(setup->step(), STEP_DEC_TURN);
    const std::int32_t deStart = board.counts().second;
    slew(pad->Button5, [&] { return moved(deStart, board.counts().second) <= -6291456; });
    const std::int64_t deMoved = moved(deStart, board.counts().second);
    EXPECT_GT(board.counts().second, kCounts / 2) << "the counter wrapped";
    pressOk();
    EXPECT_DOUBLE_EQ(setup->deFactor(), static_cast<double>(deMoved) / 8388608.0);
    pressOk();
    ASSERT_EQ(setup->step(), STEP_RA_TURN);
    // Left now turns RA counter-clockwise, its counts rising: by more than
    // half a counter turn, which only the tick-by-tick count can follow.
    const double raStart = physical(0);
    slew(pad->Button2, [&] { return physical(0) - raStart >= 1.25 * 8388608.0; });
    const double raMoved = physical(0) - raStart;
    pressOk();
    EXPECT_EQ(setup->modalResult(), RESULT_OK);
    periods(1);
    EXPECT_EQ(setup->step(), STEP_IDLE) << "the main window's timer completed the run";
    EXPECT_FALSE(setup->isVisible());
    EXPECT_FALSE(pad->isVisible());
    EXPECT_NEAR(setup->raFactor(), raMoved / 8388608.0, 2.0 / 8388608.0);

    // The corrected gears shown, then saved.
    const auto raGear = setup_flow::correctedGear(1000000, setup->raFactor());
    const auto deGear = setup_flow::correctedGear(3000000, setup->deFactor());
    ASSERT_TRUE(raGear && deGear);
    EXPECT_EQ(text(view->edt_RA_gear), std::to_string(*raGear));
    EXPECT_EQ(text(view->edt_DE_gear), std::to_string(*deGear));
    EXPECT_EQ(status(), "Setup done");
    EXPECT_TRUE(view->chk_ra_mot_ccw->isChecked() && view->chk_de_enc_ccw->isChecked());
    ASSERT_TRUE(view->B_save->isEnabled());
    view->B_save->click();
    ASSERT_EQ(sent(0x12), 1u);
    ASSERT_EQ(sent(0x13), 1u);
    EXPECT_EQ(board.axis(0).gear, *raGear);
    EXPECT_EQ(board.axis(1).gear, *deGear);
}

TEST_F(WholeSetUp, AlignOnABoardSetUpBeforeKeepsItsSetUpWithAbsoluteEncoders)
{
    // The RA motor is wired backwards and the board already knows it.
    SET_PARAM("RA_mot_CCW", true);
    HAL::SAVE_HW_CONF();
    board.setupDone = true;
    board.absoluteEncoders = true;
    connect(true, false, false, false, false);
    ASSERT_TRUE(CONTROL::DIR_INIT_DONE);
    ASSERT_TRUE(CONTROL::RA_MOT_CCW);
    ASSERT_TRUE(view->B_Align->isEnabled());

    view->B_Align->click();
    ASSERT_TRUE(periodsUntil([&] { return setup->isVisible(); }, 50));
    EXPECT_FALSE(pulsesAsked);
    EXPECT_EQ(sent(0x27) + sent(0x92) + sent(0x93), 0u);
    setup->FormActivate();
    fastest();
    board.clearLog();

    // The mount now turns as it should: right is clockwise, up raises the tube.
    slew(pad->Button4, [&] { return setup->step() == STEP_VERTICAL; });
    slew(pad->Button1, [&] { return setup->step() == STEP_LEARNT; });
    periods(2);
    ASSERT_EQ(sent(0x42), 1u);
    EXPECT_EQ(board.framesWithCode(0x42)[0], (Frame{0xF0, 0x01, 0x00, 0x20, 0, 0, 0, 0x42}))
        << "the RA motor stays turned round";

    pressOk();  // absolute encoders: no half turns
    periods(1);
    EXPECT_EQ(setup->step(), STEP_IDLE);
    EXPECT_FALSE(setup->isVisible());
    EXPECT_FALSE(pad->isVisible());
    EXPECT_EQ(text(view->edt_RA_gear), "Abs enc");
    EXPECT_EQ(text(view->edt_DE_gear), "Abs enc");
    EXPECT_EQ(status(), "Setup done");
    EXPECT_FALSE(view->B_save->isEnabled());
    EXPECT_EQ(sent(0x92) + sent(0x93), 0u);
}

// The set-up on a laptop's screen and on a small one, the main window at
// either edge or in the middle: the set-up window and the pad it docks lie
// wholly on that screen side by side, the pad 10 px right of the set-up
// window; the two stand right of the main window where they fit, else left
// of it, else as far right as the screen lets them.
TEST_F(WholeSetUp, OnASmallScreenTheSetUpWindowAndThePadStayOnIt)
{
    board.setupDone = true;
    board.absoluteEncoders = true;
    connect(false, false, false, false, false);
    view->show();
    periods(2);
    for (const auto& [what, area, at] : main_view_testing::mainPlaces(view->frameGeometry().width())) {
        SCOPED_TRACE(testing::Message() << what << " at " << at.x());
        view->move(at);
        view->B_Align->click();
        ASSERT_TRUE(periodsUntil([&] { return setup->isVisible(); }, 50));
        setup->FormActivate();
        periods(2);
        ASSERT_TRUE(pad->isVisible());
        for (QWidget* w : {static_cast<QWidget*>(setup.get()), static_cast<QWidget*>(pad.get())})
            EXPECT_TRUE(area.contains(w->frameGeometry())) << w->objectName().toStdString() << " at "
                                                           << w->frameGeometry().x();
        const QRect m = view->frameGeometry(), s = setup->frameGeometry(), p = pad->frameGeometry();
        EXPECT_FALSE(s.intersects(p)) << "the pad lies on the set-up window";
        EXPECT_EQ(p.topLeft(), QPoint(s.right() + 1 + 10, s.top()));
        const int rowWidth = s.width() + 10 + p.width();
        if (m.right() + 1 + rowWidth <= area.right() + 1)
            EXPECT_EQ(s.topLeft(), QPoint(m.right() + 1, m.top())) << "right of the main window";
        else if (m.left() - rowWidth >= area.left())
            EXPECT_EQ(p.right() + 1, m.left()) << "left of the main window";
        else
            EXPECT_EQ(p.right(), area.right()) << "moved no further than onto the screen";
        setup->B_Cancel->click();
        periods(2);
        ASSERT_FALSE(setup->isVisible());
        pad->hide();
    }
}

TEST_F(WholeSetUp, CancelAfterTheDirectionsWereWrittenLeavesNothingChanged)
{
    // Dec motor reversed, encoders crossed.
    board.absoluteEncoders = false;
    connect(false, false, true, false, true);
    initUntilTheWizardIsOpen();
    const SimBoard::Config before = board.config();
    const std::string raGear = text(view->edt_RA_gear), status0 = status();
    fastest();
    slew(pad->Button4, [&] { return setup->step() == STEP_VERTICAL; });
    slew(pad->Button5, [&] { return setup->step() == STEP_LEARNT; });  // down raises this tube
    periods(2);
    ASSERT_TRUE(board.config().deMotCcw && board.config().encSwap);
    pressOk();
    ASSERT_EQ(setup->step(), STEP_GEAR);

    setup->B_Cancel->click();
    periods(3);
    EXPECT_EQ(setup->modalResult(), RESULT_CANCEL);
    EXPECT_FALSE(setup->isVisible());
    EXPECT_TRUE(pad->isVisible());
    const SimBoard::Config after = board.config();
    EXPECT_EQ(after.deMotCcw, before.deMotCcw);
    EXPECT_EQ(after.encSwap, before.encSwap);
    EXPECT_FALSE(CONTROL::DE_MOT_CCW || CONTROL::ENC_SWAP);
    EXPECT_EQ(sent(0x42), 3u);
    EXPECT_EQ(text(view->edt_RA_gear), raGear);
    EXPECT_EQ(status(), status0);
    EXPECT_FALSE(view->B_save->isEnabled());
}

TEST_F(WholeSetUp, ClosedByItsTitleBarItLearnsNothingMoreWhileThePadSlews)
{
    board.absoluteEncoders = false;
    connect(true, false, false, false, false);
    initUntilTheWizardIsOpen();
    fastest();
    hold(pad->Button2);
    periods(5);
    setup->close();
    EXPECT_TRUE(pad->isVisible());
    periods(100);  // far beyond the range
    letGo(pad->Button2);
    EXPECT_EQ(setup->step(), STEP_DONE);
    EXPECT_EQ(setup->modalResult(), RESULT_CANCEL);
    EXPECT_FALSE(CONTROL::RA_MOT_CCW);
    EXPECT_EQ(sent(0x42), 0u);
    EXPECT_FALSE(view->B_save->isEnabled());
}

}  // namespace
