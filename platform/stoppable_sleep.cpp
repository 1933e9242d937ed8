#include "platform/stoppable_sleep.h"

#include <cerrno>
#include <ctime>
#include <semaphore.h>

namespace platform {

// Every wake posts once; a sleep takes one.
struct StoppableSleep::State {
    sem_t sem{};
};

StoppableSleep::StoppableSleep() : s_(std::make_unique<State>()) { sem_init(&s_->sem, 0, 0); }

StoppableSleep::~StoppableSleep() { sem_destroy(&s_->sem); }

bool StoppableSleep::sleepFor(std::chrono::nanoseconds span)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);  // no system call: read in user space
    const auto ns = now.tv_sec * 1'000'000'000LL + now.tv_nsec + span.count();
    const timespec at{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    if (sem_clockwait(&s_->sem, CLOCK_MONOTONIC, &at) == 0)
        return false;
    return errno == ETIMEDOUT;
}

void StoppableSleep::wake() { sem_post(&s_->sem); }

void StoppableSleep::clear()
{
    while (sem_trywait(&s_->sem) == 0) {
    }
}

}  // namespace platform
