#include "platform/thread.h"

#include <pthread.h>
#include <csignal>

namespace platform {

struct SizedThread::Native {
    pthread_t id{};
    std::function<void()> body;
    bool joinable = false;
};

namespace {

// Every signal that another process or thread sends; faults the thread
// itself causes stay with it.
sigset_t asynchronousSignals()
{
    sigset_t set;
    sigfillset(&set);
    for (const int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS})
        sigdelset(&set, s);
    return set;
}

void* runBody(void* native)
{
    static_cast<SizedThread::Native*>(native)->body();
    return nullptr;
}

}  // namespace

SizedThread::SizedThread() : native_(std::make_unique<Native>()) {}

SizedThread::~SizedThread() { join(); }

bool SizedThread::start(std::size_t stackBytes, std::function<void()> body)
{
    if (native_->joinable)
        return false;
    native_->body = std::move(body);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, stackBytes);
    // Blocked from the thread's first instruction on: it inherits the mask.
    const sigset_t blocked = asynchronousSignals();
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &blocked, &before);
    native_->joinable = pthread_create(&native_->id, &attr, &runBody, native_.get()) == 0;
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    pthread_attr_destroy(&attr);
    return native_->joinable;
}

void SizedThread::join()
{
    if (!native_->joinable)
        return;
    pthread_join(native_->id, nullptr);
    native_->joinable = false;
}

}  // namespace platform
