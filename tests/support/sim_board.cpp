#include "tests/support/sim_board.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace testing_support {

namespace {

constexpr std::int32_t kCounts = 1 << 24;

std::int32_t wrap24(double v)
{
    const double r = std::fmod(std::floor(v), static_cast<double>(kCounts));
    const auto c = static_cast<std::int32_t>(r < 0 ? r + kCounts : r);
    return c & (kCounts - 1);
}

std::int16_t be16s(const std::uint8_t* d) { return static_cast<std::int16_t>((d[0] << 8) | d[1]); }
std::int32_t be32(const std::uint8_t* d)
{
    return static_cast<std::int32_t>((std::uint32_t{d[0]} << 24) | (std::uint32_t{d[1]} << 16) |
                                     (std::uint32_t{d[2]} << 8) | std::uint32_t{d[3]});
}

}  // namespace

SimBoard::SimBoard() = default;

SimBoard::~SimBoard() { stop(); }

void SimBoard::setOutput(std::function<void(const Report&)> output)
{
    std::lock_guard lock(mutex_);
    output_ = std::move(output);
}

int SimBoard::onWrite(const std::uint8_t* report, std::size_t length)
{
    const int fail = failWrites.load();
    if (fail < 0)
        return -1;
    if (fail > 0)
        return static_cast<int>(std::min<std::size_t>(length, static_cast<std::size_t>(fail)));
    if (length >= 9) {
        Frame f{};
        for (std::size_t i = 0; i < 8; ++i)
            f[i] = report[i + 1];
        std::lock_guard lock(mutex_);
        log_.push_back(f);
        handle(f);
    }
    return static_cast<int>(length);
}

void SimBoard::handle(const Frame& f)
{
    if (f[0] == 0x05) {
        speedHor_ = be16s(&f[1]);
        speedVert_ = be16s(&f[3]);
        digio_ = f[5];
        return;
    }
    if (f[0] != 0xF0)
        return;
    const std::uint8_t code = f[7];
    Frame r{0xF0, 0, 0, 0, 0, 0, 0, code};
    switch (code) {
    case 0x55:  // watchdog
        return;
    case 0xF0:
        if (f[1] == 0xAA)
            ++masterResets_;
        return;
    case 0x42:
        config_.raMotCcw = f[1] & 1;
        config_.raEncCcw = f[1] & 2;
        config_.deMotCcw = f[2] & 1;
        config_.deEncCcw = f[2] & 2;
        config_.encSwap = f[3] & 1;
        config_.equatorial = f[3] & 0x20;
        config_.written = true;
        setupDone = true;
        return;
    case 0xF4: {
        const std::int32_t p = motorPower.load();
        r[5] = static_cast<std::uint8_t>(p >> 8);
        r[6] = static_cast<std::uint8_t>(p);
        break;
    }
    case 0xC2: {
        const std::uint8_t cr = motEncCr ? 4 : 0;
        r[1] = static_cast<std::uint8_t>((config_.raMotCcw ? 1 : 0) | (config_.raEncCcw ? 2 : 0) | cr);
        r[2] = static_cast<std::uint8_t>((config_.deMotCcw ? 1 : 0) | (config_.deEncCcw ? 2 : 0) | cr);
        r[3] = static_cast<std::uint8_t>((setupDone ? 0x10 : 0) | (config_.encSwap ? 1 : 0));
        break;
    }
    case 0xA0:
        r[1] = absoluteEncoders ? 0x08 : 0;
        break;
    case 0x92:
    case 0x93: {
        const Axis& a = axes_[code == 0x92 ? 0 : 1];
        const auto g = static_cast<std::uint32_t>(a.gear);
        r = {0xF0, a.ramp, a.flags, static_cast<std::uint8_t>(g >> 24), static_cast<std::uint8_t>(g >> 16),
             static_cast<std::uint8_t>(g >> 8), static_cast<std::uint8_t>(g), code};
        break;
    }
    case 0x12:
    case 0x13:
        axes_[code == 0x12 ? 0 : 1].gear = be32(&f[3]);
        break;
    case 0x27:
        raPulses_ = (f[1] << 8) | f[2];
        dePulses_ = (f[3] << 8) | f[4];
        break;
    case 0x26:
        break;
    case 0x04:
        timeBase = (f[1] << 8) | f[2];
        break;
    case 0x84: {
        const std::int32_t tb = timeBase.load();
        r = {0xF0, static_cast<std::uint8_t>(tb >> 8), static_cast<std::uint8_t>(tb), 0, 0, 0, 0, 0x84};
        break;
    }
    case 0x85: {
        const std::int64_t ms = rtcMs.load();
        const auto sec = static_cast<std::uint32_t>(ms / 1000);
        const auto milli = static_cast<std::uint32_t>(ms % 1000);
        r = {0xF0, static_cast<std::uint8_t>(sec >> 24), static_cast<std::uint8_t>(sec >> 16),
             static_cast<std::uint8_t>(sec >> 8), static_cast<std::uint8_t>(sec),
             static_cast<std::uint8_t>(milli >> 8), static_cast<std::uint8_t>(milli), 0x85};
        break;
    }
    default:
        return;  // nothing the board knows
    }
    answer(r);
}

void SimBoard::answer(const Frame& reply)
{
    if (silent || silenced_[reply[7]])
        return;
    const int copies = answerTwice ? 2 : 1;
    for (int i = 0; i < copies; ++i) {
        if (replyDelaySteps > 0)
            pending_.push_back({stepNo_ + replyDelaySteps, reply});
        else
            pushReport(reply);
    }
}

void SimBoard::pushReport(const Frame& f)
{
    if (!output_)
        return;
    Report r(f.size() + 1, 0);
    for (std::size_t i = 0; i < f.size(); ++i)
        r[i + 1] = f[i];
    if (shortReports)
        r.pop_back();
    output_(r);
}

std::int32_t SimBoard::encoderCount(int channel) const
{
    const bool crossed = encoderSwap_ != config_.encSwap;
    const int physical = crossed ? 1 - channel : channel;
    const bool ccw = channel == 0 ? config_.raEncCcw : config_.deEncCcw;
    const double sign = (axes_[physical].encoderReversed != ccw) ? -1.0 : 1.0;
    return wrap24(sign * axes_[physical].position);
}

void SimBoard::step(int ms)
{
    std::lock_guard lock(mutex_);
    stepLocked(ms);
}

void SimBoard::stepLocked(int ms)
{
    ++stepNo_;
    const double dt = ms / 1000.0;
    const std::int32_t speed[2] = {speedHor_, speedVert_};
    const double ramp = rampPerSecond.load() * dt;
    for (int c = 0; c < 2; ++c) {
        const double commanded = speed[c];
        double& v = turning_[c];
        v = ramp > 0 ? std::clamp(commanded, v - ramp, v + ramp) : commanded;
        const bool ccw = c == 0 ? config_.raMotCcw : config_.deMotCcw;
        const double sign = (axes_[c].motorReversed != ccw) ? -1.0 : 1.0;
        axes_[c].position += sign * v * countsPerSpeedUnit.load() * dt;
    }
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->dueStep <= stepNo_) {
            pushReport(it->frame);
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    if (silent)
        return;
    const std::uint8_t in = handBits.load();
    const auto frame = [&](std::uint8_t type) {
        const std::int32_t a = encoderCount(0), b = encoderCount(1);
        return Frame{type, in, static_cast<std::uint8_t>(a >> 16), static_cast<std::uint8_t>(a >> 8),
                     static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b >> 16),
                     static_cast<std::uint8_t>(b >> 8), static_cast<std::uint8_t>(b)};
    };
    if (sendAbsolute)
        pushReport(frame(0x05));
    if (sendIncremental)
        pushReport(frame(0x03));
}

void SimBoard::start(int periodMs)
{
    stop();
    {
        std::lock_guard lock(threadMutex_);
        running_ = true;
    }
    thread_ = std::thread([this, periodMs] {
        std::unique_lock lock(threadMutex_);
        while (running_) {
            if (wake_.wait_for(lock, std::chrono::milliseconds(periodMs), [this] { return !running_; }))
                break;
            lock.unlock();
            step(periodMs);
            lock.lock();
        }
    });
}

void SimBoard::stop()
{
    {
        std::lock_guard lock(threadMutex_);
        running_ = false;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void SimBoard::silenceCode(std::uint8_t code, bool on)
{
    std::lock_guard lock(mutex_);
    silenced_[code] = on;
}

SimBoard::Axis SimBoard::axis(int i) const
{
    std::lock_guard lock(mutex_);
    return axes_[static_cast<std::size_t>(i & 1)];
}

void SimBoard::setAxis(int i, const Axis& a)
{
    std::lock_guard lock(mutex_);
    axes_[static_cast<std::size_t>(i & 1)] = a;
}

void SimBoard::setEncoderSwap(bool swapped)
{
    std::lock_guard lock(mutex_);
    encoderSwap_ = swapped;
}

void SimBoard::setCounts(std::int32_t ra, std::int32_t de)
{
    std::lock_guard lock(mutex_);
    const std::int32_t want[2] = {ra, de};
    for (int channel = 0; channel < 2; ++channel) {
        const bool crossed = encoderSwap_ != config_.encSwap;
        const int physical = crossed ? 1 - channel : channel;
        const bool ccw = channel == 0 ? config_.raEncCcw : config_.deEncCcw;
        const double sign = (axes_[physical].encoderReversed != ccw) ? -1.0 : 1.0;
        axes_[physical].position = sign * want[channel];
    }
}

SimBoard::Config SimBoard::config() const
{
    std::lock_guard lock(mutex_);
    return config_;
}

std::pair<std::int32_t, std::int32_t> SimBoard::speeds() const
{
    std::lock_guard lock(mutex_);
    return {speedHor_, speedVert_};
}

std::pair<std::int32_t, std::int32_t> SimBoard::encoderPulses() const
{
    std::lock_guard lock(mutex_);
    return {raPulses_, dePulses_};
}

std::uint8_t SimBoard::digitalOutputs() const
{
    std::lock_guard lock(mutex_);
    return digio_;
}

std::pair<std::int32_t, std::int32_t> SimBoard::counts() const
{
    std::lock_guard lock(mutex_);
    return {encoderCount(0), encoderCount(1)};
}

int SimBoard::masterResets() const
{
    std::lock_guard lock(mutex_);
    return masterResets_;
}

std::vector<SimBoard::Frame> SimBoard::frames() const
{
    std::lock_guard lock(mutex_);
    return log_;
}

std::vector<SimBoard::Frame> SimBoard::framesWithCode(std::uint8_t code) const
{
    std::lock_guard lock(mutex_);
    std::vector<Frame> out;
    for (const Frame& f : log_)
        if (f[0] == 0xF0 && f[7] == code)
            out.push_back(f);
    return out;
}

std::vector<SimBoard::Frame> SimBoard::motionFrames() const
{
    std::lock_guard lock(mutex_);
    std::vector<Frame> out;
    for (const Frame& f : log_)
        if (f[0] == 0x05)
            out.push_back(f);
    return out;
}

void SimBoard::clearLog()
{
    std::lock_guard lock(mutex_);
    log_.clear();
}

void SimBoard::sendReport(const Report& report)
{
    std::lock_guard lock(mutex_);
    if (output_)
        output_(report);
}

}  // namespace testing_support
