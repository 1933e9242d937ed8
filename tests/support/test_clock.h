#pragma once
// A local clock that moves only when the test says so. Installs itself as the
// process clock while it lives. Safe to read from other threads.

#include "platform/clock.h"

#include <chrono>
#include <cstdint>
#include <mutex>

namespace testing_support {

class TestClock final : public platform::Clock {
public:
    // 1 January 2000, 13:00, one hour ahead of universal time, no daylight saving.
    TestClock();
    ~TestClock() override;
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    platform::LocalTime now() const override;
    // Moves with advance() only: setting the time of day leaves it.
    std::chrono::nanoseconds monotonic() const override;

    void set(const platform::LocalTime& t);
    void setDate(int year, int month, int day);
    void setTime(int hours, int minutes, int seconds, int ms = 0);
    // The zone's offset from universal time, daylight saving included.
    void setZone(std::int32_t utcOffsetSeconds, bool daylightSaving);
    // Moves by `ms` (back when negative), across days as needed; the
    // monotonic time moves forward only.
    void advance(std::int64_t ms);

private:
    mutable std::mutex mutex_;
    platform::LocalTime t_;
    std::chrono::nanoseconds monotonic_{0};
};

}  // namespace testing_support
