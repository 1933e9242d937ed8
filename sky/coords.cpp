#include "sky/coords.h"

#include "core/angles.h"

#include <cmath>

namespace sky {
namespace {

constexpr double kDay = 24.0 * 15.0 * 3600.0;  // 24 hours of right ascension
constexpr double kPole = 90.0 * 3600.0;

CoordRead checked(std::optional<double> v, bool inside, const char* bounds)
{
    if (!v)
        return {std::nullopt, false, "cannot be read"};
    if (!inside)
        return {std::nullopt, true, std::string("lies outside ") + bounds};
    return {v, false, {}};
}

}  // namespace

CoordRead READ_GOTO_RA(std::string_view RA)
{
    std::optional<double> v = READ_HOUR(RA);
    // A hair below 24 hours the writers show "24h00m00.0s", which would not
    // be taken back: that is the place of 0 hours.
    constexpr double kHair = 1e-5;
    if (v && *v >= kDay - kHair && *v < kDay)
        v = 0.0;
    return checked(v, v && *v >= 0.0 && *v < kDay, "0 to 24 hours");
}

CoordRead READ_GOTO_DEC(std::string_view DEC)
{
    const std::optional<double> v = READ_DEG(DEC);
    return checked(v, v && std::fabs(*v) <= kPole, "-90 to +90 degrees");
}

PlaceRead READ_GOTO_PLACE(const std::string& RA, const std::string& DEC)
{
    PlaceRead p{READ_GOTO_RA(RA), READ_GOTO_DEC(DEC), {}};
    if (!p.ra.angle)
        p.problem = "right ascension \"" + RA + "\" " + p.ra.problem;
    else if (!p.dec.angle)
        p.problem = "declination \"" + DEC + "\" " + p.dec.problem;
    return p;
}

bool RA_ENTRY_FITS(std::string_view RA) { return CHECK_FORMAT(RA, kRaTemplate) && !READ_GOTO_RA(RA).outside; }

bool DEC_ENTRY_FITS(std::string_view DEC) { return CHECK_FORMAT(DEC, kDeclTemplate) && !READ_GOTO_DEC(DEC).outside; }

}  // namespace sky
