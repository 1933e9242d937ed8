#include "board/frames.h"
#include "board/hal.h"
#include "core/params.h"
#include "core/system_init.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {

struct Motion final : HAL::Link {
    std::vector<std::pair<int, int>> speeds;
    void writeIfConnected(const HAL::Frame& f) override
    {
        if (f[0] == 0x05)
            speeds.emplace_back(static_cast<std::int16_t>((f[1] << 8) | f[2]),
                                static_cast<std::int16_t>((f[3] << 8) | f[4]));
    }
};

class Positions : public ::testing::Test {
protected:
    void SetUp() override
    {
        PARAM_CLEAR();
        system_init::INIT_PARAM();
        HAL::RESET_BOARD_VALUES();
        HAL::DUMMY_SELECT = false;
        HAL::SET_LINK(&motion);
    }
    void TearDown() override { HAL::SET_LINK(nullptr); }

    void absolute(std::int32_t ra, std::int32_t de)
    {
        const std::uint8_t f[8] = {0x05, 0, static_cast<std::uint8_t>(ra >> 16), static_cast<std::uint8_t>(ra >> 8),
                                   static_cast<std::uint8_t>(ra), static_cast<std::uint8_t>(de >> 16),
                                   static_cast<std::uint8_t>(de >> 8), static_cast<std::uint8_t>(de)};
        HAL::DECODE(f, 8);
    }

    Motion motion;
};

TEST_F(Positions, CountsToAxisAngles)
{
    struct Case {
        std::int32_t count;
        const char* resolution;
        double ra, de;
        std::int32_t rawHor, rawVert;
    } cases[] = {
        {0, "24", 0.0, 0.0, 0, 0},
        {4194304, "24", 324000.0, 324000.0, 324000, 324000},
        {8388608, "24", 648000.0, -648000.0, 648000, 648000},
        {16777215, "24", 1295999.9227524, -0.0772476, 0, 0},
        {4194304, "23", 648000.0, -648000.0, 648000, 648000},
        {1, "24", 0.0772476, 0.0772476, 0, 0},
        {6, "24", 0.4634857, 0.4634857, 0, 0},
        {7, "24", 0.5407333, 0.5407333, 1, 1},
    };
    for (const auto& c : cases) {
        SET_PARAM("RA_resolution", c.resolution);
        SET_PARAM("Dec_resolution", c.resolution);
        absolute(c.count, c.count);
        double ra = -1, de = -1;
        HAL::READPOS(ra, de);
        EXPECT_NEAR(ra, c.ra, 1e-6) << c.count;
        EXPECT_NEAR(de, c.de, 1e-6) << c.count;
        std::int32_t h = -1, v = -1;
        HAL::RAWPOS(h, v, false);
        EXPECT_EQ(h, c.rawHor) << c.count;
        EXPECT_EQ(v, c.rawVert) << c.count;
    }
}

TEST_F(Positions, RawWholeArcsecondsRoundHalvesToEven)
{
    // 2^-4 turn steps make exact halves: resolution 11 gives 632.8125 per count.
    SET_PARAM("RA_resolution", "11");
    SET_PARAM("Dec_resolution", "11");
    absolute(0, 0);
    const std::uint8_t inc[8] = {0x03, 0, 0, 0, 8, 0, 0, 24};  // 5062.5 and 15187.5
    HAL::DECODE(inc, 8);
    std::int32_t h = 0, v = 0;
    HAL::RAWPOS(h, v, true);
    EXPECT_EQ(h, 5062);
    EXPECT_EQ(v, 15188);
}

TEST_F(Positions, NoFrameYetLeavesTheCallersValues)
{
    double ra = 12.0, de = 34.0;
    HAL::READPOS(ra, de);
    EXPECT_EQ(ra, 12.0);
    EXPECT_EQ(de, 34.0);
    std::int32_t h = 5, v = 5;
    HAL::READHWPOS(h, v);
    EXPECT_EQ(h, 0);
    HAL::RAWPOS(h, v, false);
    EXPECT_EQ(v, 0);

    const std::uint8_t inc[8] = {0x03, 0, 0, 1, 0, 0, 1, 0};
    HAL::DECODE(inc, 8);
    HAL::READPOS(ra, de);
    EXPECT_EQ(ra, 0.0) << "an incremental frame alone gives the absolute counts, still 0";
    EXPECT_EQ(de, 0.0);
}

TEST_F(Positions, OddResolutionsStayFinite)
{
    for (const char* res : {"0", "-5", "-2147483648", "2147483647", "1100", "-1100", "x"}) {
        SET_PARAM("RA_resolution", res);
        SET_PARAM("Dec_resolution", res);
        absolute(16777215, 8388608);
        double ra = 0, de = 0;
        HAL::READPOS(ra, de);
        EXPECT_TRUE(std::isfinite(ra) && ra >= 0 && ra < 1296000) << res;
        EXPECT_TRUE(std::isfinite(de) && de >= -648000 && de < 648000) << res;
        std::int32_t h = -1, v = -1;
        HAL::RAWPOS(h, v, false);
        EXPECT_TRUE(h >= 0 && h < 1296000 && v >= 0 && v < 1296000) << res;
    }
}

TEST_F(Positions, SyncLeavesEveryPositionAsItWas)
{
    absolute(4194304, 100);
    double ra0 = 0, de0 = 0;
    HAL::READPOS(ra0, de0);
    HAL::SET_CAL(500000, 20000);
    HAL::SET_INC_CAL(0, 0);
    double ra = 0, de = 0;
    HAL::READPOS(ra, de);
    EXPECT_EQ(ra, ra0);
    EXPECT_EQ(de, de0);
    std::int32_t h = 0, v = 0;
    HAL::RAWPOS(h, v, false);
    EXPECT_EQ(h, 324000);
    EXPECT_EQ(GET_PARAM("RA_CAL"), "");
}

TEST_F(Positions, MoveClampsAndRoundsHalvesToEven)
{
    HAL::DIGIO = 0x1A5;
    struct Case {
        double h, v;
        int sh, sv;
    } cases[] = {{12000, -12000, 10000, -10000}, {2.5, -0.5, 2, 0}, {3.5, 1.5, 4, 2},
                 {-2.5, -3.5, -2, -4}, {9999.5, -9999.5, 10000, -10000}, {0, 0, 0, 0},
                 {NAN, INFINITY, 0, 0}, {1e300, -1e300, 10000, -10000}};
    for (const auto& c : cases) {
        motion.speeds.clear();
        EXPECT_EQ(HAL::MOVE(c.h, c.v), 0);
        ASSERT_EQ(motion.speeds.size(), 1u);
        EXPECT_EQ(motion.speeds[0], (std::pair<int, int>{c.sh, c.sv})) << c.h << " " << c.v;
    }
    EXPECT_EQ(HAL::AN_MOT_R, 10000);
}

}  // namespace
