// How the HID transport copes with a board that reports every millisecond:
// reports go from a feeder thread through the fake backend and the real
// reader thread into this (the user-interface) thread. Prints what arrived,
// what was lost, the hand-over latency and the CPU time the program used;
// then the same without reports, for the idle cost.
//
//   hid_bench [seconds]      (default 10)

#include "platform/gui_bridge.h"
#include "tests/support/fake_hid.h"
#include "usb/HidDevices.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string fixed(double v, int decimals)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

void put32(testing_support::Report& r, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        r[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get32(const THidData& d, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t{d[at + static_cast<std::size_t>(i)]} << (8 * i);
    return v;
}

void run(const char* title, int perSecond, int seconds)
{
    testing_support::FakeHidBackend fake;
    auto board = fake.add("/dev/hidraw0");
    THidDevices list;
    list.CHECKHIDDEVICES();
    THidDevice dev;
    dev.SETHIDDEVICES(&list);

    const int total = perSecond * seconds;
    const Clock::time_point start = Clock::now();
    auto micros = [start] {
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
    };
    // The loop ends when the last report arrived, or a second after the
    // feeder's end for reports that never do. Its timers are precise: a
    // coarse one may fire 5 % early, while reports still come.
    QEventLoop loop;
    std::vector<std::uint32_t> latencies;
    std::uint32_t expected = 0;
    int outOfOrder = 0;
    dev.OnHidData = [&](THidDevice*, std::uint8_t, THidData d, std::size_t) {
        latencies.push_back(micros() - get32(d, 4));
        if (get32(d, 0) != expected)
            ++outOfOrder;
        expected = get32(d, 0) + 1;
        if (static_cast<int>(latencies.size()) == total)
            loop.quit();
    };
    dev.CONNECT(1);

    std::atomic<double> feederCpu{0};
    std::atomic<long long> feederLag{0};  // µs behind its schedule at worst: the process stalled
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    std::thread feeder([&] {
        for (int i = 0; i < total; ++i) {
            const auto due = start + std::chrono::microseconds(1'000'000LL * i / perSecond);
            std::this_thread::sleep_until(due);
            const long long lag = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - due).count();
            feederLag = std::max(feederLag.load(), lag);
            testing_support::Report r(9, 0);
            put32(r, 1, static_cast<std::uint32_t>(i));
            put32(r, 5, micros());
            board->pushInput(std::move(r));
        }
        feederCpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    });
    QTimer::singleShot(seconds * 1000 + (total > 0 ? 1000 : 0), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    feeder.join();

    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    auto secs = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    const double cpu = secs(after.ru_utime) + secs(after.ru_stime) - secs(before.ru_utime) - secs(before.ru_stime) -
                       feederCpu.load();

    std::sort(latencies.begin(), latencies.end());
    auto pct = [&](double p) {
        if (latencies.empty())
            return std::string("-");
        return std::to_string(latencies[static_cast<std::size_t>(p * static_cast<double>(latencies.size() - 1))]) +
               " us";
    };
    std::cout << title << " (" << perSecond << " reports/s for " << seconds << " s)\n"
              << "  reports sent        " << total << "\n"
              << "  delivered           " << latencies.size() << "\n"
              << "  lost                " << total - static_cast<int>(latencies.size()) << " (platform buffer overflows: "
              << board->droppedInputs() << ", out of order: " << outOfOrder << ")\n"
              << "  hand-over latency   median " << pct(0.5) << ", 99th percentile " << pct(0.99) << "\n"
              << "  CPU time            " << fixed(cpu * 1000 / wall, 2) << " ms per second (feeder excluded)\n"
              << "  longest stall       " << feederLag.load() / 1000 << " ms (the feeder behind its schedule)\n";
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::UiBridge bridge;
    int seconds = 10;
    if (argc > 1) {
        const std::string a = argv[1];
        std::from_chars(a.data(), a.data() + a.size(), seconds);
    }
    run("Board reporting every millisecond", 1000, seconds);
    run("Idle connection", 0, seconds);
    return 0;
}
