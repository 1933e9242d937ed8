// Axis angles from encoder counts, the sync offsets, and the motion output.

#include "board/hal.h"

#include "core/angles.h"
#include "core/astro.h"
#include "core/names.h"
#include "core/params.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace HAL {

namespace {

constexpr double kTurn = 1296000.0;
constexpr double kHalfTurn = 648000.0;

// ldexp saturates long before these, and keeping the exponent here means
// negating it can never overflow.
constexpr std::int32_t kMaxExponent = 4096;

// General format, at most 15 significant digits, "." as separator.
std::string numberText(double v)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

// Rounds a value already wrapped into [0, kTurn] to the nearest integer, halves to even.
std::int32_t wholeArcsec(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

}  // namespace

double NORMPOS(std::int32_t ABSPOS, std::int32_t RESOLUTION)
{
    const std::int32_t e = std::clamp(RESOLUTION, -kMaxExponent, kMaxExponent);
    return std::ldexp(static_cast<double>(ABSPOS) * kTurn, -e);
}

void READPOS(double& RA, double& DE)
{
    if (!POS_RECEIVED.load())
        return;
    const AxisCounts c = TEL_POS.load();
    RA = CHECKBOUND(NORMPOS(c.RA, GET_IPARAM(param::RA_resolution)), 0, kTurn);
    DE = CHECKBOUND(NORMPOS(c.DEC, GET_IPARAM(param::Dec_resolution)), -kHalfTurn, kHalfTurn);
}

void READHWPOS(std::int32_t& HOR, std::int32_t& VERT)
{
    const AxisCounts c = TEL_POS.load();
    HOR = c.RA;
    VERT = c.DEC;
}

void RAWPOS(std::int32_t& HOR, std::int32_t& VERT, bool INCR)
{
    const double offRa = INCR ? 0.0 : GET_FPARAM(param::RA_CAL);
    const double offDe = INCR ? 0.0 : GET_FPARAM(param::DEC_CAL);
    const AxisCounts c = INCR ? TEL_INC_POS.load() : TEL_POS.load();
    const double h = std::nearbyint(NORMPOS(c.RA, GET_IPARAM(param::RA_resolution)) + offRa);
    const double v = std::nearbyint(NORMPOS(c.DEC, GET_IPARAM(param::Dec_resolution)) + offDe);
    // Rounding can reach a whole turn, which wraps to 0.
    HOR = wholeArcsec(CHECKBOUND(h, 0, kTurn));
    VERT = wholeArcsec(CHECKBOUND(v, 0, kTurn));
}

void SET_CAL(double RA, double DE)
{
    double rRa = 0.0, rDe = 0.0;
    READPOS(rRa, rDe);
    const double lmst = GET_LMST(DEGTOREAL(GET_PARAM(param::Long)));
    double h = 0.0, v = 0.0;
    RATOAZ(RA, DE, DEGTOREAL(GET_PARAM(param::Lat)), lmst, h, v);
    const double raLocal = CHECKBOUND(RA - lmst, 0, kTurn);
    if (GET_BPARAM(param::Equatorial)) {
        h = raLocal;
        v = DE;
    }
    const double rr = CHECKBOUND(rRa - GET_FPARAM(param::RA_CAL), 0, kTurn);
    const double rd = CHECKBOUND(rDe - GET_FPARAM(param::DEC_CAL), -kHalfTurn, kHalfTurn);
    SET_PARAM(param::DEC_CAL, numberText(v - rd));
    SET_PARAM(param::RA_CAL, numberText(h - rr));
}

void DEV_INIT_CALIBRATION()
{
    const double lmst = GET_LMST(DEGTOREAL(GET_PARAM(param::Long)));
    const double lat = DEGTOREAL(GET_PARAM(param::Lat));
    double ra = 0.0, de = 0.0;
    AZTORA(DEGTOREAL(GET_PARAM(param::save_hpos)), DEGTOREAL(GET_PARAM(param::save_vpos)), lat, lmst, ra, de);
    if (GET_BPARAM(param::Parked) && GET_BPARAM(param::Equatorial)) {
        SET_PARAM(param::RA_CAL, numberText(ra));
        SET_PARAM(param::DEC_CAL, numberText(de));
    }
}

// The incremental positions carry no offset.
void SET_INC_CAL(double /*RA*/, double /*DE*/) {}

std::int32_t MOVE(double DRA, double DDEC, Connection builtFor)
{
    // Non-finite speeds stop the axis rather than reach a cast.
    const auto speed = [](double s) {
        if (!std::isfinite(s))
            return std::int16_t{0};
        return static_cast<std::int16_t>(std::nearbyint(RANGEVAL(s, -10000, 10000)));
    };
    const std::int16_t h = speed(DRA);
    const std::int16_t v = speed(DDEC);
    MOVE_BASE(h, v, builtFor);
    return 0;
}

namespace {
std::int16_t outputWord() { return static_cast<std::int16_t>(DIGIO.load() & 0xFFFF); }
}  // namespace

void MOVE_BASE(std::int16_t HOR, std::int16_t VERT, Connection builtFor)
{
    SEND_CTRL(HOR, VERT, outputWord(), builtFor);
}

Frame STOP_FRAME() { return MOTION_FRAME(0, 0, outputWord()); }

}  // namespace HAL
