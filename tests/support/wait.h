#pragma once
// Waiting in tests for what other threads do: the condition is polled, with
// the user-interface thread's events handled meanwhile (or not, where a test
// must hold them back). No test waits for time itself to pass.

#include <QCoreApplication>

#include <chrono>
#include <thread>

namespace testing_support {

// Only a bound for a failure: a busy machine under a sanitizer may take
// seconds for what takes milliseconds alone.
inline constexpr std::chrono::seconds kPatience{30};

template <class Pred>
bool waitUntil(Pred done, bool handleEvents = true)
{
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        if (handleEvents)
            QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

}  // namespace testing_support
