// The control window's commands: the states they request, the manual speeds
// they set and the messages they pass on.

#include "board/ctrl_view.h"
#include "core/utils.h"
#include "tests/board/control_stand.h"

#include <memory>
#include <vector>

namespace {

using control_testing::ControlStand;
using control_testing::Frame;
using namespace CONTROL;

using Pad = ControlStand;
using States = ControlStand;
using ControlWindow = ControlStand;

std::shared_ptr<THWdata> keys(std::int32_t buttons, std::int32_t speed = 2)
{
    return std::make_shared<THWdata>(THWdata{buttons, speed});
}

std::shared_ptr<Tpoint_data> point(double ra, double de, TSRC src)
{
    auto p = std::make_shared<Tpoint_data>();
    p->RA = ra;
    p->DE = de;
    p->SRC = src;
    return p;
}

TEST_F(Pad, SpeedsFollowTheStepTheKeysAndTheMountType)
{
    const struct {
        std::int32_t buttons, step;
        bool equatorial;
        std::int32_t hmv, vmv;
    } cases[] = {
        {BUP, 2, true, 0, 1000},
        {BUP | BLEFT, 1, true, 100, 100},
        {BUP | BLEFT, 1, false, -100, 100},
        {BDOWN | BRIGHT, 3, true, -11000, -11000},
        {BRIGHT, 2, false, 1000, 0},
        {BLEFT | BRIGHT, 2, true, 0, 0},
        {BUP | BDOWN, 1, true, 0, 0},
        {BUP, 0, true, 0, 0},   // no such step
        {BUP, 4, true, 0, 0},
        {BUP, -2147483647 - 1, true, 0, 0},
    };
    for (const auto& c : cases) {
        SET_PARAM("Equatorial", c.equatorial);
        ONBUTTON(keys(c.buttons, c.step));
        const ManualMotion m = MANUAL.get();
        EXPECT_EQ(m.HMV, c.hmv) << c.buttons << " step " << c.step;
        EXPECT_EQ(m.VMV, c.vmv) << c.buttons << " step " << c.step;
        EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_MOVING);
    }
}

TEST_F(Pad, TheLoopSendsTheSpeedsClampedAndReleaseStopsThem)
{
    startLoop();
    ONBUTTON(keys(BUP | BRIGHT, 3));
    cycle();
    ONBUTTON(keys(0));
    cycle();
    const auto frames = board.motionFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (Frame{0x05, 0xD8, 0xF0, 0x27, 0x10, 0, 0, 0}));  // -10000, 10000
    EXPECT_EQ(frames[1], (Frame{0x05, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(Pad, EveryWordIsEchoedToThePad)
{
    const auto word = keys(BLEFT);
    ONBUTTON(word);
    settle();
    ASSERT_EQ(pad.count(WM_BUTTON_MESSAGE), 1u);
    EXPECT_EQ(pad.received[0].hw, word);
}

TEST_F(States, AMoveReturnsToTheStateItInterrupted)
{
    startLoop();  // moving, nothing saved yet
    ONBUTTON(keys(BUP));
    ONBUTTON(keys(0));
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_FREE);
    cycle();
    ONBUTTON(keys(0));  // a word without track or stop while free
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_FREELOCK);

    ONPOINT(point(1000, 2000, SRCPRE));
    cycle();
    ASSERT_EQ(CONTROL_STATE, CTRL_POINTING);
    ONBUTTON(keys(BDOWN));
    cycle();
    ASSERT_EQ(CONTROL_STATE, CTRL_MOVING);
    ONBUTTON(keys(BDOWN | BLEFT));  // still moving: the saved state stays
    ONBUTTON(keys(0));
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_TRACKING);
    EXPECT_EQ(MANUAL.get().VMV, 0);
    EXPECT_EQ(MANUAL.get().HMV, 0);
}

TEST_F(States, KeysTrackStopAndParkRequestTheirStates)
{
    const struct {
        std::int32_t buttons, next;
    } cases[] = {
        {BTRACK, CTRL_TRACKING},
        {BSTOP, CTRL_STOP},
        {BTRACK | BSTOP, CTRL_FREE},
        {BPARK, CTRL_TOPARK},
        {BPARK | BSTOP, CTRL_TOPARK},
        {BUNPARK, CTRL_STOP},  // the start state
    };
    for (const auto& c : cases) {
        CONTROL_STATE = CTRL_STOP;
        ONBUTTON(keys(c.buttons));
        EXPECT_EQ(NEXT_CONTROL_STATE, c.next) << c.buttons;
    }
}

TEST_F(States, TheParkedMountTakesOnlyUnparkPowerAndCalibration)
{
    CONTROL_STATE = CTRL_PARK;
    NEXT_CONTROL_STATE = CTRL_PARK;
    ONBUTTON(keys(BUP));
    ONPOINT(point(1000, 2000, SRCPRE));
    ONSTOP();
    ONTRACK();
    settle();
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_PARK);
    EXPECT_EQ(MANUAL.get().VMV, 0);
    EXPECT_TRUE(pad.received.empty());
    EXPECT_EQ(OBJ, nullptr);

    const auto cal = point(5000, 6000, SRCMAIN);
    ONCALIBRATE(cal);
    EXPECT_EQ(OBJ, cal);
    EXPECT_EQ(NEXTPOSITIONTRACKING.get().RA, 5000);
    EXPECT_EQ(NEXTPOSITIONTRACKING.get().VERT, 6000);

    ONBUTTON(keys(BUNPARK | BUP));
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_STOP);
    EXPECT_EQ(MANUAL.get().VMV, 0);
    ONPOWER(0);
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_NOCONTROL);

    ONUNPARK(point(0, 0, SRCMAIN));
    settle();
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_STOP);
    EXPECT_EQ(main.count(WM_UNPARK_MESSAGE), 1u);

    CONTROL_STATE = CTRL_STOP;
    ONUNPARK(point(0, 0, SRCMAIN));  // only a parked mount is unparked
    settle();
    EXPECT_EQ(main.count(WM_UNPARK_MESSAGE), 1u);
}

TEST_F(States, APointSetsTheAxisTargetAndRequestsPointing)
{
    NEXTPOSITIONTRACKING.set({1, 2, 3, 4});
    ONPOINT(point(1000, 2000, SRCPRE));
    settle();
    const TPOS_REC t = NEXTPOSITIONTRACKING.get();
    EXPECT_EQ(t.RA, 1);
    EXPECT_EQ(t.DEC, 2);
    EXPECT_EQ(t.HOR, 1000);
    EXPECT_EQ(t.VERT, 2000);
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_POINTING);
    EXPECT_EQ(main.count(WM_POINT_MESSAGE), 1u);
    EXPECT_TRUE(preselect.received.empty());

    ONPOINT(point(1000, 2000, SRCTCP));
    settle();
    EXPECT_EQ(preselect.count(WM_POINT_MESSAGE), 1u);
}

TEST_F(States, APointWhileGetStarIsOnOnlyPassesItOn)
{
    PARAM_ADD("GetStar", "Yes", "-allign", "Yes;No", "");
    NEXT_CONTROL_STATE = CTRL_STOP;
    const auto p = point(1000, 2000, SRCMAIN);
    ONPOINT(p);
    settle();
    EXPECT_EQ(GET_PARAM("GetStar"), "No");
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_STOP);
    EXPECT_EQ(NEXTPOSITIONTRACKING.get().HOR, 0);
    EXPECT_EQ(OBJ, p);
    EXPECT_EQ(calibration.count(WM_POINT_MESSAGE), 1u);
}

TEST_F(States, ASecondPointKeyWithinASecondAsksForTheNextObject)
{
    WAITPOINTER = TWaitTimer::Create(1000);
    clock.advance(1000);
    ONBUTTON(keys(BPOINT));
    clock.advance(999);
    ONBUTTON(keys(BPOINT));
    clock.advance(1);
    ONBUTTON(keys(BPOINT));  // 1000 ms after the press that restarted the timer
    settle();
    EXPECT_EQ(main.count(WM_HWPOINT_MESSAGE), 2u);
    EXPECT_EQ(preselect.count(WM_NEXTPRE_MESSAGE), 1u);
}

TEST_F(States, ParkTargetsTheParkPosition)
{
    ONBUTTON(keys(BPARK));
    settle();
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_TOPARK);
    ASSERT_NE(OBJ, nullptr);
    EXPECT_EQ(OBJ->NAME, "Park");
    EXPECT_EQ(OBJ->STATUS, CTRL_TOPARK);
    EXPECT_EQ(OBJ->SRC, SRCMAIN);
    const TPOS_REC t = NEXTPOSITIONTRACKING.get();
    EXPECT_EQ(t.RA, OBJ->RA);
    EXPECT_EQ(t.HOR, OBJ->RA);
    EXPECT_EQ(t.DEC, OBJ->DE);
    ASSERT_EQ(main.count(WM_POINT_MESSAGE), 1u);
    EXPECT_EQ(main.received.back().point, OBJ);
}

TEST_F(States, TrackTargetsWhereTheAxesAreNow)
{
    board.setCounts(4194304, 8388608);
    board.step(0);
    link.deliver();
    ONTRACK();
    const TPOS_REC t = NEXTPOSITIONTRACKING.get();
    EXPECT_EQ(t.RA, 324000);
    EXPECT_EQ(t.HOR, 324000);
    EXPECT_EQ(t.DEC, -648000);
    EXPECT_EQ(t.VERT, -648000);
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_TRACKING);
}

TEST_F(States, TheStartStateFollowsItsParameters)
{
    // None of these names is declared by the program; declared here, they
    // show what the rule does with them.
    PARAM_ADD("INIT_STATE", "", "-", "", "");
    PARAM_ADD("Parked", "No", "-", "Yes;No", "");
    PARAM_ADD("Free_lock", "No", "-", "Yes;No", "");
    const struct {
        const char* initState;
        bool parked, freeLock, unpark;
        std::int32_t state;
    } cases[] = {
        {"", false, false, false, CTRL_STOP},    {"", false, true, false, CTRL_FREE},
        {"free", false, false, false, CTRL_STOP}, {"Tracking", false, false, false, CTRL_TRACKING},
        {"POINTING", false, false, false, CTRL_POINTING}, {"STOP", true, false, false, CTRL_PARK},
        {"STOP", true, false, true, CTRL_STOP},  {"nothing", false, true, false, CTRL_FREE},
    };
    for (const auto& c : cases) {
        SET_PARAM("INIT_STATE", c.initState);
        SET_PARAM("Parked", c.parked);
        SET_PARAM("Free_lock", c.freeLock);
        EXPECT_EQ(GET_INIT_CONTROL(c.unpark), c.state) << c.initState;
    }
}

TEST_F(ControlWindow, TakesItsCommandsFromTheBusAsControl)
{
    Tctrl ctrl;
    EXPECT_EQ(ctrl.objectName(), "ctrl");
    EXPECT_FALSE(ctrl.isVisible());
    SIGNAL("CONTROL", WM_BUTTON_MESSAGE, keys(BUP));
    SIGNAL("Control", WM_IO_MESSAGE, std::make_shared<THWdata>(THWdata{0x1A5, 0}));
    SIGNAL("Control", WM_STATUS_MESSAGE, 0);
    settle();
    EXPECT_EQ(MANUAL.get().VMV, 1000);
    EXPECT_EQ(pad.count(WM_BUTTON_MESSAGE), 1u);
    startLoop();
    cycle();
    EXPECT_EQ(board.motionFrames().back()[5], 0xA5);  // the outputs' low byte

    SIGNAL("Control", WM_POWER_MESSAGE, 0);
    settle();
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_NOCONTROL);
    SIGNAL("Control", WM_POWER_MESSAGE, 1);
    settle();
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_STOP);
}

}  // namespace
