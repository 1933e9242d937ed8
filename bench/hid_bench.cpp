// How the HID transport copes with a board that reports every millisecond,
// beside its floor measured in the same run. Encoder frames go from a feeder
// thread (the board) through the test backend, the real reader thread and
// the hand-over into the board decoder of the real device window on this
// (the user-interface) thread. Printed: what arrived, what was lost, the
// hand-over latency from the feeder's push to the end of the decoding, and
// the CPU time the program used per second. The floor is a bare hand-off of
// the same shape: feeder to a thread to a second thread, which the first
// queues for without waiting, over condition variables and nothing else.
// Last, the idle connection.
//
//   build/bench/hid_bench [seconds]      (10 by default)

#include "bench/measure.h"
#include "board/dev_int.h"
#include "board/frames.h"
#include "board/hal.h"
#include "core/params.h"
#include "core/system_init.h"
#include "platform/gui_bridge.h"
#include "tests/support/fake_hid.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using bench::fixed;
using bench::processCpuSeconds;
using bench::threadCpuSeconds;
using Clock = std::chrono::steady_clock;

// The board's side: `total` reports at `perSecond`, each stamped with its
// send time under its sequence number before it is pushed.
class Feeder {
public:
    Feeder(int perSecond, int total) : perSecond_(perSecond), sent_(static_cast<std::size_t>(total)) {}

    // As the host polls a board for its reports: one a period at the most.
    // After a stall of this thread the sending goes on from there; the reports
    // it missed are not sent in a burst, which no board polled by the host
    // could do.
    template <class Push>
    void run(Push push)
    {
        const auto period = std::chrono::microseconds(1'000'000LL / std::max(perSecond_, 1));
        Clock::time_point start = Clock::now();
        for (std::size_t i = 0; i < sent_.size(); ++i) {
            const auto due = start + std::chrono::microseconds(1'000'000LL * static_cast<long long>(i) / perSecond_);
            std::this_thread::sleep_until(due);
            const auto late = Clock::now() - due;
            stall_ = std::max(stall_.load(), late);
            if (late > period)
                start += late;
            sent_[i].store(Clock::now());
            push(static_cast<std::uint32_t>(i));
        }
        cpu_ = threadCpuSeconds();
    }
    Clock::time_point sentAt(std::size_t i) const { return sent_[i].load(); }
    double cpu() const { return cpu_.load(); }
    Clock::duration stall() const { return stall_.load(); }

private:
    int perSecond_;
    std::vector<std::atomic<Clock::time_point>> sent_;
    std::atomic<double> cpu_{0.0};
    std::atomic<Clock::duration> stall_{Clock::duration::zero()};
};

struct Result {
    int sent = 0;
    int delivered = 0;
    int outOfOrder = 0;
    std::uint64_t overflows = 0;
    std::vector<double> latencies;  // µs
    double cpuPerSecond = 0.0;      // ms of CPU per second, the feeder's excluded
    double stallMs = 0.0;

    std::string pct(double p) const
    {
        if (latencies.empty())
            return "-";
        return fixed(latencies[static_cast<std::size_t>(p * static_cast<double>(latencies.size() - 1))] / 1000.0, 3) +
               " ms";
    }
};

// The real path, into the device window's decoder.
Result realPath(int perSecond, int seconds)
{
    HAL::RESET_BOARD_VALUES();
    testing_support::FakeHidBackend fake;
    auto board = fake.add("/dev/hidraw0");
    Tdev_int window;  // finds the board and connects it, as at start-up
    const int total = perSecond * seconds;
    Feeder feeder(perSecond, total);

    Result res;
    res.sent = total;
    QEventLoop loop;
    std::uint32_t expected = 0;
    window.HidDevice1->OnHidData = [&](THidDevice* s, std::uint8_t id, THidData d, std::size_t n) {
        window.HidDevice1HidData(s, id, d, n);
        const auto seq = static_cast<std::uint32_t>(HAL::TEL_POS.load().RA);
        res.latencies.push_back(std::chrono::duration<double, std::micro>(Clock::now() - feeder.sentAt(seq)).count());
        if (seq != expected)
            ++res.outOfOrder;
        expected = seq + 1;
        if (++res.delivered == total)
            loop.quit();
    };
    // The reader takes its target when it starts: connect again so it takes
    // this one, and let the one it replaces end (its handle with it) first.
    window.HidDevice1->CONNECT(static_cast<std::uint16_t>(window.RA_DEV));
    while (board->openHandles() > 2)  // the writer's and the new reader's
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    const double cpu0 = processCpuSeconds();
    const auto t0 = Clock::now();
    std::thread feed([&] {
        feeder.run([&](std::uint32_t seq) {
            // An absolute encoder frame whose first count is the sequence number.
            testing_support::Report r{0, HAL::TYPE_ABS_ENCODER, 0, static_cast<std::uint8_t>(seq >> 16),
                                      static_cast<std::uint8_t>(seq >> 8), static_cast<std::uint8_t>(seq), 0, 0, 0};
            board->pushInput(std::move(r));
        });
    });
    // Stalls of the feeder lengthen the run.
    QTimer::singleShot(seconds * 1000 + (total > 0 ? 3000 : 0), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    feed.join();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    res.cpuPerSecond = (processCpuSeconds() - cpu0 - feeder.cpu()) * 1000.0 / wall;
    res.overflows = board->droppedInputs();
    res.stallMs = std::chrono::duration<double, std::milli>(feeder.stall()).count();
    std::sort(res.latencies.begin(), res.latencies.end());
    return res;
}

// A queue one thread waits on.
struct Queue {
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::uint32_t> items;
    bool done = false;

    void push(std::uint32_t v)
    {
        {
            std::lock_guard lock(m);
            items.push_back(v);
        }
        cv.notify_one();
    }
    bool pop(std::uint32_t& v)
    {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return !items.empty() || done; });
        if (items.empty())
            return false;
        v = items.front();
        items.pop_front();
        return true;
    }
    void finish()
    {
        {
            std::lock_guard lock(m);
            done = true;
        }
        cv.notify_all();
    }
};

// The floor: the same two hops with nothing but condition variables.
Result floorPath(int perSecond, int seconds)
{
    const int total = perSecond * seconds;
    Feeder feeder(perSecond, total);
    Queue toReader, toUi;
    Result res;
    res.sent = total;

    const double cpu0 = processCpuSeconds();
    const auto t0 = Clock::now();
    std::thread ui([&] {
        std::uint32_t seq = 0, expected = 0;
        while (toUi.pop(seq)) {
            res.latencies.push_back(std::chrono::duration<double, std::micro>(Clock::now() - feeder.sentAt(seq)).count());
            if (seq != expected)
                ++res.outOfOrder;
            expected = seq + 1;
            ++res.delivered;
        }
    });
    std::thread reader([&] {
        std::uint32_t seq = 0;
        while (toReader.pop(seq))
            toUi.push(seq);  // not waited for, as the reader's hand-off
        toUi.finish();
    });
    feeder.run([&](std::uint32_t seq) { toReader.push(seq); });
    toReader.finish();
    reader.join();
    ui.join();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    res.cpuPerSecond = (processCpuSeconds() - cpu0 - feeder.cpu()) * 1000.0 / wall;
    res.stallMs = std::chrono::duration<double, std::milli>(feeder.stall()).count();
    std::sort(res.latencies.begin(), res.latencies.end());
    return res;
}

void print(const char* title, const Result& r)
{
    std::printf("%-36s %6d of %-6d lost %d (buffer overflows %llu, out of order %d)  latency median %s  p99 %s  "
                "max %s  CPU %s ms/s  longest stall %s ms\n",
                title, r.delivered, r.sent, r.sent - r.delivered, static_cast<unsigned long long>(r.overflows),
                r.outOfOrder, r.pct(0.5).c_str(), r.pct(0.99).c_str(), r.pct(1.0).c_str(),
                fixed(r.cpuPerSecond, 2).c_str(), fixed(r.stallMs, 1).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    bench::offscreenUnlessSet();
    QApplication app(argc, argv);
    platform::UiBridge bridge;
    const int seconds = bench::countArgument(argc, argv, 10);
    PARAM_CLEAR();
    system_init::INIT_PARAM();

    std::printf("1,000 reports a second for %d s; latency from the board's push to the end of its handling\n\n",
                seconds);
    print("floor: bare two-hop hand-off", floorPath(1000, seconds));
    print("reader, hand-over, device window", realPath(1000, seconds));
    const Result idle = realPath(0, seconds);
    std::printf("%-36s CPU %s ms/s\n", "idle connection, no reports", fixed(idle.cpuPerSecond, 2).c_str());
    return 0;
}
