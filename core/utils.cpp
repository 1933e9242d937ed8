#include "core/utils.h"

#include "core/text.h"

#include "platform/clock.h"
#include "platform/priority.h"
#include "platform/version.h"

#include <cmath>

namespace {

double timeOfDay() { return static_cast<double>(platform::clock().now().msOfDay) / platform::kMsPerDay; }

}  // namespace

TWaitTimer::TWaitTimer(std::int32_t INTERVAL) : LAST_TIME(timeOfDay()), LAST_INTERVAL(INTERVAL) {}

std::unique_ptr<TWaitTimer> TWaitTimer::Create(std::int32_t INTERVAL) { return std::make_unique<TWaitTimer>(INTERVAL); }

void TWaitTimer::RESTART() { LAST_TIME = timeOfDay(); }

void TWaitTimer::RESTART(std::int32_t INTERVAL)
{
    LAST_TIME = timeOfDay();
    LAST_INTERVAL = INTERVAL;
}

std::int32_t TWaitTimer::ELAPSED() const
{
    const double elapsed = std::trunc(std::fabs(timeOfDay() - LAST_TIME) * platform::kMsPerDay + 0.5);
    // Within a day this always fits; a clock reading out of its range must
    // not make the conversion undefined.
    return elapsed < 2147483647.0 ? static_cast<std::int32_t>(elapsed) : 2147483647;
}

bool TWaitTimer::TIMEOUT() const { return LAST_INTERVAL <= ELAPSED(); }

std::int32_t TWaitTimer::REMAINING() const
{
    const std::int64_t left = std::int64_t{LAST_INTERVAL} - ELAPSED();
    return left > 0 ? static_cast<std::int32_t>(left) : 0;
}

std::string GET_FILE_INFO(std::string_view)
{
    return text::decimal(platform::kVersionMajor) + "." + text::decimal(platform::kVersionMinor) + "."
        + text::decimal(platform::kVersionPatch);
}

std::string GET_BUILD_INFO(std::string_view) { return text::decimal(platform::kVersionBuild); }

std::int32_t BOOLTOINT(bool VAL) { return VAL ? 1 : 0; }

void SETPRIORITYLEVEL(std::uint8_t P)
{
    using platform::PriorityClass;
    switch (P) {
    case 1: platform::scheduler().setProcessPriority(PriorityClass::Idle); break;
    case 2: platform::scheduler().setProcessPriority(PriorityClass::Normal); break;
    case 3: platform::scheduler().setProcessPriority(PriorityClass::High); break;
    case 4: platform::scheduler().setProcessPriority(PriorityClass::Realtime); break;
    default: break;
    }
}
