// The control loop in real time at Cycle_Time 10 beside its floor, measured
// in the same run on the same machine: a bare thread that sleeps to absolute
// 10 ms deadlines on the monotonic clock and does nothing else. The loop runs
// with the dummy device (the program without a board), and against the
// simulated board through the real device window, HID connection and reader
// thread; the three take turns in short rounds. For each: the cycle period's
// median, 99th percentile and largest value, and the CPU share of the loop's
// own thread, read from outside it (the kernel's count of its run time), so
// that measuring adds no call to either loop; then how far the loop stands
// from the floor.
//
//   build/bench/control_bench [seconds]   (30 by default, in rounds of 2 s)

#include "board/control.h"
#include "bench/measure.h"
#include "board/dev_int.h"
#include "board/hal.h"
#include "core/params.h"
#include "core/system_init.h"
#include "platform/gui_bridge.h"
#include "tests/support/fake_hid.h"
#include "tests/support/sim_board.h"
#include "tests/support/sim_board_interface.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using bench::fixed;
using Clock = std::chrono::steady_clock;
constexpr int kCycleMs = 10;
constexpr int kRoundSeconds = 2;
constexpr int kSettleMs = 500;  // of each round of the real loop, left out

// What one thread did: when each of its cycles ended, and the CPU time it
// used over `wall` seconds, both read by another thread.
struct Record {
    std::vector<Clock::time_point> ends;
    double cpu = 0.0, wall = 0.0;

    void mark() { ends.push_back(Clock::now()); }
};

// The CPU time of a thread between start() and stop(), read on the calling thread.
class OutsideCpu {
public:
    explicit OutsideCpu(const char* threadName) : name_(threadName) {}
    void start()
    {
        tid_ = bench::taskNamed(name_);
        cpu0_ = bench::taskCpuSeconds(tid_).value_or(0.0);
        t0_ = Clock::now();
    }
    void stop(Record& r) const
    {
        r.cpu = bench::taskCpuSeconds(tid_).value_or(cpu0_) - cpu0_;
        r.wall = std::chrono::duration<double>(Clock::now() - t0_).count();
    }

private:
    std::string name_;
    long tid_ = 0;
    double cpu0_ = 0.0;
    Clock::time_point t0_;
};

struct Figures {
    std::size_t cycles = 0;
    double median = 0.0, p99 = 0.0, max = 0.0;  // ms
    double cpuShare = 0.0;                      // of one core, 0 to 1
};

// The rounds of one kind of run, put together.
struct Rounds {
    std::vector<double> periods;  // ms
    double cpu = 0.0, wall = 0.0;  // seconds
    std::size_t cycles = 0;

    void add(const Record& r)
    {
        for (std::size_t i = 1; i < r.ends.size(); ++i)
            periods.push_back(std::chrono::duration<double, std::milli>(r.ends[i] - r.ends[i - 1]).count());
        cpu += r.cpu;
        wall += r.wall;
        cycles += r.ends.size();
    }

    Figures figures() const
    {
        Figures f;
        if (periods.empty())
            return f;
        std::vector<double> p = periods;
        std::sort(p.begin(), p.end());
        const auto at = [&](double q) {
            return p[std::min(p.size() - 1, static_cast<std::size_t>(q * static_cast<double>(p.size())))];
        };
        f.cycles = cycles;
        f.median = at(0.5);
        f.p99 = at(0.99);
        f.max = p.back();
        f.cpuShare = wall > 0 ? cpu / wall : 0.0;
        return f;
    }
};

void print(const char* name, const Figures& f, const std::string& extra = {})
{
    std::printf("%-34s %6zu  %8s  %8s  %8s  %8s %%%s\n", name, f.cycles, fixed(f.median, 3).c_str(),
                fixed(f.p99, 3).c_str(), fixed(f.max, 3).c_str(), fixed(f.cpuShare * 100.0, 3).c_str(),
                extra.c_str());
}

// The floor: nothing but absolute-deadline sleeps on the monotonic clock.
Record floorLoop(int seconds)
{
    Record r;
    r.ends.reserve(static_cast<std::size_t>(seconds) * 110 + 10);
    std::atomic<bool> named{false}, running{true};
    std::thread t([&] {
        pthread_setname_np(pthread_self(), "bare loop");
        named = true;
        timespec next{};
        clock_gettime(CLOCK_MONOTONIC, &next);
        while (running.load()) {
            next.tv_nsec += kCycleMs * 1'000'000L;
            if (next.tv_nsec >= 1'000'000'000L) {
                next.tv_nsec -= 1'000'000'000L;
                ++next.tv_sec;
            }
            while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) != 0) {
            }
            r.mark();
        }
    });
    while (!named.load())
        std::this_thread::yield();
    OutsideCpu cpu("bare loop");
    cpu.start();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    cpu.stop(r);
    running = false;
    t.join();
    return r;
}

// The real loop, with the real device window in front of the test backend:
// with `withBoard` the simulated board is plugged in and connected, else the
// window takes the dummy device as it does on a machine without a board.
Record realLoop(bool withBoard, int seconds, long* motionFrames)
{
    HAL::RESET_BOARD_VALUES();
    CONTROL::RESET();
    testing_support::FakeHidBackend fake;
    testing_support::SimBoard board;
    if (withBoard)
        fake.add<testing_support::SimBoardInterface>(board, "/dev/hidraw0");
    Tdev_int window;
    if (withBoard) {
        board.start(kCycleMs);
        CONTROL::GET_POWER = true;  // the handshakes of a connect
    }

    Record r;
    std::mutex m;
    r.ends.reserve(static_cast<std::size_t>(seconds) * 110 + 10);
    CONTROL::LoopHooks hooks;
    // The connect's handshakes pause the loop on purpose (50 ms after the
    // power reply); the steady state is what is measured.
    const auto settled = Clock::now() + std::chrono::milliseconds(kSettleMs);
    hooks.cycleEnded = [&] {
        if (Clock::now() < settled)
            return;
        std::lock_guard lock(m);
        r.mark();
    };
    CONTROL::INIT_CONTR(hooks);
    OutsideCpu cpu("control loop");
    QTimer::singleShot(kSettleMs, Qt::PreciseTimer, QCoreApplication::instance(), [&] { cpu.start(); });
    QTimer::singleShot(seconds * 1000 + kSettleMs, Qt::PreciseTimer, QCoreApplication::instance(), [&] {
        cpu.stop(r);
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    CONTROL::CTRL_CLOSE(-1);
    board.stop();

    long motion = 0;
    for (const auto& f : board.frames())
        motion += f[0] == 0x05;
    *motionFrames += motion;
    std::lock_guard lock(m);
    return r;
}

std::string againstFloor(const Figures& f, const Figures& floor)
{
    return "   p99 " + std::string(f.p99 >= floor.p99 ? "+" : "") + fixed(f.p99 - floor.p99, 3) +
           " ms, CPU x" + (floor.cpuShare > 0 ? fixed(f.cpuShare / floor.cpuShare, 2) : std::string("?"));
}

}  // namespace

int main(int argc, char** argv)
{
    bench::offscreenUnlessSet();
    QApplication app(argc, argv);
    platform::UiBridge bridge;
    const int seconds = bench::countArgument(argc, argv, 30);
    PARAM_CLEAR();
    system_init::INIT_PARAM();
    SET_PARAM("Cycle_Time", std::to_string(kCycleMs));

    // Short rounds, the three kinds taking turns, so that a change in the
    // machine's load meets all three alike.
    const int rounds = std::max(1, seconds / kRoundSeconds);
    Rounds floor, dummy, withBoard;
    long frames = 0;
    for (int i = 0; i < rounds; ++i) {
        floor.add(floorLoop(kRoundSeconds));
        dummy.add(realLoop(false, kRoundSeconds, &frames));
        withBoard.add(realLoop(true, kRoundSeconds, &frames));
    }
    std::printf("Cycle_Time %d ms, %d rounds of %d s each; periods in ms, CPU of the loop's own thread read from "
                "outside it\n\n",
                kCycleMs, rounds, kRoundSeconds);
    std::printf("%-34s %6s  %8s  %8s  %8s  %9s\n", "", "cycles", "median", "p99", "largest", "CPU");
    const Figures f = floor.figures();
    print("floor: absolute-deadline sleeps", f);
    print("loop, dummy device", dummy.figures(), againstFloor(dummy.figures(), f));
    print("loop, simulated board over HID", withBoard.figures(), againstFloor(withBoard.figures(), f));
    std::printf("\nmotion frames the simulated board took: %ld\n", frames);
    return 0;
}
