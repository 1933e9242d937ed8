#include "board/control.h"

#include "board/control_states.h"
#include "board/control_ui.h"
#include "board/hal.h"
#include "board/hand_keys.h"
#include "core/angles.h"
#include "core/astro.h"
#include "core/names.h"
#include "core/params.h"
#include "core/utils.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/end_signals.h"
#include "platform/presses_dropped.h"
#include "platform/priority.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <string>
#include <thread>

namespace CONTROL {

std::atomic<bool> CONTR_RUNNING{false};
std::atomic<bool> INIT_DONE{false};
std::atomic<std::int32_t> CONTROL_STATE{CTRL_FREE};
std::atomic<std::int32_t> NEXT_CONTROL_STATE{CTRL_FREE};
Guarded<ManualMotion> MANUAL;
Guarded<TPOS_REC> NEXTPOSITIONTRACKING;
std::unique_ptr<TWaitTimer> WAITPOINTER;

std::atomic<bool> GET_POWER{false};
std::atomic<std::int32_t> SETUP_COMMAND{0};
std::atomic<bool> GET_INIT{false};
std::atomic<bool> SET_ENC_VAL{false};
std::atomic<bool> SAVE_CONF{false};
std::atomic<bool> SET_TIME_SYNC{false};
std::atomic<std::int32_t> GET_INIT_COUNT{0};
std::atomic<bool> GET_CONFIGURED{false};
std::atomic<bool> SET_ENC_ALIGN{false};
std::atomic<bool> POWER_ON{false};
std::atomic<bool> DIR_INIT_DONE{false};
std::atomic<bool> RA_MOT_CCW{false}, RA_ENC_CCW{false}, DE_MOT_CCW{false}, DE_ENC_CCW{false};
std::atomic<bool> RA_MOT_ENC_CR{false}, DE_MOT_ENC_CR{false};
std::atomic<bool> ENC_SWAP{false};
std::atomic<bool> ABS_ENC{false};
std::atomic<std::int32_t> HW_RA_GEAR{0}, HW_DE_GEAR{0};
std::atomic<std::int32_t> STATE{WIZARD_FINISHED};
std::atomic<bool> CLOSING{false};

namespace {

constexpr double kTurn = 1296000.0;
constexpr int kGearSends = 101;
constexpr const char* kGearBoxTitle = "orla_setup";
constexpr const char* kGearQuestion = "Are you sure you want to write the gear values to the board?";

// The loop's thread. Started and joined on the user-interface thread only.
struct Runner {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable ended;
    bool running = false;
};
Runner g_runner;

bool g_gearWriteActive = false;  // user-interface thread only
std::function<void()> g_gearWait;

// Lets the user-interface thread handle its events for up to 10 ms, or
// until the awaited acknowledgement is in the mailbox or the program closes.
// All of them: the toolkit counts the window manager's close as user input,
// and that close must end the write at once, as a signal's does.
void defaultGearWait(std::uint32_t code)
{
    QDeadlineTimer deadline(10);
    while (!deadline.hasExpired() && !CLOSING.load() &&
           HAL::HW_CONFIG_RECEIVED.load(std::memory_order_acquire) != code) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::msleep(1);
    }
}

enum class GearWrite { Acknowledged, Unanswered, Closed };

// Sends one gear frame to `board` until its own acknowledgement arrives. The
// events handled while it waits may close the program: then it stops at
// once, so the loop's stop frame stays the last the board gets. They may
// also end the connection or switch to another board: the write ends with
// its connection, and nothing another board sends counts as its answer.
GearWrite writeGear(std::uint32_t code, void (*send)(HAL::Connection), HAL::Connection board)
{
    // A stale acknowledgement of an earlier write must not count; replies
    // meant for the loop's handshakes stay where they are.
    HAL::TAKE_REPLY(code);
    for (int n = 0; n < kGearSends; ++n) {
        if (CLOSING.load())
            return GearWrite::Closed;
        if (HAL::CURRENT_CONNECTION() != board)
            return GearWrite::Unanswered;
        send(board);
        if (g_gearWait)
            g_gearWait();
        else
            defaultGearWait(code);
        if (HAL::CURRENT_CONNECTION() != board)
            return CLOSING.load() ? GearWrite::Closed : GearWrite::Unanswered;
        if (HAL::TAKE_REPLY(code))
            return GearWrite::Acknowledged;
    }
    return CLOSING.load() ? GearWrite::Closed : GearWrite::Unanswered;
}

// Which axes the board left unacknowledged, so the operator does not take
// the gears for saved.
std::string unwrittenGears(bool ra, bool de)
{
    if (ra && de)
        return "The board did not acknowledge the RA and Dec gear values: neither was written.";
    return std::string("The board did not acknowledge the ") + (ra ? "RA" : "Dec") +
           " gear value: it was not written.";
}

}  // namespace

void INIT()
{
    HAL::DEV_INIT_CALIBRATION();
    WAITPOINTER = TWaitTimer::Create(1000);
    ACTIVATE_PARAM_LIST();
}

void ACTIVATE_PARAM_LIST()
{
    if (!INIT_DONE.exchange(true))
        INIT_CONTR();
}

void INIT_CONTR() { INIT_CONTR(LoopHooks{}); }

void INIT_CONTR(LoopHooks hooks)
{
    std::unique_lock lock(g_runner.mutex);
    if (g_runner.running)
        return;  // never two loops
    if (g_runner.thread.joinable()) {
        lock.unlock();
        g_runner.thread.join();
        lock.lock();
    }
    CONTR_RUNNING = true;
    CLOSING = false;
    g_runner.running = true;
    g_runner.thread = std::thread([hooks = std::move(hooks)] {
        platform::nameThisThread("control loop");
        {
            ControlLoop loop(hooks);
            loop.run();
        }
        {
            std::lock_guard done(g_runner.mutex);
            g_runner.running = false;
        }
        g_runner.ended.notify_all();
    });
}

bool CTRL_CLOSE(int boundMs)
{
    CLOSING = true;
    STOP_LOOP();
    BEGIN_UI_SHUTDOWN();
    std::unique_lock lock(g_runner.mutex);
    const auto ended = [] { return !g_runner.running; };
    if (boundMs < 0)
        g_runner.ended.wait(lock, ended);
    else if (!g_runner.ended.wait_for(lock, std::chrono::milliseconds(boundMs), ended))
        return false;  // still joinable: a later close joins it
    lock.unlock();
    if (g_runner.thread.joinable())
        g_runner.thread.join();
    return true;
}

void READ_POS(double& RA, double& DE) { HAL::READPOS(RA, DE); }

void READ_HARDWARE(std::int32_t& HOR, std::int32_t& VERT) { HAL::READHWPOS(HOR, VERT); }

void SET_CAL(double RA, double DE)
{
    HAL::SET_CAL(CHECKBOUND(RA, 0, kTurn), DE);
    TPOS_REC target{RA, DE, RA, DE};
    if (!GET_BPARAM(param::Equatorial))
        RATOAZ(RA, DE, DEGTOREAL(GET_PARAM(param::Lat)), GET_LMST(DEGTOREAL(GET_PARAM(param::Long))), target.HOR,
               target.VERT);
    NEXTPOSITIONTRACKING.set(target);
}

std::optional<std::int32_t> ENCODER_PULSES(std::string_view text)
{
    // A number beyond 32 bits is refused, not cut to its low bits.
    const std::optional<std::int32_t> v = param_text::toInt32(text);
    if (!v || *v < 1 || *v > 65535)
        return std::nullopt;
    return v;
}

void SAVE_HW_CONF() { SAVE_CONF = true; }

void SAVE_GEAR(std::int32_t ra, std::int32_t de)
{
    if (g_gearWriteActive)
        return;
    if (!platform::dialogs().askYesNo("Confirm", kGearQuestion, platform::DefaultButton::No))
        return;
    g_gearWriteActive = true;
    const platform::PressesDropped presses;
    HAL::HW_RA_GEAR = ra;
    HAL::HW_DE_GEAR = de;
    // The held gears stay the board's until it has taken a value: the
    // display, the next run's correction and the next write start from them.
    const HAL::Connection board = HAL::CURRENT_CONNECTION();
    const GearWrite raWrite = writeGear(HAL::CODE_GEAR_RA, &HAL::SEND_GEAR_RA, board);
    if (raWrite == GearWrite::Acknowledged)
        HW_RA_GEAR = ra;
    const GearWrite deWrite =
        raWrite == GearWrite::Closed ? raWrite : writeGear(HAL::CODE_GEAR_DE, &HAL::SEND_GEAR_DE, board);
    if (deWrite == GearWrite::Acknowledged)
        HW_DE_GEAR = de;
    g_gearWriteActive = false;
    if (raWrite == GearWrite::Closed || deWrite == GearWrite::Closed)
        return;
    if (raWrite == GearWrite::Unanswered || deWrite == GearWrite::Unanswered)
        platform::dialogs().message(kGearBoxTitle, unwrittenGears(raWrite == GearWrite::Unanswered,
                                                                  deWrite == GearWrite::Unanswered));
}

void SET_GEAR_WAIT(std::function<void()> wait) { g_gearWait = std::move(wait); }

void BOARD_DISCONNECTED() { POWER_ON = false; }

void STOP_PROCESS(int signal)
{
    // Sealed already: the loop has sent its last frame, which stays the last.
    const bool sealed = HAL::SEALED();
    HAL::MOVE(0, 0);
    HAL::SEAL();
    HAL::HAND_KEYS.pause();
    platform::stopProcess(signal);
    // Whatever was held when it stopped: the operator may have let go
    // meanwhile, and the windows learn of it only now.
    MANUAL.set({});
    HAL::HAND_KEYS.resume(platform::clock().monotonic());
    if (!sealed)
        HAL::UNSEAL();
}

void TAKE_STOP_ON_UI()
{
    // A loop waiting for this thread sends nothing meanwhile.
    if (!LOOP_WAITS_FOR_UI())
        return;
    if (const int signal = platform::takeStop())
        STOP_PROCESS(signal);
}

void RESET()
{
    CTRL_CLOSE(-1);
    CLOSING = false;
    HAL::UNSEAL();
    RESET_UI_SHUTDOWN();
    CONTR_RUNNING = false;
    INIT_DONE = false;
    CONTROL_STATE = NEXT_CONTROL_STATE = CTRL_FREE;
    MANUAL.set({});
    NEXTPOSITIONTRACKING.set({});
    WAITPOINTER.reset();
    GET_POWER = GET_INIT = SET_ENC_VAL = SAVE_CONF = SET_TIME_SYNC = false;
    SETUP_COMMAND = 0;
    GET_INIT_COUNT = 0;
    GET_CONFIGURED = SET_ENC_ALIGN = POWER_ON = DIR_INIT_DONE = false;
    RA_MOT_CCW = RA_ENC_CCW = DE_MOT_CCW = DE_ENC_CCW = false;
    RA_MOT_ENC_CR = DE_MOT_ENC_CR = ABS_ENC = ENC_SWAP = false;
    HW_RA_GEAR = HW_DE_GEAR = 0;
    STATE = WIZARD_FINISHED;
    g_gearWait = nullptr;
    g_gearWriteActive = false;
    RESET_COMMANDS();
}

}  // namespace CONTROL
