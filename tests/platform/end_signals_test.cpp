// The program's ends that come from outside its windows: signals, and the
// toolkit's exit().

#include "platform/clock.h"
#include "platform/end_signals.h"

#include <QCoreApplication>
#include <QObject>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(EndSignals, EachEndSignalReachesTheListenerAlsoWhenItCameBeforeIt)
{
    platform::catchEndSignals();
    std::raise(SIGHUP);  // before anything listens, as during the start-up
    int heard = 0;
    {
        QObject context;
        platform::onEndSignal(&context, [&] { ++heard; });
        QCoreApplication::processEvents();
        EXPECT_EQ(heard, 1);
        for (const int s : {SIGINT, SIGTERM}) {
            std::raise(s);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(heard, 3);
    }
    std::raise(SIGTERM);  // the listener has gone: noted, and nothing runs
    QCoreApplication::processEvents();
    EXPECT_EQ(heard, 3);
}

TEST(ExitGuardDeathTest, AnExitWhileArmedRunsTheEndAndFinishesWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // other tests' threads run
    EXPECT_EXIT(
        {
            platform::armExitGuard([] { std::fputs("mount stopped\n", stderr); });
            std::exit(1);  // as the toolkit does when its display goes away
        },
        testing::ExitedWithCode(0), "mount stopped");
    EXPECT_EXIT(
        {
            platform::armExitGuard([] { std::fputs("mount stopped\n", stderr); });
            platform::disarmExitGuard();
            std::exit(3);  // main's own end is left alone
        },
        testing::ExitedWithCode(3), testing::Not(testing::HasSubstr("mount stopped")));
}

// Made after the guard, as the toolkit's data made while the program runs.
std::atomic<bool> g_madeLaterGone{false};
struct MadeLater {
    ~MadeLater() { g_madeLaterGone = true; }
};

TEST(ExitGuardDeathTest, AnExitOnTheArmingThreadRunsTheEndBeforeAnyStaticIsDestroyed)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platform::armExitGuard(
                [] { std::fputs(g_madeLaterGone ? "ended on destroyed data\n" : "ended on live data\n", stderr); });
            static MadeLater later;
            std::exit(1);
        },
        testing::ExitedWithCode(0), "ended on live data");
}

TEST(ExitGuardDeathTest, AnExitFromAnotherThreadRunsTheEndAndTheClockStaysReadable)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            using namespace std::chrono;
            // By then every static made since the arming is gone, the
            // toolkit's zone data among them; a winter and a summer instant
            // are both outside what the clock last looked up.
            platform::armExitGuard([] {
                const auto winter = platform::localTimeAt(platform::UtcMs(sys_days{2026y / 1 / 15}));
                const auto summer = platform::localTimeAt(platform::UtcMs(sys_days{2026y / 7 / 15}));
                std::fprintf(stderr, "read %d %d\n", winter.utcOffsetSeconds, summer.utcOffsetSeconds);
            });
            platform::clock().now();  // the first reading, after the arming
            std::thread([] { std::exit(1); }).join();
        },
        testing::ExitedWithCode(0), "read (3600|7200) (3600|7200)");
}

TEST(EndSignalsDeathTest, AWriteToAPipeWithoutReaderFailsInEveryThread)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const bool onAnotherThread : {false, true}) {
        EXPECT_EXIT(
            {
                int p[2];
                if (::pipe(p) != 0)
                    std::exit(2);
                ::close(p[0]);  // the reader has gone
                std::atomic<bool> caught{false};
                int result = 0;
                int error = 0;
                // A thread already running when the signals are caught.
                std::thread writer([&] {
                    while (!caught)
                        std::this_thread::yield();
                    if (onAnotherThread) {
                        result = static_cast<int>(::write(p[1], "x", 1));
                        error = errno;
                    }
                });
                platform::catchEndSignals();
                caught = true;
                writer.join();
                if (!onAnotherThread) {
                    result = static_cast<int>(::write(p[1], "x", 1));
                    error = errno;
                }
                std::fprintf(stderr, "write %s\n", result == -1 && error == EPIPE ? "failed with EPIPE" : "went on");
                std::exit(0);
            },
            testing::ExitedWithCode(0), "write failed with EPIPE")
            << (onAnotherThread ? "on another thread" : "on the thread that caught the signals");
    }
}

// --- Stops: each in a child process of its own, which really stops --------

// The child's side of the pipes: what it did, in order, one letter each.
int g_said = -1;
int g_wakes = -1;
void say(char c) { [[maybe_unused]] const auto n = ::write(g_said, &c, 1); }
void wakeTaker() { say('w'); [[maybe_unused]] const auto n = ::write(g_wakes, "w", 1); }

// A child that catches the signals and, with `taker`, takes each stop as the
// control loop does: "m" (the mount stopped), then the stop, then "g" (it
// goes on); "e" once it is told to end. Without a taker the stop comes
// straight from the signal. Runs on a single thread: a forked copy of a
// process with threads may make none of its own.
pid_t startChild(bool taker, int& said, int& tell)
{
    int out[2], in[2], wakes[2];
    if (::pipe(out) != 0 || ::pipe(in) != 0 || ::pipe(wakes) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid != 0) {
        ::close(out[1]);
        ::close(in[0]);
        ::close(wakes[0]);
        ::close(wakes[1]);
        said = out[0];
        tell = in[1];
        // Its own process group, whose parent is in this session: the stop
        // signals stop only a group that is not orphaned.
        ::setpgid(pid, pid);
        return pid;
    }
    ::setpgid(0, 0);
    g_said = out[1];
    g_wakes = wakes[1];
    platform::catchEndSignals();
    if (taker)
        platform::armStopTaker(&wakeTaker);
    else
        platform::disarmStopTaker();  // whatever the parent had armed
    say('r');  // ready
    pollfd fds[2] = {{wakes[0], POLLIN, 0}, {in[0], POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0)
            continue;  // interrupted by the signal itself
        if (fds[1].revents)
            break;
        char b;
        [[maybe_unused]] const auto n = ::read(wakes[0], &b, 1);
        if (const int signal = platform::takeStop()) {
            say('m');
            platform::stopProcess(signal);
            say('g');
        }
    }
    say('e');
    ::_exit(0);
}

// What the child has said so far, waiting up to 10 s for `atLeast` letters.
std::string heard(int fd, std::size_t atLeast)
{
    std::string got;
    pollfd p{fd, POLLIN, 0};
    while (got.size() < atLeast && ::poll(&p, 1, 10000) > 0) {
        char b;
        if (::read(fd, &b, 1) != 1)
            break;
        got += b;
    }
    return got;
}

// Everything the child has said already, without waiting.
std::string heardNow(int fd)
{
    std::string got;
    pollfd p{fd, POLLIN, 0};
    char b;
    while (::poll(&p, 1, 0) > 0 && ::read(fd, &b, 1) == 1)
        got += b;
    return got;
}

// The child's next change of state (stopped, or ended), waiting up to 10 s;
// false when none came.
bool changed(pid_t child, int& status)
{
    for (int i = 0; i < 10000; ++i) {
        const pid_t r = ::waitpid(child, &status, WUNTRACED | WNOHANG);
        if (r == child)
            return true;
        if (r < 0)
            return false;
        ::usleep(1000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return false;
}

struct StopCase {
    int signal;
    const char* name;
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

// Raised in this process, a stop signal nobody catches stops the tests.
bool caught(int signal)
{
    struct sigaction now {};
    sigaction(signal, nullptr, &now);
    return now.sa_handler != SIG_DFL && now.sa_handler != SIG_IGN;
}

class StopSignals : public testing::TestWithParam<StopCase> {};

TEST_P(StopSignals, TheTakerSettlesFirstThenTheProcessStopsAndGoesOnWhenContinued)
{
    const int signal = GetParam().signal;
    int said = -1, tell = -1;
    const pid_t child = startChild(true, said, tell);
    ASSERT_GT(child, 0);
    ASSERT_EQ(heard(said, 1), "r");

    ASSERT_EQ(::kill(child, signal), 0);
    int status = 0;
    ASSERT_TRUE(changed(child, status));
    ASSERT_TRUE(WIFSTOPPED(status)) << "the stop signal did not stop the process";
    EXPECT_EQ(WSTOPSIG(status), signal) << "stopped as the signal's default action does";
    EXPECT_EQ(heardNow(said), "wm") << "the taker was woken and stopped the mount before the process stopped";

    ASSERT_EQ(::kill(child, SIGCONT), 0);
    EXPECT_EQ(heard(said, 1), "g") << "once continued the taker goes on";

    // A second stop is caught as the first was: the handler is back.
    ASSERT_EQ(::kill(child, signal), 0);
    ASSERT_TRUE(changed(child, status));
    ASSERT_TRUE(WIFSTOPPED(status));
    EXPECT_EQ(heardNow(said), "wm");
    ASSERT_EQ(::kill(child, SIGCONT), 0);
    EXPECT_EQ(heard(said, 1), "g");

    ASSERT_EQ(::write(tell, "x", 1), 1);
    ASSERT_TRUE(changed(child, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(heard(said, 1), "e");
    ::close(said);
    ::close(tell);
}

TEST_P(StopSignals, WithoutATakerTheSignalStopsTheProcessAtOnce)
{
    const int signal = GetParam().signal;
    int said = -1, tell = -1;
    const pid_t child = startChild(false, said, tell);
    ASSERT_GT(child, 0);
    ASSERT_EQ(heard(said, 1), "r");

    ASSERT_EQ(::kill(child, signal), 0);
    int status = 0;
    ASSERT_TRUE(changed(child, status));
    ASSERT_TRUE(WIFSTOPPED(status));
    EXPECT_EQ(WSTOPSIG(status), signal);
    EXPECT_EQ(heardNow(said), "") << "nobody was asked to settle anything";
    ASSERT_EQ(::kill(child, SIGCONT), 0);

    ASSERT_EQ(::write(tell, "x", 1), 1);
    ASSERT_TRUE(changed(child, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "it went on after the continue";
    EXPECT_EQ(heard(said, 1), "e");
    ::close(said);
    ::close(tell);
}

INSTANTIATE_TEST_SUITE_P(EachStopSignal, StopSignals,
                         testing::Values(StopCase{SIGTSTP, "SIGTSTP"}, StopCase{SIGTTIN, "SIGTTIN"},
                                         StopCase{SIGTTOU, "SIGTTOU"}),
                         [](const testing::TestParamInfo<StopCase>& i) { return std::string(i.param.name); });

// A stop the taker did not take before it was disarmed is the disarm's to
// settle; the listeners hear of the stop and of the continue.
std::atomic<int> g_stoppedBy{0};
void recordStop(int signal) { g_stoppedBy = signal; }

TEST(StopSignalsInProcess, APendingStopGoesToWhoeverDisarmsAndTheListenersHearOfIt)
{
    platform::catchEndSignals();
    for (const int signal : {SIGTSTP, SIGTTIN, SIGTTOU})
        ASSERT_TRUE(caught(signal)) << signal;
    platform::setStopAction(&recordStop);
    QObject context;
    int noted = 0, continued = 0;
    platform::onStopNoted(&context, [&] { ++noted; });
    platform::onContinue(&context, [&] { ++continued; });

    platform::armStopTaker(nullptr);
    std::raise(SIGTSTP);
    EXPECT_TRUE(platform::stopPending());
    EXPECT_EQ(g_stoppedBy, 0) << "left to the taker";
    EXPECT_EQ(platform::disarmStopTaker(), SIGTSTP);
    EXPECT_FALSE(platform::stopPending());
    platform::stopProcess(SIGTSTP);
    EXPECT_EQ(g_stoppedBy, SIGTSTP);
    QCoreApplication::processEvents();
    EXPECT_EQ(noted, 1);
    EXPECT_EQ(continued, 1);

    // Disarmed: the handler stops at once, and the continue is heard.
    g_stoppedBy = 0;
    std::raise(SIGTTOU);
    EXPECT_EQ(g_stoppedBy, SIGTTOU);
    EXPECT_FALSE(platform::stopPending());
    QCoreApplication::processEvents();
    EXPECT_EQ(noted, 1);
    EXPECT_EQ(continued, 2);
    platform::setStopAction(nullptr);
}

}  // namespace
