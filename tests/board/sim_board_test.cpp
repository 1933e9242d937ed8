// The simulated board the later tests stand on: it must answer as the real
// board's frames say, or those tests prove nothing.

#include "board/frames.h"
#include "board/hal.h"
#include "core/params.h"
#include "core/system_init.h"
#include "tests/support/fresh_run.h"
#include "tests/support/sim_board.h"
#include "tests/support/sim_link.h"

#include <gtest/gtest.h>

namespace {

using testing_support::SimBoard;

class SimulatedBoard : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::freshBoardRun();
    }

    std::size_t deliver() { return link.deliver(); }

    SimBoard board;
    testing_support::SimLink link{board};
};

TEST_F(SimulatedBoard, AnswersEveryRequest)
{
    board.motorPower = 5600;
    SimBoard::Axis ra = board.axis(0);
    ra.gear = 100000;
    ra.ramp = 7;
    ra.flags = 1;
    board.setAxis(0, ra);

    HAL::SEND_POWER_REQUEST();
    deliver();
    EXPECT_TRUE(HAL::TAKE_REPLY(0xF4));
    EXPECT_EQ(HAL::HW_MOTOR_POWER, 5600);

    HAL::SEND_SETUP_REQUEST();
    deliver();
    EXPECT_TRUE(HAL::TAKE_REPLY(0xA0));
    EXPECT_TRUE(HAL::HW_ABS_ENC);

    HAL::SEND_RA_GEAR_REQUEST();
    deliver();
    EXPECT_TRUE(HAL::TAKE_REPLY(0x92));
    EXPECT_EQ(HAL::HW_RA_GEAR, 100000);
    EXPECT_EQ(HAL::HW_RA_RAMP, 7);

    HAL::HW_RA_GEAR = 123456;
    HAL::SEND_GEAR_RA();
    deliver();
    EXPECT_TRUE(HAL::TAKE_REPLY(0x12));
    EXPECT_EQ(board.axis(0).gear, 123456);

    HAL::SEND_ENC_VAL(2048, 4096);
    deliver();
    EXPECT_TRUE(HAL::TAKE_REPLY(0x27));
    EXPECT_EQ(board.encoderPulses(), (std::pair<std::int32_t, std::int32_t>{2048, 4096}));

    board.rtcMs = 86400500;
    HAL::SEND_RTC_REQUEST();
    deliver();
    EXPECT_TRUE(HAL::TAKE_REPLY(0x85));
    EXPECT_EQ(HAL::RTC, 86400);
    EXPECT_EQ(HAL::RTCMSEC, 500);

    HAL::SEND_TIMEBASE(700);
    HAL::SEND_TIMEBASE_REQUEST();
    deliver();
    EXPECT_TRUE(HAL::TAKE_REPLY(0x84));
    EXPECT_EQ(HAL::TIMEBASE, 700);

    for (const char* p : {"RA_mot_CCW", "DE_enc_CCW", "Enc_swap"})
        SET_PARAM(p, true);
    HAL::SAVE_HW_CONF();
    HAL::SEND_ALIGN_REQUEST();
    deliver();
    EXPECT_TRUE(HAL::TAKE_REPLY(0xC2));
    EXPECT_TRUE(HAL::HW_RA_MOT_CCW);
    EXPECT_FALSE(HAL::HW_RA_ENC_CCW);
    EXPECT_TRUE(HAL::HW_DE_ENC_CCW);
    EXPECT_TRUE(HAL::HW_CONFIG);
    EXPECT_TRUE(board.config().encSwap);
    EXPECT_TRUE(board.config().equatorial);
}

TEST_F(SimulatedBoard, IntegratesMotionIntoCountsWithItsWiring)
{
    HAL::SEND_CTRL(1000, -500, 0);
    for (int i = 0; i < 100; ++i)
        board.step(10);  // one second
    deliver();
    EXPECT_EQ(HAL::TEL_POS.load(), (HAL::AxisCounts{1000, (1 << 24) - 500}));

    // Reversed motor and crossed encoders, then the configuration that mends both.
    board.setCounts(0, 0);
    SimBoard::Axis de = board.axis(1);
    de.motorReversed = true;
    board.setAxis(1, de);
    board.setEncoderSwap(true);
    HAL::SEND_CTRL(0, 100, 0);
    board.step(1000);
    EXPECT_EQ(board.counts(), (std::pair<std::int32_t, std::int32_t>{(1 << 24) - 100, 0}));

    board.setCounts(0, 0);
    SET_PARAM("DE_mot_CCW", true);
    SET_PARAM("Enc_swap", true);
    HAL::SAVE_HW_CONF();
    board.step(1000);
    EXPECT_EQ(board.counts(), (std::pair<std::int32_t, std::int32_t>{0, 100}));
}

TEST_F(SimulatedBoard, FaultsItCanBeToldToShow)
{
    board.silent = true;
    HAL::SEND_POWER_REQUEST();
    board.step();
    EXPECT_EQ(deliver(), 0u);

    board.silent = false;
    board.replyDelaySteps = 3;
    board.sendAbsolute = false;
    HAL::SEND_POWER_REQUEST();
    board.step();
    board.step();
    EXPECT_EQ(deliver(), 0u);
    board.step();
    EXPECT_EQ(deliver(), 1u);

    board.replyDelaySteps = 0;
    board.answerTwice = true;
    HAL::SEND_POWER_REQUEST();
    EXPECT_EQ(deliver(), 2u);

    board.answerTwice = false;
    board.shortReports = true;
    HAL::HW_CONFIG_RECEIVED = 0;
    HAL::SEND_POWER_REQUEST();
    EXPECT_EQ(deliver(), 1u);
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0u) << "a short report is no frame";

    board.failWrites = -1;
    std::uint8_t report[9] = {0, 0xF0, 0, 0, 0, 0, 0, 0, 0xF4};
    EXPECT_EQ(board.onWrite(report, 9), -1);
    board.failWrites = 4;
    EXPECT_EQ(board.onWrite(report, 9), 4);
}

TEST_F(SimulatedBoard, HandBitsRideInEveryEncoderFrame)
{
    board.handBits = 0x0B;
    board.sendIncremental = true;
    board.step();
    EXPECT_EQ(deliver(), 2u);
    EXPECT_EQ(HAL::DIG_IN_R, 0x0B);
    EXPECT_TRUE(HAL::POS_RECEIVED);
}

}  // namespace
