#include "platform/thread.h"

#include <pthread.h>

namespace platform {

struct SizedThread::Native {
    pthread_t id{};
    std::function<void()> body;
    bool joinable = false;
};

namespace {

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
    native_->joinable = pthread_create(&native_->id, &attr, &runBody, native_.get()) == 0;
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
