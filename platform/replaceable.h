#pragma once
// A process-wide service that tests may replace: the real one unless a
// replacement is installed. Reading and replacing are safe on any thread.

#include <atomic>

namespace platform {

template <class T>
class Replaceable {
public:
    explicit Replaceable(T& real) : real_(real) {}
    T& get() const
    {
        T* s = current_.load(std::memory_order_acquire);
        return s ? *s : real_;
    }
    // Not owned; nullptr puts the real one back.
    void set(T* replacement) { current_.store(replacement, std::memory_order_release); }

private:
    T& real_;
    std::atomic<T*> current_{nullptr};
};

}  // namespace platform
