// The wizard's run, tick by tick and without a window: the step rules of the
// direction part, the swap, the configuration it writes, the half turns and
// how a run ends.

#include "board/control.h"
#include "board/hal.h"
#include "core/Signals.h"
#include "core/angles.h"
#include "core/astro.h"
#include "core/params.h"
#include "setup/setup_run.h"
#include "tests/support/bus_recorder.h"
#include "tests/support/fake_sound.h"
#include "tests/support/fresh_run.h"
#include "tests/support/test_clock.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace setup;

constexpr std::int32_t kCounts = 1 << 24;

class FakeMount final : public SetupMount {
public:
    bool reported = true;  // before the first report the readings stay as they are
    double hor = 0.0, vert = 0.0;
    std::int32_t ra = 0, de = 0;

    void readPos(double& h, double& v) override
    {
        if (reported) {
            h = hor;
            v = vert;
        }
    }
    void readHardware(std::int32_t& r, std::int32_t& d) override
    {
        r = ra;
        d = de;
    }
};

class FakeWindow final : public SetupRun::Window {
public:
    int wizardHidden = 0, padHidden = 0;
    void hideWizard() override { ++wizardHidden; }
    void hidePad() override { ++padHidden; }
};

SetupTexts texts()
{
    SetupTexts t;
    t.moveInit = "init";
    t.moveHor = "hor";
    t.moveVert = "vert";
    t.decRot = "dec rot";
    t.moveRa = "move ra";
    t.raRot = "ra rot";
    t.swap = "swapped";
    t.gear = "gear";
    return t;
}

struct Flags {
    bool raMot = false, raEnc = false, deMot = false, deEnc = false, swap = false;
    bool operator==(const Flags&) const = default;
};

Flags flags()
{
    return {CONTROL::RA_MOT_CCW, CONTROL::RA_ENC_CCW, CONTROL::DE_MOT_CCW, CONTROL::DE_ENC_CCW, CONTROL::ENC_SWAP};
}

void setFlags(const Flags& f)
{
    CONTROL::RA_MOT_CCW = f.raMot;
    CONTROL::RA_ENC_CCW = f.raEnc;
    CONTROL::DE_MOT_CCW = f.deMot;
    CONTROL::DE_ENC_CCW = f.deEnc;
    CONTROL::ENC_SWAP = f.swap;
}

// What the last configuration frame carried (the senders mirror its bits).
Flags written()
{
    return {HAL::HW_RA_MOT_CCW, HAL::HW_RA_ENC_CCW, HAL::HW_DE_MOT_CCW, HAL::HW_DE_ENC_CCW, HAL::HW_ENC_SWAP};
}

class Run : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::freshBoardRun();
        CONTROL::RESET();
        CLEAR_HANDLES();
        control.listenAs("Control");
        run = std::make_unique<SetupRun>(window, mount);
    }
    void TearDown() override
    {
        run.reset();
        QCoreApplication::processEvents();
        CLEAR_HANDLES();
        CONTROL::RESET();
    }

    void startAt(std::int32_t step)
    {
        run->STATE = step;
        run->activate(texts());
    }
    // One tick with the mount at (hor, vert) and the manual speeds given.
    void at(double hor, double vert, std::int32_t hmv = 0, std::int32_t vmv = 0)
    {
        mount.hor = hor;
        mount.vert = vert;
        CONTROL::MANUAL.set({hmv, vmv, 0, 0});
        run->tick();
    }
    // Step 2 with the reference at (100000, 50000).
    void atStep2()
    {
        startAt(STEP_REFERENCE);
        at(100000, 50000);
        ASSERT_EQ(run->STATE, STEP_HORIZONTAL);
    }
    // What the control loop does with a save request at its next cycle.
    static void loopCycle()
    {
        if (CONTROL::SAVE_CONF) {
            HAL::SAVE_HW_CONF();
            CONTROL::SAVE_CONF = false;
        }
    }
    std::vector<testing_support::BusRecorder::Message> controlPosts()
    {
        QCoreApplication::processEvents();
        return control.received;
    }

    testing_support::TestClock clock;
    testing_support::FakeSoundPlayer sound;
    testing_support::BusRecorder control;
    FakeMount mount;
    FakeWindow window;
    std::unique_ptr<SetupRun> run;
};

TEST(SetupArithmetic, DifferencesTakeTheShortWayRound)
{
    struct Row {
        double in, out;
    };
    for (const Row r : {Row{648000, 648000}, Row{-648000, -648000}, Row{648001, -647999}, Row{-648001, 647999},
                        Row{1296000 - 1000 - 1000, -2000}, Row{0, 0}}) {
        double d = r.in;
        CHECKDIF(d);
        EXPECT_EQ(d, r.out) << r.in;
    }
    struct Step {
        std::int32_t from, to, moved;
    };
    for (const Step s : {Step{0, 100, 100}, Step{100, 0, -100}, Step{kCounts - 10, 5, 15}, Step{5, kCounts - 10, -15},
                         Step{0, kCounts / 2 - 1, kCounts / 2 - 1}, Step{0, kCounts / 2, -kCounts / 2}}) {
        EXPECT_EQ(countStep(s.from, s.to), s.moved) << s.from << " -> " << s.to;
    }
}

TEST_F(Run, ActivationPreparesTheStepAndReadsTheRange)
{
    SET_PARAM("Setup_Range", "2");
    run->ModalResult = RESULT_OK;
    startAt(STEP_REFERENCE);
    EXPECT_TRUE(run->timerEnabled());
    EXPECT_EQ(run->ModalResult, RESULT_NONE);
    EXPECT_EQ(run->MOVEOFFSET, 7200);
    const SetupLook& l = run->look();
    EXPECT_TRUE(l.horLabel && !l.horTick && !l.verLabel && !l.verTick && l.message && l.cancel && !l.sketch);
    EXPECT_FALSE(l.okEnabled);
    EXPECT_EQ(l.horText, "hor");
    EXPECT_EQ(l.verText, "vert");
    EXPECT_EQ(l.messageText, "init");

    run->VROT = run->HROT = 0.7;
    startAt(STEP_GEAR);
    EXPECT_TRUE(!l.horLabel && !l.verLabel && !l.horTick && !l.verTick && l.message && l.okEnabled && l.sketch);
    EXPECT_EQ(l.messageText, "gear");
    EXPECT_EQ(run->VROT, 0.0);
    EXPECT_EQ(run->HROT, 0.0);

    // A range that is no whole number reads 0, so any movement counts, and so
    // does a negative one; one too large for arcseconds is kept at the largest.
    for (const auto& [range, offset] : {std::pair{"5.5", 0}, std::pair{"-1", 0},
                                        std::pair{"2000000", 2147483647}}) {
        SET_PARAM("Setup_Range", range);
        run->activate(texts());
        EXPECT_EQ(run->MOVEOFFSET, offset) << range;
    }
}

TEST_F(Run, WithNoRangeAnyMovementCountsButStandingStillDoesNot)
{
    SET_PARAM("Setup_Range", "-2");
    atStep2();
    at(100000, 50000, 100, 0);
    EXPECT_EQ(run->STATE, STEP_HORIZONTAL);
    at(100000.5, 50000, 100, 0);
    EXPECT_EQ(run->STATE, STEP_VERTICAL);
    EXPECT_TRUE(CONTROL::RA_MOT_CCW);
}

TEST_F(Run, FirstMovementOfMoreThanADegreeTakesTheReference)
{
    SET_PARAM("Merid_Flip_Enable", true);  // undeclared: reads false
    startAt(STEP_REFERENCE);
    at(3600, -3600);
    EXPECT_EQ(run->STATE, STEP_REFERENCE) << "exactly a degree does not count";
    at(1296000 - 3600.5, 0);
    EXPECT_EQ(run->STATE, STEP_HORIZONTAL) << "across the seam by its short way";
    EXPECT_EQ(run->INITHOR, 1296000 - 3600.5);
    EXPECT_EQ(run->INITVERT, 0.0);
    EXPECT_FALSE(run->CUR_FLIPMODE);
}

TEST_F(Run, NoReportKeepsTheFirstRunAtItsFirstStep)
{
    mount.reported = false;
    startAt(STEP_REFERENCE);
    for (int i = 0; i < 5; ++i)
        at(0, 0);
    EXPECT_EQ(run->STATE, STEP_REFERENCE);
}

struct HorizontalRow {
    const char* what;
    double dh, dv;
    std::int32_t hmv, vmv;
    bool equatorial;
    std::int32_t step;
    bool raMot, raEnc, swap;
};

class HorizontalRule : public Run, public ::testing::WithParamInterface<HorizontalRow> {};

TEST_P(HorizontalRule, DecidesAsTheRowSays)
{
    const HorizontalRow& r = GetParam();
    SET_PARAM("Equatorial", r.equatorial);
    atStep2();
    at(100000 + r.dh, 50000 + r.dv, r.hmv, r.vmv);
    EXPECT_EQ(run->STATE, r.step);
    EXPECT_EQ(flags(), (Flags{r.raMot, r.raEnc, false, false, r.swap}));
    EXPECT_EQ(GET_PARAM("RA_mot_CCW"), r.raMot ? "Yes" : "No");
    EXPECT_EQ(GET_PARAM("RA_enc_CCW"), r.raEnc ? "Yes" : "No");
    const bool learnt = r.step == STEP_VERTICAL;
    EXPECT_EQ(run->look().horTick, learnt);
    EXPECT_EQ(run->look().verLabel, learnt);
    EXPECT_EQ(sound.played.size(), learnt ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Step2, HorizontalRule,
    ::testing::Values(
        HorizontalRow{"left held, reading rising: motor and encoder invert", 18001, 0, 100, 0, true, 3, true, true, false},
        HorizontalRow{"left held, reading falling: only the motor inverts", -18001, 0, 100, 0, true, 3, true, false, false},
        HorizontalRow{"right held: neither, whatever the reading did", 18001, 0, -100, 0, true, 3, false, false, false},
        HorizontalRow{"nothing held: neither", -18001, 0, 0, 0, true, 3, false, false, false},
        HorizontalRow{"exactly the range does not count", 18000, 0, 100, 0, true, 2, false, false, false},
        HorizontalRow{"left on a mount that is not equatorial", 18001, 0, -100, 0, false, 3, true, true, false},
        HorizontalRow{"vertical first with up held: back to the reference", 0, 18001, 0, 100, true, 1, false, false, false},
        HorizontalRow{"vertical first with nothing held: back to the reference", 0, -18001, 0, 0, true, 1, false, false, false},
        HorizontalRow{"only the vertical motor runs, horizontal moves: swapped", 18001, 0, 0, 100, true, 1, false, false, true},
        HorizontalRow{"only the horizontal motor runs, vertical moves: swapped", 0, 18001, 100, 0, true, 1, false, false, true},
        HorizontalRow{"both motors run: nothing can be told yet", 18001, 0, 100, 100, true, 2, false, false, false}),
    [](const auto& row) { return "row" + std::to_string(row.index); });

TEST_F(Run, VerticalFirstExchangesTheReferences)
{
    atStep2();
    at(100000, 50000 + 20000, 0, 100);
    EXPECT_EQ(run->STATE, STEP_REFERENCE);
    EXPECT_EQ(run->INITHOR, 50000);
    EXPECT_EQ(run->INITVERT, 100000);

    // That slew is not the next one's: a move with no key held afterwards
    // is not taken for the vertical motor turning the horizontal axis.
    at(100000, 70000);
    ASSERT_EQ(run->STATE, STEP_HORIZONTAL);
    at(100000 + 18001, 70000);
    EXPECT_EQ(run->STATE, STEP_VERTICAL);
    EXPECT_FALSE(CONTROL::ENC_SWAP);
}

struct VerticalRow {
    double dv;
    std::int32_t vmv;
    std::int32_t step;
    bool deMot, deEnc;
};

class VerticalRule : public Run, public ::testing::WithParamInterface<VerticalRow> {};

TEST_P(VerticalRule, DecidesAsTheRowSays)
{
    const VerticalRow& r = GetParam();
    atStep2();
    at(100000 - 18001, 50000, -100, 0);
    ASSERT_EQ(run->STATE, STEP_VERTICAL);
    at(100000 - 18001, 50000 + r.dv, 0, r.vmv);
    EXPECT_EQ(run->STATE, r.step);
    EXPECT_EQ(flags(), (Flags{false, false, r.deMot, r.deEnc, false}));
    EXPECT_EQ(GET_PARAM("DE_mot_CCW"), r.deMot ? "Yes" : "No");
    EXPECT_EQ(GET_PARAM("DE_enc_CCW"), r.deEnc ? "Yes" : "No");
    const bool learnt = r.step == STEP_LEARNT;
    EXPECT_EQ(bool(CONTROL::SAVE_CONF), learnt) << "the configuration is written once learnt";
    EXPECT_EQ(run->look().verTick, learnt);
    EXPECT_EQ(run->look().okEnabled, learnt);
}

INSTANTIATE_TEST_SUITE_P(Step3, VerticalRule,
                         ::testing::Values(VerticalRow{18001, 100, 4, false, false},   // up held, rising
                                           VerticalRow{18001, -100, 4, true, false},   // down held, rising
                                           VerticalRow{-18001, 100, 4, false, true},   // up held, falling
                                           VerticalRow{-18001, -100, 4, true, true},   // down held, falling
                                           VerticalRow{-18001, 0, 4, false, true},     // nothing held, falling
                                           VerticalRow{18000, -100, 3, false, false}));  // not beyond the range

TEST_F(Run, TheWrittenConfigurationIsTheWholeLearntOne)
{
    // A board set up before: its RA motor already turned round, its encoders
    // crossed. A run that finds the RA motor right and the Dec motor reversed
    // keeps what was there and adds what it learnt.
    setFlags({true, false, false, false, true});
    atStep2();
    at(100000 - 18001, 50000, -100, 0);
    at(100000 - 18001, 50000 + 18001, 0, -100);
    ASSERT_EQ(run->STATE, STEP_LEARNT);
    EXPECT_EQ(GET_PARAM("RA_mot_CCW"), "Yes");
    EXPECT_EQ(GET_PARAM("Enc_swap"), "Yes");
    loopCycle();
    EXPECT_EQ(written(), (Flags{true, false, true, false, true}));
    EXPECT_EQ(flags(), (Flags{true, false, true, false, true}));
    EXPECT_EQ(GET_PARAM("RA_mot_CCW"), "No") << "the loop clears what it has sent";
}

// Released just before the range, the mount coasts past it on the board's
// ramp with no key held: each axis is decided by the last speed of its slew.
TEST_F(Run, ACoastPastTheRangeGoesByTheLastSpeedOfItsSlew)
{
    atStep2();
    at(100000 + 9000, 50000, 100, 0);  // left held
    at(100000 + 18001, 50000);         // let go, coasted past
    ASSERT_EQ(run->STATE, STEP_VERTICAL);
    EXPECT_EQ(flags(), (Flags{true, true, false, false, false}));
    at(100000 + 18001, 50000 + 9000, 0, -100);  // down held
    at(100000 + 18001, 50000 + 18001);
    ASSERT_EQ(run->STATE, STEP_LEARNT);
    loopCycle();
    EXPECT_EQ(written(), (Flags{true, true, true, false, false}));
}

// Left let go in the tick the slew passes the first degree, or the tick
// before: the fresh reference is taken there, and the coast past the range
// that follows is still the slew of the key that was held.
TEST_F(Run, AKeyLetGoAsTheReferenceIsTakenStillDecidesItsSlew)
{
    for (const bool heldInThatTick : {true, false}) {
        SCOPED_TRACE(heldInThatTick ? "held in that tick" : "let go the tick before");
        setFlags({});
        run = std::make_unique<SetupRun>(window, mount);
        startAt(STEP_REFERENCE);
        at(0, 0);
        at(1800, 0, 100, 0);  // half a degree
        at(3601, 0, heldInThatTick ? 100 : 0, 0);
        ASSERT_EQ(run->STATE, STEP_HORIZONTAL);
        at(3601 + 18001, 0);  // coasted past the range
        ASSERT_EQ(run->STATE, STEP_VERTICAL);
        EXPECT_EQ(flags(), (Flags{true, true, false, false, false}));
    }
}

TEST_F(Run, AConfigurationReportedDuringTheRunDoesNotUndoWhatItLearnt)
{
    const Flags board{false, false, false, true, false};
    setFlags(board);
    atStep2();
    at(100000 + 18001, 50000, 100, 0);  // RA motor and encoder inverted
    ASSERT_EQ(run->STATE, STEP_VERTICAL);
    setFlags(board);  // the board read again, after a reconnect
    at(100000 + 18001, 50000 + 18001, 0, 100);
    ASSERT_EQ(run->STATE, STEP_LEARNT);
    loopCycle();
    EXPECT_EQ(written(), (Flags{true, true, false, true, false}));
    EXPECT_EQ(flags(), written());
}

// A configuration the board sent before it took the run's frame, read after
// it: the run's last OK leaves the flags at what the run wrote.
TEST_F(Run, TheLastOkLeavesTheFlagsAtWhatTheRunWrote)
{
    CONTROL::ABS_ENC = true;
    atStep2();
    at(100000 + 18001, 50000, 100, 0);
    at(100000 + 18001, 50000 + 18001, 0, -100);
    ASSERT_EQ(run->STATE, STEP_LEARNT);
    loopCycle();
    setFlags({});
    run->ok();
    ASSERT_EQ(run->ModalResult, RESULT_OK);
    EXPECT_EQ(flags(), (Flags{true, true, true, false, false}));
    EXPECT_EQ(flags(), written());
}

TEST_F(Run, ASwapIsWrittenAtOnceAndTheDirectionPartStartsAgain)
{
    atStep2();
    at(100000, 50000 + 18001, 100, 0);  // the horizontal motor turns the axis read as vertical
    ASSERT_EQ(run->STATE, STEP_REFERENCE);
    EXPECT_TRUE(CONTROL::ENC_SWAP);
    EXPECT_EQ(run->look().messageText, "swapped");
    EXPECT_TRUE(CONTROL::SAVE_CONF);

    // Nothing is learnt from readings taken before the swap is in force.
    at(300000, 300000, 100, 0);
    EXPECT_EQ(run->STATE, STEP_REFERENCE);
    loopCycle();
    EXPECT_EQ(written(), (Flags{false, false, false, false, true}));
    for (int i = 1; i < SetupRun::kSwapSettleTicks; ++i)
        at(300000 + i, 300000, 100, 0);
    EXPECT_EQ(run->STATE, STEP_REFERENCE);
    at(310000, 70000, 100, 0);  // the last settling tick takes the fresh reference
    EXPECT_EQ(run->INITHOR, 310000);
    EXPECT_EQ(run->INITVERT, 70000);
    at(310000 + 3601, 70000, 100, 0);
    ASSERT_EQ(run->STATE, STEP_HORIZONTAL);

    // Once per run: the same evidence again no longer flips the swap back.
    at(310000 + 3601, 70000 + 18001, 100, 0);
    EXPECT_EQ(run->STATE, STEP_REFERENCE);
    EXPECT_TRUE(CONTROL::ENC_SWAP);
    EXPECT_FALSE(CONTROL::SAVE_CONF);
}

TEST_F(Run, NothingIsLearntOrWrittenWhileTheLoopIsWriting)
{
    CONTROL::SAVE_CONF = true;  // the loop is building a frame from the parameters
    startAt(STEP_REFERENCE);
    at(100000, 50000);
    EXPECT_EQ(run->STATE, STEP_REFERENCE);
    CONTROL::SAVE_CONF = false;
    at(100000, 50000);
    ASSERT_EQ(run->STATE, STEP_HORIZONTAL);

    at(100000, 50000 + 18001, 100, 0);  // a swap: handed over at once
    EXPECT_FALSE(run->configurationQueued());
    EXPECT_TRUE(CONTROL::SAVE_CONF);
    // Cancelled before the loop took it: the restoring write waits for it.
    run->cancel();
    EXPECT_TRUE(run->configurationQueued());
    EXPECT_TRUE(run->pumpConfiguration());
    loopCycle();
    EXPECT_TRUE(written().swap);
    EXPECT_FALSE(run->pumpConfiguration());
    EXPECT_TRUE(CONTROL::SAVE_CONF);
    loopCycle();
    EXPECT_EQ(written(), Flags{}) << "the board gets its own configuration back";
}

TEST_F(Run, ARestoreStillWaitingIsNotLostToTheNextRunsCancel)
{
    atStep2();
    at(100000, 50000 + 18001, 100, 0);  // the swap, handed over
    run->cancel();                       // its undoing waits behind it
    ASSERT_TRUE(run->configurationQueued());
    startAt(STEP_REFERENCE);  // a new run, before the loop took either
    run->cancel();
    loopCycle();
    run->pumpConfiguration();
    loopCycle();
    EXPECT_EQ(written(), Flags{});
    EXPECT_EQ(flags(), Flags{});
}

TEST_F(Run, EveryOkSendsTheEastHorizonPointToTheControlWindow)
{
    clock.setTime(21, 30, 0);
    startAt(STEP_LEARNT);
    run->ok();
    const auto posts = controlPosts();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[0].number, WM_POINT_MESSAGE);
    EXPECT_EQ(posts[1].number, WM_CAL_MESSAGE);
    ASSERT_TRUE(posts[0].point);
    EXPECT_EQ(posts[0].point, posts[1].point);
    double ra = 0.0, de = 0.0;
    AZTORA(324000, 0, 0, GET_LMST(0), ra, de);
    EXPECT_DOUBLE_EQ(posts[0].point->RA, ra);
    EXPECT_DOUBLE_EQ(posts[0].point->DE, de);
    EXPECT_EQ(posts[0].point->SRC, SRCMAIN);
    EXPECT_EQ(posts[0].point->NAME, "");
    EXPECT_EQ(GET_PARAM("GetStar"), "Yes");
    const auto index = GET_PARAM_INDEX("GetStar");
    EXPECT_EQ(PARAM_AT(index)->SECTION, "-allign");
    EXPECT_EQ(PARAM_AT(index)->POS_VAL, "Yes;No");
    EXPECT_EQ(run->ModalResult, RESULT_NONE) << "the run goes on: only its last OK ends it";
    EXPECT_EQ(run->STATE, STEP_GEAR);
    EXPECT_TRUE(run->look().sketch);
    EXPECT_EQ(run->look().messageText, "gear");
}

TEST_F(Run, TheGearPartMeasuresBothHalfTurnsOnTheRawCounts)
{
    startAt(STEP_GEAR);
    mount.ra = 1000;
    mount.de = kCounts - 1000;  // the Dec counter wraps during its turn
    run->ok();
    EXPECT_EQ(run->STATE, STEP_DEC_TURN);
    EXPECT_EQ(run->STARTPOS_DE, kCounts - 1000);
    EXPECT_EQ(run->look().messageText, "dec rot");
    for (int i = 1; i <= 64; ++i) {
        mount.de = (kCounts - 1000 + i * 131072) % kCounts;
        run->tick();
    }
    run->ok();
    EXPECT_EQ(run->NEW_DE, 8388608 - 1000);
    EXPECT_EQ(run->DE_DIFF, 1.0) << "a wrap is not a turn the other way";
    EXPECT_EQ(run->STATE, STEP_RA_START);
    EXPECT_EQ(run->HROT, -0.45);
    EXPECT_EQ(run->look().messageText, "move ra");

    mount.ra = 5000;  // moved to the start position between the two presses
    run->ok();
    EXPECT_EQ(run->STATE, STEP_RA_TURN);
    EXPECT_EQ(run->STARTPOS_RA, 5000);
    EXPECT_EQ(run->look().messageText, "ra rot");
    for (int i = 1; i <= 8; ++i) {  // a whole turn back, in eighths
        mount.ra = (5000 - i * (kCounts / 8) + kCounts) % kCounts;
        run->tick();
    }
    run->ok();
    EXPECT_EQ(run->RA_DIFF, -2.0);
    EXPECT_EQ(run->DE_DIFF, 1.0);
    EXPECT_EQ(run->STATE, STEP_DONE);
    EXPECT_EQ(run->ModalResult, RESULT_OK);
    EXPECT_FALSE(run->timerEnabled());
    EXPECT_FALSE(run->running());
    EXPECT_EQ(window.wizardHidden, 1);
    EXPECT_EQ(window.padHidden, 1);
    EXPECT_EQ(controlPosts().size(), 8u) << "four presses, two posts each";
}

TEST_F(Run, WithoutAWrapTheFactorIsThePlainDifference)
{
    startAt(STEP_GEAR);
    mount.de = 100;
    run->ok();
    mount.de = 100 + 3 * 8388608 / 4;  // no tick in between: one jump below half a turn
    run->ok();
    EXPECT_EQ(run->DE_DIFF, 0.75);
    run->ok();
    run->ok();  // RA never moved
    EXPECT_EQ(run->RA_DIFF, 0.0);
}

TEST_F(Run, WithAbsoluteEncodersOkAfterTheDirectionsEndsTheRun)
{
    CONTROL::ABS_ENC = true;
    startAt(STEP_LEARNT);
    mount.ra = mount.de = 777;
    run->ok();
    EXPECT_EQ(run->STATE, STEP_DONE);
    EXPECT_EQ(run->ModalResult, RESULT_OK);
    EXPECT_FALSE(run->timerEnabled());
    EXPECT_EQ(window.wizardHidden, 1);
    EXPECT_EQ(window.padHidden, 1);
    EXPECT_EQ(run->STARTPOS_RA, 0) << "no counts are taken";
}

TEST_F(Run, TheSketchAnimatesInCyclesOf125And205Ticks)
{
    startAt(STEP_GEAR);
    run->ok();  // step 6
    int climbEnd = 0;
    for (int t = 1; t <= 125 && climbEnd == 0; ++t) {
        run->tick();
        if (run->DELAY == 25)
            climbEnd = t;
    }
    EXPECT_EQ(climbEnd, 100);
    EXPECT_GT(run->VROT, 1.0);
    for (int t = 101; t <= 125; ++t)
        run->tick();
    EXPECT_EQ(run->VROT, 0.0);
    EXPECT_EQ(run->DELAY, 0);
    run->tick();
    EXPECT_DOUBLE_EQ(run->VROT, 0.01);

    run->ok();  // step 7
    run->tick();
    EXPECT_EQ(run->VROT, 1.0);
    EXPECT_EQ(run->HROT, -0.5);
    run->ok();  // step 8
    climbEnd = 0;
    for (int t = 1; t <= 205 && climbEnd == 0; ++t) {
        run->tick();
        if (run->DELAY == 100)
            climbEnd = t;
    }
    EXPECT_EQ(climbEnd, 105);
    for (int t = 106; t <= 205; ++t)
        run->tick();
    EXPECT_EQ(run->HROT, -0.5);
    EXPECT_EQ(run->DELAY, 0);
}

TEST_F(Run, CancelAtEveryStepLeavesNothingChanged)
{
    for (std::int32_t step = STEP_REFERENCE; step <= STEP_RA_TURN; ++step) {
        SCOPED_TRACE(step);
        setFlags({true, false, false, true, false});
        SET_PARAM("RA_enc_CCW", "No");
        run->RA_DIFF = 0.5;
        run->DE_DIFF = 0.25;
        startAt(step);
        if (step == STEP_REFERENCE) {
            // Learn everything, so the run has written the configuration.
            at(100000, 50000);
            at(100000 + 18001, 50000, 100, 0);
            at(100000 + 18001, 50000 - 18001, 0, -100);
            ASSERT_EQ(run->STATE, STEP_LEARNT);
            loopCycle();
            ASSERT_EQ(written(), (Flags{false, true, true, false, false}));
        }
        if (step == STEP_DEC_TURN || step == STEP_RA_TURN) {
            run->STATE = step - 1;
            run->ok();
            mount.de = mount.ra = 4000000;
            run->tick();
        }
        run->cancel();
        EXPECT_EQ(run->STATE, STEP_DONE);
        EXPECT_EQ(run->ModalResult, RESULT_CANCEL);
        EXPECT_FALSE(run->timerEnabled());
        EXPECT_EQ(flags(), (Flags{true, false, false, true, false}));
        EXPECT_EQ(GET_PARAM("RA_enc_CCW"), "No");
        EXPECT_EQ(run->RA_DIFF, 0.5);
        EXPECT_EQ(run->DE_DIFF, 0.25);
        if (step == STEP_REFERENCE) {
            loopCycle();
            EXPECT_EQ(written(), (Flags{true, false, false, true, false})) << "the board's own configuration again";
        } else {
            EXPECT_FALSE(CONTROL::SAVE_CONF);
        }
        mount.de = mount.ra = 0;
    }
    EXPECT_EQ(window.wizardHidden, 8);
    EXPECT_EQ(window.padHidden, 0) << "the pad stays";
}

TEST_F(Run, CancelBeforeAnyWriteTakesBackTheParametersItSet)
{
    atStep2();
    at(100000 + 18001, 50000, 100, 0);
    ASSERT_EQ(GET_PARAM("RA_mot_CCW"), "Yes");
    run->cancel();
    EXPECT_EQ(GET_PARAM("RA_mot_CCW"), "No");
    EXPECT_EQ(GET_PARAM("RA_enc_CCW"), "No");
    EXPECT_EQ(flags(), Flags{});
    EXPECT_FALSE(CONTROL::SAVE_CONF);

    // So the next run learns from the same starting point.
    startAt(STEP_REFERENCE);
    at(200000, 50000);
    ASSERT_EQ(run->STATE, STEP_HORIZONTAL);
    at(200000 + 18001, 50000, 100, 0);
    EXPECT_EQ(flags(), (Flags{true, true, false, false, false}));
}

TEST_F(Run, ClosedByItsTitleBarItStopsAsCancelDoes)
{
    atStep2();
    run->closed();
    EXPECT_EQ(run->STATE, STEP_DONE);
    EXPECT_EQ(run->ModalResult, RESULT_CANCEL);
    EXPECT_FALSE(run->timerEnabled());
    run->STATE = STEP_HORIZONTAL;  // even where something put the step back
    at(100000 + 18001, 50000, 100, 0);
    EXPECT_EQ(run->STATE, STEP_HORIZONTAL);
    EXPECT_EQ(flags(), Flags{});
    EXPECT_FALSE(CONTROL::SAVE_CONF);
}

}  // namespace
