#include "core/astro.h"

#include "platform/clock.h"

#include <cmath>

namespace {

constexpr double kTurn = 1296000.0;
constexpr double kPi = 3.141592653589793;
constexpr double kSiderealRate = 1.0027379093508055;  // turns per day
constexpr double kSiderealAtEpoch = 0.77905727325;    // turns, noon of 1 January 2000
constexpr std::int64_t kEpochDay = 36526;             // 1 January 2000

// Beyond this many spans a value is reduced by a remainder instead of steps:
// a step that no longer changes a huge double would never arrive.
constexpr double kStepSpans = 4.0;
constexpr int kMaxSteps = 8;

bool usableSpan(double span) { return span > 0.0 && std::isfinite(span); }

}  // namespace

double GET_LMST(double LONG)
{
    const platform::LocalTime now = platform::clock().now();
    // Universal time in days since the epoch, from the zone's real offset;
    // whole days and the time of day are kept apart for precision.
    const double ms = static_cast<double>(now.msOfDay) - 1000.0 * static_cast<double>(now.utcOffsetSeconds);
    const double d = static_cast<double>(platform::dayNumber(now) - kEpochDay) + ms / platform::kMsPerDay - 0.5;
    double t = kSiderealRate * d + kSiderealAtEpoch + LONG / kTurn;
    t -= std::trunc(t);
    return t * 360.0 * 60.0 * 60.0;
}

// Both conversions are the one rotation about the east-west axis by the
// colatitude, written as a vector and read back with atan2: unlike arcsin and
// arccos it keeps full precision on the meridian and next to the poles, and it
// stays finite where a pole makes the other angle undefined (that angle is 0).

void AZTORA(double AZ, double ALT, double LAT, double LST, double& RA, double& DE)
{
    if (ALT > 324000.0) {  // beyond the zenith
        ALT = 648000.0 - ALT;
        AZ += 648000.0;
    }
    AZ = CHECKBOUND(AZ, 0.0, kTurn);
    const double h = POSTORAD(ALT), a = POSTORAD(AZ), phi = POSTORAD(LAT);
    const double x = std::cos(phi) * std::sin(h) - std::sin(phi) * std::cos(h) * std::cos(a);  // cos DE cos H
    const double y = -std::cos(h) * std::sin(a);                                                // cos DE sin H
    const double z = std::sin(phi) * std::sin(h) + std::cos(phi) * std::cos(h) * std::cos(a);  // sin DE
    const double r = std::hypot(x, y);
    const double hourAngle = r > 0.0 ? std::atan2(y, x) : 0.0;  // west positive
    RA = CHECKBOUND(LST - RADTOPOS(hourAngle), 0.0, kTurn);
    DE = CHECKBOUND(RADTOPOS(std::atan2(z, r)), -648000.0, 648000.0);
}

void RATOAZ(double RA, double DE, double LAT, double LST, double& AZ, double& ALT)
{
    const double hourAngle = POSTORAD(CHECKBOUND(LST - RA, 0.0, kTurn));
    const double d = POSTORAD(DE), phi = POSTORAD(LAT);
    const double x = std::cos(phi) * std::sin(d) - std::sin(phi) * std::cos(d) * std::cos(hourAngle);  // cos ALT cos AZ
    const double y = -std::cos(d) * std::sin(hourAngle);                                                // cos ALT sin AZ
    const double z = std::sin(phi) * std::sin(d) + std::cos(phi) * std::cos(d) * std::cos(hourAngle);  // sin ALT
    const double r = std::hypot(x, y);
    const double azimuth = r > 0.0 ? std::atan2(y, x) : 0.0;
    AZ = CHECKBOUND(RADTOPOS(azimuth), 0.0, kTurn);
    ALT = CHECKBOUND(RADTOPOS(std::atan2(z, r)), -648000.0, 648000.0);
}

double CHECKBOUND(double CHECK_VAL, double MIN_BOUND, double MAX_BOUND)
{
    const double span = MAX_BOUND - MIN_BOUND;
    if (!std::isfinite(CHECK_VAL) || !usableSpan(span))
        return MIN_BOUND;
    double v = CHECK_VAL;
    if (v >= MAX_BOUND + kStepSpans * span || v < MIN_BOUND - kStepSpans * span)
        v = MIN_BOUND + std::fmod(v - MIN_BOUND, span);
    for (int i = 0; i < kMaxSteps && v >= MAX_BOUND; ++i)
        v -= span;
    for (int i = 0; i < kMaxSteps && v < MIN_BOUND; ++i)
        v += span;
    // A step can round onto the upper bound (-1e-20 + span is span).
    return v >= MIN_BOUND && v < MAX_BOUND ? v : MIN_BOUND;
}

double RANGELOOP(double VALUE, double MINVAL, double MAXVAL)
{
    if (!std::isfinite(VALUE))
        return MINVAL;
    const double span = MAXVAL - MINVAL;
    if (usableSpan(span) && (VALUE > MAXVAL + kStepSpans * span || VALUE < MINVAL - kStepSpans * span))
        return CHECKBOUND(VALUE, MINVAL, MAXVAL);
    if (VALUE > MAXVAL)
        VALUE = VALUE - MAXVAL + MINVAL;
    if (VALUE < MINVAL)
        VALUE = MAXVAL - (MINVAL - VALUE);
    return VALUE;
}

double RANGEVAL(double VALUE, double MINVAL, double MAXVAL)
{
    // A NaN speed must not become full speed either way.
    if (std::isnan(VALUE))
        VALUE = 0.0;
    if (VALUE > MAXVAL)
        return MAXVAL;
    if (VALUE < MINVAL)
        return MINVAL;
    return VALUE;
}

double POSTODEG(double POS) { return POS / kTurn; }
double DEGTOPOS(double DEG) { return DEG * kTurn; }
double POSTORAD(double DEG) { return POSTODEG(DEG) * 2.0 * kPi; }
double RADTOPOS(double RAD) { return DEGTOPOS(RAD / 6.283185307179586); }
