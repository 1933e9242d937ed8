#pragma once
// The set-up wizard's run: a step machine that learns the axis swap and the
// motor and encoder directions from the operator's slews, writes the learnt
// configuration to the board, and measures a half turn of each axis for the
// gear correction. The window (setup/setup_view.h) feeds it its timer ticks,
// activations and button presses and shows what `look()` says; tests drive it
// tick by tick without a window.
//
// User-interface thread only. The direction flags and the manual speeds it
// reads belong to the control module and are shared with the control loop.

#include "setup/wizard_link.h"

#include <cstdint>
#include <memory>
#include <string>

class TSound;
struct Tpoint_data;

namespace setup {

// Steps of a run (the wizard's STATE); the main window sets 1 or 5 and
// looks for 10.
enum : std::int32_t {
    STEP_IDLE = SetupWizardLink::StepIdle,  // after creation and after a run was completed
    STEP_REFERENCE = SetupWizardLink::StepDirections,  // waiting for the first movement
    STEP_HORIZONTAL = 2,  // learning the horizontal axis and the axis swap
    STEP_VERTICAL = 3,    // learning the vertical axis
    STEP_LEARNT = 4,      // directions learnt and written; waiting for OK
    STEP_GEAR = SetupWizardLink::StepGears,  // gear part shown; OK takes the Dec start counts
    STEP_DEC_TURN = 6,    // Dec half turn; OK takes the Dec end counts
    STEP_RA_START = 7,    // OK takes the RA start counts
    STEP_RA_TURN = 8,     // RA half turn; OK takes the RA end counts and ends the run
    STEP_DONE = SetupWizardLink::StepFinished,  // finished or cancelled
};

// How the last run ended (the wizard's ModalResult).
enum : std::int32_t {
    RESULT_NONE = SetupWizardLink::NoResult,
    RESULT_OK = SetupWizardLink::ResultOk,
    RESULT_CANCEL = SetupWizardLink::ResultCancel,
};

// Half a turn of a 24-bit encoder, the divisor of the gear factors.
inline constexpr double kHalfTurnCounts = 8388608.0;
// The reference point every OK press calibrates the mount to: due east on the horizon.
inline constexpr double kEastAzimuth = 324000.0;

// Brings an angle difference into [-648000, 648000] by one whole turn, so a
// move across the 0/1296000 seam counts by its short way round.
void CHECKDIF(double& DIF);
// The counts moved from one reading of a 24-bit counter to the next, taken
// the short way round: into [-2^23, 2^23).
std::int32_t countStep(std::int32_t from, std::int32_t to);

// The step texts of the language file (section "Setup"); empty without one.
struct SetupTexts {
    std::string moveInit, moveHor, moveVert;  // direction part
    std::string decRot, moveRa, raRot;        // gear part
    std::string swap;                         // the encoders were found crossed
    std::string gear;                         // the gear part's opening text (message1's own)
};

// What the window shows.
struct SetupLook {
    bool horLabel = true;
    std::string horText = "Move telescope clockwise";
    bool horTick = false;
    bool verLabel = true;
    std::string verText = "Move Telescope up";
    bool verTick = false;
    bool message = true;
    std::string messageText = "init_msg";
    bool okEnabled = true;
    bool cancel = true;
    bool sketch = false;
};

// Where the run reads the mount: the control module's readings unless a
// test gives its own.
class SetupMount {
public:
    virtual ~SetupMount() = default;
    // Axis angles in arcseconds; left as they are before the first report.
    virtual void readPos(double& hor, double& vert) = 0;
    // Raw absolute encoder counts.
    virtual void readHardware(std::int32_t& ra, std::int32_t& de) = 0;
};
SetupMount& controlMount();

class SetupRun {
public:
    // What the run asks of its window.
    class Window {
    public:
        virtual ~Window() = default;
        virtual void hideWizard() = 0;
        virtual void hidePad() = 0;
    };

    // The wizard's creation, after the settings have been read: step 0 and
    // the sound "MoveDone" from parameter Lock_Sound.
    explicit SetupRun(Window& window, SetupMount& mount = controlMount());
    ~SetupRun();
    SetupRun(const SetupRun&) = delete;
    SetupRun& operator=(const SetupRun&) = delete;

    // The window became active; `texts` as the language file gives them now.
    void activate(const SetupTexts& texts);
    // One tick of the 10 ms timer.
    void tick();
    // The buttons; each sets ModalResult first, as its button does.
    void ok();
    void cancel();
    // The title bar closed the window: a run in progress ends as by Cancel.
    void closed();
    // Hands a waiting configuration write to the control loop once the loop
    // is not writing one; true while one still waits.
    bool pumpConfiguration();

    const SetupLook& look() const { return look_; }
    bool timerEnabled() const { return timer_; }
    // A run is in progress: begun at an activation, not yet ended.
    bool running() const { return runActive_; }
    // A configuration write waits, or the loop is writing one.
    bool configurationBusy() const;
    // A configuration write waits to be handed to the loop.
    bool configurationQueued() const { return queued_; }

    // The wizard's state, as the main window and the sketch read it.
    std::int32_t STATE = STEP_IDLE;
    std::int32_t ModalResult = RESULT_NONE;
    double RA_DIFF = 0.0, DE_DIFF = 0.0;  // gear correction factors
    double VROT = 0.0, HROT = 0.0;        // the sketch's tube angles, half turns
    std::int32_t DELAY = 0;               // pause counter of the animation, ticks

    // Kept between runs as the reference of the direction part, arcseconds.
    double INITHOR = 0.0, INITVERT = 0.0;
    // Raw counts at the start and end of the last half turns.
    std::int32_t STARTPOS_RA = 0, STARTPOS_DE = 0, NEW_RA = 0, NEW_DE = 0;
    // How far an axis must move to count, arcseconds (Setup_Range degrees).
    std::int32_t MOVEOFFSET = 0;
    bool CUR_FLIPMODE = false;
    std::shared_ptr<Tpoint_data> OBJ;  // the last reference point sent

    // Ticks the direction part waits after a swap has been written before it
    // takes a fresh reference, so no reading from before the swap is used.
    static constexpr int kSwapSettleTicks = 20;

private:
    struct Configuration {
        bool raMot = false, raEnc = false, deMot = false, deEnc = false, swap = false;
        Configuration operator^(const Configuration& o) const
        {
            return {raMot != o.raMot, raEnc != o.raEnc, deMot != o.deMot, deEnc != o.deEnc, swap != o.swap};
        }
    };
    // The manual speeds of a tick, hmv positive while left is held.
    struct Command {
        std::int64_t hmv = 0;
        std::int32_t vmv = 0;
    };
    struct Snapshot {
        Configuration flags;
        std::string raMot, raEnc, deMot, deEnc, swap, setupDone;  // parameter texts
        double raDiff = 0.0, deDiff = 0.0;
    };

    void beginRun();
    void endRun();
    // The run's own last OK: the run ended by OK.
    void finish();
    void restoreStart();
    static Configuration flagsNow();
    static void setFlags(const Configuration& c);
    void requestConfiguration(const Configuration& c);
    // The configuration the run found with exactly the inversions it learnt;
    // the flags take it, whatever the board reported meanwhile.
    Configuration learntConfiguration() const { return start_.flags ^ learnt_; }
    void showLearnt() { setFlags(learntConfiguration()); }
    // The speeds a decision goes by: those of this tick, or, with no key held
    // (the mount coasting on the board's ramp), the last ones of this slew.
    Command decisive(Command now) const;

    void referenceStep(double dh, double dv);
    void horizontalStep(double dh, double dv, Command now);
    void verticalStep(double dv, Command now);
    void beginSlew() { slewCommand_ = {}; }
    void animate(double& angle, double start, double end, std::int32_t pause, std::int32_t rest);
    // Adds the counts the measured axis moved since the last reading.
    void follow(std::int32_t count);
    void sendReferencePoint();
    void swapFound();
    void directionsLearnt();

    Window& window_;
    SetupMount& mount_;
    std::unique_ptr<TSound> PLAYSND;
    SetupLook look_;
    SetupTexts texts_;
    bool timer_ = false;

    bool runActive_ = false;
    Snapshot start_;
    Configuration learnt_;      // the inversions this run has learnt
    Command slewCommand_;       // the last speeds commanded during the slew now watched
    bool wrote_ = false;        // this run has handed a configuration to the loop
    bool swapped_ = false;      // this run has crossed the encoders once already
    int settle_ = 0;            // ticks left before the fresh reference after a swap
    bool queued_ = false;       // a configuration waits for the loop
    Configuration pending_;

    // The half turn being measured: the last reading and the counts so far.
    std::int32_t lastCount_ = 0;
    std::int64_t turned_ = 0;
};

}  // namespace setup
