// libFuzzer target: the go-to readers of right ascension and declination
// texts take any text; what they accept lies within 0 to 24 hours and -90 to
// +90 degrees, what the entry dialog takes is never past those bounds, and
// an accepted angle written out as text is accepted again. Any entry text
// cut for a list keeps at most 255 bytes.

#include "core/angles.h"
#include "sky/coords.h"
#include "sky/rows.h"
#include "tests/fuzz/fuzz_support.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view t = fuzz::text(data, size);

    const sky::CoordRead ra = sky::READ_GOTO_RA(t);
    fuzz::require(!(ra.angle && ra.outside) && ra.angle.has_value() == ra.problem.empty());
    if (ra.angle) {
        fuzz::require(std::isfinite(*ra.angle) && *ra.angle >= 0 && *ra.angle < 1296000.0);
        fuzz::require(sky::READ_GOTO_RA(REALTOHOUR(*ra.angle)).angle.has_value());
    }
    const sky::CoordRead de = sky::READ_GOTO_DEC(t);
    fuzz::require(!(de.angle && de.outside) && de.angle.has_value() == de.problem.empty());
    if (de.angle) {
        fuzz::require(std::isfinite(*de.angle) && std::fabs(*de.angle) <= 324000.0);
        fuzz::require(sky::READ_GOTO_DEC(REALTODEG(*de.angle)).angle.has_value());
    }

    if (sky::RA_ENTRY_FITS(t))
        fuzz::require(CHECK_FORMAT(t, sky::kRaTemplate) && !ra.outside);
    if (sky::DEC_ENTRY_FITS(t))
        fuzz::require(CHECK_FORMAT(t, sky::kDeclTemplate) && !de.outside);

    const std::string s(t);
    const sky::ObjectTexts b = sky::bounded({s, s, s});
    fuzz::require(b.name.size() <= sky::kMaxTextBytes && s.compare(0, b.name.size(), b.name) == 0);
    return 0;
}
