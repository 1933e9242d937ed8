#pragma once
// The control module: the state the control loop shares with the windows,
// the start and stop of the loop's thread, the position read and the sync.
//
// Threads: the loop runs on a thread of its own; everything else here is
// called on the user-interface thread. Every shared value is atomic, except
// the manual motion and the target, which are each read and written whole
// under a small lock of their own.

#include "board/control_loop.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

class TWaitTimer;

namespace CONTROL {

// Control states.
enum : std::int32_t {
    CTRL_FREE = 0,
    CTRL_FREELOCK = 1,
    CTRL_STOP = 2,
    CTRL_TRACKING = 3,
    CTRL_POINTING = 4,
    CTRL_MOVING = 5,
    CTRL_NOCONTROL = 6,
    CTRL_FLIP = 7,
    CTRL_TOPARK = 8,
    CTRL_PARK = 9,
    CTRL_UNPARK = 10,
    CTRL_UNFLIP = 11,
};

// SETUP_COMMAND asking for the init request.
inline constexpr std::int32_t INIT_CMD = 1;

// A value read and written whole under its own lock.
template <class T>
class Guarded {
public:
    T get() const
    {
        std::lock_guard lock(mutex_);
        return value_;
    }
    void set(const T& v)
    {
        std::lock_guard lock(mutex_);
        value_ = v;
    }
    // Runs `change` on the value with the lock held; returns the result.
    template <class F>
    T modify(F&& change)
    {
        std::lock_guard lock(mutex_);
        change(value_);
        return value_;
    }

private:
    mutable std::mutex mutex_;
    T value_{};
};

// --- Loop and states ---------------------------------------------------------
extern std::atomic<bool> CONTR_RUNNING;
extern std::atomic<bool> INIT_DONE;
extern std::atomic<std::int32_t> CONTROL_STATE;       // written by the loop only
extern std::atomic<std::int32_t> NEXT_CONTROL_STATE;  // taken over at the next cycle

// Manual speeds in board units and the amounts added to them every cycle.
// One lock for all four, so a key's speeds are never lost against the loop's
// ramp addition.
struct ManualMotion {
    std::int32_t HMV = 0, VMV = 0;      // horizontal or RA axis, vertical or Dec axis
    std::int32_t HRAMP = 0, VRAMP = 0;
    // Set by the hand controller's keys: the loop lets them go as soon as
    // the board reports the keys released (HAL::HAND_KEYS).
    bool HAND = false;
};
extern Guarded<ManualMotion> MANUAL;

// The current target; nothing steers to it.
struct TPOS_REC {
    double RA = 0.0, DEC = 0.0;   // equatorial
    double HOR = 0.0, VERT = 0.0; // axis angles
};
extern Guarded<TPOS_REC> NEXTPOSITIONTRACKING;

// Tells a single point key from a repeated one; made by INIT. User-interface thread only.
extern std::unique_ptr<TWaitTimer> WAITPOINTER;

// --- Set-up requests and the board's configuration as last read -------------
extern std::atomic<bool> GET_POWER;          // read the motor power, then the configuration
extern std::atomic<std::int32_t> SETUP_COMMAND;
extern std::atomic<bool> GET_INIT;           // init request
extern std::atomic<bool> SET_ENC_VAL;        // write the encoder pulses per revolution
extern std::atomic<bool> SAVE_CONF;          // write the configuration frame once; set until written
extern std::atomic<bool> SET_TIME_SYNC;      // run the clock sync
extern std::atomic<std::int32_t> GET_INIT_COUNT;  // retry counter shared by the set-up handshakes
extern std::atomic<bool> GET_CONFIGURED;     // configuration handshake active
extern std::atomic<bool> SET_ENC_ALIGN;      // encoder-alignment handshake active
extern std::atomic<bool> POWER_ON;
extern std::atomic<bool> DIR_INIT_DONE;
extern std::atomic<bool> RA_MOT_CCW, RA_ENC_CCW, DE_MOT_CCW, DE_ENC_CCW;
extern std::atomic<bool> RA_MOT_ENC_CR, DE_MOT_ENC_CR;
// Whether the board crosses the two encoders, as last read; the set-up wizard
// changes it with the direction flags.
extern std::atomic<bool> ENC_SWAP;
extern std::atomic<bool> ABS_ENC;
// The board's gears, as last read from it or acknowledged by it.
extern std::atomic<std::int32_t> HW_RA_GEAR, HW_DE_GEAR;
extern std::atomic<std::int32_t> STATE;      // where the set-up wizard starts
// The wizard steps STATE names, in the wizard's own numbers.
inline constexpr std::int32_t WIZARD_DIRECTIONS = 1;  // from the first step: learn the directions
inline constexpr std::int32_t WIZARD_FINISHED = 10;   // nothing to learn
// The loop has been told to close: nothing on the user-interface thread
// sends to the board from now on.
extern std::atomic<bool> CLOSING;

// --- Operations ----------------------------------------------------------------
// Starts the mount side: the start-up calibration, the point-key timer, and
// the loop unless it was started before.
void INIT();
// After the parameter editor: starts the loop unless it was started before.
void ACTIVATE_PARAM_LIST();
// Starts the loop's thread; refused while a loop is still running.
void INIT_CONTR();
void INIT_CONTR(LoopHooks hooks);
// Stops the loop: it finishes its cycle and sends a last zero-speed frame.
// Every wait of the loop, on its cycle timer or on the user-interface thread,
// ends at once, and the thread is joined within `boundMs` (a negative bound:
// however long it takes); true when it has been joined. A loop still busy
// then stays joinable, never detached: a later call joins it.
bool CTRL_CLOSE(int boundMs = 2000);

// Axis angles from the absolute counts, without calibration offsets; the
// arguments stay as they were until the first encoder frame.
void READ_POS(double& RA, double& DE);
// Raw absolute encoder counts.
void READ_HARDWARE(std::int32_t& HOR, std::int32_t& VERT);
// Makes the calibration say the mount points at (RA, DE); sets the target.
void SET_CAL(double RA, double DE);

// An encoder's pulses per revolution as the board takes them: a whole number
// from 1 to 65535; nothing for any other text.
std::optional<std::int32_t> ENCODER_PULSES(std::string_view text);
// What the operator is told about a pulse text the board cannot take.
inline constexpr const char* kEncoderPulsesRule =
    "The encoder pulses per revolution must be whole numbers from 1 to 65535.";

// Asks the loop to write the configuration frame at its next cycle.
void SAVE_HW_CONF();
// The gear write, on the user-interface thread: asks the operator, then sends
// both gear frames with these values until each is acknowledged or 101 sends
// pass; a box names an axis the board did not acknowledge. HW_RA_GEAR and
// HW_DE_GEAR take a value only once the board acknowledged its axis, so they
// stay what the board holds. Input reports go on being decoded meanwhile and
// the operator's presses are dropped; a second call while one runs does
// nothing, and a close (a signal's or the window manager's) ends it before
// its next send.
void SAVE_GEAR(std::int32_t ra, std::int32_t de);
// How the gear write waits between two sends; the default lets the
// user-interface thread handle its events (input reports among them) for up
// to 10 ms. Tests install their own; nullptr puts the default back.
void SET_GEAR_WAIT(std::function<void()> wait);

// The device window calls this when the board is disconnected or the dummy
// device is chosen, so the power lamp does not claim power without a board.
void BOARD_DISCONNECTED();

// A stop signal (Ctrl-Z) taken: the mount is stopped (the zero-speed frame,
// then nothing until the process goes on), the process stops as the
// signal's default action does, and once continued the loop goes on with
// every key and pad button counted as released. The loop's own thread runs
// it, or the user-interface thread while the loop waits for that thread.
void STOP_PROCESS(int signal);
// User-interface thread, for each stop signal left to the loop: taken here
// only while the loop waits for this thread, and so cannot take it itself.
void TAKE_STOP_ON_UI();

// Puts every module value back to its start, after joining a loop that still
// runs (tests).
void RESET();

}  // namespace CONTROL
