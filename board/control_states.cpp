#include "board/control_states.h"

#include "board/control.h"
#include "board/hal.h"
#include "core/angles.h"
#include "core/astro.h"
#include "core/names.h"
#include "core/params.h"
#include "core/text.h"
#include "core/utils.h"

#include <algorithm>
#include <limits>

namespace CONTROL {

std::int32_t SAVED_CONTROL_STATE = CTRL_FREE;
std::shared_ptr<Tpoint_data> OBJ;

namespace {

bool parked() { return CONTROL_STATE.load() == CTRL_PARK; }

std::int32_t saturate(std::int64_t v)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// The target in all four fields := where the axes are now.
void targetHere()
{
    double h = 0.0, v = 0.0;
    READ_POS(h, v);
    NEXTPOSITIONTRACKING.set({h, v, h, v});
}

// A step of the speed list; a step that does not exist gives 0.
std::int32_t manualSpeed(std::int32_t step)
{
    if (step < 1 || step > 3)
        return 0;
    return GET_ILPARAM(param::Manual_speed, 3 - step);
}

void manualMotion(std::int32_t b, std::int32_t step, bool hand)
{
    const bool up = b & BUP, down = b & BDOWN, left = b & BLEFT, right = b & BRIGHT;
    if (!(up || down || left || right)) {
        MANUAL.set({});
        if (CONTROL_STATE.load() == CTRL_MOVING)
            NEXT_CONTROL_STATE = SAVED_CONTROL_STATE;
        return;
    }
    const bool equatorial = GET_BPARAM(param::Equatorial);
    if (GET_BPARAM(param::Man_auto_speed)) {
        const std::int32_t ramp = GET_IPARAM(param::man_ramp_up);
        MANUAL.modify([&](ManualMotion& m) {
            if (up)
                m.VRAMP = ramp;
            if (down)
                m.VRAMP = saturate(-std::int64_t{ramp});
            if (left)
                m.HRAMP = ramp;
            if (right)
                m.HRAMP = saturate(-std::int64_t{ramp});
            // Mirror what this word set, not a ramp or speed left from before.
            if (!equatorial && (left || right))
                m.HRAMP = saturate(-std::int64_t{m.HRAMP});
            m.HAND = hand;
        });
    } else {
        std::int64_t vSpeed = manualSpeed(step), hSpeed = vSpeed;
        if (GET_BPARAM(param::ST4_Enable)) {
            vSpeed = GET_IPARAM(param::ST4_Vert_Speed);
            hSpeed = GET_IPARAM(param::ST4_Hor_Speed);
        }
        const std::int64_t vmv = (up ? vSpeed : 0) - (down ? vSpeed : 0);
        std::int64_t hmv = (left ? hSpeed : 0) - (right ? hSpeed : 0);
        if (!equatorial)
            hmv = -hmv;
        if (step == 1)
            hmv += GET_IPARAM(param::TrackSpeed);
        MANUAL.modify([&](ManualMotion& m) {
            m.HMV = saturate(hmv);
            m.VMV = saturate(vmv);
            m.HAND = hand;
        });
    }
    NEXT_CONTROL_STATE = CTRL_MOVING;
    const std::int32_t now = CONTROL_STATE.load();
    if (now != CTRL_MOVING)
        SAVED_CONTROL_STATE = now == CTRL_POINTING ? CTRL_TRACKING : now;
}

}  // namespace

std::int32_t GET_INIT_CONTROL(bool UNPARK)
{
    std::int32_t result = CTRL_FREE;
    const std::string s = text::asciiUpper(GET_PARAM(param::INIT_STATE));
    if (s == "FREE")
        result = CTRL_FREE;
    else if (s == "STOP")
        result = CTRL_STOP;
    else if (s == "TRACKING")
        result = CTRL_TRACKING;
    else if (s == "POINTING")
        result = CTRL_POINTING;
    if (GET_BPARAM(param::Parked) && !UNPARK)
        result = CTRL_PARK;
    if (result == CTRL_FREE && !GET_BPARAM(param::Free_lock))
        result = CTRL_STOP;
    return result;
}

void ONPOINT(const std::shared_ptr<Tpoint_data>& point)
{
    if (!point || parked())
        return;
    OBJ = point;
    SIGNAL(bus::Main_View, WM_POINT_MESSAGE, point);
    if (GET_BPARAM(param::GetStar)) {
        SET_PARAM(param::GetStar, "No");
        SIGNAL(bus::Calibration, WM_POINT_MESSAGE, point);
        return;
    }
    NEXTPOSITIONTRACKING.modify([&](TPOS_REC& t) {
        t.HOR = point->RA;
        t.VERT = point->DE;
    });
    NEXT_CONTROL_STATE = CTRL_POINTING;
    if (point->SRC == SRCTCP)
        SIGNAL(bus::F_preselect, WM_POINT_MESSAGE, point);
}

void ONSTOP()
{
    if (!parked())
        NEXT_CONTROL_STATE = CTRL_STOP;
}

void ONTRACK()
{
    if (parked())
        return;
    targetHere();
    NEXT_CONTROL_STATE = CTRL_TRACKING;
}

void ONPOWER(std::int64_t power)
{
    NEXT_CONTROL_STATE = power == 0 ? CTRL_NOCONTROL : GET_INIT_CONTROL(false);
}

void ONCALIBRATE(const std::shared_ptr<Tpoint_data>& point)
{
    if (!point)
        return;
    OBJ = point;
    SET_CAL(point->RA, point->DE);
}

void ONIO(const std::shared_ptr<THWdata>& outputs)
{
    if (outputs)
        HAL::DIGIO = outputs->BUTTONS;
}

void ONPARK()
{
    auto obj = std::make_shared<Tpoint_data>();
    const double longitude = DEGTOREAL(GET_PARAM(param::Long));
    double ra = 0.0, de = 0.0;
    AZTORA(DEGTOREAL(GET_PARAM(param::Park_Az)), DEGTOREAL(GET_PARAM(param::Park_Alt)),
           DEGTOREAL(GET_PARAM(param::Lat)), GET_LMST(longitude), ra, de);
    NEXTPOSITIONTRACKING.set({ra, de, ra, de});
    obj->RA = ra;
    obj->DE = de;
    obj->LST = GET_LMST(longitude);
    obj->SRC = SRCMAIN;
    obj->NAME = "Park";
    obj->STATUS = CTRL_TOPARK;
    OBJ = obj;
    SIGNAL(bus::Main_View, WM_POINT_MESSAGE, obj);
    NEXT_CONTROL_STATE = CTRL_TOPARK;
}

void ONUNPARK(const std::shared_ptr<Tpoint_data>& point)
{
    if (!parked())
        return;
    OBJ = point;
    SIGNAL(bus::Main_View, WM_UNPARK_MESSAGE, 0);
    targetHere();
    SET_PARAM(param::Parked, false);
    NEXT_CONTROL_STATE = GET_INIT_CONTROL(true);
}

void ONBUTTON(const std::shared_ptr<THWdata>& buttons)
{
    if (!buttons)
        return;
    const std::int32_t b = buttons->BUTTONS;
    if (!parked()) {
        if (b & BPOINT) {
            if (!WAITPOINTER || WAITPOINTER->TIMEOUT()) {
                SIGNAL(bus::Main_View, WM_HWPOINT_MESSAGE, 0);
                if (!WAITPOINTER)
                    WAITPOINTER = TWaitTimer::Create(1000);
                WAITPOINTER->RESTART();
            } else {
                SIGNAL(bus::F_preselect, WM_NEXTPRE_MESSAGE, 0);
            }
        }
        const bool track = b & BTRACK, stop = b & BSTOP;
        if (track) {
            targetHere();
            NEXT_CONTROL_STATE = CTRL_TRACKING;
        }
        if (b == BPARK) {
            NEXT_CONTROL_STATE = CTRL_TOPARK;
            ONPARK();
        }
        if (stop)
            NEXT_CONTROL_STATE = CTRL_STOP;
        if (track && stop)
            NEXT_CONTROL_STATE = CTRL_FREE;
        if (!track && !stop && CONTROL_STATE.load() == CTRL_FREE)
            NEXT_CONTROL_STATE = CTRL_FREELOCK;
        if (b & BPARK)
            NEXT_CONTROL_STATE = CTRL_TOPARK;
        SIGNAL(bus::F_Manual, WM_BUTTON_MESSAGE, buttons);
        manualMotion(b, buttons->SPEED, buttons->HAND);
    }
    if (b & BUNPARK)
        NEXT_CONTROL_STATE = GET_INIT_CONTROL(true);
}

void RESET_COMMANDS()
{
    SAVED_CONTROL_STATE = CTRL_FREE;
    OBJ.reset();
}

}  // namespace CONTROL
