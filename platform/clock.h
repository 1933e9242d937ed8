#pragma once
// The local clock the program reads the date and time through. Tests install
// their own (setClock) so nothing waits for real time to pass.

#include <chrono>
#include <cstdint>

namespace platform {

// One reading of the local clock. Read as a whole, so date and time of day
// never straddle midnight.
struct LocalTime {
    int year = 2000;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    std::int32_t msOfDay = 0;           // 0 to 86399999, local time
    std::int32_t utcOffsetSeconds = 0;  // local minus universal time, daylight saving included
    bool daylightSaving = false;
};

inline constexpr std::int32_t kMsPerDay = 86400000;

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
    // Time from an arbitrary origin that no change of the local clock moves:
    // what intervals are paced on.
    virtual std::chrono::nanoseconds monotonic() const = 0;
};

using UtcMs = std::chrono::sys_time<std::chrono::milliseconds>;

// The local time of a universal instant in the system's zone; what the real
// clock reads.
LocalTime localTimeAt(UtcMs utc);

// The clock in force: the real one unless a test installed another.
const Clock& clock();
// Installs a replacement (not owned); nullptr puts the real clock back.
void setClock(const Clock* replacement);

// Days from 30 December 1899 to the reading's date (1 January 2000 is 36526).
std::int64_t dayNumber(const LocalTime& t);
// The reading as a local date-time value: days since 30 December 1899 with the
// time of day as fraction (the noon of 1 January 2000 is 36526.5).
double dateTime(const LocalTime& t);

}  // namespace platform
