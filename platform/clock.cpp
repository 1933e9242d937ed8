#include "platform/clock.h"

#include "platform/replaceable.h"

#include <QDateTime>
#include <QTimeZone>

#include <chrono>
#include <mutex>

namespace platform {
namespace {

// The local zone's offset is looked up once a second at most, and anew at
// the zone's next transition: the library's own lookup checks the zone file
// at each call, which the control loop would do a few hundred times a second.
class ZoneCache {
public:
    struct Zone {
        std::int32_t offsetSeconds = 0;
        bool daylightSaving = false;
    };

    Zone at(UtcMs utc)
    {
        using namespace std::chrono;
        const auto checkedNow = steady_clock::now();
        std::lock_guard lock(mutex_);
        if (dataGone_)
            return zone_;
        // A clock set back or forth leaves the span, and a zone changed by
        // the operator is seen within the second.
        if (known_ && utc >= from_ && utc < until_ && checkedNow - checked_ < seconds(1))
            return zone_;
        const QDateTime dt = QDateTime::fromMSecsSinceEpoch(utc.time_since_epoch().count());
        zone_.offsetSeconds = dt.offsetFromUtc();
        zone_.daylightSaving = dt.isDaylightTime();
        from_ = utc;
        until_ = UtcMs::max();
        const QTimeZone tz = QTimeZone::systemTimeZone();
        if (tz.hasTransitions()) {
            const QTimeZone::OffsetData next = tz.nextTransition(dt);
            if (next.atUtc.isValid())
                until_ = UtcMs(milliseconds(next.atUtc.toMSecsSinceEpoch()));
        }
        checked_ = checkedNow;
        known_ = true;
        // The toolkit's zone data are statics made by the lookup above. The
        // process's exit destroys statics in the reverse order they were
        // made, so this goes before them: from then on the last zone known is
        // kept, and a thread still reading the clock at the end never looks
        // into data already destroyed. A lookup under way finishes first.
        static const DataEnd dataEnd{*this};
        return zone_;
    }

private:
    struct DataEnd {
        ZoneCache& cache;
        ~DataEnd()
        {
            std::lock_guard lock(cache.mutex_);
            cache.dataGone_ = true;
        }
    };

    std::mutex mutex_;
    bool known_ = false;
    bool dataGone_ = false;
    Zone zone_;
    UtcMs from_{}, until_{};
    std::chrono::steady_clock::time_point checked_{};
};

ZoneCache g_zone;

class RealClock final : public Clock {
public:
    LocalTime now() const override
    {
        return localTimeAt(std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now()));
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

LocalTime localTimeAt(UtcMs utc)
{
    using namespace std::chrono;
    const ZoneCache::Zone z = g_zone.at(utc);
    const auto local = utc + seconds(z.offsetSeconds);
    const auto day = floor<days>(local);
    const year_month_day date{day};
    LocalTime t;
    t.year = static_cast<int>(date.year());
    t.month = static_cast<int>(static_cast<unsigned>(date.month()));
    t.day = static_cast<int>(static_cast<unsigned>(date.day()));
    t.msOfDay = static_cast<std::int32_t>((local - day).count());
    t.utcOffsetSeconds = z.offsetSeconds;
    t.daylightSaving = z.daylightSaving;
    return t;
}

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
