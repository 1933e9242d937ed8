#include "tests/support/test_clock.h"

#include <chrono>

namespace testing_support {

TestClock::TestClock()
{
    t_.msOfDay = 13 * 3600 * 1000;
    t_.utcOffsetSeconds = 3600;
    platform::setClock(this);
}

TestClock::~TestClock() { platform::setClock(nullptr); }

platform::LocalTime TestClock::now() const
{
    std::lock_guard lock(mutex_);
    return t_;
}

std::chrono::nanoseconds TestClock::monotonic() const
{
    std::lock_guard lock(mutex_);
    return monotonic_;
}

void TestClock::set(const platform::LocalTime& t)
{
    std::lock_guard lock(mutex_);
    t_ = t;
}

void TestClock::setDate(int year, int month, int day)
{
    std::lock_guard lock(mutex_);
    t_.year = year;
    t_.month = month;
    t_.day = day;
}

void TestClock::setTime(int hours, int minutes, int seconds, int ms)
{
    std::lock_guard lock(mutex_);
    t_.msOfDay = ((hours * 60 + minutes) * 60 + seconds) * 1000 + ms;
}

void TestClock::setZone(std::int32_t utcOffsetSeconds, bool daylightSaving)
{
    std::lock_guard lock(mutex_);
    t_.utcOffsetSeconds = utcOffsetSeconds;
    t_.daylightSaving = daylightSaving;
}

void TestClock::advance(std::int64_t ms)
{
    using namespace std::chrono;
    std::lock_guard lock(mutex_);
    if (ms > 0)
        monotonic_ += milliseconds(ms);
    const std::int64_t total = t_.msOfDay + ms;
    std::int64_t wholeDays = total / platform::kMsPerDay, rest = total % platform::kMsPerDay;
    if (rest < 0) {
        rest += platform::kMsPerDay;
        --wholeDays;
    }
    t_.msOfDay = static_cast<std::int32_t>(rest);
    const year_month_day date{sys_days{year{t_.year} / month{static_cast<unsigned>(t_.month)} /
                                       day{static_cast<unsigned>(t_.day)}} +
                              days{wholeDays}};
    t_.year = static_cast<int>(date.year());
    t_.month = static_cast<int>(static_cast<unsigned>(date.month()));
    t_.day = static_cast<int>(static_cast<unsigned>(date.day()));
}

}  // namespace testing_support
