#include "board/frames.h"
#include "board/hal.h"
#include "core/params.h"
#include "core/system_init.h"
#include "tests/support/fresh_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using HAL::Frame;

std::string hex(const Frame& f)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (std::uint8_t b : f) {
        if (!s.empty())
            s += ' ';
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

Frame parse(const std::string& text)
{
    Frame f{};
    for (std::size_t i = 0; i < 8; ++i)
        f[i] = static_cast<std::uint8_t>(std::stoi(text.substr(i * 3, 2), nullptr, 16));
    return f;
}

struct RecordingLink final : HAL::Link {
    bool connected = true;
    std::vector<std::string> sent;
    void writeIfConnected(const Frame& f) override
    {
        if (connected)
            sent.push_back(hex(f));
    }
};

class BoardFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::freshBoardRun();
        HAL::SET_LINK(&link);
        HAL::SET_PAUSE([](int ms) { pauses.push_back(ms); });
        pauses.clear();
    }
    void TearDown() override
    {
        HAL::SET_LINK(nullptr);
        HAL::SET_PAUSE(nullptr);
        PARAM_CLEAR();
    }
    void decode(const std::string& text)
    {
        const Frame f = parse(text);
        HAL::DECODE(f.data(), f.size());
    }

    RecordingLink link;
    static inline std::vector<int> pauses;
};

TEST_F(BoardFrames, EveryOutgoingFrameByteForByte)
{
    HAL::SEND_CTRL(10000, -10000, 0x1A5);
    HAL::SEND_CTRL(0, 0, 0x07);
    HAL::SEND_CTRL(-1, 1, 0);
    HAL::SEND_WD();
    HAL::SEND_MOT_ENC_ALIGN();
    HAL::SEND_POWER_REQUEST();
    HAL::SEND_ALIGN_REQUEST();
    HAL::SEND_SETUP_REQUEST();
    HAL::SEND_RA_GEAR_REQUEST();
    HAL::SEND_DE_GEAR_REQUEST();
    HAL::SEND_ENC_VAL(2048, 4096);
    HAL::SEND_ENC_VAL(70000, -1);
    HAL::SEND_RTC_REQUEST();
    HAL::SEND_TIMEBASE_REQUEST();
    HAL::SEND_GEAR_RA();  // no gear reply yet: ramp and flags 00
    const std::vector<std::string> expected = {
        "05 27 10 D8 F0 A5 00 00", "05 00 00 00 00 07 00 00", "05 FF FF 00 01 00 00 00",
        "F0 00 00 00 00 00 00 55", "F0 04 00 00 00 00 00 26", "F0 00 00 00 00 00 00 F4",
        "F0 00 00 00 00 00 00 C2", "F0 00 00 00 00 00 00 A0", "F0 00 00 00 00 00 00 92",
        "F0 00 00 00 00 00 00 93", "F0 08 00 10 00 00 00 27", "F0 11 70 FF FF 00 00 27",
        "F0 00 00 00 00 00 00 85", "F0 00 00 00 00 00 00 84", "F0 00 00 00 00 00 00 12",
    };
    EXPECT_EQ(link.sent, expected);
}

TEST_F(BoardFrames, GearFramesCarryTheLastRepliesRampAndFlags)
{
    decode("F0 05 03 00 00 00 01 92");
    decode("F0 09 02 00 00 00 01 93");
    HAL::HW_RA_GEAR = 0x12345678;
    HAL::HW_DE_GEAR = -2;
    HAL::SEND_GEAR_RA();
    HAL::SEND_GEAR_DE();
    EXPECT_EQ(link.sent, (std::vector<std::string>{"F0 05 03 12 34 56 78 12", "F0 09 02 FF FF FF FE 13"}));
}

TEST_F(BoardFrames, TimeBaseSendsTheLastReplysMilliseconds)
{
    decode("F0 00 10 01 02 03 04 84");
    HAL::SEND_TIMEBASE(70000);
    EXPECT_EQ(link.sent, (std::vector<std::string>{"F0 11 70 01 02 03 04 04"}));
}

TEST_F(BoardFrames, MasterResetPairWithItsPause)
{
    HAL::SEND_MASTER_RESET();
    EXPECT_EQ(link.sent, (std::vector<std::string>{"F0 55 55 55 55 55 55 F0", "F0 AA AA AA AA AA AA F0"}));
    EXPECT_EQ(pauses, std::vector<int>{10});
}

TEST_F(BoardFrames, ConfigurationFrameFromTheParameters)
{
    for (const char* name : {"RA_mot_CCW", "RA_enc_CCW", "DE_mot_CCW", "DE_enc_CCW", "Enc_swap"})
        SET_PARAM(name, true);
    HAL::SAVE_HW_CONF();
    EXPECT_EQ(link.sent, (std::vector<std::string>{"F0 03 03 21 00 00 00 42"}));
    for (const char* name : {"RA_mot_CCW", "RA_enc_CCW", "DE_mot_CCW", "DE_enc_CCW", "Enc_swap"})
        EXPECT_EQ(GET_PARAM(name), "No") << name;
    EXPECT_EQ(GET_PARAM("Equatorial"), "Yes");
    EXPECT_TRUE(HAL::HW_RA_MOT_CCW && HAL::HW_RA_ENC_CCW && HAL::HW_DE_MOT_CCW && HAL::HW_DE_ENC_CCW);
    EXPECT_TRUE(HAL::HW_ENC_SWAP);

    // Dropped by the gate, it still mirrors the flags and clears the parameters.
    SET_PARAM("RA_enc_CCW", true);
    SET_PARAM("Equatorial", false);
    HAL::DUMMY_SELECT = true;
    HAL::SAVE_HW_CONF();
    EXPECT_EQ(link.sent.size(), 1u);
    EXPECT_FALSE(HAL::HW_RA_MOT_CCW);
    EXPECT_TRUE(HAL::HW_RA_ENC_CCW);
    EXPECT_EQ(GET_PARAM("RA_enc_CCW"), "No");
    HAL::DUMMY_SELECT = false;
    HAL::SAVE_HW_CONF();
    EXPECT_EQ(link.sent.back(), "F0 00 00 00 00 00 00 42");
}

TEST_F(BoardFrames, GatesDropSilently)
{
    HAL::DUMMY_SELECT = true;
    HAL::SEND_CTRL(5, -5, 0);
    HAL::SEND_POWER_REQUEST();
    HAL::SEND_WD();  // the watchdog ignores the dummy flag
    EXPECT_EQ(link.sent, (std::vector<std::string>{"F0 00 00 00 00 00 00 55"}));
    EXPECT_EQ(HAL::AN_MOT_R, 5);
    EXPECT_EQ(HAL::AN_MOT_D, -5);

    HAL::DUMMY_SELECT = false;
    link.connected = false;
    HAL::SEND_CTRL(7, 8, 0);
    HAL::SEND_WD();
    HAL::SET_LINK(nullptr);
    HAL::SEND_CTRL(9, 9, 0);
    EXPECT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(HAL::AN_MOT_R, 9);
}

TEST_F(BoardFrames, DecoderFillsTheBoardValues)
{
    decode("05 0B FF FF FF 80 00 00");
    EXPECT_EQ(HAL::DIG_IN_R, 0x0B);
    EXPECT_EQ(HAL::TEL_POS.load(), (HAL::AxisCounts{16777215, 8388608}));
    EXPECT_TRUE(HAL::POS_RECEIVED);

    decode("03 04 00 00 10 01 00 00");
    EXPECT_EQ(HAL::DIG_IN_R, 0x04);
    EXPECT_EQ(HAL::TEL_INC_POS.load(), (HAL::AxisCounts{16, 65536}));
    EXPECT_EQ(HAL::TEL_POS.load().RA, 16777215);

    decode("F0 07 01 00 01 86 A0 92");
    EXPECT_EQ(HAL::HW_RA_RAMP, 7);
    EXPECT_EQ(HAL::HW_RA_FLAGS, 1);
    EXPECT_EQ(HAL::HW_RA_GEAR, 100000);
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0x92u);

    decode("F0 FF 80 FF FF FF FE 93");
    EXPECT_EQ(HAL::HW_DE_RAMP, 255);
    EXPECT_EQ(HAL::HW_DE_FLAGS, 128);
    EXPECT_EQ(HAL::HW_DE_GEAR, -2);

    decode("F0 00 01 51 80 01 F4 85");
    EXPECT_EQ(HAL::RTC, 86400);
    EXPECT_EQ(HAL::RTCMSEC, 500);

    decode("F0 12 34 56 78 9A BC 84");
    EXPECT_EQ(HAL::TIMEBASE, 0x1234);
    EXPECT_EQ(HAL::LST_MS_OFFSET, 0x5678);
    EXPECT_EQ(HAL::LST_MSEC, 0x9ABC);

    decode("F0 00 00 00 00 15 7C F4");
    EXPECT_EQ(HAL::HW_MOTOR_POWER, 5500);
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 244u);

    decode("F0 08 00 00 00 00 00 A0");
    EXPECT_TRUE(HAL::HW_ABS_ENC);
    decode("F0 F7 00 00 00 00 00 A0");
    EXPECT_FALSE(HAL::HW_ABS_ENC);

    decode("F0 05 06 10 00 00 00 C2");
    EXPECT_TRUE(HAL::HW_RA_MOT_CCW);
    EXPECT_FALSE(HAL::HW_RA_ENC_CCW);
    EXPECT_TRUE(HAL::HW_RA_MOT_ENC_CR);
    EXPECT_FALSE(HAL::HW_DE_MOT_CCW);
    EXPECT_TRUE(HAL::HW_DE_ENC_CCW);
    EXPECT_TRUE(HAL::HW_DE_MOT_ENC_CR);
    EXPECT_TRUE(HAL::HW_CONFIG);
    EXPECT_TRUE(HAL::HW_CONF_ENC);
    EXPECT_FALSE(HAL::HW_ENC_SWAP);
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0xC2u);
    decode("F0 00 00 01 00 00 00 C2");
    EXPECT_TRUE(HAL::HW_ENC_SWAP);
    EXPECT_FALSE(HAL::HW_CONFIG);
}

TEST_F(BoardFrames, MailboxTakesRecognisedCodesOnly)
{
    for (const char* ack : {"04", "09", "12", "13", "26", "27"}) {
        decode(std::string("F0 01 02 03 04 05 06 ") + ack);
        EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, std::stoul(ack, nullptr, 16)) << ack;
    }
    HAL::HW_CONFIG_RECEIVED = 0;
    decode("F0 07 01 00 01 86 A0 26");
    EXPECT_EQ(HAL::HW_RA_GEAR, 0) << "an acknowledgement carries no values";

    decode("F0 00 00 00 00 00 00 92");
    for (const char* other : {"F0 09 09 09 09 09 09 90", "F0 09 09 09 09 09 09 42",
                              "F0 09 09 09 09 09 09 00", "07 09 09 09 09 09 09 92"}) {
        decode(other);
        EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0x92u) << other;
    }
    EXPECT_EQ(HAL::HW_RA_RAMP, 0);

    decode("F0 00 00 00 00 00 00 C2");
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0xC2u) << "a later reply overwrites";
    EXPECT_FALSE(HAL::TAKE_REPLY(0x92));
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0xC2u);
    EXPECT_TRUE(HAL::TAKE_REPLY(0xC2));
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0u);
    EXPECT_FALSE(HAL::TAKE_REPLY(0));
}

TEST_F(BoardFrames, ShortReportsAreNotFrames)
{
    const std::uint8_t abs7[] = {0x05, 0x01, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
    const std::uint8_t svc7[] = {0xF0, 0x00, 0x00, 0x00, 0x00, 0x15, 0x7C};
    for (std::size_t n = 0; n <= 7; ++n) {
        HAL::DECODE(abs7, n);
        HAL::DECODE(svc7, n);
    }
    HAL::DECODE(nullptr, 8);
    EXPECT_FALSE(HAL::POS_RECEIVED);
    EXPECT_EQ(HAL::DIG_IN_R, 0);
    EXPECT_EQ(HAL::HW_MOTOR_POWER, 0);
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0u);
    // Bytes beyond the eighth are not looked at.
    const std::uint8_t nine[] = {0x05, 0x02, 0x00, 0x00, 0x01, 0x00, 0x00, 0x02, 0xEE};
    HAL::DECODE(nine, 9);
    EXPECT_EQ(HAL::TEL_POS.load(), (HAL::AxisCounts{1, 2}));
}

}  // namespace
