#include "setup/setup_run.h"

#include "board/control.h"
#include "core/Signals.h"
#include "core/angles.h"
#include "core/astro.h"
#include "core/names.h"
#include "core/params.h"
#include "forms/sound.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace setup {

namespace {

constexpr double kTurn = 1296000.0;
constexpr double kHalfTurn = 648000.0;
constexpr double kOneDegree = 3600.0;
constexpr std::int64_t kCounts = std::int64_t{1} << 24;

class ControlMount final : public SetupMount {
public:
    void readPos(double& hor, double& vert) override { CONTROL::READ_POS(hor, vert); }
    void readHardware(std::int32_t& ra, std::int32_t& de) override { CONTROL::READ_HARDWARE(ra, de); }
};

}  // namespace

void CHECKDIF(double& DIF)
{
    if (std::fabs(DIF) > kHalfTurn) {
        if (DIF > 0)
            DIF -= kTurn;
        else if (DIF < 0)
            DIF += kTurn;
    }
}

std::int32_t countStep(std::int32_t from, std::int32_t to)
{
    std::int64_t d = (std::int64_t{to} - from) & (kCounts - 1);
    if (d >= kCounts / 2)
        d -= kCounts;
    return static_cast<std::int32_t>(d);
}

SetupMount& controlMount()
{
    static ControlMount mount;
    return mount;
}

SetupRun::SetupRun(Window& window, SetupMount& mount)
    : window_(window), mount_(mount), PLAYSND(TSound::CREATE())
{
    PLAYSND->ADD("MoveDone", GET_PARAM(param::Lock_Sound));
}

SetupRun::~SetupRun() = default;

// --- Run bookkeeping -------------------------------------------------------

SetupRun::Configuration SetupRun::flagsNow()
{
    return {CONTROL::RA_MOT_CCW.load(), CONTROL::RA_ENC_CCW.load(), CONTROL::DE_MOT_CCW.load(),
            CONTROL::DE_ENC_CCW.load(), CONTROL::ENC_SWAP.load()};
}

void SetupRun::setFlags(const Configuration& c)
{
    CONTROL::RA_MOT_CCW = c.raMot;
    CONTROL::RA_ENC_CCW = c.raEnc;
    CONTROL::DE_MOT_CCW = c.deMot;
    CONTROL::DE_ENC_CCW = c.deEnc;
    CONTROL::ENC_SWAP = c.swap;
}

void SetupRun::beginRun()
{
    start_.flags = flagsNow();
    start_.raMot = GET_PARAM(param::RA_mot_CCW);
    start_.raEnc = GET_PARAM(param::RA_enc_CCW);
    start_.deMot = GET_PARAM(param::DE_mot_CCW);
    start_.deEnc = GET_PARAM(param::DE_enc_CCW);
    start_.swap = GET_PARAM(param::Enc_swap);
    start_.setupDone = GET_PARAM(param::Setup_done);
    start_.raDiff = RA_DIFF;
    start_.deDiff = DE_DIFF;
    learnt_ = {};
    slewCommand_ = {};
    runActive_ = true;
    wrote_ = false;
    swapped_ = false;
    settle_ = 0;
}

void SetupRun::endRun()
{
    SET_PARAM(param::Merid_Flip_Enable, CUR_FLIPMODE);
    runActive_ = false;
    settle_ = 0;
}

void SetupRun::restoreStart()
{
    setFlags(start_.flags);
    RA_DIFF = start_.raDiff;
    DE_DIFF = start_.deDiff;
    if (wrote_ || queued_) {
        // The board has taken, or is still to take, a configuration since the
        // run began: it gets the one it had instead. The frame is built from
        // the parameters, which the loop then clears.
        requestConfiguration(start_.flags);
        return;
    }
    SET_PARAM(param::RA_mot_CCW, start_.raMot);
    SET_PARAM(param::RA_enc_CCW, start_.raEnc);
    SET_PARAM(param::DE_mot_CCW, start_.deMot);
    SET_PARAM(param::DE_enc_CCW, start_.deEnc);
    SET_PARAM(param::Enc_swap, start_.swap);
    SET_PARAM(param::Setup_done, start_.setupDone);
}

// The frame carries the whole configuration the board is to hold, as the
// flags now say it, not only what this run found inverted: a run over a board
// that was set up before must not undo that set-up.
void SetupRun::requestConfiguration(const Configuration& c)
{
    pending_ = c;
    queued_ = true;
    pumpConfiguration();
}

bool SetupRun::pumpConfiguration()
{
    if (!queued_)
        return false;
    // The loop builds its frame from the parameters until it clears the request.
    if (CONTROL::SAVE_CONF.load())
        return true;
    SET_PARAM(param::RA_mot_CCW, pending_.raMot);
    SET_PARAM(param::RA_enc_CCW, pending_.raEnc);
    SET_PARAM(param::DE_mot_CCW, pending_.deMot);
    SET_PARAM(param::DE_enc_CCW, pending_.deEnc);
    SET_PARAM(param::Enc_swap, pending_.swap);
    CONTROL::SAVE_HW_CONF();
    queued_ = false;
    wrote_ = true;
    return false;
}

bool SetupRun::configurationBusy() const { return queued_ || CONTROL::SAVE_CONF.load(); }

// --- Events ----------------------------------------------------------------

void SetupRun::activate(const SetupTexts& texts)
{
    timer_ = true;
    texts_ = texts;
    ModalResult = RESULT_NONE;
    // A negative range would count a mount that never moved as moved.
    const std::int64_t offset = std::int64_t{GET_IPARAM(param::Setup_Range)} * 3600;
    MOVEOFFSET = static_cast<std::int32_t>(std::clamp<std::int64_t>(offset, 0, std::numeric_limits<std::int32_t>::max()));
    if (!runActive_ && STATE >= STEP_REFERENCE && STATE <= STEP_RA_TURN)
        beginRun();

    if (STATE == STEP_REFERENCE) {
        look_.horTick = false;
        look_.verTick = false;
        look_.verLabel = false;
        look_.horLabel = true;
        look_.horText = texts_.moveHor;
        look_.verText = texts_.moveVert;
        look_.message = true;
        look_.messageText = texts_.moveInit;
        look_.okEnabled = false;
        look_.cancel = true;
        look_.sketch = false;
    } else if (STATE == STEP_GEAR) {
        look_.horTick = false;
        look_.verTick = false;
        look_.horLabel = false;
        look_.verLabel = false;
        look_.message = true;
        look_.messageText = texts_.gear;
        look_.okEnabled = true;
        look_.cancel = true;
        look_.sketch = true;
        VROT = 0.0;
        HROT = 0.0;
    }
}

void SetupRun::tick()
{
    pumpConfiguration();
    if (!timer_)
        return;
    double hor = 0.0, vert = 0.0;
    mount_.readPos(hor, vert);
    double dh = hor - INITHOR;
    double dv = vert - INITVERT;
    CHECKDIF(dh);
    CHECKDIF(dv);
    const CONTROL::ManualMotion manual = CONTROL::MANUAL.get();
    Command now;
    // Positive while left is held, on either mount type.
    now.hmv = manual.HMV;
    if (!GET_BPARAM(param::Equatorial))
        now.hmv = -now.hmv;
    now.vmv = manual.VMV;
    // From the reference step on: a key let go in the tick the fresh
    // reference is taken still decides the slew the mount coasts on.
    if (STATE >= STEP_REFERENCE && STATE <= STEP_VERTICAL && (now.hmv != 0 || now.vmv != 0))
        slewCommand_ = now;

    switch (STATE) {
    case STEP_REFERENCE: referenceStep(dh, dv); break;
    case STEP_HORIZONTAL: horizontalStep(dh, dv, now); break;
    case STEP_VERTICAL: verticalStep(dv, now); break;
    case STEP_GEAR:
        look_.horTick = false;
        look_.verTick = false;
        look_.horLabel = false;
        look_.verLabel = false;
        look_.message = true;
        look_.cancel = true;
        VROT = 0.0;
        HROT = 0.0;
        break;
    case STEP_DEC_TURN: {
        animate(VROT, 0.0, 1.0, 25, 10);
        std::int32_t ra = 0, de = 0;
        mount_.readHardware(ra, de);
        follow(de);
        break;
    }
    case STEP_RA_START:
        VROT = 1.0;
        HROT = -0.5;
        DELAY = 0;
        break;
    case STEP_RA_TURN: {
        VROT = 1.0;
        animate(HROT, -0.5, 0.55, 100, 25);
        std::int32_t ra = 0, de = 0;
        mount_.readHardware(ra, de);
        follow(ra);
        break;
    }
    default: break;
    }
}

void SetupRun::referenceStep(double dh, double dv)
{
    // Readings taken while the board changes its configuration mean nothing.
    if (configurationBusy())
        return;
    if (settle_ > 0) {
        if (--settle_ == 0)
            mount_.readPos(INITHOR, INITVERT);
        return;
    }
    if (std::fabs(dh) > kOneDegree || std::fabs(dv) > kOneDegree) {
        // The slew that passed the first degree goes on: its speeds stay.
        STATE = STEP_HORIZONTAL;
        mount_.readPos(INITHOR, INITVERT);
        CUR_FLIPMODE = GET_BPARAM(param::Merid_Flip_Enable);
    }
}

SetupRun::Command SetupRun::decisive(Command now) const
{
    return now.hmv == 0 && now.vmv == 0 ? slewCommand_ : now;
}

void SetupRun::horizontalStep(double dh, double dv, Command now)
{
    if (configurationBusy())
        return;
    const auto [hmv, vmv] = decisive(now);
    const double offset = MOVEOFFSET;
    const bool horMoved = std::fabs(dh) > offset;
    const bool verMoved = std::fabs(dv) > offset;
    if (horMoved && vmv != 0) {
        // The vertical motor alone turns the axis read as horizontal. With
        // both motors running nothing can be told yet.
        if (hmv == 0 && !swapped_)
            swapFound();
        return;
    }
    if (horMoved) {
        if (hmv > 0) {
            SET_PARAM(param::RA_mot_CCW, "Yes");
            learnt_.raMot = true;
            if (dh > 0) {
                SET_PARAM(param::RA_enc_CCW, "Yes");
                learnt_.raEnc = true;
            }
        }
        showLearnt();
        STATE = STEP_VERTICAL;
        beginSlew();
        PLAYSND->PLAY("MoveDone");
        look_.horTick = true;
        look_.verLabel = true;
        look_.verText = texts_.moveVert;
        return;
    }
    if (verMoved) {
        // The horizontal motor alone turns the axis read as vertical.
        if (hmv != 0 && vmv == 0 && !swapped_) {
            swapFound();
            return;
        }
        std::swap(INITHOR, INITVERT);
        STATE = STEP_REFERENCE;
        beginSlew();
    }
}

// The swap is written at once and the direction part starts again: every
// reading until then came through the crossed encoders.
void SetupRun::swapFound()
{
    // The slew that showed the crossing goes on through it: its speeds stay.
    swapped_ = true;
    learnt_.swap = true;
    showLearnt();
    SET_PARAM(param::Enc_swap, CONTROL::ENC_SWAP.load());
    requestConfiguration(learntConfiguration());
    STATE = STEP_REFERENCE;
    settle_ = kSwapSettleTicks;
    look_.messageText = texts_.swap;
}

void SetupRun::verticalStep(double dv, Command now)
{
    if (configurationBusy())
        return;
    if (!(std::fabs(dv) > MOVEOFFSET))
        return;
    if (decisive(now).vmv < 0) {
        SET_PARAM(param::DE_mot_CCW, "Yes");
        learnt_.deMot = true;
    }
    if (dv < 0) {
        SET_PARAM(param::DE_enc_CCW, "Yes");
        learnt_.deEnc = true;
    }
    showLearnt();
    STATE = STEP_LEARNT;
    PLAYSND->PLAY("MoveDone");
    SET_PARAM(param::Setup_done, true);
    directionsLearnt();
    look_.verTick = true;
    look_.okEnabled = true;
}

void SetupRun::directionsLearnt() { requestConfiguration(learntConfiguration()); }

// The angle climbs by 0.01 a tick until it passes `end`, rests there until
// `rest` ticks of the pause are left, and rests those at `start`.
void SetupRun::animate(double& angle, double start, double end, std::int32_t pause, std::int32_t rest)
{
    if (DELAY == rest)
        angle = start;
    if (DELAY > 0) {
        --DELAY;
    } else {
        angle += 0.01;
        if (angle > end)
            DELAY = pause;
    }
}

void SetupRun::follow(std::int32_t count)
{
    turned_ += countStep(lastCount_, count);
    lastCount_ = count;
}

void SetupRun::sendReferencePoint()
{
    const double lst = GET_LMST(DEGTOREAL(GET_PARAM(param::Long)));
    double ra = 0.0, de = 0.0;
    AZTORA(kEastAzimuth, 0.0, DEGTOREAL(GET_PARAM(param::Lat)), lst, ra, de);
    PARAM_ADD(param::GetStar, "Yes", "-allign", "Yes;No", "");
    OBJ = std::make_shared<Tpoint_data>();
    OBJ->RA = ra;
    OBJ->DE = de;
    OBJ->SRC = SRCMAIN;
    SIGNAL(bus::Control, WM_POINT_MESSAGE, OBJ);
    SIGNAL(bus::Control, WM_CAL_MESSAGE, OBJ);
}

// Only the OK that ends a run records it as ended by OK, so the main window
// completes no run that is still going on.
void SetupRun::ok()
{
    sendReferencePoint();
    switch (STATE) {
    case STEP_LEARNT:
        look_.sketch = true;
        look_.messageText = texts_.gear;
        STATE = STEP_GEAR;
        if (CONTROL::ABS_ENC.load()) {
            window_.hideWizard();
            window_.hidePad();
            timer_ = false;
            STATE = STEP_DONE;
            finish();
        }
        break;
    case STEP_GEAR:
        STATE = STEP_DEC_TURN;
        mount_.readHardware(STARTPOS_RA, STARTPOS_DE);
        lastCount_ = STARTPOS_DE;
        turned_ = 0;
        look_.messageText = texts_.decRot;
        break;
    case STEP_DEC_TURN:
        mount_.readHardware(NEW_RA, NEW_DE);
        follow(NEW_DE);
        DE_DIFF = static_cast<double>(turned_) / kHalfTurnCounts;
        HROT = -0.45;
        STATE = STEP_RA_START;
        look_.messageText = texts_.moveRa;
        break;
    case STEP_RA_START:
        look_.messageText = texts_.raRot;
        timer_ = true;
        STATE = STEP_RA_TURN;
        mount_.readHardware(STARTPOS_RA, STARTPOS_DE);
        lastCount_ = STARTPOS_RA;
        turned_ = 0;
        break;
    case STEP_RA_TURN:
        window_.hideWizard();
        window_.hidePad();
        timer_ = false;
        STATE = STEP_DONE;
        mount_.readHardware(NEW_RA, NEW_DE);
        follow(NEW_RA);
        RA_DIFF = static_cast<double>(turned_) / kHalfTurnCounts;
        finish();
        break;
    default: break;
    }
}

void SetupRun::finish()
{
    // The flags show what this run wrote, even where a configuration the
    // board reported meanwhile has overwritten them.
    if (wrote_)
        showLearnt();
    ModalResult = RESULT_OK;
    endRun();
}

void SetupRun::cancel()
{
    ModalResult = RESULT_CANCEL;
    timer_ = false;
    window_.hideWizard();
    STATE = STEP_DONE;
    if (runActive_) {
        restoreStart();
        endRun();
    } else {
        SET_PARAM(param::Merid_Flip_Enable, CUR_FLIPMODE);
    }
}

void SetupRun::closed()
{
    if (runActive_)
        cancel();
    else
        timer_ = false;
}

}  // namespace setup
