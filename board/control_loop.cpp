#include "board/control_loop.h"

#include "board/control.h"
#include "board/control_states.h"
#include "board/control_ui.h"
#include "board/hal.h"
#include "board/hand_keys.h"
#include "core/Signals.h"
#include "core/angles.h"
#include "core/astro.h"
#include "core/names.h"
#include "core/params.h"
#include "core/rounding.h"
#include "core/utils.h"
#include "platform/clock.h"
#include "platform/end_signals.h"
#include "platform/stoppable_sleep.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace CONTROL {
namespace {

// A request goes out at most this many times plus one.
constexpr std::int32_t kRetryLimit = 100;
constexpr std::int32_t kPowerThreshold = 5500;
constexpr std::int32_t kSyncWaitMs = 8000;
constexpr std::int32_t kMaxDriftMs = 7000;

std::int32_t timeOfDayMs() { return platform::clock().now().msOfDay; }

// What the loop's real waits sleep on: a stop request ends every one at
// once, whatever its length, so a long Cycle_Time never holds up the close.
platform::StoppableSleep& sleeper()
{
    // Never destroyed: the program's end may still use it after exit()
    // has begun destroying statics.
    static platform::StoppableSleep& s = *new platform::StoppableSleep;
    return s;
}

// From the stop signal's handler: a post, which is async-signal-safe.
void wakeForStop() { sleeper().wake(); }

// 32-bit wrap-around arithmetic of the clock values, without overflow.
std::int32_t wrap32(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

std::int32_t addSaturated(std::int32_t a, std::int32_t b)
{
    const std::int64_t s = std::int64_t{a} + b;
    if (s > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (s < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(s);
}

// One step of a request repeated once per cycle until its reply comes,
// `count` being this cycle's count. The request goes out unless the reply is
// there, also in the cycle that passes the limit; a reply in that cycle
// still wins over the give-up.
struct Step {
    bool replied = false;
    bool gaveUp = false;
};
template <class Send>
Step retry(std::int32_t count, std::uint32_t code, Send&& send)
{
    Step s;
    s.gaveUp = count > kRetryLimit;
    s.replied = HAL::TAKE_REPLY(code);
    if (!s.replied)
        send();
    return s;
}

// The same on the counter the set-up handshakes share with one another.
template <class Send>
Step retryShared(std::uint32_t code, Send&& send)
{
    const Step s = retry(GET_INIT_COUNT.fetch_add(1) + 1, code, send);
    if (s.gaveUp)
        GET_INIT_COUNT = 0;
    return s;
}

// One step of a gear request to `link` while `active`; true when the board's
// gear has been taken. A gear of 0 is no answer: the counter goes on, so the
// request ends at its limit.
bool gearStep(bool& active, std::uint32_t code, void (*send)(HAL::Connection), HAL::Connection link,
              const std::atomic<std::int32_t>& boardGear, std::atomic<std::int32_t>& gear)
{
    if (!active)
        return false;
    const Step s = retryShared(code, [send, link] { send(link); });
    const std::int32_t g = boardGear.load();
    if (s.replied && g != 0) {
        GET_INIT_COUNT = 0;
        active = false;
        gear = g;
        return true;
    }
    if (s.gaveUp)
        active = false;
    return false;
}

}  // namespace

std::int64_t POSITION_TENTHS(double arcsec)
{
    return num::roundHalfEven<std::int64_t>(arcsec * 10.0).value_or(0);
}

ControlLoop::ControlLoop(LoopHooks hooks) : hooks_(std::move(hooks)) {}

ControlLoop::~ControlLoop() = default;

void STOP_LOOP()
{
    // A wait that saw the loop running before this store is ended by the wake.
    CONTR_RUNNING = false;
    sleeper().wake();
}

void ControlLoop::pause(int ms) { sleepFor(std::chrono::milliseconds(ms)); }

// The one real wait of the loop: ended at once by a stop request.
void ControlLoop::sleepFor(std::chrono::nanoseconds span)
{
    using namespace std::chrono;
    if (hooks_.sleep) {
        hooks_.sleep(static_cast<int>(std::min<std::int64_t>(ceil<milliseconds>(span).count(),
                                                            std::numeric_limits<int>::max())));
        return;
    }
    // A stop that came before this check is seen here; one after it wakes the sleep.
    if (CONTR_RUNNING.load())
        sleeper().sleepFor(span);
}

// Sleeps once to the deadline on the monotonic clock, so a change of the
// local clock cannot stretch or shrink a cycle.
void ControlLoop::waitUntil(std::chrono::nanoseconds deadline)
{
    using namespace std::chrono;
    for (;;) {
        const nanoseconds left = deadline - platform::clock().monotonic();
        if (left <= nanoseconds::zero() || !CONTR_RUNNING.load() || platform::stopPending())
            return;
        sleepFor(left);
    }
}

// Each deadline is the one before plus Cycle_Time, so a late wake does not
// push the cycles after it back. A cycle that ends past its deadline starts
// the next at once and the count starts afresh from there: no burst of
// cycles to catch up.
void ControlLoop::waitForNextCycle()
{
    deadline_ += period_;
    const std::chrono::nanoseconds now = platform::clock().monotonic();
    if (deadline_ <= now) {
        deadline_ = now;
        return;
    }
    waitUntil(deadline_);
}

void ControlLoop::start()
{
    HAL::UNSEAL();
    // Handshake state; the requests the windows made before stay.
    GET_INIT_COUNT = 0;
    powerCount_ = 0;
    GET_CONFIGURED = false;
    setupInfo_ = raGear_ = deGear_ = setupStart_ = false;
    ABS_ENC = false;
    POWER_ON = false;
    SET_ENC_VAL = false;
    getTime_ = setTimeOffset_ = timeBaseSet_ = timeBaseRequest_ = readingArrived_ = false;
    clockReading_ = syncCounter_ = firstReading_ = secondReading_ = drift_ = 0;

    SET_PARAM(param::Merid_Flip_Enable, false);
    SETPRIORITYLEVEL(3);

    READ_POS(hor_, vert_);
    const double longitude = DEGTOREAL(GET_PARAM(param::Long));
    const double lat = DEGTOREAL(GET_PARAM(param::Lat));
    double ra = hor_, dec = vert_;
    if (!GET_BPARAM(param::Equatorial))
        AZTORA(hor_, vert_, lat, GET_LMST(longitude), ra, dec);
    NEXTPOSITIONTRACKING.modify([&](TPOS_REC& t) {
        t.RA = ra;
        t.DEC = dec;
    });
    if (GET_BPARAM(param::Parked)) {
        double pra = 0.0, pde = 0.0;
        AZTORA(DEGTOREAL(GET_PARAM(param::save_hpos)), DEGTOREAL(GET_PARAM(param::save_vpos)), lat, GET_LMST(longitude),
               pra, pde);
        SET_CAL(pra, pde);
        NEXTPOSITIONTRACKING.set({pra, pde, pra, pde});
    }

    // Read once: a change in the parameter editor leaves a running loop as it is.
    period_ = std::chrono::milliseconds(std::max<std::int32_t>(0, GET_IPARAM(param::Cycle_Time)));
    const std::int32_t initial = GET_INIT_CONTROL(false);
    CONTROL_STATE = initial;
    NEXT_CONTROL_STATE = initial;
    SIGNAL(bus::Main_View, WM_STATE_MESSAGE, initial);
    MANUAL.modify([](ManualMotion& m) { m.HMV = m.VMV = 0; });
    CONTROL_STATE = CTRL_MOVING;
    NEXT_CONTROL_STATE = CTRL_MOVING;
    watchdogTimer_ = TWaitTimer::Create(GET_IPARAM(param::WD_Timer));

    positionPosted_ = false;
    link_ = HAL::CURRENT_CONNECTION();
    deadline_ = platform::clock().monotonic();
    lastEndMs_ = timeOfDayMs();
    lastCycleMs_ = 0;
}

void ControlLoop::cycle()
{
    work();
    endCycle();
}

void ControlLoop::run()
{
    // A wake left from a stop that came when no loop waited; a stop from
    // here on is seen in CONTR_RUNNING before any wait.
    sleeper().clear();
    // Ctrl-Z comes here first, so the mount stops before the process does.
    platform::armStopTaker(&wakeForStop);
    start();
    while (CONTR_RUNNING.load()) {
        if (const int signal = platform::takeStop())
            STOP_PROCESS(signal);
        work();
        waitForNextCycle();
        endCycle();
    }
    finish();
}

void ControlLoop::work()
{
    followConnection();
    configurationSave();
    handshakes();
    watchdog();
    clockRead();
    timeBaseExchange();
    clockSync();
    CONTROL_STATE = NEXT_CONTROL_STATE.load();
    position();
    motion();
}

void ControlLoop::endCycle()
{
    const std::int32_t now = timeOfDayMs();
    std::int32_t d = now - lastEndMs_;
    if (d < 0)
        d += platform::kMsPerDay;  // across midnight
    lastCycleMs_ = d;
    lastEndMs_ = now;
    if (hooks_.cycleEnded)
        hooks_.cycleEnded();
}

// Nothing may leave the mount moving once the loop is gone.
void ControlLoop::finish()
{
    HAL::MOVE(0, 0);
    HAL::SEAL();
    // A stop that came meanwhile finds the mount stopped for good.
    if (const int signal = platform::disarmStopTaker())
        platform::stopProcess(signal);
    watchdogTimer_.reset();
}

void ControlLoop::followConnection()
{
    const HAL::Connection now = HAL::CURRENT_CONNECTION();
    if (now == link_)
        return;
    const HAL::Connection before = link_;
    link_ = now;
    endExchanges(before);
}

// What one board was asked, told or answered is no part of an exchange
// with another: the exchanges that carry a board's values, or take a chain
// of its replies, end here unanswered, as if they had given up. The power
// and configuration reads go on: their replies tell the board that answers.
void ControlLoop::endExchanges(HAL::Connection before)
{
    // The configuration a set-up run learnt is its board's; it is consumed
    // as if written, but nothing goes to the board up now.
    if (SAVE_CONF.load()) {
        HAL::SAVE_HW_CONF(before);
        SAVE_CONF = false;
    }
    // The operator's pulses and the set-up chain (alignment, set-up
    // information, the gear reads) belong to the run begun on that board.
    SET_ENC_VAL = false;
    SET_ENC_ALIGN = false;
    setupInfo_ = raGear_ = deGear_ = setupStart_ = false;
    GET_INIT_COUNT = 0;
    // Readings of two boards' clocks make no drift: a sync still asked for
    // starts again with this board's; a time base worked out is dropped.
    getTime_ = setTimeOffset_ = timeBaseRequest_ = timeBaseSet_ = readingArrived_ = false;
    clockReading_ = syncCounter_ = firstReading_ = secondReading_ = drift_ = 0;
}

void ControlLoop::configurationSave()
{
    // Cleared only once written: while it is set, the parameters the frame is
    // built from are in use, and the set-up wizard leaves them alone.
    if (!SAVE_CONF.load())
        return;
    HAL::SAVE_HW_CONF(link_);
    pause(10);
    SAVE_CONF = false;
}

void ControlLoop::handshakes()
{
    powerBlock();
    configurationBlock();
    setupCommandBlock();
    initRequestBlock();
    encoderAlignmentBlock();
    setupInformationBlock();
    if (gearStep(raGear_, HAL::CODE_RA_GEAR_REQUEST, &HAL::SEND_RA_GEAR_REQUEST, link_, HAL::HW_RA_GEAR,
                 HW_RA_GEAR))
        deGear_ = true;
    if (gearStep(deGear_, HAL::CODE_DE_GEAR_REQUEST, &HAL::SEND_DE_GEAR_REQUEST, link_, HAL::HW_DE_GEAR,
                 HW_DE_GEAR))
        setupStart_ = true;
    encoderValuesBlock();
    setupStartBlock();
}

void ControlLoop::powerBlock()
{
    if (!GET_POWER.load())
        return;
    const Step s = retry(++powerCount_, HAL::CODE_POWER_REQUEST, [this] { HAL::SEND_POWER_REQUEST(link_); });
    if (s.replied || s.gaveUp)
        powerCount_ = 0;
    if (s.replied) {
        GET_POWER = false;
        POWER_ON = HAL::HW_MOTOR_POWER.load() > kPowerThreshold;
        GET_CONFIGURED = true;
        pause(50);
    } else if (s.gaveUp) {
        GET_POWER = false;
        POWER_ON = false;
    }
}

void ControlLoop::configurationBlock()
{
    if (!GET_CONFIGURED.load())
        return;
    const Step s = retryShared(HAL::CODE_ALIGN_REQUEST, [this] { HAL::SEND_ALIGN_REQUEST(link_); });
    if (s.replied) {
        GET_CONFIGURED = false;
        GET_INIT_COUNT = 0;
        pause(10);
        DIR_INIT_DONE = HAL::HW_CONFIG.load();
        RA_MOT_CCW = HAL::HW_RA_MOT_CCW.load();
        DE_MOT_CCW = HAL::HW_DE_MOT_CCW.load();
        RA_ENC_CCW = HAL::HW_RA_ENC_CCW.load();
        DE_ENC_CCW = HAL::HW_DE_ENC_CCW.load();
        RA_MOT_ENC_CR = HAL::HW_RA_MOT_ENC_CR.load();
        DE_MOT_ENC_CR = HAL::HW_DE_MOT_ENC_CR.load();
        ENC_SWAP = HAL::HW_ENC_SWAP.load();
        SIGNAL(bus::Main_View, WM_CAL_MESSAGE, 0);
    } else if (s.gaveUp) {
        GET_CONFIGURED = false;
        DIR_INIT_DONE = true;
    }
}

void ControlLoop::setupCommandBlock()
{
    std::int32_t expected = INIT_CMD;
    if (SETUP_COMMAND.compare_exchange_strong(expected, 0))
        GET_INIT = true;
}

void ControlLoop::initRequestBlock()
{
    if (!GET_INIT.exchange(false))
        return;
    if (DIR_INIT_DONE.load())
        setupInfo_ = true;
    else
        SET_ENC_ALIGN = true;
}

void ControlLoop::encoderAlignmentBlock()
{
    if (!SET_ENC_ALIGN.load())
        return;
    if (!POWER_ON.load() && GET_BPARAM(param::Power_check)) {
        SET_ENC_ALIGN = false;
        ui().showPowerBox();
        return;
    }
    const Step s = retryShared(HAL::CODE_ALIGN, [this] { HAL::SEND_MOT_ENC_ALIGN(link_); });
    if (s.replied || s.gaveUp)
        SET_ENC_ALIGN = false;
    if (s.replied) {
        GET_INIT_COUNT = 0;
        setupInfo_ = true;
    }
}

void ControlLoop::setupInformationBlock()
{
    if (!setupInfo_)
        return;
    const Step s = retryShared(HAL::CODE_SETUP_REQUEST, [this] { HAL::SEND_SETUP_REQUEST(link_); });
    if (s.replied || s.gaveUp)
        setupInfo_ = false;
    if (!s.replied)
        return;
    GET_INIT_COUNT = 0;
    const bool absolute = HAL::HW_ABS_ENC.load();
    ABS_ENC = absolute;
    if (absolute) {
        STATE = WIZARD_DIRECTIONS;
        setupStart_ = true;
        SET_PARAM(param::Setup_align, true);
    } else {
        raGear_ = true;
    }
}

void ControlLoop::encoderValuesBlock()
{
    if (!SET_ENC_VAL.load())
        return;
    // The texts are read afresh for every send; one that the board cannot
    // take ends the request.
    bool refused = false;
    const Step s = retryShared(HAL::CODE_ENC_VAL, [this, &refused] {
        const auto texts = ui().encoderTexts();
        if (!texts)
            return;
        const auto ra = ENCODER_PULSES(texts->first);
        const auto de = ENCODER_PULSES(texts->second);
        if (!ra || !de) {
            refused = true;
            return;
        }
        HAL::SEND_ENC_VAL(*ra, *de, link_);
    });
    if (s.replied || refused)
        GET_INIT_COUNT = 0;
    if (s.replied || s.gaveUp || refused)
        SET_ENC_VAL = false;
    if (refused)
        ui().tellOperator(kEncoderPulsesRule);
}

void ControlLoop::setupStartBlock()
{
    if (!setupStart_)
        return;
    setupStart_ = false;
    SIGNAL(bus::Main_View, WM_CAL_MESSAGE, 4);
    GET_INIT_COUNT = 0;
}

void ControlLoop::watchdog()
{
    if (!watchdogTimer_->TIMEOUT())
        return;
    watchdogTimer_->RESTART(GET_IPARAM(param::WD_Timer));
    HAL::SEND_WD();
}

void ControlLoop::clockRead()
{
    if (!getTime_)
        return;
    if (!HAL::TAKE_REPLY(HAL::CODE_RTC_REQUEST)) {
        HAL::SEND_RTC_REQUEST(link_);
        return;
    }
    clockReading_ = wrap32(std::int64_t{HAL::RTC.load()} * 1000 + HAL::RTCMSEC.load());
    readingArrived_ = true;
    getTime_ = false;
}

void ControlLoop::timeBaseExchange()
{
    if (!setTimeOffset_)
        return;
    if (timeBaseSet_) {
        if (!HAL::TAKE_REPLY(HAL::CODE_TIMEBASE)) {
            HAL::SEND_TIMEBASE(HAL::TIMEBASE.load(), link_);
        } else {
            timeBaseSet_ = false;
            setTimeOffset_ = false;
        }
    }
    if (timeBaseRequest_) {
        if (!HAL::TAKE_REPLY(HAL::CODE_TIMEBASE_REQUEST)) {
            HAL::SEND_TIMEBASE_REQUEST(link_);
        } else {
            HAL::TIMEBASE = wrap32(std::int64_t{HAL::TIMEBASE.load()} - drift_);
            timeBaseRequest_ = false;
            timeBaseSet_ = true;
        }
    }
}

void ControlLoop::clockSync()
{
    if (!SET_TIME_SYNC.load())
        return;
    if (syncCounter_ == 0) {
        ui().syncDialogWaiting();
        getTime_ = true;
        firstReading_ = 0;
        HAL::HW_CONFIG_RECEIVED = 0;
    }
    if (readingArrived_) {
        if (firstReading_ == 0) {
            firstReading_ = clockReading_;
            secondReading_ = 0;
        } else if (secondReading_ == 0) {
            secondReading_ = clockReading_;
            drift_ = wrap32(std::int64_t{syncCounter_} - (std::int64_t{secondReading_} - firstReading_));
            if (drift_ > kMaxDriftMs) {
                firstReading_ = secondReading_ = 0;
            } else {
                setTimeOffset_ = true;
                timeBaseRequest_ = true;
                SET_TIME_SYNC = false;
                ui().syncDialogDone();
            }
        }
        syncCounter_ = 0;
        readingArrived_ = false;
    }
    if (syncCounter_ >= kSyncWaitMs) {
        getTime_ = true;
        secondReading_ = 0;
    }
    if (SET_TIME_SYNC.load())
        syncCounter_ = addSaturated(syncCounter_, lastCycleMs_);
}

void ControlLoop::position()
{
    const double prevHor = hor_, prevVert = vert_;
    READ_POS(hor_, vert_);
    const bool first = !positionPosted_;
    positionPosted_ = true;
    if (first || hor_ != prevHor)
        SIGNAL(bus::Main_View, WM_RA_MESSAGE, POSITION_TENTHS(hor_));
    if (first || vert_ != prevVert)
        SIGNAL(bus::Main_View, WM_DE_MESSAGE, POSITION_TENTHS(vert_));
}

void ControlLoop::motion()
{
    // The speeds are the keys' of the connection up now. Its number is read
    // first: the next connection comes up only after this one's keys were
    // released, so its number never goes with these speeds. A frame that
    // finds another connection up when it goes out is dropped.
    const HAL::Connection connection = HAL::CURRENT_CONNECTION();
    // A key let go is read here from the board's reports, past a user-
    // interface thread that may be busy for seconds.
    const bool handReleased = HAL::HAND_KEYS.released(platform::clock().monotonic());
    const ManualMotion m = MANUAL.modify([handReleased](ManualMotion& s) {
        if (s.HAND && handReleased)
            s = {};
        s.HMV = addSaturated(s.HMV, s.HRAMP);
        s.VMV = addSaturated(s.VMV, s.VRAMP);
    });
    if (hooks_.motionBuilt)
        hooks_.motionBuilt(m.HMV, m.VMV);
    HAL::MOVE(m.HMV, m.VMV, connection);
}

}  // namespace CONTROL
