// The whole set-up against the simulated board, one control cycle at a time:
// the real main window, wizard, pad, control window and encoder pulses
// dialog, the control loop and the board's wiring. The operator is played by
// the test: it holds the pad's buttons the way the instructions say, watching
// the mount itself, not the readings.

#include "board/ctrl_view.h"
#include "core/Signals.h"
#include "setup/setup_flow.h"
#include "setup/setup_view.h"
#include "tests/board/control_stand.h"
#include "tests/ui/main_view_stand.h"
#include "ui/manual.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <qpa/qwindowsysteminterface.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
    // From the gear part shown to the run's end: three quarters of a half
    // turn of Dec, a whole half turn of RA, the OKs between, and the main
    // window's completion.
    void halfTurns()
    {
        pressOk();
        ASSERT_EQ(setup->step(), STEP_DEC_TURN);
        const double de0 = physical(1);
        slew(pad->Button1, [&] { return std::fabs(physical(1) - de0) >= 6291456.0; });
        pressOk();
        pressOk();
        ASSERT_EQ(setup->step(), STEP_RA_TURN);
        const double ra0 = physical(0);
        slew(pad->Button4, [&] { return std::fabs(physical(0) - ra0) >= 8388608.0; });
        pressOk();
        periods(1);
        ASSERT_EQ(setup->step(), STEP_IDLE);
    }
    // A board set up before, wired straight, with incremental encoders.
    void connectSetUpBoard()
    {
        board.absoluteEncoders = false;
        board.setupDone = true;
        connect(false, false, false, false, false);
    }
    // On that board: Align, both slews, and the half turns, up to "Setup done".
    void alignedRun()
    {
        connectSetUpBoard();
        view->B_Align->click();
        ASSERT_TRUE(periodsUntil([&] { return setup->isVisible(); }, 50));
        setup->FormActivate();
        fastest();
        slew(pad->Button4, [&] { return setup->step() == STEP_VERTICAL; });
        slew(pad->Button1, [&] { return setup->step() == STEP_LEARNT; });
        periods(2);
        pressOk();
        ASSERT_EQ(setup->step(), STEP_GEAR);
        halfTurns();
        ASSERT_EQ(status(), "Setup done");
        ASSERT_TRUE(view->B_save->isEnabled());
    }
    // The gears the program holds as the board's are the board's.
    void heldGearsAreTheBoards() const
    {
        EXPECT_EQ(CONTROL::HW_RA_GEAR, board.axis(0).gear);
        EXPECT_EQ(CONTROL::HW_DE_GEAR, board.axis(1).gear);
    }
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

// A Save that writes nothing, or that the board acknowledges for one axis
// only, leaves the gears the main window shows next, and the next run
// corrects, at what the board holds.
TEST_F(WholeSetUp, AfterASaveThatWroteNothingTheGearsShownAreTheBoards)
{
    alignedRun();
    // Gear shows the gears the program holds as the board's.
    const auto gearShows = [&](const char* ra, const char* de) {
        view->B_Gear->click();
        ASSERT_TRUE(periodsUntil([&] { return setup->isVisible(); }, 50));
        EXPECT_EQ(text(view->edt_RA_gear), ra);
        EXPECT_EQ(text(view->edt_DE_gear), de);
    };
    dialogs.answer(false);
    view->edt_RA_gear->setText("500");
    view->B_save->click();
    EXPECT_EQ(sent(0x12) + sent(0x13), 0u);
    EXPECT_EQ(board.axis(0).gear, 1000000);
    heldGearsAreTheBoards();

    gearShows("1000000", "3000000");
    setup->FormActivate();
    ASSERT_EQ(setup->step(), STEP_GEAR);
    halfTurns();
    const auto raGear = setup_flow::correctedGear(1000000, setup->raFactor());
    ASSERT_TRUE(raGear);
    EXPECT_EQ(text(view->edt_RA_gear), std::to_string(*raGear)) << "corrected from the board's gear";

    // Yes, and the board goes once it has acknowledged the RA gear.
    dialogs.clear();
    dialogs.answer(true);
    view->edt_RA_gear->setText("500");
    view->edt_DE_gear->setText("600");
    CONTROL::SET_GEAR_WAIT([this] {
        link.deliver();
        if (sent(0x12) > 0)
            link.connected = false;
    });
    view->B_save->click();
    link.connected = true;  // back again
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].text, "The board did not acknowledge the Dec gear value: it was not written.");
    EXPECT_EQ(board.axis(0).gear, 500);
    EXPECT_EQ(board.axis(1).gear, 3000000);
    heldGearsAreTheBoards();
    gearShows("500", "3000000");
}

// The window manager's close comes through the display as the operator's
// input does; during a gear write it still ends the write before its next
// frame, while the operator's clicks and keys start nothing.
TEST_F(WholeSetUp, AWindowManagerCloseDuringAGearWriteEndsItAtOnce)
{
    connectSetUpBoard();
    view->show();
    periods(2);
    board.silenceCode(0x12);
    board.silenceCode(0x13);
    CONTROL::SET_GEAR_WAIT(nullptr);  // the program's own wait
    std::size_t sendsAtClose = 0;
    bool closed = false, pressed = false;
    std::string statusAfterPresses;
    // The loop and the board go on while the write waits, a period at each
    // of the timer's turns.
    QTimer stand;
    QObject::connect(&stand, &QTimer::timeout, [&] {
        if (CONTROL::CLOSING)
            return;
        clock.advance(10);
        loop.cycle();
        board.step(10);
        link.deliver();
        if (!pressed && sent(0x12) >= 2) {
            pressed = true;
            QTest::mouseClick(view->B_Init, Qt::LeftButton);
            QTest::keyClick(view->B_Init, Qt::Key_Return);
            statusAfterPresses = status();
        } else if (!closed && sent(0x12) >= 4) {
            closed = true;
            sendsAtClose = sent(0x12);
            QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                view->windowHandle());
        }
    });
    stand.start(0);
    view->edt_RA_gear->setText("500");
    view->edt_DE_gear->setText("600");
    view->B_saveClick();
    stand.stop();
    ASSERT_TRUE(closed);
    loop.finish();  // the loop's end, as its thread runs it
    EXPECT_FALSE(view->isVisible()) << "the close never reached the main window";
    EXPECT_EQ(sent(0x12), sendsAtClose) << "a gear frame after the close";
    EXPECT_EQ(sent(0x13), 0u);
    EXPECT_EQ(dialogs.shown().size(), 1u) << "only the question: a close is no failure to report";
    EXPECT_EQ(board.frames().back(), HAL::STOP_FRAME());
    EXPECT_NE(statusAfterPresses, "Detect board setup") << "Init began inside the write";
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

// Counts the answers of the set-up query (WM_CAL_MESSAGE 4) that reach the
// main window.
class QueryAnswers final : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (const SignalEvent* m = SignalEvent::from(e); m && m->message() == WM_CAL_MESSAGE && m->param() == 4)
            ++count;
        return false;
    }
};

// What the operator does, in the order of a sequence.
enum class Act {
    Init,            // Init, the encoder pulses answered if asked
    InitTwice,       // Init twice; the pulses are typed while the second query runs
    Align,
    Gear,
    WrongWay,        // turns the RA axis counter-clockwise until the wizard takes it
    Clockwise,       // "turn the telescope clockwise" until the wizard takes it
    Up,              // "raise the tube" until the directions are learnt
    CoastClockwise,  // as Clockwise, the key let go just before the axis counts as moved
    CoastUp,         // as Up, likewise
    LetGoAtTheReference,  // as Clockwise over crossed encoders: held through the swap, let go in
                          // the tick the slew passes the first degree from the fresh reference
    Reconnect,       // the board connected again: power and configuration read afresh
    Ok,
    OkToTheEnd,      // OK until the run ends
};

struct Wiring {
    bool raMot = false, raEnc = false, deMot = false, deEnc = false;
};

class SetUpSequences : public WholeSetUp {
protected:
    void SetUp() override
    {
        WholeSetUp::SetUp();
        view->installEventFilter(&answers);
    }

    // The pad button that turns the mount's RA axis clockwise (its position
    // falling) with the configuration the board holds now, and the one that
    // raises the tube.
    QPushButton* clockwise()
    {
        return board.axis(0).motorReversed != board.config().raMotCcw ? pad->Button2 : pad->Button4;
    }
    QPushButton* counterClockwise() { return clockwise() == pad->Button2 ? pad->Button4 : pad->Button2; }
    QPushButton* up()
    {
        return board.axis(1).motorReversed != board.config().deMotCcw ? pad->Button5 : pad->Button1;
    }

    // How far the axis watched has moved from the wizard's reference, arcseconds.
    double fromReference(int axis)
    {
        double hor = 0.0, vert = 0.0;
        CONTROL::READ_POS(hor, vert);
        double d = axis == 0 ? hor - setup->run().INITHOR : vert - setup->run().INITVERT;
        CHECKDIF(d);
        return std::fabs(d);
    }

    // A set-up query asked for and its answer handled; the wizard given the
    // focus where it opened.
    void query(QPushButton* button)
    {
        const int before = answers.count;
        whenPulsesAsked([](TForm1& f) { f.B_Start->click(); });
        button->click();
        EXPECT_TRUE(periodsUntil([&] { return answers.count > before; }));
        periods(3);
        if (setup->isVisible())
            setup->FormActivate();
    }

    void initTwice()
    {
        const int before = answers.count;
        whenPulsesAsked([this, before](TForm1& f) {
            f.edt_RA_enc->setText("5");  // "5000" half typed while the second query ends
            EXPECT_TRUE(periodsUntil([&] { return answers.count == before + 2; }));
            EXPECT_EQ(sent(0x27), 0u) << "no pulses before the dialog is closed";
            EXPECT_FALSE(setup->isVisible());
            f.edt_RA_enc->setText("5000");
            f.B_Start->click();
        });
        // The second press once the first query has asked for the board's set-up.
        view->B_Init->click();
        ASSERT_TRUE(periodsUntil([&] { return sent(HAL::CODE_SETUP_REQUEST) == 1; }));
        view->B_Init->click();
        ASSERT_TRUE(periodsUntil([&] { return setup->isVisible(); }));
        EXPECT_TRUE(pulsesAsked);
        periods(3);
        setup->FormActivate();
    }

    // Holds `button` until the axis is just short of counting as moved, then
    // lets the mount coast on the board's ramp until the wizard takes it.
    void coast(QPushButton* button, int axis, std::int32_t next)
    {
        const double nearly = setup->run().MOVEOFFSET - 1500.0;
        hold(button);
        EXPECT_TRUE(periodsUntil([&] { return fromReference(axis) > nearly; }));
        letGo(button);
        ASSERT_EQ(setup->step(), next - 1) << "the key was let go before the axis counted as moved";
        EXPECT_TRUE(periodsUntil([&] { return setup->step() == next; }, 200));
        periods(2);
    }

    // One OK; true when it was the OK that ends the run.
    bool okOnce()
    {
        const std::int32_t step = setup->step();
        pressOk();
        periods(1);
        return step == STEP_RA_TURN || (step == STEP_LEARNT && CONTROL::ABS_ENC);
    }

    // Plays one act; true when it was the OK that ends a run.
    bool play(Act act)
    {
        switch (act) {
        case Act::Init: query(view->B_Init); break;
        case Act::InitTwice: initTwice(); break;
        case Act::Align: query(view->B_Align); break;
        case Act::Gear:
            EXPECT_TRUE(view->B_Gear->isEnabled());
            view->B_Gear->click();
            periods(2);
            if (setup->isVisible())
                setup->FormActivate();
            break;
        case Act::WrongWay: slew(counterClockwise(), [&] { return setup->step() == STEP_VERTICAL; }); break;
        case Act::Clockwise: slew(clockwise(), [&] { return setup->step() == STEP_VERTICAL; }); break;
        case Act::Up:
            slew(up(), [&] { return setup->step() == STEP_LEARNT; });
            periods(2);
            break;
        case Act::CoastClockwise: coast(clockwise(), 0, STEP_VERTICAL); break;
        case Act::CoastUp: coast(up(), 1, STEP_LEARNT); break;
        case Act::LetGoAtTheReference: {
            QPushButton* const key = clockwise();
            hold(key);
            EXPECT_TRUE(periodsUntil([&] { return setup->step() == STEP_REFERENCE; })) << "no swap";
            EXPECT_TRUE(periodsUntil([&] { return setup->step() == STEP_HORIZONTAL; }));
            letGo(key);
            EXPECT_TRUE(periodsUntil([&] { return setup->step() == STEP_VERTICAL; }, 200));
            periods(2);
            break;
        }
        case Act::Reconnect:
            view->ONDEMO(0);
            EXPECT_TRUE(periodsUntil([] { return !CONTROL::GET_POWER && !CONTROL::GET_CONFIGURED; }));
            periods(2);
            break;
        case Act::Ok: return okOnce();
        case Act::OkToTheEnd:
            for (int press = 0; press < 5 && setup->step() >= STEP_LEARNT && setup->step() <= STEP_RA_TURN; ++press)
                if (okOnce())
                    return true;
            ADD_FAILURE() << "the run did not end";
            break;
        }
        return false;
    }

    QueryAnswers answers;
};

struct Sequence {
    const char* name;
    bool absolute, setUpBefore, boardKnowsRa;
    Wiring wiring;
    double ramp;  // the board's speed ramp, units per second; 0: none
    std::vector<Act> acts;
    bool learnt;  // the board holds the wiring's directions at the end, else the ones it had
    bool done;    // "Setup done" at the end
    bool crossed = false;  // the encoders are wired crossed
};

void PrintTo(const Sequence& s, std::ostream* os) { *os << s.name; }

class SetUpSequence : public SetUpSequences, public testing::WithParamInterface<Sequence> {};

// Whatever the operator presses during a run, the board ends up holding a
// configuration that turns the mount the way the operator's slews showed (or
// the one it had, where the run was abandoned), the main window shows what
// the board holds, and "Setup done" appears only after a run's own last OK.
TEST_P(SetUpSequence, TheBoardHoldsWhatTheOperatorsSlewsShowed)
{
    const Sequence& c = GetParam();
    board.absoluteEncoders = c.absolute;
    board.setupDone = c.setUpBefore;
    board.rampPerSecond = c.ramp;
    if (c.boardKnowsRa) {
        SET_PARAM("RA_mot_CCW", true);
        HAL::SAVE_HW_CONF();
    }
    connect(c.wiring.raMot, c.wiring.raEnc, c.wiring.deMot, c.wiring.deEnc, c.crossed);
    const SimBoard::Config before = board.config();
    fastest();

    bool done = false;
    for (std::size_t i = 0; i < c.acts.size(); ++i) {
        const bool endingOk = play(c.acts[i]);
        if (!done && status() == "Setup done") {
            done = true;
            EXPECT_TRUE(endingOk) << "\"Setup done\" after act " << i << ", not a run's last OK";
        }
    }
    periods(3);
    EXPECT_EQ(done, c.done);
    const SimBoard::Config held = board.config();
    const Wiring want =
        c.learnt ? c.wiring : Wiring{before.raMotCcw, before.raEncCcw, before.deMotCcw, before.deEncCcw};
    EXPECT_EQ(held.raMotCcw, want.raMot);
    EXPECT_EQ(held.raEncCcw, want.raEnc);
    EXPECT_EQ(held.deMotCcw, want.deMot);
    EXPECT_EQ(held.deEncCcw, want.deEnc);
    EXPECT_EQ(held.encSwap, c.learnt ? c.crossed : before.encSwap);
    EXPECT_EQ(view->chk_ra_mot_ccw->isChecked(), held.raMotCcw) << "the main window shows what the board holds";
    EXPECT_EQ(view->chk_ra_enc_ccw->isChecked(), held.raEncCcw);
    EXPECT_EQ(view->chk_de_mot_ccw->isChecked(), held.deMotCcw);
    EXPECT_EQ(view->chk_de_enc_ccw->isChecked(), held.deEncCcw);
    if (c.acts.front() == Act::InitTwice) {
        EXPECT_EQ(sent(0x27), 1u);
        EXPECT_EQ(board.encoderPulses().first, 5000);
    }
}

using enum Act;
constexpr Wiring kRaReversed{true, false, false, false};

INSTANTIATE_TEST_SUITE_P(
    WhateverIsPressed, SetUpSequence,
    testing::Values(
        Sequence{"AlignAgainDuringTheDirectionPart", true, true, true, kRaReversed, 0,
                 {Align, WrongWay, Align, Clockwise, Up, Ok}, true, true},
        Sequence{"InitAgainDuringTheDirectionPart", true, true, true, kRaReversed, 0,
                 {Init, WrongWay, Init, Clockwise, Up, Ok}, true, true},
        Sequence{"AReconnectWhileTheDecAxisIsLearnt", true, true, false, {true, true, false, true}, 0,
                 {Align, Clockwise, Reconnect, Up, Ok}, true, true},
        Sequence{"GearWhileTheDecAxisIsLearnt", false, true, false, kRaReversed, 0,
                 {Align, Clockwise, Gear, OkToTheEnd}, false, true},
        Sequence{"GearInTheGearPartAfterAReconnect", false, false, false, kRaReversed, 0,
                 {Init, Clockwise, Up, Ok, Reconnect, Gear}, false, false},
        Sequence{"InitTwiceOnABoardNotSetUp", true, false, false, {false, false, true, false}, 0,
                 {InitTwice, Clockwise, Up, Ok}, true, true},
        Sequence{"BothKeysLetGoBeforeTheAxesCountAsMoved", true, true, false, {true, false, true, false}, 1e5,
                 {Align, CoastClockwise, CoastUp, Ok}, true, true},
        Sequence{"TheKeyLetGoAsTheFreshReferenceIsTaken", true, true, false, kRaReversed, 1e4,
                 {Align, LetGoAtTheReference, Up, Ok}, true, true, true}),
    [](const testing::TestParamInfo<Sequence>& p) { return std::string(p.param.name); });

}  // namespace
