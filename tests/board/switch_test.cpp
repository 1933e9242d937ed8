// A switch to a second board of the vendor while a frame or an exchange
// made for the first is under way, on the whole road: nothing built from
// what the first board told, and nothing the second answers, crosses over.

#include "tests/board/road_stand.h"

#include "board/control_ui.h"
#include "core/names.h"
#include "core/params.h"

#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using namespace road_testing;
using testing_support::Report;
using testing_support::SimBoardInterface;

class PulsesDialog final : public CONTROL::EncoderDialog {
public:
    std::pair<std::string, std::string> texts() override { return {"2048", "4096"}; }
    void showWaitForSync() override {}
    void showSyncDone() override {}
};

class Switch : public RoadStand {
protected:
    void SetUp() override
    {
        RoadStand::SetUp();
        CONTROL::SET_ENCODER_DIALOG(&pulses);
    }
    void TearDown() override
    {
        RoadStand::TearDown();
        CONTROL::SET_ENCODER_DIALOG(nullptr);
    }

    // A second board of the vendor appears, listed after the first, and a
    // device change follows; no saved choice keeps the first.
    void switchToOther()
    {
        fake.add<SimBoardInterface>(other, "/dev/hidraw1");
        other.start(5);
        SET_PARAM(param::USB_DEV, "");
        fake.fireChange();
        ASSERT_EQ(window->HidDevice1->GETDEVICEPATH(), "/dev/hidraw1");
    }

    PulsesDialog pulses;
};

TEST_F(Switch, AMotionFrameBuiltForTheFirstBoardIsNotWrittenToTheSecond)
{
    holdUp();
    hold.arm();
    ASSERT_TRUE(hold.waitHeld());
    EXPECT_NE(hold.heldSpeeds(), (std::pair{0, 0})) << "the frame held moves the mount";
    switchToOther();
    hold.release();
    ASSERT_TRUE(runCycles(20));

    EXPECT_FALSE(other.frames().empty()) << "the second board is driven";
    EXPECT_FALSE(anyMoving(other.frames())) << "the first board's key moved the second";
    EXPECT_EQ(node->lastWritesOfClosedHandles(), std::vector<Report>{reportOf(HAL::STOP_FRAME())});
    EXPECT_EQ(board.speeds(), (std::pair{0, 0}));
}

TEST_F(Switch, AGearWriteEndsWithTheBoardItBeganOnAndSaysNeitherAxisWasWritten)
{
    board.silenceCode(0x12);  // the first board does not acknowledge
    board.silenceCode(0x13);
    CONTROL::HW_RA_GEAR = 1000;  // what the first board holds
    CONTROL::HW_DE_GEAR = 3000;
    bool switched = false;
    QTimer switcher;
    QObject::connect(&switcher, &QTimer::timeout, [&] {
        if (switched || board.framesWithCode(0x12).size() < 3)
            return;
        switched = true;
        switchToOther();  // inside the gear write's wait
    });
    switcher.start(1);
    CONTROL::SAVE_GEAR(111, 222);
    ASSERT_TRUE(switched) << "the write ended before the switch";

    EXPECT_TRUE(other.framesWithCode(0x12).empty()) << "the second board got the first one's RA gear";
    EXPECT_TRUE(other.framesWithCode(0x13).empty()) << "the second board got the first one's Dec gear";
    EXPECT_EQ(other.axis(0).gear, SimBoard::Axis{}.gear);
    EXPECT_EQ(CONTROL::HW_RA_GEAR, 1000);
    EXPECT_EQ(CONTROL::HW_DE_GEAR, 3000);
    EXPECT_EQ(boxesSaying("The board did not acknowledge the RA and Dec gear values: neither was written."), 1u);
    EXPECT_LT(board.framesWithCode(0x12).size(), 101u) << "the write went on after its board";
}

// The loop's own exchanges begun with the first board. Each case starts one,
// says when it is under way, and checks the second board after the switch.
struct Exchange {
    const char* name;
    std::function<void(SimBoard& first)> begin;
    std::function<bool(SimBoard& first)> underWay;
    std::function<void(SimBoard& second, const testing_support::BusRecorder& main)> check;
};

const Exchange kExchanges[] = {
    {"EncoderPulses",
     [](SimBoard& first) {
         first.silenceCode(0x27);
         CONTROL::SET_ENC_VAL = true;
     },
     [](SimBoard& first) { return first.framesWithCode(0x27).size() >= 3; },
     [](SimBoard& second, const testing_support::BusRecorder&) {
         EXPECT_TRUE(second.framesWithCode(0x27).empty()) << "the first board's pulses went to the second";
         EXPECT_EQ(second.encoderPulses(), (std::pair{0, 0}));
         EXPECT_FALSE(CONTROL::SET_ENC_VAL) << "the second board's acknowledgement, or still asking";
     }},
    {"GearReadsOfTheSetUp",
     [](SimBoard& first) {
         first.absoluteEncoders = false;  // the set-up reads both gears first
         first.silenceCode(0x93);
         CONTROL::DIR_INIT_DONE = true;
         CONTROL::GET_INIT = true;
     },
     [](SimBoard& first) { return first.framesWithCode(0x93).size() >= 3; },
     [](SimBoard& second, const testing_support::BusRecorder& main) {
         EXPECT_TRUE(second.framesWithCode(0x93).empty()) << "the first board's gear request went to the second";
         EXPECT_EQ(CONTROL::HW_DE_GEAR, 0) << "the second board's Dec gear taken for the first's";
         const auto cal = main.params(WM_CAL_MESSAGE);
         EXPECT_EQ(std::count(cal.begin(), cal.end(), 4), 0) << "a set-up started on two boards' gears";
     }},
};

class ExchangeAcrossASwitch : public Switch, public ::testing::WithParamInterface<Exchange> {};

TEST_P(ExchangeAcrossASwitch, EndsWithTheFirstBoardAndTakesNothingFromTheSecond)
{
    GetParam().begin(board);
    ASSERT_TRUE(waitUntil([&] { return GetParam().underWay(board); }));
    switchToOther();
    ASSERT_TRUE(runCycles(30));
    GetParam().check(other, main);
}

INSTANTIATE_TEST_SUITE_P(Ways, ExchangeAcrossASwitch, ::testing::ValuesIn(kExchanges),
                         [](const ::testing::TestParamInfo<Exchange>& p) { return std::string(p.param.name); });

TEST_F(Switch, AConfigurationAskedForTheFirstBoardIsNotWrittenToTheSecond)
{
    hold.arm();  // the loop stands between two cycles' configuration saves
    ASSERT_TRUE(hold.waitHeld());
    SET_PARAM(param::RA_mot_CCW, true);  // what a set-up run learnt on the first board
    SET_PARAM(param::Enc_swap, true);
    CONTROL::SAVE_HW_CONF();
    switchToOther();
    hold.release();
    ASSERT_TRUE(runCycles(10));

    EXPECT_TRUE(other.framesWithCode(0x42).empty()) << "the first board's configuration went to the second";
    EXPECT_FALSE(other.config().written);
    EXPECT_FALSE(CONTROL::SAVE_CONF) << "the request was left for the second board";
    EXPECT_FALSE(HAL::HW_ENC_SWAP) << "the second board's configuration is its own";
}

}  // namespace
