#pragma once
// A simulated Tarnel2 board for tests. It takes the output reports the
// program writes (from any thread), answers the service requests, integrates
// motion into 24-bit encoder counts and sends encoder frames. The mount's
// wiring (motor and encoder directions, swapped encoders) is settable, so the
// set-up wizard has something to learn; the board's own configuration flags
// (written by the configuration frame) correct it as the real board does.
//
// Step mode: the test calls step() to run one control period. Real-time mode:
// start() runs a thread that steps every `periodMs`.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace testing_support {

class SimBoard {
public:
    using Frame = std::array<std::uint8_t, 8>;
    using Report = std::vector<std::uint8_t>;  // report id + data bytes

    struct Axis {
        std::int32_t gear = 0x00100000;
        std::uint8_t ramp = 5;
        std::uint8_t flags = 1;
        // Wiring of the mount: true turns the motor, or counts the encoder, backwards.
        bool motorReversed = false;
        bool encoderReversed = false;
        double position = 0.0;  // counts, the physical axis angle
    };

    SimBoard();
    ~SimBoard();
    SimBoard(const SimBoard&) = delete;
    SimBoard& operator=(const SimBoard&) = delete;

    // Where the board's input reports go (the fake HID interface's queue).
    void setOutput(std::function<void(const Report&)> output);

    // The HID side: one output report. Returns the bytes taken, or -1 when
    // writes are set to fail.
    int onWrite(const std::uint8_t* report, std::size_t length);

    // One control period: integrates the motion of `ms` milliseconds, sends
    // the replies that are due and one encoder frame of each enabled kind.
    void step(int ms = 10);
    void start(int periodMs = 10);
    void stop();

    // --- What the board reports ------------------------------------------
    std::atomic<std::int32_t> motorPower{12000};
    std::atomic<bool> absoluteEncoders{true};
    std::atomic<bool> setupDone{false};
    std::atomic<bool> motEncCr{false};  // both axes' motor-encoder flag
    std::atomic<std::uint8_t> handBits{0};  // bit 0 left, 1 up, 2 down, 3 right
    std::atomic<bool> sendAbsolute{true};
    std::atomic<bool> sendIncremental{false};
    std::atomic<double> countsPerSpeedUnit{1.0};  // counts per second per speed unit
    // How fast the motors follow a new speed, in speed units per second, as
    // the board's own ramp; 0 takes each motion frame's speed at once.
    std::atomic<double> rampPerSecond{0.0};
    std::atomic<std::int64_t> rtcMs{86400500};   // the board clock the 85 reply carries
    std::atomic<std::int32_t> timeBase{1000};    // the time base the 84 reply carries; a 04 frame sets it

    // --- Faults ------------------------------------------------------------
    std::atomic<bool> silent{false};       // answers nothing
    std::atomic<int> replyDelaySteps{0};   // answers that many steps late
    std::atomic<bool> answerTwice{false};
    std::atomic<bool> shortReports{false}; // every report loses its last data byte
    std::atomic<int> failWrites{0};        // 0 ok, -1 fail, n > 0: takes only n bytes
    void silenceCode(std::uint8_t code, bool on = true);

    // --- Mount and board state, locked ------------------------------------
    Axis axis(int i) const;          // 0 RA/horizontal, 1 Dec/vertical
    void setAxis(int i, const Axis& a);
    void setEncoderSwap(bool swapped);  // the mount's encoder cables crossed
    void setCounts(std::int32_t ra, std::int32_t de);  // moves the axes so the encoders read these

    struct Config {
        bool raMotCcw = false, raEncCcw = false, deMotCcw = false, deEncCcw = false;
        bool encSwap = false, equatorial = false;
        bool written = false;
    };
    Config config() const;
    std::pair<std::int32_t, std::int32_t> speeds() const;  // last motion frame
    std::pair<std::int32_t, std::int32_t> encoderPulses() const;  // last 27 frame
    std::uint8_t digitalOutputs() const;
    std::pair<std::int32_t, std::int32_t> counts() const;  // what the encoders read now
    int masterResets() const;

    // Every frame written, in order; frames of a given type or code.
    std::vector<Frame> frames() const;
    std::vector<Frame> framesWithCode(std::uint8_t code) const;  // service frames
    std::vector<Frame> motionFrames() const;
    void clearLog();

    // Sends a raw input report now (report id first).
    void sendReport(const Report& report);

private:
    struct Pending {
        int dueStep;
        Frame frame;
    };
    void handle(const Frame& f);           // locked
    void answer(const Frame& reply);       // locked
    void pushReport(const Frame& f);       // locked
    std::int32_t encoderCount(int channel) const;  // locked
    void stepLocked(int ms);

    mutable std::mutex mutex_;
    std::function<void(const Report&)> output_;
    std::array<Axis, 2> axes_{};
    bool encoderSwap_ = false;
    Config config_{};
    std::int32_t speedHor_ = 0, speedVert_ = 0;
    std::array<double, 2> turning_{};  // the speed the motors run at now
    std::uint8_t digio_ = 0;
    std::int32_t raPulses_ = 0, dePulses_ = 0;
    int masterResets_ = 0;
    std::vector<Frame> log_;
    std::vector<Pending> pending_;
    std::map<std::uint8_t, bool> silenced_;
    int stepNo_ = 0;

    std::thread thread_;
    std::mutex threadMutex_;
    std::condition_variable wake_;
    bool running_ = false;
};

}  // namespace testing_support
