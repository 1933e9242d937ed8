#pragma once
// A thread whose stack size the caller chooses, which std::thread cannot
// give. Joined by its owner; never detached. It takes no asynchronous signal
// (the end signals among them): those go to the threads that wait for them,
// and one handled here would interrupt its blocking calls, which a read
// takes for a failed device.

#include <cstddef>
#include <functional>
#include <memory>

namespace platform {

class SizedThread {
public:
    SizedThread();
    ~SizedThread();  // joins a thread still running
    SizedThread(const SizedThread&) = delete;
    SizedThread& operator=(const SizedThread&) = delete;

    // Runs `body` on a new thread with a stack of `stackBytes`; false when no
    // thread could be made (nothing runs then).
    bool start(std::size_t stackBytes, std::function<void()> body);
    // Waits for the body to end; does nothing when none was started.
    void join();

    struct Native;

private:
    std::unique_ptr<Native> native_;
};

}  // namespace platform
