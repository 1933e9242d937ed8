// The set-up flow end to end: the real main window and encoder pulses
// dialog, the control loop one cycle at a time and the simulated board. The
// wizard is a stand-in that reports a finished run as the real one would.

#include "board/frames.h"
#include "core/params.h"
#include "tests/board/control_stand.h"
#include "tests/ui/main_view_stand.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

using setup::SetupWizardLink;

class MainViewBoard : public control_testing::ControlStand, public main_view_testing::MainViewParts {
protected:
    void SetUp() override
    {
        ControlStand::SetUp();
        main_view_testing::freshWindows();
        control.listenAs("Control");
        makeView();  // registers over the stand's recorder
        CONTROL::SET_ENCODER_DIALOG(&form1);
        activateOnly();  // the loop runs here, not on a thread of its own
        board.absoluteEncoders = false;
        startLoop();
        view->ONDEMO(0);  // the device window connected the board
        cycles(5);
    }
    void TearDown() override
    {
        view.reset();
        ControlStand::TearDown();
        main_view_testing::freshWindows();
    }

    std::string status() const { return view->L_Object->text().toStdString(); }
    std::string gear(const QLineEdit* e) const { return e->text().toStdString(); }
};

TEST_F(MainViewBoard, IncrementalSetUpFromInitToSave)
{
    ASSERT_TRUE(CONTROL::POWER_ON);
    view->siderialTimer();
    EXPECT_FALSE(CONTROL::DIR_INIT_DONE);
    EXPECT_FALSE(view->B_Align->isEnabled()) << "the board's set-up is not done";
    EXPECT_FALSE(view->conn_led_on->isHidden());

    whenPulsesAsked([](TForm1& f) {
        f.edt_DE_enc->setText("4096");
        f.B_Start->click();
    });
    view->B_Init->click();
    EXPECT_EQ(status(), "Detect board setup");
    cycles(10);
    EXPECT_EQ(sent(0x26), 1u);
    EXPECT_EQ(sent(0xA0), 1u);
    EXPECT_EQ(sent(0x92), 1u);
    EXPECT_EQ(sent(0x93), 1u);
    EXPECT_TRUE(pulsesAsked);
    EXPECT_EQ(gear(view->edt_RA_gear), "1048576") << "Gear shows the board's configuration";
    cycles(3);
    EXPECT_EQ(sent(0x27), 1u);
    EXPECT_EQ(board.encoderPulses(), (std::pair<std::int32_t, std::int32_t>{2048, 4096}));
    EXPECT_EQ(wizard.step(), SetupWizardLink::StepDirections);
    EXPECT_TRUE(wizard.window_.isVisible());
    EXPECT_EQ(status(), view->ALIGN_MSG);
    EXPECT_FALSE(view->ALIGN_MSG.empty());
    EXPECT_EQ(control.params(WM_STOP_MESSAGE), std::vector<std::int64_t>{0});

    // The wizard learnt the directions and measured both half turns.
    CONTROL::RA_MOT_CCW = true;
    wizard.finish(1.5, -0.5);
    view->siderialTimer();
    EXPECT_EQ(gear(view->edt_RA_gear), "1572864");
    EXPECT_EQ(gear(view->edt_DE_gear), "524288");
    EXPECT_TRUE(view->chk_ra_mot_ccw->isChecked());
    EXPECT_EQ(status(), "Setup done");
    ASSERT_TRUE(view->B_save->isEnabled());

    CONTROL::SET_GEAR_WAIT([this] { cycle(); });
    view->B_save->click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Are you sure you want to write the gear values to the board?");
    EXPECT_EQ(sent(0x12), 1u);
    EXPECT_EQ(sent(0x13), 1u);
    EXPECT_EQ(board.axis(0).gear, 1572864);
    EXPECT_EQ(board.axis(1).gear, 524288);
}

TEST_F(MainViewBoard, AbsoluteEncodersEndWithoutGears)
{
    board.absoluteEncoders = true;
    board.setupDone = true;
    view->B_Init->click();
    cycles(6);
    EXPECT_TRUE(CONTROL::DIR_INIT_DONE);
    EXPECT_EQ(sent(0xA0), 1u);
    EXPECT_EQ(sent(0x92) + sent(0x93) + sent(0x27), 0u);
    EXPECT_FALSE(pulsesAsked);
    EXPECT_EQ(wizard.step(), SetupWizardLink::StepDirections) << "absolute encoders start the direction part";
    EXPECT_TRUE(wizard.window_.isVisible());
    view->siderialTimer();
    EXPECT_FALSE(view->abs_led_on->isHidden());
    EXPECT_TRUE(view->B_Align->isEnabled());
    EXPECT_FALSE(view->B_Gear->isEnabled());

    wizard.finish(0.0, 0.0);
    view->siderialTimer();
    EXPECT_EQ(gear(view->edt_RA_gear), "Abs enc");
    EXPECT_EQ(gear(view->edt_DE_gear), "Abs enc");
    EXPECT_EQ(status(), "Setup done");
    EXPECT_FALSE(view->B_save->isEnabled());
}

TEST_F(MainViewBoard, ABoardSetUpEarlierNeedsNoPulsesAndAlignOpensTheWizard)
{
    board.setupDone = true;
    CONTROL::GET_POWER = true;  // the board now says its set-up is done
    cycles(5);
    ASSERT_TRUE(CONTROL::DIR_INIT_DONE);
    view->B_Init->click();
    cycles(6);
    EXPECT_FALSE(pulsesAsked);
    EXPECT_EQ(sent(0x26), 0u);
    EXPECT_EQ(sent(0x93), 1u);
    EXPECT_EQ(status(), "Configuration done");
    EXPECT_FALSE(wizard.window_.isVisible());
    EXPECT_EQ(gear(view->edt_DE_gear), "1048576");

    view->siderialTimer();
    ASSERT_TRUE(view->B_Align->isEnabled());
    view->B_Align->click();
    cycles(6);
    EXPECT_EQ(wizard.step(), SetupWizardLink::StepDirections);
    EXPECT_TRUE(wizard.window_.isVisible());
    EXPECT_FALSE(GET_BPARAM("Setup_align"));

    wizard.cancel();
    wizard.window_.hide();
    ASSERT_TRUE(view->B_Gear->isEnabled());
    view->B_Gear->click();
    EXPECT_EQ(wizard.step(), SetupWizardLink::StepGears) << "after an Align, Gear opens the gear part";
    EXPECT_TRUE(wizard.window_.isVisible());
}

TEST_F(MainViewBoard, TextsTheBoardCannotTakeSendNothing)
{
    whenPulsesAsked([](TForm1& f) {
        f.edt_RA_enc->setText("0");
        f.reject();  // closed by its title bar: the check at OK is passed by
    });
    view->B_Init->click();
    cycles(10);
    ASSERT_TRUE(pulsesAsked);
    cycles(3);
    EXPECT_EQ(sent(0x27), 0u);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, CONTROL::kEncoderPulsesRule);

    dialogs.clear();
    wizard.finish(1.0, 1.0);
    view->siderialTimer();
    view->edt_RA_gear->setText("1048576x");
    view->B_save->click();
    cycles(3);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text.rfind("The RA gear", 0), 0u);
    EXPECT_EQ(sent(0x12) + sent(0x13), 0u);
}

}  // namespace
