// libFuzzer target: the angle-text readers take any text and give a finite
// angle; the template check takes any text and template; what the writers
// make of a read angle reads back within a tenth of an arcsecond.

#include "core/angles.h"
#include "tests/fuzz/fuzz_support.h"

#include <cmath>

namespace {

// Angles the writers meet: both readers' results wrap far below this.
bool near(double a, double b) { return std::fabs(a - b) <= 0.1 * 15 + 1e-6; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view all = fuzz::text(data, size);
    const double de = DEGTOREAL(all);
    const double ra = HOURTOREAL(all);
    fuzz::require(std::isfinite(de) && std::isfinite(ra));
    double n = 0.0;
    if (angle_text::readNumber(all, n))
        fuzz::require(std::isfinite(n));

    // Text and template, split at the first NUL.
    const std::size_t cut = all.find('\0');
    const std::string_view str = all.substr(0, cut);
    const std::string_view format = cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1);
    CHECK_FORMAT(str, format);
    CHECK_FORMAT(str, "[23]h[59]m[59].[9]s");
    CHECK_FORMAT(str, "[-][359]d[59]'[59].[9]\"");

    if (std::fabs(de) < 1e9) {
        fuzz::require(near(DEGTOREAL(REALTODEG(de)), std::trunc(de * 10) / 10));
    }
    if (std::fabs(ra) < 1e9) {
        fuzz::require(near(HOURTOREAL(REALTOHOUR(ra)), std::trunc(ra / 1.5) * 1.5));
    }
    return 0;
}
