#include "platform/end_signals.h"

#include <QObject>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

int g_pipe[2] = {-1, -1};

void noteSignal(int)
{
    const int saved = errno;
    const char b = 1;
    [[maybe_unused]] const auto n = ::write(g_pipe[1], &b, 1);
    errno = saved;
}

std::mutex g_guardMutex;
std::function<void()> g_end;  // under g_guardMutex
std::atomic<bool> g_armed{false};

void runEnd()
{
    if (!g_armed.exchange(false))
        return;
    std::function<void()> end;
    {
        std::lock_guard lock(g_guardMutex);
        end = std::move(g_end);
    }
    if (end)
        end();
    std::fflush(nullptr);
    ::_exit(0);
}

// exit() destroys the calling thread's own objects before any static, and
// statics in the reverse order they were made, so a handler registered with
// atexit at the start runs after every static made later (the toolkit's
// among them) is gone, while the loop may still use them. Owned by the
// thread that arms the guard, the one the toolkit calls exit() from, this
// runs the end before anything of the process is destroyed.
struct ArmingThreadEnd {
    ~ArmingThreadEnd() { runEnd(); }
};

}  // namespace

void catchEndSignals()
{
    // A write to an output whose reader has gone (standard error piped into a
    // session that dropped) fails with EPIPE instead of ending the program
    // with the mount moving. The disposition is the process's, so it holds in
    // every thread, the toolkit's included, from here on.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
    if (g_pipe[0] >= 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    struct sigaction sa {};
    sa.sa_handler = noteSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &sa, nullptr);
}

void onEndSignal(QObject* context, std::function<void()> onSignal)
{
    if (g_pipe[0] < 0)
        return;
    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [onSignal = std::move(onSignal)] {
        char bytes[64];
        bool noted = false;
        while (::read(g_pipe[0], bytes, sizeof bytes) > 0)
            noted = true;
        if (noted)
            onSignal();
    });
}

void armExitGuard(std::function<void()> end)
{
    // An exit() from any other thread still runs the end, later.
    static const bool registered = std::atexit(runEnd) == 0;
    if (!registered)
        return;
    static thread_local ArmingThreadEnd armingThread;
    {
        std::lock_guard lock(g_guardMutex);
        g_end = std::move(end);
    }
    g_armed = true;
}

void disarmExitGuard()
{
    g_armed = false;
    std::lock_guard lock(g_guardMutex);
    g_end = nullptr;
}

}  // namespace platform
