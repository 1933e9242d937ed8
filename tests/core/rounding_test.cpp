#include "core/rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

namespace {

TEST(RoundHalfEven, NearestWithHalvesToTheEvenNeighbour)
{
    const struct {
        double x;
        std::int32_t want;
    } cases[] = {
        {2.5, 2},           {3.5, 4},         {-2.5, -2},         {-3.5, -4},
        {0.5, 0},           {-0.5, 0},        {1.5, 2},           {37.5, 38},
        {112.5, 112},       {13.5, 14},       {2.4999999999999996, 2},
        {2.5000000000000004, 3},              {-0.49999999999999994, 0},
        {2147483647.0, 2147483647},           {2147483647.4, 2147483647},
        {-2147483648.0, -2147483647 - 1},     {-2147483648.5, -2147483647 - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(num::roundHalfEven(c.x), c.want);
    }
}

TEST(RoundHalfEven, GivesNothingForValuesThatAreNotFiniteOrDoNotFit)
{
    for (double x : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity(), 2147483647.5, 2147483648.0,
                     -2147483648.6, -2147483649.0, 1e300}) {
        SCOPED_TRACE(x);
        EXPECT_FALSE(num::roundHalfEven(x).has_value());
    }
    EXPECT_EQ(num::roundHalfEven<std::int64_t>(2147483648.0), 2147483648LL);
    EXPECT_FALSE(num::roundHalfEven<std::int64_t>(9223372036854775808.0).has_value());
}

TEST(RoundHalfEven, DoesNotDependOnTheRoundingMode)
{
    const int saved = std::fegetround();
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        EXPECT_EQ(num::roundHalfEven(2.5), 2);
        EXPECT_EQ(num::roundHalfEven(-3.5), -4);
        EXPECT_EQ(num::roundHalfEven(2.4), 2);
        EXPECT_EQ(num::roundHalfEven(-2.6), -3);
    }
    std::fesetround(saved);
}

}  // namespace
