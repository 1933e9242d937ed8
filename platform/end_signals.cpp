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

void onExit()
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

}  // namespace

void catchEndSignals()
{
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
    static const bool registered = std::atexit(onExit) == 0;
    if (!registered)
        return;
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
