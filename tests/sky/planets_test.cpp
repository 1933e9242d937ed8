#include "sky/planets.h"

#include "tests/sky/sky_stand.h"

#include <sys/stat.h>

#include <cmath>
#include <limits>

namespace {

using sky_testing::SkyStand;

constexpr double kTwoPi = 6.283185307179586;
const std::string kZeroDeg = "    0d00'00.0\"";
const std::string kZeroHour = "  0h00m00.0s";
// The Earth alone, at mean longitude 100 degrees on a circle.
const std::string kEarthOnly = "Earth 1 0 0 100 0 0\n  0 0 0 0 0 0\n";

TEST(DayNumber, CountsDaysFromTheNoonOfTheFirstOf2000)
{
    struct Case {
        double y, m, d, h, min, expected;
    };
    for (const Case& c : {Case{2000, 1, 1, 12, 0, 0}, Case{2000, 1, 1, 0, 0, -0.5}, Case{1999, 12, 31, 12, 0, -1},
                          Case{2024, 3, 1, 0, 0, 8825.5}, Case{2000, 1, 1, 18, 30, 0.2708333333333333}})
        EXPECT_DOUBLE_EQ(PLANETS::DAY_NUMBER(c.y, c.m, c.d, c.h, c.min), c.expected) << c.y << "-" << c.m << "-" << c.d;
}

// The planets move on universal time: 13:00 an hour ahead of it is noon.
TEST_F(SkyStand, DayNumberOfNowIsUniversalTime)
{
    clock.setDate(2000, 1, 1);
    clock.setTime(13, 0, 59);
    EXPECT_DOUBLE_EQ(PLANETS::DAY_NUMBER_NOW(), 0.0);
    clock.setZone(2 * 3600, true);
    clock.setDate(2024, 3, 1);
    clock.setTime(0, 30, 0);  // 22:30 of the day before
    EXPECT_DOUBLE_EQ(PLANETS::DAY_NUMBER_NOW(), 8825.5 - 1.5 / 24);
}

TEST(Mod2Pi, ReducesIntoOneTurnAndKeepsTwoPi)
{
    EXPECT_DOUBLE_EQ(PLANETS::MOD2PI(-0.1), 6.183185307179587);
    EXPECT_EQ(PLANETS::MOD2PI(kTwoPi), kTwoPi);
    EXPECT_DOUBLE_EQ(PLANETS::MOD2PI(7), 0.7168146928204138);
    for (double v : {1e300, -1e300, 1e17 + 3, -7e9}) {
        const double r = PLANETS::MOD2PI(v);
        EXPECT_GE(r, 0) << v;
        EXPECT_LE(r, kTwoPi) << v;
    }
    EXPECT_TRUE(std::isnan(PLANETS::MOD2PI(std::numeric_limits<double>::quiet_NaN())));
}

TEST(TrueAnomaly, SolvesKeplersEquationOrSaysItCannot)
{
    EXPECT_DOUBLE_EQ(*PLANETS::TRUE_ANOMALY(1, 0), 1);
    EXPECT_DOUBLE_EQ(*PLANETS::TRUE_ANOMALY(-1, 0), kTwoPi - 1);
    EXPECT_NEAR(*PLANETS::TRUE_ANOMALY(1, 0.5), 2.0308062, 1e-7);
    for (double e : {1.0, 1.5, -0.1, std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(PLANETS::TRUE_ANOMALY(1, e)) << e;
    EXPECT_FALSE(PLANETS::TRUE_ANOMALY(std::numeric_limits<double>::quiet_NaN(), 0.1));
}

TEST(ElementFields, AreSeparatedByBlanksOnly)
{
    EXPECT_EQ(PLANETS::ELEMENT(1, "Mercury  0.38 0.2"), "Mercury");
    EXPECT_EQ(PLANETS::ELEMENT(3, "Mercury  0.38 0.2"), "0.2");
    EXPECT_EQ(PLANETS::ELEMENT(4, "Mercury  0.38 0.2"), "");
    EXPECT_EQ(PLANETS::ELEMENT(1, "Mercury\t0.38 0.2"), "Mercury\t0.38");
    EXPECT_EQ(PLANETS::ELEMENT(1, "   0.1 0.2"), "");
    EXPECT_EQ(PLANETS::ELEMENT(2, "   0.1 0.2"), "0.1");
    EXPECT_EQ(PLANETS::ELEMENT(2, "x 0.1\x01 "), "0.1");
}

TEST(ElementsFile, OnlyCompleteRecordsCountAndTheLastWins)
{
    const std::string rates = "  1 2 3 4 5 6\n";
    const auto a = [](std::string_view text, std::string_view name) { return PLANETS::GET_ELEMENTS(text, name); };
    // Letter case of the name does not matter; a tab does not separate.
    EXPECT_EQ(a("MERCURY  0.4 0.2 7 252 77 48\n" + rates, "Mercury")->A, 0.4);
    EXPECT_FALSE(a("Mercury\t0.4 0.2 7 252 77 48\n" + rates, "Mercury"));
    EXPECT_FALSE(a(" Mercury 0.4 0.2 7 252 77 48\n" + rates, "Mercury"));
    EXPECT_FALSE(a("# Mercury 0.4 0.2 7 252 77 48\n" + rates, "#"));
    const auto mars = a("Mars 1 0.1 2 3 4 5\n" + rates + "Mars 9 0.2 2 3 4 5\r\n   1 2 3 4 5 66", "Mars");
    ASSERT_TRUE(mars);
    EXPECT_EQ(mars->A, 9);
    EXPECT_EQ(mars->LNC, 66);  // a record on the last line, without a line end
    // Incomplete later records do not replace a complete one.
    for (const char* bad : {"Mars 2 0.1 2 3 4\n  1 2 3 4 5 6\n", "Mars 2 0.1 2 3 4 nan\n  1 2 3 4 5 6\n",
                            "Mars 2 0.1 2 3 4 1e400\n  1 2 3 4 5 6\n", "Mars 2 0,1 2 3 4 5\n  1 2 3 4 5 6\n",
                            "Mars 2 0.1 2 3 4 5\n  1 2 3 4 5 six\n", "Mars 2 0.1 2 3 4 5"}) {
        const auto m = a("Mars 1 0.1 2 3 4 5\n" + rates + bad, "Mars");
        ASSERT_TRUE(m) << bad;
        EXPECT_EQ(m->A, 1) << bad;
        EXPECT_FALSE(a(bad, "Mars")) << bad;
    }
    // The rates' line is used up, whatever it holds.
    const auto venus = a("Venus 1 0 0 0 0 0\nVenus 2 0 0 0 0 0\n  0 0 0 0 0 0\n", "Venus");
    EXPECT_EQ(venus->A, 1);
    EXPECT_EQ(venus->AC, 2);
    // A byte-order mark in front of the first record.
    EXPECT_TRUE(a("\xEF\xBB\xBFVenus 1 0 0 0 0 0\n  0 0 0 0 0 0\n", "Venus"));
}

TEST(Calculate, EarthExampleGivesTheSunsPlace)
{
    double ra = 0, dec = 0;
    std::string problem;
    ASSERT_TRUE(PLANETS::CALCULATE(kEarthOnly, "Earth", 0, ra, dec, problem));
    EXPECT_NEAR(ra, 280.8787886, 1e-7);
    EXPECT_NEAR(dec, -23.0624288, 1e-7);
    // Any letter case of the Earth's name is the Sun too.
    double ra2 = 0, dec2 = 0;
    ASSERT_TRUE(PLANETS::CALCULATE(kEarthOnly, "EARTH", 0, ra2, dec2, problem));
    EXPECT_EQ(ra2, ra);
    EXPECT_EQ(dec2, dec);
}

TEST(Calculate, FailsWithAReasonInsteadOfAWrongDirection)
{
    struct Case {
        std::string file, body, reason;
    };
    const Case cases[] = {
        {kEarthOnly, "Mars", "no complete record of \"Mars\""},
        {"Mars 1.5 0.09 1.8 -4.5 -23.9 49.5\n 0 0 0 0 0 0\n", "Mars", "no complete record of \"Earth\""},
        {kEarthOnly + "Comet 3 1.0 10 0 0 0\n 0 0 0 0 0 0\n", "Comet", "\"Comet\" give no orbit"},
        {kEarthOnly + "Comet 3 0.9 10 0 0 0\n 0 2 0 0 0 0\n", "Comet", "\"Comet\" give no orbit"},
        {"Earth 1 -0.1 0 0 0 0\n 0 0 0 0 0 0\nMars 1.5 0.09 1.8 -4.5 -23.9 49.5\n 0 0 0 0 0 0\n", "Mars",
         "\"Earth\" give no orbit"},
        {kEarthOnly + "Twin 1 0 0 100 0 0\n 0 0 0 0 0 0\n", "Twin", "no direction"},
        {kEarthOnly + "Far 1.79e308 0 0 0 0 0\n 1e308 0 0 0 0 0\n", "Far", "no orbit"},
    };
    for (const Case& c : cases) {
        double ra = -1, dec = -1;
        std::string problem;
        EXPECT_FALSE(PLANETS::CALCULATE(c.file, c.body, 3650, ra, dec, problem)) << c.body;
        EXPECT_NE(problem.find(c.reason), std::string::npos) << problem;
        EXPECT_EQ(ra, -1);
    }
    // Angles of any size give a finite direction.
    double ra = 0, dec = 0;
    std::string problem;
    ASSERT_TRUE(PLANETS::CALCULATE(kEarthOnly + "Big 2 0.5 1e300 -1e300 1e300 1e300\n 0 0 1e300 1e300 1e300 1e300\n",
                                   "Big", 1e6, ra, dec, problem));
    EXPECT_GE(ra, 0);
    EXPECT_LE(ra, 360);
    EXPECT_LE(std::fabs(dec), 90);
}

TEST(PlanetTexts, DegreesHaveNoSignBlank)
{
    EXPECT_EQ(PLANETS::REALTODEG(0), kZeroDeg);
    EXPECT_EQ(PLANETS::REALTODEG(-83024.7), "-  23d03'44.7\"");
    EXPECT_EQ(PLANETS::REALTODEG(18427.25), "    5d07'07.2\"");
    EXPECT_EQ(PLANETS::REALTOHOUR(0), kZeroHour);
}

TEST_F(SkyStand, CalcPlanetWritesTheTextsOfTheEarthExample)
{
    writeElements(kEarthOnly);
    std::string ra, dec;
    ASSERT_TRUE(PLANETS::CALC_PLANET("Earth", 0, ra, dec));
    EXPECT_EQ(ra, "18h43m30.9s");
    EXPECT_EQ(dec, "-  23d03'44.7\"");
    EXPECT_TRUE(dialogs.shown().empty());
}

// A file that is missing, unreadable, too large or no file at all: one box,
// zero texts.
TEST_F(SkyStand, CalcPlanetWithoutAReadableFileShowsOneBox)
{
    const auto check = [&](const char* what) {
        dialogs.clear();
        std::string ra = "x", dec = "x";
        EXPECT_FALSE(PLANETS::CALC_PLANET("Mars", 0, ra, dec)) << what;
        EXPECT_EQ(ra, kZeroHour) << what;
        EXPECT_EQ(dec, kZeroDeg) << what;
        ASSERT_EQ(dialogs.shown().size(), 1u) << what;
        EXPECT_EQ(dialogs.shown()[0].title, "Missing File");
        EXPECT_EQ(dialogs.shown()[0].text, "The panet infromation file is missing. No planet positions availeble.");
    };
    check("missing");
    ASSERT_EQ(::mkdir(elementsPath().c_str(), 0700), 0);
    check("a folder");
    ASSERT_EQ(::rmdir(elementsPath().c_str()), 0);
    // Opening a FIFO for reading would wait for a writer that never comes.
    ASSERT_EQ(::mkfifo(elementsPath().c_str(), 0600), 0);
    check("a FIFO");
    ASSERT_EQ(::unlink(elementsPath().c_str()), 0);

    // One that is there but past the bound says so instead.
    writeElements(std::string(PLANETS::kMaxElementsBytes + 1, '#'));
    dialogs.clear();
    std::string ra = "x", dec = "x";
    EXPECT_FALSE(PLANETS::CALC_PLANET("Mars", 0, ra, dec));
    EXPECT_EQ(ra, kZeroHour);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, "File Too Large");
    EXPECT_EQ(dialogs.shown()[0].text,
              "The planet information file " + elementsPath() + " is larger than 1 MiB. No planet positions available.");
}

TEST_F(SkyStand, CalcPlanetNamesTheBodyItCannotCompute)
{
    writeElements(kEarthOnly);
    std::string ra = "x", dec = "x";
    EXPECT_FALSE(PLANETS::CALC_PLANET("Vulcan", 0, ra, dec));
    EXPECT_EQ(ra, kZeroHour);
    EXPECT_EQ(dec, kZeroDeg);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "No position of Vulcan can be computed: the planet information file holds no complete record of "
              "\"Vulcan\".");
}

TEST_F(SkyStand, DisplayNamesOfTheLanguageMapToTheFilesNames)
{
    EXPECT_EQ(PLANETS::NAME_REPLACE("Merkur"), "Merkur");
    dir.write("orla_setup.lng.de",
              "[planets]\nplanets=Sonne;Merkur;Venus;Mars;Jupiter;Saturn;Uranus;Neptun;Pluto\n");
    ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.de"));
    EXPECT_EQ(PLANETS::NAME_REPLACE("mERKUR"), "Mercury");
    EXPECT_EQ(PLANETS::NAME_REPLACE("Sonne"), "Sun");
    EXPECT_EQ(PLANETS::NAME_REPLACE("Neptun"), "Neptune");
    EXPECT_EQ(PLANETS::NAME_REPLACE("Ceres"), "Ceres");
    // The German names reach the file's records.
    writeElements(kEarthOnly + "Mercury 0.387 0.2 7 252 77 48\n 0 0 0 0 0 0\n");
    std::string ra, dec;
    EXPECT_TRUE(PLANETS::CALC_PLANET("Merkur", 0, ra, dec));
    const auto list = PLANETS::PLANET_LIST();
    EXPECT_EQ(list[0][0], "Sonne");
    EXPECT_EQ(list[7][0], "Neptun");
}

TEST_F(SkyStand, PlanetListWithoutTheFileShowsOneBoxAndTheZeroRow)
{
    const PLANETS::TP_LIST list = PLANETS::PLANET_LIST();
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(list[0], (PLANETS::TP_ROW{"Sun", kZeroHour, kZeroDeg}));
    for (std::size_t k = 1; k < list.size(); ++k)
        EXPECT_EQ(list[k], (PLANETS::TP_ROW{PLANETS::PLANET_NAMES[k], "", ""}));
}

TEST_F(SkyStand, PlanetListStopsAtTheFirstBodyWithoutARecord)
{
    writeElements(kEarthOnly + "Mercury 0.387 0.2 7 252 77 48\n 0 0 0 0 0 0\n");
    const PLANETS::TP_LIST list = PLANETS::PLANET_LIST();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("Venus"), std::string::npos);
    EXPECT_FALSE(list[1][1].empty());
    EXPECT_EQ(list[2][1], kZeroHour);
    EXPECT_EQ(list[3][1], "");
}

// The shipped file answers every body, the Sun and a go-to of "Sun" alike.
TEST_F(SkyStand, ShippedFileGivesTheNineRowsNow)
{
    useShippedElements();
    clock.setDate(2024, 3, 1);
    clock.setTime(0, 0, 0);
    const PLANETS::TP_LIST list = PLANETS::PLANET_LIST();
    for (const auto& box : dialogs.shown())
        ADD_FAILURE() << box.text;
    for (std::size_t k = 0; k < list.size(); ++k) {
        EXPECT_EQ(list[k][0], PLANETS::PLANET_NAMES[k]);
        EXPECT_EQ(list[k][1].back(), 's') << list[k][1];
        EXPECT_EQ(list[k][2].back(), '"') << list[k][2];
    }
    std::string ra, dec;
    ASSERT_TRUE(PLANETS::CALC_PLANET("Sun", PLANETS::DAY_NUMBER_NOW(), ra, dec));
    EXPECT_EQ(ra, list[0][1]);
    EXPECT_EQ(dec, list[0][2]);
}

}  // namespace
