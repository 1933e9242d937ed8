#include "platform/gui_bridge.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <vector>

namespace platform {

struct UiCallGroup::State {
    bool cancelled = false;  // guarded by the bridge's mutex
};

namespace {

// Abandoned: cancelled while it ran; the routine runs to its end, but its
// caller no longer waits. A routine can run longer than any wait may last
// (a box the operator has not closed), so it owns everything it uses.
enum class Phase { Queued, Running, Done, Cancelled, Abandoned };

struct Call {
    std::function<void()> fn;
    bool waited = false;  // a caller waits for its end
    std::shared_ptr<UiCallGroup::State> group;
    Phase phase = Phase::Queued;
    std::exception_ptr error;
};

class Receiver;

// One mutex guards every call's phase, the queue and the bridge's state; the
// calls are few and short, so one lock and one condition suffice.
struct Shared {
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::shared_ptr<Call>> queued;
    std::vector<std::shared_ptr<Call>> running;  // waited-for calls that have begun
    Receiver* receiver = nullptr;
    QThread* uiThread = nullptr;
    bool down = false;
};

Shared& shared()
{
    // Never destroyed: the program's end may still use it after exit()
    // has begun destroying statics.
    static Shared& s = *new Shared;
    return s;
}

const QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class CallEvent final : public QEvent {
public:
    explicit CallEvent(std::shared_ptr<Call> c) : QEvent(kCallEvent), call(std::move(c)) {}
    std::shared_ptr<Call> call;
};

void drop(std::vector<std::shared_ptr<Call>>& calls, const std::shared_ptr<Call>& call)
{
    calls.erase(std::remove(calls.begin(), calls.end(), call), calls.end());
}

// Under the lock: queued calls of the group (all, for none) never run, and
// the callers of running ones stop waiting.
void cancelCalls(Shared& s, const std::shared_ptr<UiCallGroup::State>& group)
{
    const auto ours = [&](const std::shared_ptr<Call>& c) { return !group || c->group == group; };
    for (auto& call : s.queued)
        if (ours(call))
            call->phase = Phase::Cancelled;
    for (auto& call : s.running)
        if (ours(call))
            call->phase = Phase::Abandoned;
    const auto gone = [](const auto& c) { return c->phase == Phase::Cancelled || c->phase == Phase::Abandoned; };
    s.queued.erase(std::remove_if(s.queued.begin(), s.queued.end(), gone), s.queued.end());
    s.running.erase(std::remove_if(s.running.begin(), s.running.end(), gone), s.running.end());
}

class Receiver final : public QObject {
public:
    bool event(QEvent* e) override
    {
        Shared& s = shared();
        std::unique_lock lock(s.m);
        // The event is looked at only under the lock its poster held: Qt's
        // own queue lock is invisible to thread checkers.
        if (e->type() != kCallEvent) {
            lock.unlock();
            return QObject::event(e);
        }
        const std::shared_ptr<Call> call = static_cast<CallEvent*>(e)->call;
        if (call->phase != Phase::Queued)
            return true;  // cancelled while it waited in the event queue
        call->phase = Phase::Running;
        drop(s.queued, call);
        if (!call->waited) {
            lock.unlock();
            call->fn();
            return true;
        }
        s.running.push_back(call);
        lock.unlock();

        std::exception_ptr error;
        try {
            call->fn();
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        drop(s.running, call);
        if (call->phase == Phase::Running) {
            call->error = error;
            call->phase = Phase::Done;
        }
        lock.unlock();
        s.cv.notify_all();
        return true;
    }
};

// Queues a call for the user-interface thread; false when refused.
bool enqueue(Shared& s, const std::shared_ptr<Call>& call)
{
    if (s.down || !s.receiver || (call->group && call->group->cancelled))
        return false;
    s.queued.push_back(call);
    // Posting under the lock keeps the receiver alive until the event is queued.
    postEvent(s.receiver, new CallEvent(call));
    return true;
}

}  // namespace

UiCallGroup::UiCallGroup() : state_(std::make_shared<State>()) {}

UiCallGroup::~UiCallGroup() { cancel(); }

void UiCallGroup::cancel()
{
    Shared& s = shared();
    {
        std::lock_guard lock(s.m);
        state_->cancelled = true;
        cancelCalls(s, state_);
    }
    s.cv.notify_all();
}

UiBridge::UiBridge()
{
    Shared& s = shared();
    std::lock_guard lock(s.m);
    prev_ = {s.receiver, s.uiThread, s.down};
    s.receiver = new Receiver;
    s.uiThread = QThread::currentThread();
    s.down = false;
}

UiBridge::~UiBridge()
{
    shutdown();
    Shared& s = shared();
    Receiver* r = nullptr;
    {
        std::lock_guard lock(s.m);
        r = s.receiver;
        s.receiver = static_cast<Receiver*>(prev_.receiver);
        s.uiThread = prev_.uiThread;
        s.down = prev_.down;
    }
    delete r;  // its queued events go with it
}

void UiBridge::shutdown()
{
    Shared& s = shared();
    {
        std::lock_guard lock(s.m);
        s.down = true;
        cancelCalls(s, nullptr);
    }
    s.cv.notify_all();
}

bool onUiThread()
{
    Shared& s = shared();
    QThread* ui = nullptr;
    {
        std::lock_guard lock(s.m);
        ui = s.uiThread;
    }
    if (!ui && QCoreApplication::instance())
        ui = QCoreApplication::instance()->thread();
    return ui && QThread::currentThread() == ui;
}

bool runOnUiThread(std::function<void()> fn, UiCallGroup* group)
{
    Shared& s = shared();
    if (onUiThread()) {
        {
            std::lock_guard lock(s.m);
            if (group && group->state_->cancelled)
                return false;
        }
        fn();
        return true;
    }

    auto call = std::make_shared<Call>();
    call->fn = std::move(fn);
    call->waited = true;
    if (group)
        call->group = group->state_;
    std::unique_lock lock(s.m);
    if (!enqueue(s, call))
        return false;
    s.cv.wait(lock, [&] { return call->phase != Phase::Queued && call->phase != Phase::Running; });
    if (call->phase != Phase::Done)
        return false;
    if (call->error)
        std::rethrow_exception(call->error);
    return true;
}

bool postToUiThread(std::function<void()> fn, UiCallGroup* group)
{
    auto call = std::make_shared<Call>();
    call->fn = std::move(fn);
    if (group)
        call->group = group->state_;
    Shared& s = shared();
    std::lock_guard lock(s.m);
    return enqueue(s, call);
}

namespace {

// The sanitizer cannot see into Qt, so a report shows the function that
// called into Qt only by the call made into that function: this extra step
// is what puts postEvent on the stack. The empty statements after each call
// stop the compiler from turning them into jumps, which would drop the frame.
[[gnu::noinline]] void postIntoQt(QObject* receiver, QEvent* event)
{
    QCoreApplication::postEvent(receiver, event);
    asm volatile("" ::: "memory");
}

}  // namespace

[[gnu::noinline]] void postEvent(QObject* receiver, QEvent* event)
{
    postIntoQt(receiver, event);
    asm volatile("" ::: "memory");
}

int pendingUiCalls()
{
    Shared& s = shared();
    std::lock_guard lock(s.m);
    return static_cast<int>(s.queued.size());
}

}  // namespace platform
