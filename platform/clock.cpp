#include "platform/clock.h"

#include "platform/replaceable.h"

#include <QDateTime>
#include <QTime>

#include <chrono>

namespace platform {
namespace {

class RealClock final : public Clock {
public:
    LocalTime now() const override
    {
        const QDateTime dt = QDateTime::currentDateTime();
        const QDate d = dt.date();
        LocalTime t;
        t.year = d.year();
        t.month = d.month();
        t.day = d.day();
        t.msOfDay = dt.time().msecsSinceStartOfDay();
        t.utcOffsetSeconds = dt.offsetFromUtc();
        t.daylightSaving = dt.isDaylightTime();
        return t;
    }

    std::chrono::nanoseconds monotonic() const override
    {
        return std::chrono::steady_clock::now().time_since_epoch();
    }
};

const RealClock g_real;
Replaceable<const Clock> g_current(g_real);

}  // namespace

const Clock& clock() { return g_current.get(); }

void setClock(const Clock* replacement) { g_current.set(replacement); }

std::int64_t dayNumber(const LocalTime& t)
{
    using namespace std::chrono;
    const sys_days days{year{t.year} / month{static_cast<unsigned>(t.month)} / day{static_cast<unsigned>(t.day)}};
    // 1970-01-01 is day 25569 of the 1899-12-30 count.
    return days.time_since_epoch().count() + 25569;
}

double dateTime(const LocalTime& t)
{
    return static_cast<double>(dayNumber(t)) + static_cast<double>(t.msOfDay) / kMsPerDay;
}

}  // namespace platform
