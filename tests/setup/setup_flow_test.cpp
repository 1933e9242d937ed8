// The main window's set-up decisions without the window: where the wizard
// starts, the gear correction of a finished run and the gear texts Save takes.

#include "setup/setup_flow.h"

#include "board/control.h"
#include "core/params.h"
#include "tests/setup/fake_wizard.h"
#include "tests/support/fresh_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace setup_flow;
using setup::SetupWizardLink;
using testing_support::FakeWizard;

class SetupFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::freshBoardRun();
        CONTROL::RESET();
    }
    void TearDown() override { CONTROL::RESET(); }
};

TEST_F(SetupFlow, TheWizardStartsWhereTheBoardStateAsks)
{
    struct Case {
        bool dirInitDone, align;
        std::int32_t state;
        bool askPulses, directionPart;
        std::int32_t step;
    };
    const Case cases[] = {
        {false, false, 10, true, true, 1},  // direction set-up not done: pulses first
        {false, true, 5, true, true, 1},
        {true, true, 10, false, true, 1},   // after Align, or absolute encoders reported
        {true, false, 5, false, false, 5},  // an earlier Align: the gear part
        {true, false, 1, false, false, 1},
        {true, false, 10, false, false, 10},  // no Align yet: no wizard
    };
    for (const Case& c : cases) {
        CONTROL::DIR_INIT_DONE = c.dirInitDone;
        SET_PARAM("Setup_align", c.align);
        const GearPlan plan = planGear();
        EXPECT_EQ(plan.askPulses, c.askPulses) << c.dirInitDone << c.align << c.state;
        EXPECT_EQ(plan.directionPart, c.directionPart) << c.dirInitDone << c.align << c.state;
        EXPECT_EQ(startStep(plan, c.state), c.step) << c.dirInitDone << c.align << c.state;
        EXPECT_EQ(GET_BPARAM("Setup_align"), c.align && !c.directionPart)
            << "the direction part switches Setup_align off";
    }
}

TEST_F(SetupFlow, CorrectedGearIsTheRoundedMagnitude)
{
    struct Case {
        std::int32_t gear;
        double factor;
        std::optional<std::int64_t> expected;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {1048576, 1.0, 1048576},  // a right gear stays
        {3, 1.5, 4},              // 4.5: halves go to even
        {5, 1.5, 8},              // 7.5
        {1000, 0.0, 0},           // nothing measured
        {1000, -1.0, 1000},       // turned the other way
        {-1000, 0.5, 500},
        {2147483647, 2.0, 4294967294},
        {1000, nan, std::nullopt},
        {1000, inf, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(correctedGear(c.gear, c.factor), c.expected) << c.gear << " x " << c.factor;
}

TEST_F(SetupFlow, GearTextsMustBothBeWholeNumbersTheBoardTakes)
{
    struct Case {
        const char *ra, *de;
        std::int32_t raValue, deValue;  // 0: refused
        const char* names;
    };
    const Case cases[] = {
        {"1048576", "1", 1048576, 1, ""},
        {"2147483647", "$10", 2147483647, 16, ""},
        {"0", "100", 0, 100, "The RA gear"},
        {"2147483648", "100", 0, 100, "The RA gear"},
        {"4294967297", "100", 0, 100, "The RA gear"},  // 1 in its low 32 bits
        {"100", "", 100, 0, "The Dec gear"},
        {"100", "-5", 100, 0, "The Dec gear"},
        {"Abs enc", "12.5", 0, 0, "The RA and Dec gears"},
    };
    for (const Case& c : cases) {
        const auto r = parseGearTexts(c.ra, c.de);
        if (c.raValue && c.deValue) {
            ASSERT_TRUE(std::holds_alternative<GearValues>(r)) << c.ra << " " << c.de;
            EXPECT_EQ(std::get<GearValues>(r).ra, c.raValue);
            EXPECT_EQ(std::get<GearValues>(r).de, c.deValue);
        } else {
            ASSERT_TRUE(std::holds_alternative<std::string>(r)) << c.ra << " " << c.de;
            const std::string& text = std::get<std::string>(r);
            EXPECT_EQ(text.rfind(c.names, 0), 0u) << text;
            EXPECT_NE(text.find("1 to 2147483647"), std::string::npos) << text;
        }
    }
}

TEST_F(SetupFlow, AFinishedRunIsTakenOnceWithTheCorrectedGears)
{
    FakeWizard wizard;
    CONTROL::HW_RA_GEAR = 3;
    CONTROL::HW_DE_GEAR = 1000;
    CONTROL::RA_MOT_CCW = true;
    CONTROL::DE_ENC_CCW = true;
    wizard.finish(1.5, -0.25);
    const auto run = takeFinishedRun(wizard);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->raGear, "4");
    EXPECT_EQ(run->deGear, "250");
    EXPECT_TRUE(run->raMotCcw);
    EXPECT_FALSE(run->raEncCcw);
    EXPECT_FALSE(run->deMotCcw);
    EXPECT_TRUE(run->deEncCcw);
    EXPECT_TRUE(run->saveAllowed);
    EXPECT_EQ(wizard.step(), SetupWizardLink::StepIdle);
    EXPECT_EQ(wizard.modalResult(), SetupWizardLink::NoResult);
    EXPECT_EQ(CONTROL::HW_RA_GEAR, 3) << "only Save takes the corrected values over";
    EXPECT_FALSE(takeFinishedRun(wizard));
}

TEST_F(SetupFlow, OnlyARunEndedByOkAtItsLastStepIsTaken)
{
    FakeWizard wizard;
    wizard.cancel();
    EXPECT_FALSE(takeFinishedRun(wizard));
    EXPECT_EQ(wizard.step(), SetupWizardLink::StepFinished);
    EXPECT_EQ(wizard.modalResult(), SetupWizardLink::ResultCancel);

    wizard.setStep(8);
    wizard.setModalResult(SetupWizardLink::ResultOk);
    EXPECT_FALSE(takeFinishedRun(wizard));
}

TEST_F(SetupFlow, AbsoluteEncodersHaveNoGearToCorrect)
{
    FakeWizard wizard;
    CONTROL::ABS_ENC = true;
    CONTROL::HW_RA_GEAR = 1000;
    wizard.finish(0.0, 0.0);
    const auto run = takeFinishedRun(wizard);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->raGear, kAbsEnc);
    EXPECT_EQ(run->deGear, kAbsEnc);
    EXPECT_FALSE(run->saveAllowed);
}

}  // namespace
