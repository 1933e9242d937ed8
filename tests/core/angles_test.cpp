#include "core/angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

const std::string DQ = "\"";

struct WriteCase {
    double value;
    std::string text;
};

TEST(AngleTexts, WritersPadSignAndTruncate)
{
    const WriteCase degrees[] = {
        {-18427.25, "-    5d07'07.2" + DQ}, {18427.25, "     5d07'07.2" + DQ}, {0.0, "     0d00'00.0" + DQ},
        {-0.0, "     0d00'00.0" + DQ},      {-0.04, "-    0d00'00.0" + DQ},   {324000.96, "   90d00'00.9" + DQ},
        {-162030.0, "-  45d00'30.0" + DQ},  {648000.0, " 180d00'00.0" + DQ},  {1296000.0, " 360d00'00.0" + DQ},
        {4665600.0, " 1296d00'00.0" + DQ},
    };
    for (const auto& c : degrees)
        EXPECT_EQ(REALTODEG(c.value), c.text) << c.value;

    const WriteCase hours[] = {
        {270000.0, "  5h00m00.0s"}, {1295999.99, "23h59m59.9s"}, {-15.0, "-  0h00m01.0s"},
        {1296000.0, "24h00m00.0s"}, {84.0, "  0h00m05.6s"},  // whole tenths exactly, not 05.5
    };
    for (const auto& c : hours)
        EXPECT_EQ(REALTOHOUR(c.value), c.text) << c.value;
}

TEST(AngleTexts, EveryWholeTenthIsWrittenAndReadBackExactly)
{
    // Exact tenths often sit a hair below themselves once scaled; each must
    // still come out as itself, and the readers must give it back, sign too.
    for (int n = -2000003; n <= 2000003; n += 997) {
        const double arcsec = n / 10.0;
        EXPECT_NEAR(DEGTOREAL(REALTODEG(arcsec)), arcsec, 1e-9) << REALTODEG(arcsec);
        const double ra = n * 1.5;  // a tenth of a second of time
        EXPECT_NEAR(HOURTOREAL(REALTOHOUR(ra)), ra, 1e-8) << REALTOHOUR(ra);
    }
}

TEST(AngleTexts, ReadBackTruncatesToTheTenth)
{
    EXPECT_NEAR(DEGTOREAL(REALTODEG(-18427.29)), -18427.2, 1e-9);
    EXPECT_NEAR(HOURTOREAL(REALTOHOUR(297187.49)), 297186.0, 1e-9);  // 19812.49 s of time
}

TEST(AngleTexts, WritersTakeAnyDouble)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(REALTODEG(nan), "     0d00'00.0" + DQ);
    EXPECT_EQ(REALTOHOUR(inf), "  0h00m00.0s");
    for (double v : {1e300, -1e300, std::numeric_limits<double>::max(), -std::numeric_limits<double>::max()}) {
        const std::string deg = REALTODEG(v), hour = REALTOHOUR(v);
        EXPECT_EQ(deg.front(), v < 0 ? '-' : ' ');
        EXPECT_EQ(deg.back(), '"');
        EXPECT_NE(deg.find('d'), std::string::npos);
        EXPECT_EQ(hour.back(), 's');
        EXPECT_NE(hour.find('h'), std::string::npos);
    }
}

TEST(AngleTexts, JustifyCountsCharactersNotPadding)
{
    EXPECT_EQ(JUSTIFY("5", "  ", 3), "    5");
    EXPECT_EQ(JUSTIFY("7", "0", 2), "07");
    EXPECT_EQ(JUSTIFY("123", "0", 2), "123");
    EXPECT_EQ(JUSTIFY("", "x", 2), "xx");
    EXPECT_EQ(JUSTIFY("\xC3\xA9", "_", 2), "_\xC3\xA9");  // one character, two bytes
    EXPECT_EQ(JUSTIFY("5", "0", -3), "5");
}

struct ReadCase {
    double (*read)(std::string_view);
    const char* text;
    double expected;
};
ReadCase deg(const char* text, double expected) { return {DEGTOREAL, text, expected}; }
ReadCase hour(const char* text, double expected) { return {HOURTOREAL, text, expected}; }

class Readers : public ::testing::TestWithParam<ReadCase> {};

TEST_P(Readers, ReadOrGiveZero)
{
    const double v = GetParam().read(GetParam().text);
    EXPECT_TRUE(std::isfinite(v));
    EXPECT_NEAR(v, GetParam().expected, 1e-9) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Degrees, Readers, ::testing::Values(
    deg("     5d07'07.2\"", 18427.2), deg("-    5d07'07.2\"", -18427.2),
    deg(" \t 5d07'07.2\" \r\n", 18427.2), deg("12d34'", 45240.0), deg("12d-30'", 41400.0),
    deg("5d07'07\".25", 18427.25), deg("5d07'07.2\" trailing", 18427.2), deg("5d07'07\"5'", 18427.0),
    deg("1.5d0.5'", 5430.0), deg("1e2d0'", 360000.0),
    // The whole text after the sign counts, however wide the padding.
    deg("-       123d45'06.7\"", -445506.7),
    // Texts that cannot be read.
    deg("5d 07'00.0\"", 0.0), deg("12d", 0.0), deg("", 0.0), deg("   ", 0.0),
    deg("-", 0.0), deg("d'\"", 0.0), deg("5'3d", 0.0), deg("5d07'\"", 0.0),
    deg("5d07'07\".", 0.0), deg("nan", 0.0),
    deg("nand0'", 0.0), deg("infd0'", 0.0), deg("1e400d0'", 0.0),
    deg("1e308d1e308'", 0.0), deg("1e308d-1e308'", 0.0), deg("5,5d0'", 0.0),
    deg("\xEF\xBC\x95" "d07'", 0.0), deg("5d07'07\xC2\xB0\"", 0.0), deg("--5d0'", 18000.0)));

INSTANTIATE_TEST_SUITE_P(Hours, Readers, ::testing::Values(
    hour("5h30m12s.5", 297187.5), hour("5h30m12.5s", 297187.5), hour("  5h00m00.0s", 270000.0),
    hour("24h00m00.0s", 1296000.0), hour("5h30m", 297000.0),
    // A leading "-" is the sign of the whole text, so negative texts read back.
    hour("-  0h00m01.0s", -15.0), hour("-5h30m00.0s", -297000.0),
    hour("", 0.0), hour("5h", 0.0), hour("5h 30m", 0.0), hour("hms", 0.0),
    hour("1e308h0m", 0.0), hour("1e306h0m0s", 0.0), hour("nanh0m", 0.0),
    hour("\xE2\x88\x92" "5h0m", 0.0)));

// The same readers for a caller that must not take an unreadable text as 0.
TEST(AngleTexts, VariantReadersTellAFailedReadFromZero)
{
    EXPECT_EQ(READ_DEG("    0d00'00.0\""), 0.0);
    EXPECT_EQ(READ_DEG("-57d14'12.3\""), DEGTOREAL("-57d14'12.3\""));
    EXPECT_EQ(READ_HOUR("  0h00m00.0s"), 0.0);
    EXPECT_EQ(READ_HOUR("5h30m12s.5"), 297187.5);
    for (const char* bad : {"", "   ", "12d", "5d 07'00.0\"", "1e400d0'", "5d07'\""})
        EXPECT_FALSE(READ_DEG(bad)) << bad;
    for (const char* bad : {"", "5h", "5h 30m", "1e306h0m0s", "nanh0m"})
        EXPECT_FALSE(READ_HOUR(bad)) << bad;
}

struct FormatCase {
    const char* text;
    bool fits;
};

const char* const kRaTemplate = "[23]h[59]m[59].[9]s";
const char* const kDeTemplate = "[-][359]d[59]'[59].[9]\"";

class RaTemplate : public ::testing::TestWithParam<FormatCase> {};
TEST_P(RaTemplate, Checks) { EXPECT_EQ(CHECK_FORMAT(GetParam().text, kRaTemplate), GetParam().fits) << GetParam().text; }
INSTANTIATE_TEST_SUITE_P(Table, RaTemplate, ::testing::Values(
    FormatCase{"12h30m15.5s", true}, FormatCase{"  5h03m07.2s", true}, FormatCase{"12h30m15.5s junk", true},
    FormatCase{"5h3m7.2s", true}, FormatCase{"1.5e1h0m0.0s", true},
    FormatCase{"24h00m00.0s", false}, FormatCase{"5h03m07s", false}, FormatCase{"12h30m15.5", false},
    FormatCase{"12h30m15.55s", false}, FormatCase{"-5h03m07.2s", false}, FormatCase{"", false},
    FormatCase{"h30m15.5s", false}, FormatCase{"xh30m15.5s", false}, FormatCase{"nanh0m0.0s", false},
    FormatCase{"1e400h0m0.0s", false}, FormatCase{"\xC2\xB5h0m0.0s", false}));

class DeTemplate : public ::testing::TestWithParam<FormatCase> {};
TEST_P(DeTemplate, Checks) { EXPECT_EQ(CHECK_FORMAT(GetParam().text, kDeTemplate), GetParam().fits) << GetParam().text; }
INSTANTIATE_TEST_SUITE_P(Table, DeTemplate, ::testing::Values(
    FormatCase{"-45d30'15.5\"", true}, FormatCase{"-    5d07'07.2\"", true}, FormatCase{"45d-30'15.5\"", true},
    FormatCase{"360d00'00.0\"", false}, FormatCase{"45d60'00.0\"", false}, FormatCase{"45d30'15.5", false}));

TEST(AngleTemplates, OddTemplates)
{
    EXPECT_TRUE(CHECK_FORMAT("anything", ""));
    EXPECT_TRUE(CHECK_FORMAT("", "h:m"));          // separators with no limit consume nothing
    EXPECT_FALSE(CHECK_FORMAT("5h", "[x]h"));      // a limit that is no number
    EXPECT_TRUE(CHECK_FORMAT("5h", "[-5]h"));      // "-5" is a limit, not the sign marker
    EXPECT_FALSE(CHECK_FORMAT("-5h", "[-5]h"));
    EXPECT_TRUE(CHECK_FORMAT("5h", "[5"));         // an open bracket checks nothing
}

}  // namespace
