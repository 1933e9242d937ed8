// How soon a hand-controller key let go stops the mount while the user-
// interface thread is busy loading a preselect list. The whole road runs in
// real time: the simulated board (an encoder frame every 10 ms) behind the
// test HID backend, the device window with its real connection and reader,
// the control window and the control loop (Cycle_Time 10). The preselect
// window loads a list of 50,000 and one of 200,000 lines on this, the user-
// interface, thread; a helper thread lets the key go 20 ms into the load
// and times how long the board goes on getting a moving motion frame.
// Printed for each list size: the load's duration (what a release waiting
// for the user-interface thread would have taken at worst) and the release
// latency's median and largest value over the runs.
//
//   build/bench/release_bench [runs]      (10 by default)

#include "bench/measure.h"
#include "board/control.h"
#include "board/ctrl_view.h"
#include "board/dev_int.h"
#include "board/hal.h"
#include "core/params.h"
#include "core/system_init.h"
#include "platform/gui_bridge.h"
#include "sky/preselect.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_hid.h"
#include "tests/support/sim_board.h"
#include "tests/support/sim_board_interface.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using bench::fixed;
using Clock = std::chrono::steady_clock;
using testing_support::SimBoard;

constexpr auto kReleaseIntoLoad = std::chrono::milliseconds(20);

bool moving(const SimBoard& board) { return board.speeds() != std::pair{0, 0}; }

// Handles events until `done`, or gives up after 10 s.
template <class Pred>
bool serveUntil(Pred done)
{
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (Clock::now() > end)
            return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

std::string writeList(const QTemporaryDir& dir, int lines)
{
    const std::string path = dir.filePath(QString("list%1.psl").arg(lines)).toStdString();
    std::ofstream f(path, std::ios::binary);
    for (int i = 0; i < lines; ++i)
        f << "Object_" << i << " " << (i % 24) << "h" << (i % 60 < 10 ? "0" : "") << i % 60 << "m00.0s "
          << (i % 90) << "d00'00.0\"\r\n";
    return path;
}

struct Run {
    double loadMs = 0.0;
    double releaseMs = -1.0;  // -1: still moving when the load ended
    bool duringLoad = false;  // the key was let go before the load ended
};

// One load with the key held; the key is let go 20 ms into it.
Run oneRun(SimBoard& board, TF_preselect& preselect, testing_support::FakeDialogs& dialogs, const std::string& list)
{
    Run run;
    board.handBits = 0x02;
    if (!serveUntil([&] { return moving(board); }))
        return run;
    std::atomic<bool> loading{false}, loaded{false};
    std::atomic<double> releaseMs{-1.0};
    std::atomic<bool> letGoDuringLoad{false};
    std::atomic<bool> timed{false};
    std::thread helper([&] {
        while (!loading.load())
            std::this_thread::yield();
        std::this_thread::sleep_for(kReleaseIntoLoad);
        const auto letGo = Clock::now();
        board.handBits = 0x00;
        letGoDuringLoad = !loaded.load();
        while (moving(board) && Clock::now() - letGo < std::chrono::seconds(10))
            std::this_thread::yield();
        if (!moving(board))
            releaseMs = std::chrono::duration<double, std::milli>(Clock::now() - letGo).count();
        timed = true;
    });
    dialogs.chooseFile(list);
    loading = true;
    const auto t0 = Clock::now();
    preselect.SELECT_FILE();  // reads and lists the whole file on this thread
    run.loadMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    loaded = true;
    // A release that waits for this thread gets through from here on.
    serveUntil([&] { return timed.load(); });
    helper.join();
    run.releaseMs = releaseMs.load();
    run.duringLoad = letGoDuringLoad.load();
    serveUntil([&] { return platform::pendingUiCalls() == 0 && !moving(board); });
    return run;
}

void report(int lines, std::vector<Run> runs)
{
    std::vector<double> release, load;
    int notDuring = 0, failed = 0;
    for (const Run& r : runs) {
        load.push_back(r.loadMs);
        if (!r.duringLoad)
            ++notDuring;
        if (r.releaseMs < 0)
            ++failed;
        else
            release.push_back(r.releaseMs);
    }
    std::sort(release.begin(), release.end());
    std::sort(load.begin(), load.end());
    const auto median = [](const std::vector<double>& v) { return v.empty() ? -1.0 : v[v.size() / 2]; };
    std::printf("%7d lines: load %s ms (median)  release latency median %s ms  max %s ms  "
                "(%zu runs; let go after the load ended: %d; not stopped within 10 s: %d)\n",
                lines, fixed(median(load), 0).c_str(), fixed(median(release), 1).c_str(),
                fixed(release.empty() ? -1.0 : release.back(), 1).c_str(), runs.size(), notDuring, failed);
}

}  // namespace

int main(int argc, char** argv)
{
    bench::offscreenUnlessSet();
    QApplication app(argc, argv);
    platform::UiBridge bridge;
    const int runs = bench::countArgument(argc, argv, 10);
    PARAM_CLEAR();
    system_init::INIT_PARAM();
    HAL::RESET_BOARD_VALUES();

    QTemporaryDir dir;
    const std::vector<int> sizes{50000, 200000};
    std::vector<std::string> lists;
    for (const int n : sizes)
        lists.push_back(writeList(dir, n));

    SimBoard board;
    testing_support::FakeHidBackend fake;
    fake.add<testing_support::SimBoardInterface>(board, "/dev/hidraw0");
    testing_support::FakeDialogs dialogs;
    Tctrl ctrl;
    Tdev_int device;
    TF_preselect preselect;
    board.start(10);
    CONTROL::INIT_CONTR();

    std::printf("A key let go 20 ms into the load of a preselect list on the user-interface thread; "
                "latency from the release at the board to its first zero-speed frame\n\n");
    for (std::size_t s = 0; s < sizes.size(); ++s) {
        std::vector<Run> r;
        for (int i = 0; i < runs; ++i)
            r.push_back(oneRun(board, preselect, dialogs, lists[s]));
        report(sizes[s], r);
    }
    CONTROL::CTRL_CLOSE(-1);
    board.stop();
    return 0;
}
