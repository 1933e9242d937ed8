#include "core/astro.h"

#include "tests/support/test_clock.h"

#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kTurn = 1296000.0;
constexpr double kArcsecPerRad = kTurn / (2.0 * M_PI);
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

double toRad(double arcsec) { return arcsec / kArcsecPerRad; }

// Angle between two directions given as longitude and latitude in radians.
double separation(double lon1, double lat1, double lon2, double lat2)
{
    const double a[3] = {std::cos(lat1) * std::cos(lon1), std::cos(lat1) * std::sin(lon1), std::sin(lat1)};
    const double b[3] = {std::cos(lat2) * std::cos(lon2), std::cos(lat2) * std::sin(lon2), std::sin(lat2)};
    const double cx = a[1] * b[2] - a[2] * b[1], cy = a[2] * b[0] - a[0] * b[2], cz = a[0] * b[1] - a[1] * b[0];
    return std::atan2(std::sqrt(cx * cx + cy * cy + cz * cz), a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
}

TEST(RangeFunctions, WrapAndClampAsGiven)
{
    EXPECT_EQ(CHECKBOUND(1296000, 0, kTurn), 0);
    EXPECT_EQ(CHECKBOUND(-1, 0, kTurn), 1295999);
    EXPECT_EQ(CHECKBOUND(648000, -648000, 648000), -648000);
    EXPECT_EQ(CHECKBOUND(2600000, 0, kTurn), 8000);
    EXPECT_EQ(CHECKBOUND(-2600000, 0, kTurn), 1288000);

    EXPECT_EQ(RANGELOOP(1296000, 0, kTurn), 1296000);
    EXPECT_EQ(RANGELOOP(1296001, 0, kTurn), 1);
    EXPECT_EQ(RANGELOOP(-10, 0, kTurn), 1295990);
    EXPECT_EQ(RANGELOOP(3000000, 0, kTurn), 1704000);  // one step only

    EXPECT_EQ(RANGEVAL(5, 0, 3), 3);
    EXPECT_EQ(RANGEVAL(-5, 0, 3), 0);
    EXPECT_EQ(RANGEVAL(2, 0, 3), 2);
}

TEST(RangeFunctions, EndForEveryInput)
{
    for (double v : {1e300, -1e300, 1e17 + 3, 9007199254740993.0, -std::numeric_limits<double>::max()}) {
        const double w = CHECKBOUND(v, 0, kTurn);
        EXPECT_GE(w, 0) << v;
        EXPECT_LT(w, kTurn) << v;
        const double l = RANGELOOP(v, -648000, 648000);
        EXPECT_GE(l, -648000) << v;
        EXPECT_LT(l, 648000) << v;
    }
    EXPECT_EQ(CHECKBOUND(1e7 + 0.5, 0, kTurn), std::fmod(1e7 + 0.5, kTurn));
    // A step that rounds onto the upper bound does not return it.
    EXPECT_EQ(CHECKBOUND(-1e-20, 0, kTurn), 0);
    for (double v : {kNaN, kInf, -kInf}) {
        EXPECT_EQ(CHECKBOUND(v, 0, kTurn), 0);
        EXPECT_EQ(RANGELOOP(v, -648000, 648000), -648000);
    }
    EXPECT_EQ(CHECKBOUND(5, 3, 3), 3);  // empty range
    EXPECT_EQ(CHECKBOUND(5, 4, 3), 4);
    EXPECT_EQ(CHECKBOUND(5, 0, kInf), 0);
    EXPECT_EQ(RANGEVAL(kNaN, -100, 100), 0);  // a NaN speed stops
    EXPECT_EQ(RANGEVAL(kNaN, 5, 10), 5);
    EXPECT_EQ(RANGEVAL(kInf, -100, 100), 100);
}

TEST(SiderealTime, FollowsTheClockAndItsZone)
{
    testing_support::TestClock clock;  // 1 January 2000, 13:00, one hour ahead, no daylight saving
    const double atEpoch = 0.77905727325 * kTurn;
    EXPECT_NEAR(GET_LMST(0), atEpoch, 1e-6);
    EXPECT_NEAR(GET_LMST(0), 1009658.2, 0.05);
    EXPECT_NEAR(GET_LMST(648000), (0.77905727325 + 0.5 - 1.0) * kTurn, 1e-6);

    // Daylight saving: the same local time is one hour earlier in universal time.
    clock.setZone(7200, true);
    EXPECT_NEAR(GET_LMST(0), atEpoch - 1.0027379093508055 * kTurn / 24.0, 1e-6);

    // Any zone: only the universal time counts.
    clock.setTime(7, 0, 0);
    clock.setZone(-5 * 3600, false);
    EXPECT_NEAR(GET_LMST(0), atEpoch, 1e-6);
    clock.setDate(1999, 12, 31);
    clock.setTime(23, 30, 0);
    clock.setZone(-13 * 3600 + 1800, false);
    EXPECT_NEAR(GET_LMST(0), atEpoch, 1e-6);
}

TEST(SiderealTime, AgreesWithTheReferenceFrom2000To2050)
{
    struct Moment {
        int y, m, d, h, min, s, ms;
        int offset;  // seconds ahead of universal time
        bool dst;
    };
    const Moment moments[] = {
        {2000, 1, 1, 13, 0, 0, 0, 3600, false},    {2000, 2, 29, 0, 0, 0, 1, 3600, false},
        {2004, 7, 15, 14, 22, 5, 500, 7200, true}, {2010, 3, 28, 1, 59, 59, 999, 3600, false},
        {2010, 3, 28, 3, 0, 0, 0, 7200, true},     {2016, 10, 30, 2, 30, 0, 0, 3600, false},
        {2020, 12, 31, 23, 59, 59, 999, 3600, false}, {2025, 6, 21, 4, 0, 0, 0, -4 * 3600, true},
        {2031, 1, 15, 20, 0, 0, 0, 9 * 3600 + 1800, false}, {2037, 11, 3, 6, 45, 0, 0, -8 * 3600, false},
        {2044, 8, 8, 12, 0, 0, 0, 0, false},       {2050, 12, 31, 23, 59, 59, 0, 3600, false},
    };
    testing_support::TestClock clock;
    for (const Moment& t : moments) {
        clock.setDate(t.y, t.m, t.d);
        clock.setTime(t.h, t.min, t.s, t.ms);
        clock.setZone(t.offset, t.dst);

        double mjd0 = 0, mjd = 0;
        ASSERT_EQ(eraCal2jd(t.y, t.m, t.d, &mjd0, &mjd), 0);
        const double ut = mjd + ((((t.h * 60.0 + t.min) * 60.0 + t.s) * 1000.0 + t.ms) - t.offset * 1000.0) / 86400000.0;
        const double tt = ut + 69.184 / 86400.0;
        const double reference = eraGmst06(mjd0, ut, mjd0, tt) * kArcsecPerRad;
        const double lmst = GET_LMST(0);
        EXPECT_GE(lmst, 0);
        EXPECT_LT(lmst, kTurn);
        EXPECT_LT(std::fabs(CHECKBOUND(lmst - reference, -648000, 648000)), 0.5)
            << t.y << "-" << t.m << "-" << t.d << " " << t.h << ":" << t.min;
    }
}

TEST(Coordinates, WorkedExamples)
{
    const double lst = 100000;
    double ra = 0, de = 0, az = 0, alt = 0;
    AZTORA(324000, 0, 0, lst, ra, de);  // the east point of the horizon
    EXPECT_NEAR(de, 0, 1e-6);
    EXPECT_NEAR(ra, lst + 324000, 1e-6);

    double ra2 = 0, de2 = 0;
    AZTORA(100000, 330000, 187200, lst, ra, de);  // beyond the zenith
    AZTORA(748000, 318000, 187200, lst, ra2, de2);
    EXPECT_NEAR(ra, ra2, 1e-6);
    EXPECT_NEAR(de, de2, 1e-6);

    RATOAZ(lst, 72000, 187200, lst, az, alt);  // on the meridian
    EXPECT_NEAR(az, 648000, 1e-6);
    EXPECT_NEAR(alt, 208800, 1e-6);
    AZTORA(az, alt, 187200, lst, ra, de);
    EXPECT_NEAR(de, 72000, 1e-6);
    EXPECT_NEAR(ra, lst, 1e-6);  // back on the meridian, not 29 arcseconds off it

    RATOAZ(lst - 30000, 72000, 187200, lst, az, alt);
    EXPECT_GT(az, 648000);  // west of south
    AZTORA(az, alt, 187200, lst, ra, de);
    EXPECT_NEAR(ra, lst - 30000, 1e-6);
    EXPECT_NEAR(de, 72000, 1e-6);
}

// The reference grid: poles, meridian, horizon and either side of each.
const double kLatitudes[] = {-90, -52, -1e-9, 0, 23.44, 52, 89.9999, 90};
const double kSteep[] = {-90, -89.9999, -60, -20, 0, 1e-9, 20, 60, 89.9999, 90};
const double kRound[] = {-180, -135, -90, -30, -1e-7, 0, 1e-7, 30, 90, 135, 179.9999};
constexpr double kTolerance = 1e-6 / kArcsecPerRad;  // 1e-6 arcsecond
constexpr double kLst = 400000;

TEST(Coordinates, EquatorialToHorizontalAgreesWithTheReference)
{
    for (double lat : kLatitudes)
        for (double dec : kSteep)
            for (double ha : kRound) {
                double az = kNaN, alt = kNaN;
                RATOAZ(kLst - ha * 3600, dec * 3600, lat * 3600, kLst, az, alt);
                ASSERT_TRUE(std::isfinite(az) && std::isfinite(alt)) << lat << " " << dec << " " << ha;
                EXPECT_GE(az, 0);
                EXPECT_LT(az, kTurn);
                double refAz = 0, refAlt = 0;
                eraHd2ae(toRad(ha * 3600), toRad(dec * 3600), toRad(lat * 3600), &refAz, &refAlt);
                EXPECT_LT(separation(toRad(az), toRad(alt), refAz, refAlt), kTolerance)
                    << "lat " << lat << " dec " << dec << " ha " << ha;
            }
}

TEST(Coordinates, HorizontalToEquatorialAgreesWithTheReference)
{
    for (double lat : kLatitudes)
        for (double alt : kSteep)
            for (double az : kRound) {
                double ra = kNaN, de = kNaN;
                AZTORA(az * 3600, alt * 3600, lat * 3600, kLst, ra, de);
                ASSERT_TRUE(std::isfinite(ra) && std::isfinite(de)) << lat << " " << alt << " " << az;
                EXPECT_GE(ra, 0);
                EXPECT_LT(ra, kTurn);
                double refHa = 0, refDec = 0;
                eraAe2hd(toRad(az * 3600), toRad(alt * 3600), toRad(lat * 3600), &refHa, &refDec);
                EXPECT_LT(separation(toRad(kLst - ra), toRad(de), refHa, refDec), kTolerance)
                    << "lat " << lat << " alt " << alt << " az " << az;
            }
}

}  // namespace
