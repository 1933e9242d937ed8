#pragma once
// Real numbers become integers by rounding to the nearest, a half going to the
// even neighbour (2.5 gives 2, 3.5 gives 4), whatever rounding mode the
// floating-point unit is in. A value that is not finite or does not fit the
// integer gives no result, so no caller turns garbage into a coordinate.

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace num {

inline std::optional<double> roundHalfEvenReal(double x)
{
    if (!std::isfinite(x))
        return std::nullopt;
    // x and its whole part share sign and leading bits, so the fraction is exact.
    if (std::fabs(x - std::trunc(x)) != 0.5)
        return std::round(x);
    return 2.0 * std::round(x / 2.0);
}

template <class Int = std::int32_t>
std::optional<Int> roundHalfEven(double x)
{
    const std::optional<double> r = roundHalfEvenReal(x);
    // Both bounds are powers of two, so exact as doubles; hi is the first value outside.
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max()) + 1.0;
    if (!r || *r < lo || *r >= hi)
        return std::nullopt;
    return static_cast<Int>(*r);
}

}  // namespace num
