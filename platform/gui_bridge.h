#pragma once
// Runs a routine on the user-interface thread on behalf of another thread and
// waits for it. One bridge exists, created on the user-interface thread after
// the application object; destroying it (program end) cancels every wait, so
// no thread hangs on a user-interface thread that no longer answers.
// (Not named ui_*.h: the build takes such includes for generated form headers.)

#include <functional>
#include <memory>

class QEvent;
class QObject;
class QThread;

namespace platform {

// Calls that are cancelled together: whatever a group's routines touch
// cancels the group before it dies, so no queued call reaches it late.
class UiCallGroup {
public:
    UiCallGroup();
    ~UiCallGroup();
    UiCallGroup(const UiCallGroup&) = delete;
    UiCallGroup& operator=(const UiCallGroup&) = delete;

    // Drops the group's queued calls and refuses later ones; a call that has
    // already begun runs to its end, but its caller stops waiting for it.
    void cancel();

    struct State;

private:
    friend bool runOnUiThread(std::function<void()> fn, UiCallGroup* group);
    friend bool postToUiThread(std::function<void()> fn, UiCallGroup* group);
    std::shared_ptr<State> state_;
};

class UiBridge {
public:
    // A bridge made while another lives stands in for it until it goes
    // (tests shut one down without ending the program's).
    UiBridge();
    ~UiBridge();
    UiBridge(const UiBridge&) = delete;
    UiBridge& operator=(const UiBridge&) = delete;

    // Cancels every queued wait, releases every caller waiting for a call that
    // has begun, and refuses later calls. Calls made on the user-interface
    // thread itself still run.
    void shutdown();

private:
    struct Previous {
        QObject* receiver = nullptr;
        QThread* uiThread = nullptr;
        bool down = false;
    } prev_;
};

// Runs `fn` on the user-interface thread: at once when called there, else
// queued there while the caller waits. False when the call was cancelled
// before it began (bridge shut down, group cancelled, no bridge), and `fn`
// then never runs; false also when it was cancelled while it ran (a box on
// screen at shutdown): the caller goes on and `fn` runs to its end without
// it, so `fn` must own what it uses (capture by value). An exception thrown
// by `fn` reaches a caller that still waits.
bool runOnUiThread(std::function<void()> fn, UiCallGroup* group = nullptr);

// Queues `fn` for the user-interface thread, also when called there, and
// returns at once; false when refused as above. `fn` must not throw.
bool postToUiThread(std::function<void()> fn, UiCallGroup* group = nullptr);

bool onUiThread();

// Every event this program posts across threads goes through here: Qt guards
// its post queue with a lock ThreadSanitizer cannot see (Qt is not built with
// it), and the sanitizer run names this function to set those reports aside.
void postEvent(QObject* receiver, QEvent* event);

// Calls queued and not yet begun; lets tests catch a hand-over in flight.
int pendingUiCalls();

}  // namespace platform
