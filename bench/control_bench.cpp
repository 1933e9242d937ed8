// The control loop in real time at Cycle_Time 10, first against the simulated
// board (which answers every request and sends encoder frames every 10 ms),
// then with the dummy device: the cycle periods, the frames sent and the CPU
// time the whole program used per second of running. Last, for comparison,
// what a thread that does nothing but sleep 1 ms at a time costs.
//
//   build/bench/control_bench [seconds]   (10 by default)

#include "board/control.h"
#include "board/hal.h"
#include "core/params.h"
#include "core/system_init.h"
#include "tests/support/sim_board.h"
#include "tests/support/sim_link.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Counts the frames that reach the board.
class CountingLink final : public HAL::Link {
public:
    explicit CountingLink(HAL::Link* next) : next_(next) {}
    void writeIfConnected(const HAL::Frame& f) override
    {
        if (!next_)
            return;  // no board: nothing goes out
        ++frames;
        next_->writeIfConnected(f);
    }
    std::atomic<long> frames{0};

private:
    HAL::Link* next_;
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    const auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

std::string fixed(double v, int decimals)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

void run(const char* name, bool withBoard, int seconds)
{
    HAL::RESET_BOARD_VALUES();
    CONTROL::RESET();
    testing_support::SimBoard board;
    testing_support::SimLink sim(board);
    CountingLink counting(withBoard ? &sim : nullptr);
    HAL::SET_LINK(&counting);
    HAL::DUMMY_SELECT = !withBoard;

    // The user-interface thread's part: decode the board's reports as they come.
    QTimer reports;
    QObject::connect(&reports, &QTimer::timeout, [&sim] { sim.deliver(); });
    if (withBoard) {
        board.start(10);
        reports.start(2);
        CONTROL::GET_POWER = true;  // the handshakes of a connect
    }

    std::vector<Clock::time_point> ends;
    ends.reserve(static_cast<std::size_t>(seconds) * 200 + 100);
    CONTROL::LoopHooks hooks;
    hooks.cycleEnded = [&ends] {
        if (ends.size() < ends.capacity())
            ends.push_back(Clock::now());
    };

    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    CONTROL::INIT_CONTR(hooks);
    QTimer::singleShot(seconds * 1000, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
    CONTROL::CTRL_CLOSE();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = cpuSeconds() - cpu0;
    reports.stop();
    board.stop();
    HAL::SET_LINK(nullptr);

    std::vector<double> periods;
    for (std::size_t i = 1; i < ends.size(); ++i)
        periods.push_back(std::chrono::duration<double, std::milli>(ends[i] - ends[i - 1]).count());
    std::sort(periods.begin(), periods.end());
    const auto at = [&](double q) {
        if (periods.empty())
            return 0.0;
        const auto i = static_cast<std::size_t>(q * static_cast<double>(periods.size()));
        return periods[std::min(periods.size() - 1, i)];
    };
    std::printf("%-16s cycles %zu  period ms: median %s  p99 %s  max %s  frames sent %ld  CPU %s ms/s (%s%% of a core)\n",
                name, periods.size() + (ends.empty() ? 0 : 1), fixed(at(0.5), 2).c_str(), fixed(at(0.99), 2).c_str(),
                fixed(periods.empty() ? 0.0 : periods.back(), 2).c_str(), counting.frames.load(),
                fixed(cpu / wall * 1000.0, 2).c_str(), fixed(cpu / wall * 100.0, 2).c_str());
}

// What the 1 ms polling of the cycle wait costs by itself on this machine.
void sleepFloor(int seconds)
{
    const double cpu0 = cpuSeconds();
    const auto t0 = Clock::now();
    while (Clock::now() - t0 < std::chrono::seconds(seconds))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = cpuSeconds() - cpu0;
    std::printf("%-16s CPU %s ms/s (%s%% of a core)\n", "1 ms sleeps only", fixed(cpu / wall * 1000.0, 2).c_str(),
                fixed(cpu / wall * 100.0, 2).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int seconds = 10;
    if (argc > 1)
        std::from_chars(argv[1], argv[1] + std::char_traits<char>::length(argv[1]), seconds);
    PARAM_CLEAR();
    system_init::INIT_PARAM();
    SET_PARAM("Cycle_Time", "10");
    run("simulated board", true, seconds);
    run("dummy device", false, seconds);
    sleepFloor(seconds);
    return 0;
}
