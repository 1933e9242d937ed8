#pragma once
// A sleep to a deadline on the monotonic clock that another thread can end
// at once. A sleep is one system call, and so is ending it: no lock is taken
// back after a timed-out wait, as a condition variable's wait must.

#include <chrono>
#include <memory>

namespace platform {

class StoppableSleep {
public:
    StoppableSleep();
    ~StoppableSleep();
    StoppableSleep(const StoppableSleep&) = delete;
    StoppableSleep& operator=(const StoppableSleep&) = delete;

    // Sleeps for `span` on the monotonic clock or until woken; false when
    // woken, or interrupted, before the span has passed.
    bool sleepFor(std::chrono::nanoseconds span);
    // Ends the sleep in progress, or the next one if none is. Any thread.
    void wake();
    // Forgets the wakes that no sleep has taken.
    void clear();

private:
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace platform
