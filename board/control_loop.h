#pragma once
// The control loop: one cycle every Cycle_Time ms, paced by absolute
// deadlines on the monotonic clock, runs the pending configuration save, the
// configuration handshakes, the watchdog, the clock sync, the state takeover,
// the position report and the motion frame.
//
// A test drives it one cycle at a time (start(), then cycle()) on a test
// clock; run() is what the loop's thread does.

#include "board/hal.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class TWaitTimer;

namespace CONTROL {

struct LoopHooks {
    // Pauses the loop's thread, also until a cycle's deadline; a real sleep
    // when empty. Tests move a test clock instead.
    std::function<void(int ms)> sleep;
    // Called on the loop's thread after each cycle has ended (benchmarks).
    std::function<void()> cycleEnded;
    // Called on the loop's thread between building a cycle's motion frame
    // and writing it, with the frame's speeds (tests hold the loop there).
    std::function<void(std::int32_t hor, std::int32_t vert)> motionBuilt = {};
};

// Clears CONTR_RUNNING and ends every wait of a running loop at once.
void STOP_LOOP();

// An axis angle in arcseconds as the loop posts it: tenths of an arcsecond,
// halves to the even neighbour.
std::int64_t POSITION_TENTHS(double arcsec);

class ControlLoop {
public:
    explicit ControlLoop(LoopHooks hooks = {});
    ~ControlLoop();
    ControlLoop(const ControlLoop&) = delete;
    ControlLoop& operator=(const ControlLoop&) = delete;

    // What the loop does before its first cycle.
    void start();
    // One cycle without the wait for the cycle timer.
    void cycle();
    // start(), then paced cycles while CONTR_RUNNING, then finish().
    void run();
    // The loop's last frame (both axes at rest); nothing goes to the board
    // after it until a loop starts again.
    void finish();

    // Milliseconds from the end of the cycle before the last to the end of the last.
    std::int32_t lastCycleMs() const { return lastCycleMs_; }

private:
    void work();
    void endCycle();
    void pause(int ms);
    void sleepFor(std::chrono::nanoseconds span);
    void waitUntil(std::chrono::nanoseconds deadline);
    void waitForNextCycle();

    // A cycle that finds another connection up than the cycle before ends
    // what the exchanges in progress began with the one before.
    void followConnection();
    void endExchanges(HAL::Connection before);
    void configurationSave();
    void handshakes();
    void powerBlock();
    void configurationBlock();
    void setupCommandBlock();
    void initRequestBlock();
    void encoderAlignmentBlock();
    void setupInformationBlock();
    void encoderValuesBlock();
    void setupStartBlock();

    void watchdog();
    void clockRead();
    void timeBaseExchange();
    void clockSync();
    void position();
    void motion();

    LoopHooks hooks_;
    // The connection this cycle's exchanges belong to, as it stood when the
    // cycle began: their frames go to it only.
    HAL::Connection link_ = 0;
    std::chrono::nanoseconds period_{0};    // Cycle_Time as read at the start
    std::chrono::nanoseconds deadline_{0};  // this cycle's on the monotonic clock
    std::unique_ptr<TWaitTimer> watchdogTimer_;

    double hor_ = 0.0, vert_ = 0.0;          // axis angles, arcseconds
    bool positionPosted_ = false;            // the first reading goes out whatever it is
    std::int32_t lastCycleMs_ = 0;
    std::int32_t lastEndMs_ = 0;             // time of day at the end of the last cycle

    // Handshakes only the loop runs.
    std::int32_t powerCount_ = 0;
    bool setupInfo_ = false, raGear_ = false, deGear_ = false, setupStart_ = false;

    // Clock sync.
    bool getTime_ = false, setTimeOffset_ = false, timeBaseRequest_ = false, timeBaseSet_ = false;
    std::int32_t clockReading_ = 0;
    bool readingArrived_ = false;
    std::int32_t syncCounter_ = 0, firstReading_ = 0, secondReading_ = 0, drift_ = 0;
};

}  // namespace CONTROL
