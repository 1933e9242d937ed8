#include "platform/end_signals.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

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

// --- Stops ---
constexpr int kStopSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};
constexpr char kStopNoted = 's';
constexpr char kContinued = 'c';

int g_stopEvents[2] = {-1, -1};  // kStopNoted and kContinued, for the listeners
std::atomic<bool> g_takerArmed{false};
std::atomic<void (*)()> g_stopWake{nullptr};
std::atomic<int> g_pendingStop{0};
std::atomic<StopAction> g_stopAction{nullptr};

// Made before a handler or listener needs it: at the catch, or by the
// first listener, whichever comes first (both on the user-interface thread).
void makeStopEvents()
{
    if (g_stopEvents[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_stopEvents) != 0)
        g_stopEvents[0] = g_stopEvents[1] = -1;
}

// Async-signal-safe, as everything the stop handler calls.
void noteStopEvent(char what)
{
    if (g_stopEvents[1] < 0)
        return;
    [[maybe_unused]] const auto n = ::write(g_stopEvents[1], &what, 1);
}

// The signal's default action, here and now: the process stops until it is
// continued. Async-signal-safe; the handler's own mask may block the signal.
void stopNow(int signal)
{
    if (const StopAction action = g_stopAction.load()) {
        action(signal);
        return;
    }
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    struct sigaction ours {};
    sigaction(signal, &byDefault, &ours);
    sigset_t only, before;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, &before);
    raise(signal);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    sigaction(signal, &ours, nullptr);
}

void noteStop(int signal)
{
    const int saved = errno;
    // Pending first: a taker that disarms meanwhile finds it, or this
    // finds the taker gone and stops at once; the stop is never lost.
    g_pendingStop.store(signal);
    if (g_takerArmed.load()) {
        if (void (*wake)() = g_stopWake.load())
            wake();
        noteStopEvent(kStopNoted);
    } else if (const int taken = g_pendingStop.exchange(0)) {
        stopNow(taken);
        noteStopEvent(kContinued);
    }
    errno = saved;
}

// The listeners of the stop events: the user-interface thread's only.
struct StopListener {
    QPointer<QObject> context;
    char on;
    std::function<void()> run;
};
struct StopListeners {
    QPointer<QSocketNotifier> notifier;
    std::vector<StopListener> listeners;
};

StopListeners& stopListeners()
{
    static StopListeners& l = *new StopListeners;
    return l;
}

void dispatchStopEvents()
{
    char bytes[64];
    bool noted = false, continued = false;
    ssize_t n = 0;
    while ((n = ::read(g_stopEvents[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            noted = noted || bytes[i] == kStopNoted;
            continued = continued || bytes[i] == kContinued;
        }
    }
    StopListeners& l = stopListeners();
    std::erase_if(l.listeners, [](const StopListener& x) { return x.context.isNull(); });
    // A listener may stop the process, or add listeners.
    const std::vector<StopListener> now = l.listeners;
    for (const char on : {kStopNoted, kContinued}) {
        if (on == kStopNoted ? !noted : !continued)
            continue;
        for (const StopListener& x : now)
            if (x.on == on && x.context)
                x.run();
    }
}

void listenForStops(QObject* context, char on, std::function<void()> run)
{
    QObject* app = QCoreApplication::instance();
    makeStopEvents();
    if (g_stopEvents[0] < 0 || !context || !app)
        return;
    StopListeners& l = stopListeners();
    if (!l.notifier) {
        l.notifier = new QSocketNotifier(g_stopEvents[0], QSocketNotifier::Read, app);
        QObject::connect(l.notifier, &QSocketNotifier::activated, app, [] { dispatchStopEvents(); });
    }
    l.listeners.push_back({context, on, std::move(run)});
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
    makeStopEvents();
    // Ctrl-Z must not leave the mount moving while the program stands
    // still: a stop goes to the taker (the control loop) first.
    struct sigaction stop {};
    stop.sa_handler = noteStop;
    sigemptyset(&stop.sa_mask);
    stop.sa_flags = SA_RESTART;
    for (const int s : kStopSignals)
        sigaction(s, &stop, nullptr);
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

void armStopTaker(void (*wake)())
{
    g_stopWake.store(wake);
    g_takerArmed.store(true);
}

int disarmStopTaker()
{
    g_takerArmed.store(false);
    g_stopWake.store(nullptr);
    return g_pendingStop.exchange(0);
}

int takeStop() { return g_pendingStop.exchange(0); }

bool stopPending() { return g_pendingStop.load() != 0; }

void stopProcess(int signal)
{
    stopNow(signal);
    noteStopEvent(kContinued);
}

void onStopNoted(QObject* context, std::function<void()> noted) { listenForStops(context, kStopNoted, std::move(noted)); }

void onContinue(QObject* context, std::function<void()> continued)
{
    listenForStops(context, kContinued, std::move(continued));
}

void setStopAction(StopAction action) { g_stopAction.store(action); }

}  // namespace platform
