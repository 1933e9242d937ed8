// The board configuration handshakes, the configuration save, the gear
// write and the clock sync, counted frame by frame against the simulated
// board.

#include "tests/board/control_stand.h"

#include <vector>

namespace {

using control_testing::ControlStand;
using control_testing::Frame;
using namespace CONTROL;

using Handshakes = ControlStand;

TEST_F(Handshakes, AConnectReadsThePowerThenTheConfiguration)
{
    board.setupDone = true;
    GET_POWER = true;
    startLoop();

    cycle();
    EXPECT_EQ(sent(0xF4), 1u);
    EXPECT_EQ(sent(0xC2), 0u);
    cycle();  // the power reply starts the configuration request in the same cycle
    EXPECT_EQ(sent(0xF4), 1u);
    EXPECT_EQ(sent(0xC2), 1u);
    EXPECT_TRUE(POWER_ON);
    EXPECT_FALSE(GET_POWER);
    cycles(5);
    EXPECT_EQ(sent(0xF4), 1u);
    EXPECT_EQ(sent(0xC2), 1u);
    EXPECT_EQ(main.params(WM_CAL_MESSAGE), std::vector<std::int64_t>{0});
    EXPECT_TRUE(DIR_INIT_DONE);
    EXPECT_EQ(GET_INIT_COUNT, 0);
}

TEST_F(Handshakes, ThePowerIsOnAboveItsThreshold)
{
    for (const auto& [power, on] : {std::pair{5500, false}, std::pair{5501, true}}) {
        board.motorPower = power;
        GET_POWER = true;
        startLoop();
        cycles(2);
        EXPECT_EQ(POWER_ON, on) << power;
    }
}

TEST_F(Handshakes, TheConfigurationReplySetsTheDirectionFlags)
{
    SET_PARAM("RA_mot_CCW", true);
    SET_PARAM("DE_enc_CCW", true);
    SET_PARAM("Enc_swap", true);
    HAL::SAVE_HW_CONF();  // the board now holds these flags
    board.motEncCr = true;
    board.setupDone = false;
    startLoop();
    GET_CONFIGURED = true;
    cycles(2);
    EXPECT_TRUE(RA_MOT_CCW);
    EXPECT_FALSE(RA_ENC_CCW);
    EXPECT_FALSE(DE_MOT_CCW);
    EXPECT_TRUE(DE_ENC_CCW);
    EXPECT_TRUE(RA_MOT_ENC_CR);
    EXPECT_TRUE(DE_MOT_ENC_CR);
    EXPECT_TRUE(ENC_SWAP);
    EXPECT_FALSE(DIR_INIT_DONE);
    EXPECT_EQ(main.params(WM_CAL_MESSAGE), std::vector<std::int64_t>{0});
}

TEST_F(Handshakes, ASilentBoardGetsEachRequest101Times)
{
    board.silent = true;
    GET_POWER = true;
    startLoop();
    cycles(150);
    EXPECT_EQ(sent(0xF4), 101u);
    EXPECT_FALSE(POWER_ON);
    EXPECT_EQ(sent(0xC2), 0u);

    GET_POWER = true;  // a later Init asks again
    cycles(150);
    EXPECT_EQ(sent(0xF4), 202u);
}

TEST_F(Handshakes, TwoSilentRequestsShareTheirCounter)
{
    board.silent = true;
    startLoop();
    GET_CONFIGURED = true;
    SET_ENC_VAL = true;
    cycles(200);
    EXPECT_EQ(sent(0xC2), 51u);
    EXPECT_EQ(sent(0x27), 151u);
    EXPECT_EQ(encoder.reads, 151) << "the texts are read for every send";
    EXPECT_TRUE(DIR_INIT_DONE) << "a configuration request that gives up counts the set-up as done";
    EXPECT_EQ(main.count(WM_CAL_MESSAGE), 0u);
}

TEST_F(Handshakes, EncoderValuesGoOutAsTheDialogShowsThemAtEachSend)
{
    board.silenceCode(0x27);
    startLoop();
    SET_ENC_VAL = true;
    cycle();
    encoder.values = {"1", "65535"};
    cycle();
    const auto frames = board.framesWithCode(0x27);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (Frame{0xF0, 0x08, 0x00, 0x10, 0x00, 0, 0, 0x27}));
    EXPECT_EQ(frames[1], (Frame{0xF0, 0x00, 0x01, 0xFF, 0xFF, 0, 0, 0x27}));

    board.silenceCode(0x27, false);
    cycles(3);
    EXPECT_FALSE(SET_ENC_VAL);
    EXPECT_EQ(sent(0x27), 3u);
    EXPECT_EQ(board.encoderPulses(), (std::pair<std::int32_t, std::int32_t>{1, 65535}));
}

TEST_F(Handshakes, EncoderTextsTheBoardCannotTakeAreNotSent)
{
    const std::pair<const char*, const char*> refused[] = {
        {"abc", "4096"}, {"0", "4096"}, {"2048", "65536"}, {"", "1"}, {"2048", "-5"}, {"20.5", "4096"},
        {"4294967297", "4096"},  // 1 in its low 32 bits
    };
    for (const auto& [ra, de] : refused) {
        dialogs.clear();
        board.clearLog();
        encoder.values = {ra, de};
        startLoop();
        SET_ENC_VAL = true;
        cycles(3);
        EXPECT_EQ(sent(0x27), 0u) << ra << " " << de;
        EXPECT_FALSE(SET_ENC_VAL);
        EXPECT_EQ(GET_INIT_COUNT, 0);
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_NE(dialogs.shown()[0].text.find("1 to 65535"), std::string::npos);
    }
}

TEST_F(Handshakes, AlignmentWithoutMotorPowerShowsTheBoxUnlessPowerCheckIsOff)
{
    for (const bool check : {true, false}) {
        dialogs.clear();
        board.clearLog();
        SET_PARAM("Power_check", check);
        startLoop();  // the power reads off
        DIR_INIT_DONE = false;
        GET_INIT = true;
        cycles(3);
        if (check) {
            ASSERT_EQ(dialogs.shown().size(), 1u);
            EXPECT_EQ(dialogs.shown()[0].text, "Motor Power not connected");
            EXPECT_EQ(sent(0x26), 0u);
            EXPECT_EQ(sent(0xA0), 0u);
        } else {
            EXPECT_TRUE(dialogs.shown().empty());
            EXPECT_EQ(sent(0x26), 1u);
            EXPECT_EQ(sent(0xA0), 1u) << "the acknowledged alignment asks for the set-up information";
        }
    }
}

TEST_F(Handshakes, AbsoluteEncodersStartTheSetUpInTheCycleOfTheirReply)
{
    board.absoluteEncoders = true;
    startLoop();
    DIR_INIT_DONE = true;
    GET_INIT = true;
    cycle();
    EXPECT_EQ(sent(0xA0), 1u);
    EXPECT_TRUE(main.params(WM_CAL_MESSAGE).empty());
    cycle();
    EXPECT_EQ(main.params(WM_CAL_MESSAGE), std::vector<std::int64_t>{4});
    EXPECT_TRUE(ABS_ENC);
    EXPECT_EQ(STATE, 1);
    EXPECT_TRUE(GET_BPARAM("Setup_align"));
    cycles(5);
    EXPECT_EQ(sent(0x92), 0u);
}

TEST_F(Handshakes, IncrementalEncodersReadBothGearsBeforeTheSetUpStarts)
{
    board.absoluteEncoders = false;
    auto ra = board.axis(0);
    ra.gear = 100000;
    board.setAxis(0, ra);
    auto de = board.axis(1);
    de.gear = -2;
    board.setAxis(1, de);
    SETUP_COMMAND = INIT_CMD;  // Init, with the direction set-up done
    startLoop();
    DIR_INIT_DONE = true;
    cycles(4);
    EXPECT_EQ(sent(0xA0), 1u);
    EXPECT_EQ(sent(0x92), 1u);
    EXPECT_EQ(sent(0x93), 1u);
    EXPECT_EQ(HW_RA_GEAR, 100000);
    EXPECT_EQ(HW_DE_GEAR, -2);
    EXPECT_EQ(main.params(WM_CAL_MESSAGE), std::vector<std::int64_t>{4});
    EXPECT_FALSE(ABS_ENC);
    EXPECT_EQ(STATE, 10);
}

TEST_F(Handshakes, AGearReplyOfZeroEndsAtTheRetryLimit)
{
    board.absoluteEncoders = false;
    auto ra = board.axis(0);
    ra.gear = 0;
    board.setAxis(0, ra);
    startLoop();
    DIR_INIT_DONE = true;
    GET_INIT = true;
    cycles(400);
    // Every other cycle takes a reply of 0 instead of sending.
    EXPECT_EQ(sent(0x92), 51u);
    EXPECT_EQ(sent(0x93), 0u);
    EXPECT_EQ(main.count(WM_CAL_MESSAGE), 0u);
    EXPECT_EQ(HW_RA_GEAR, 0);
}

TEST_F(Handshakes, TheConfigurationSaveGoesOutOnceAtTheStartOfTheNextCycle)
{
    SET_PARAM("RA_mot_CCW", true);
    SET_PARAM("Equatorial", true);
    startLoop();
    CONTROL::SAVE_HW_CONF();
    cycles(3);
    const auto frames = board.frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0], (Frame{0xF0, 0x01, 0, 0x20, 0, 0, 0, 0x42}));
    EXPECT_EQ(frames[1][0], 0x05);
    EXPECT_EQ(sent(0x42), 1u);
    EXPECT_FALSE(SAVE_CONF);
    EXPECT_TRUE(board.config().raMotCcw);
}

TEST_F(Handshakes, TheSaveRequestStaysSetUntilTheFrameIsOut)
{
    // A writer that waits for the request to fall must not change the
    // parameters while the loop is still building the frame from them.
    std::vector<bool> duringPauses;
    CONTROL::ControlLoop watched{CONTROL::LoopHooks{[&](int ms) {
        duringPauses.push_back(SAVE_CONF.load());
        clock.advance(ms);
    }, {}}};
    watched.start();
    CONTROL::SAVE_HW_CONF();
    clock.advance(10);
    watched.cycle();
    EXPECT_EQ(sent(0x42), 1u);
    EXPECT_EQ(duringPauses, std::vector<bool>{true});
    EXPECT_FALSE(SAVE_CONF);
}

class GearWriteStand : public ControlStand {
protected:
    void SetUp() override
    {
        ControlStand::SetUp();
        startLoop();
        // The gears as last read from the board.
        HW_RA_GEAR = kHeldRa;
        HW_DE_GEAR = kHeldDe;
        // Between two sends the loop goes on and input reports are decoded.
        SET_GEAR_WAIT([this] { cycle(); });
    }
    std::size_t motionFrames() const { return board.motionFrames().size(); }
    static void save() { SAVE_GEAR(kTypedRa, kTypedDe); }

    static constexpr std::int32_t kHeldRa = 1000000, kHeldDe = 3000000;
    static constexpr std::int32_t kTypedRa = 0x12345678, kTypedDe = -2;
};

TEST_F(GearWriteStand, AnsweredNoSendsNothing)
{
    dialogs.answer(false);
    save();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].question);
    EXPECT_EQ(dialogs.shown()[0].title, "Confirm");
    EXPECT_EQ(dialogs.shown()[0].text, "Are you sure you want to write the gear values to the board?");
    EXPECT_EQ(dialogs.shown()[0].defaultButton, platform::DefaultButton::No) << "Enter alone must write nothing";
    EXPECT_EQ(sent(0x12) + sent(0x13), 0u);
}

TEST_F(GearWriteStand, AnAcknowledgingBoardGetsOneFrameOfEach)
{
    save();
    EXPECT_EQ(sent(0x12), 1u);
    EXPECT_EQ(sent(0x13), 1u);
    EXPECT_EQ(board.axis(0).gear, 0x12345678);
    EXPECT_EQ(board.axis(1).gear, -2);
    EXPECT_EQ(HAL::HW_RA_GEAR, 0x12345678);
}

TEST_F(GearWriteStand, ASilentBoardGets101OfEachWhileTheMotionGoesOn)
{
    board.silent = true;
    save();
    EXPECT_EQ(sent(0x12), 101u);
    EXPECT_EQ(sent(0x13), 101u);
    EXPECT_EQ(motionFrames(), 202u);
}

TEST_F(GearWriteStand, TheOperatorIsToldWhichAxisWasNotWritten)
{
    const struct {
        std::vector<std::uint8_t> silenced;
        const char* box;  // nullptr: no box after the question
    } cases[] = {
        {{}, nullptr},
        {{0x12}, "The board did not acknowledge the RA gear value: it was not written."},
        {{0x13}, "The board did not acknowledge the Dec gear value: it was not written."},
        {{0x12, 0x13}, "The board did not acknowledge the RA and Dec gear values: neither was written."},
    };
    for (const auto& c : cases) {
        board.silenceCode(0x12, false);
        board.silenceCode(0x13, false);
        for (const std::uint8_t code : c.silenced)
            board.silenceCode(code);
        dialogs.clear();
        save();
        ASSERT_EQ(dialogs.shown().size(), c.box ? 2u : 1u) << c.silenced.size();
        if (c.box) {
            EXPECT_FALSE(dialogs.shown()[1].question);
            EXPECT_EQ(dialogs.shown()[1].text, c.box);
        }
    }
}

// The held gears are what the display, the next run's correction and the
// next write start from: they follow the board, not the edits.
TEST_F(GearWriteStand, TheHeldGearsTakeOnlyWhatTheBoardAcknowledged)
{
    const struct {
        bool yes;
        std::vector<std::uint8_t> silenced;
        std::int32_t ra, de;  // held afterwards
    } cases[] = {
        {false, {}, kHeldRa, kHeldDe},
        {true, {}, kTypedRa, kTypedDe},
        {true, {0x12}, kHeldRa, kTypedDe},
        {true, {0x13}, kTypedRa, kHeldDe},
        {true, {0x12, 0x13}, kHeldRa, kHeldDe},
    };
    for (const auto& c : cases) {
        HW_RA_GEAR = kHeldRa;
        HW_DE_GEAR = kHeldDe;
        board.silenceCode(0x12, false);
        board.silenceCode(0x13, false);
        for (const std::uint8_t code : c.silenced)
            board.silenceCode(code);
        dialogs.answer(c.yes);
        save();
        EXPECT_EQ(HW_RA_GEAR, c.ra) << c.yes << " " << c.silenced.size();
        EXPECT_EQ(HW_DE_GEAR, c.de) << c.yes << " " << c.silenced.size();
    }
}

TEST_F(GearWriteStand, AClosePutsTheStopLastAndEndsTheWrite)
{
    board.silent = true;
    int sends = 0;
    SET_GEAR_WAIT([&] {
        if (++sends == 5) {
            CTRL_CLOSE(0);  // as the main window's close does, from inside the wait
            loop.finish();  // the loop's end, as its thread runs it
        } else {
            cycle();
        }
    });
    save();
    EXPECT_EQ(sent(0x12), 5u);
    EXPECT_EQ(sent(0x13), 0u);
    EXPECT_EQ(board.frames().back(), HAL::STOP_FRAME());
    EXPECT_EQ(dialogs.shown().size(), 1u) << "a close is no failure to report";
    EXPECT_EQ(HW_RA_GEAR, kHeldRa);
    EXPECT_EQ(HW_DE_GEAR, kHeldDe);
    HAL::SEND_GEAR_RA();
    HAL::SEND_MASTER_RESET();
    EXPECT_EQ(board.frames().back(), HAL::STOP_FRAME()) << "nothing goes out after the loop's last frame";
}

TEST_F(GearWriteStand, TakesOnlyItsOwnAcknowledgements)
{
    board.silenceCode(0x12);
    board.silenceCode(0x13);
    HAL::HW_CONFIG_RECEIVED = 0xF4;  // a reply the loop has not taken yet
    SET_GEAR_WAIT([this] { link.deliver(); });
    save();
    EXPECT_EQ(sent(0x12), 101u);
    EXPECT_EQ(sent(0x13), 101u);
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0xF4u);
}

TEST_F(GearWriteStand, DoesNotRunAgainWhileItRuns)
{
    SET_GEAR_WAIT([this] {
        save();
        cycle();
    });
    save();
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(sent(0x12), 1u);
    EXPECT_EQ(sent(0x13), 1u);
}

class ClockSyncStand : public ControlStand {
protected:
    // Runs the sync to its end or for `limit` cycles, with a board clock
    // that runs with the test clock, from `startMs`, less `slowMs` from the
    // second reading on.
    void sync(std::int32_t slowMs, int limit = 2000, bool stopped = false)
    {
        startLoop();
        cycle();  // the loop runs when the sync is asked for
        SET_TIME_SYNC = true;
        int elapsed = 0;
        cycles(limit, [&] {
            elapsed += 10;
            const bool afterFirst = sent(0x85) >= 1;
            board.rtcMs = 100000 + (stopped ? 0 : elapsed) - (afterFirst ? slowMs : 0);
        });
    }
};

TEST_F(ClockSyncStand, ABoardClockInStepLeavesTheTimeBase)
{
    sync(0);
    EXPECT_FALSE(SET_TIME_SYNC);
    EXPECT_EQ(sent(0x85), 2u);
    EXPECT_EQ(sent(0x84), 1u);
    ASSERT_EQ(sent(0x04), 1u);
    EXPECT_EQ(board.framesWithCode(0x04)[0][1], 0x03);
    EXPECT_EQ(board.framesWithCode(0x04)[0][2], 0xE8);
    EXPECT_EQ(encoder.waiting, 1);
    EXPECT_EQ(encoder.done, 1);
}

TEST_F(ClockSyncStand, LowersTheTimeBaseByTheDrift)
{
    sync(300);
    ASSERT_EQ(sent(0x04), 1u);
    EXPECT_EQ(board.timeBase, 700);
}

// The first reading comes from one board, then another is connected whose
// clock is 300 ms behind: two boards' clocks make no drift.
TEST_F(ClockSyncStand, ASwitchOfBoardsStartsTheMeasurementAgainOnTheNewBoard)
{
    startLoop();
    cycle();
    SET_TIME_SYNC = true;
    int elapsed = 0;
    cycles(2000, [&] {
        elapsed += 10;
        const bool second = sent(0x85) >= 1;
        if (second)
            link.number = 2;
        board.rtcMs = 100000 + elapsed - (second ? 300 : 0);
    });
    EXPECT_FALSE(SET_TIME_SYNC);
    EXPECT_EQ(sent(0x85), 3u) << "the new board's two readings";
    ASSERT_EQ(sent(0x04), 1u);
    EXPECT_EQ(board.timeBase, 1000) << "lowered by the difference of two boards' clocks";
}

TEST_F(ClockSyncStand, MeasuresAgainWhenTheDriftIsTooLarge)
{
    sync(0, 2000, true);  // the board clock stands still
    EXPECT_TRUE(SET_TIME_SYNC);
    EXPECT_GE(sent(0x85), 3u);
    EXPECT_EQ(sent(0x84), 0u);
    EXPECT_EQ(encoder.done, 0);
}

}  // namespace
