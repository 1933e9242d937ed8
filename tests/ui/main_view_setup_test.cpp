// The main window's set-up flow, driven through its handlers without a
// board: the configuration display, the requests of Init and Align, where
// Gear opens the wizard, the 10 ms timer and the checks of Save.

#include "board/frames.h"
#include "core/params.h"
#include "tests/ui/main_view_stand.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

using MainViewSetup = main_view_testing::MainViewTest;
using setup::SetupWizardLink;

TEST_F(MainViewSetup, ConfigurationMessageShowsTheBoardStateOnly)
{
    CONTROL::HW_RA_GEAR = -5;
    CONTROL::HW_DE_GEAR = 1048576;
    CONTROL::RA_MOT_CCW = CONTROL::DE_ENC_CCW = CONTROL::DE_MOT_ENC_CR = true;
    view->ONDEMO(0);
    SIGNAL("Main_view", WM_CAL_MESSAGE, std::int64_t{0});
    settle();
    EXPECT_EQ(view->edt_RA_gear->text(), "-5");
    EXPECT_EQ(view->edt_DE_gear->text(), "1048576");
    const std::pair<QCheckBox*, bool> flags[] = {
        {view->chk_ra_mot_ccw, true},  {view->chk_ra_enc_ccw, false}, {view->chk_de_mot_ccw, false},
        {view->chk_de_enc_ccw, true},  {view->chk_ra_mot_enc_cr, false}, {view->chk_de_mot_enc_cr, true},
    };
    for (const auto& [box, on] : flags)
        EXPECT_EQ(box->isChecked(), on) << box->objectName().toStdString();
    EXPECT_EQ(status(), "Tarnel2 detected");
    EXPECT_EQ(wizard.step(), SetupWizardLink::StepIdle);
    EXPECT_EQ(control.count(WM_STOP_MESSAGE), 0u);
}

TEST_F(MainViewSetup, CalibrationMessageDispatchesOnItsLow32Bits)
{
    CONTROL::HW_RA_GEAR = 7;
    view->ONCALIBRATE(std::int64_t{1} << 32);  // low half 0: the configuration
    EXPECT_EQ(view->edt_RA_gear->text(), "7");
    EXPECT_FALSE(CONTROL::SET_TIME_SYNC);
    view->ONCALIBRATE(9);
    EXPECT_TRUE(CONTROL::SET_TIME_SYNC) << "any other value asks for the clock sync";
    CONTROL::DIR_INIT_DONE = true;
    view->ONCALIBRATE((std::int64_t{3} << 32) | 4);
    settle();
    EXPECT_EQ(control.count(WM_STOP_MESSAGE), 1u) << "4 runs the Gear command";
}

TEST_F(MainViewSetup, InitHasTheFocusAtTheStartAndEnterBeginsTheSetUp)
{
    EXPECT_EQ(view->focusWidget(), view->B_Init);
    QTest::keyClick(view->B_Init, Qt::Key_Return);
    EXPECT_EQ(status(), "Detect board setup");
    EXPECT_EQ(CONTROL::SETUP_COMMAND, CONTROL::INIT_CMD);
    // A gear field the operator clicks into takes the focus, caret and all.
    EXPECT_EQ(view->edt_RA_gear->focusPolicy(), Qt::StrongFocus);
}

TEST_F(MainViewSetup, InitAndAlignRaiseTheirRequests)
{
    view->B_Init->click();
    EXPECT_EQ(status(), "Detect board setup");
    EXPECT_EQ(CONTROL::SETUP_COMMAND, CONTROL::INIT_CMD);
    EXPECT_TRUE(CONTROL::GET_POWER);

    CONTROL::SETUP_COMMAND = 0;
    CONTROL::GET_POWER = false;
    view->Calibrate3->trigger();
    EXPECT_EQ(CONTROL::SETUP_COMMAND, CONTROL::INIT_CMD);
    EXPECT_TRUE(CONTROL::GET_POWER);

    view->Calibrate2->trigger();
    EXPECT_EQ(GET_PARAM("Setup_align"), "Yes");
    EXPECT_TRUE(CONTROL::GET_INIT);
    EXPECT_EQ(CONTROL::STATE, 5);

    CONTROL::GET_INIT = false;
    CONTROL::GET_INIT_COUNT = 40;
    HAL::HW_CONFIG_RECEIVED = 0xC2;
    view->B_GearClick();
    EXPECT_TRUE(CONTROL::GET_INIT);
    EXPECT_EQ(CONTROL::GET_INIT_COUNT, 0);
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0u);
}

TEST_F(MainViewSetup, GearOpensTheWizardWhereTheBoardStateAsks)
{
    struct Case {
        bool dirInitDone, align;
        std::int32_t state;
        bool absEnc;
        bool asked;  // the encoder pulses dialog came first
        std::int32_t step;
        const char* status;  // "" is the empty alignment help: no language file read here
        const char* gears;
    };
    const Case cases[] = {
        {false, false, 10, false, true, 1, "", "100"},
        {true, true, 10, true, false, 1, "", "100"},
        {true, false, 5, false, false, 5, "before", "100"},
        {true, false, 1, false, false, 1, "before", "100"},
        {true, false, 10, false, false, 10, "Configuration done", "100"},
        {true, false, 10, true, false, 10, "Configuration done", "Abs enc"},
    };
    view->ALIGN_MSG.clear();
    view->move(200, 80);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dirInitDone << c.align << " " << c.state << c.absEnc);
        wizard.window_.hide();
        wizard.window_.move(0, 0);
        wizard.setStep(SetupWizardLink::StepIdle);
        control.received.clear();
        view->L_Object->setText("before");
        view->B_Align->setEnabled(false);
        CONTROL::SET_ENC_VAL = false;
        CONTROL::DIR_INIT_DONE = c.dirInitDone;
        CONTROL::ABS_ENC = c.absEnc;
        CONTROL::STATE = c.state;
        CONTROL::HW_RA_GEAR = CONTROL::HW_DE_GEAR = 100;
        SET_PARAM("Setup_align", c.align);
        whenPulsesAsked([](TForm1& f) { f.B_Start->click(); });

        view->Calibrate4Click();
        settle();

        EXPECT_EQ(control.params(WM_STOP_MESSAGE), std::vector<std::int64_t>{0});
        EXPECT_EQ(pulsesAsked, c.asked);
        EXPECT_EQ(CONTROL::SET_ENC_VAL, c.asked);
        EXPECT_EQ(wizard.step(), c.step);
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(view->edt_RA_gear->text(), c.gears);
        EXPECT_EQ(view->edt_DE_gear->text(), c.gears);
        EXPECT_FALSE(GET_BPARAM("Setup_align"));
        const bool shown = c.step < SetupWizardLink::StepFinished;
        EXPECT_EQ(wizard.window_.isVisible(), shown);
        EXPECT_EQ(view->B_Align->isEnabled(), c.step == 1 && c.status[0] == '\0');
        if (shown) {
            EXPECT_EQ(wizard.window_.pos(), QPoint(200 + view->frameGeometry().width(), 80))
                << "right beside the main window";
        }
    }
}

// Init, Align and Gear pressed while a run is in progress end it as Cancel
// does before their own steps; a run not in progress is left alone.
TEST_F(MainViewSetup, InitAlignAndGearEndARunInProgressFirst)
{
    struct Press {
        const char* what;
        std::function<void()> press;
        std::function<bool()> wentOn;  // the command's own steps were taken
    };
    const Press presses[] = {
        {"Init", [&] { view->B_Init->click(); }, [] { return CONTROL::SETUP_COMMAND == CONTROL::INIT_CMD; }},
        {"Align", [&] { view->Calibrate2->trigger(); }, [] { return CONTROL::GET_INIT.load(); }},
        {"Gear", [&] { view->Calibrate4Click(); }, [&] { return wizard.step() == SetupWizardLink::StepGears; }},
    };
    CONTROL::DIR_INIT_DONE = true;
    for (const Press& p : presses) {
        SCOPED_TRACE(p.what);
        for (const bool inProgress : {true, false}) {
            CONTROL::SETUP_COMMAND = 0;
            CONTROL::GET_INIT = false;
            CONTROL::STATE = SetupWizardLink::StepGears;
            SET_PARAM("Setup_align", false);
            wizard.cancelled = 0;
            if (inProgress)
                wizard.begin(3);
            else
                wizard.setStep(SetupWizardLink::StepIdle);
            p.press();
            settle();
            EXPECT_EQ(wizard.cancelled, inProgress ? 1 : 0);
            EXPECT_FALSE(wizard.runInProgress());
            EXPECT_TRUE(p.wentOn());
        }
    }
}

TEST_F(MainViewSetup, PulsesDialogClosedByItsTitleBarGoesOnAlike)
{
    CONTROL::GET_INIT_COUNT = 30;
    HAL::HW_CONFIG_RECEIVED = 0x92;
    whenPulsesAsked([](TForm1& f) { f.reject(); });
    view->Calibrate4Click();
    EXPECT_TRUE(pulsesAsked);
    EXPECT_TRUE(CONTROL::SET_ENC_VAL);
    EXPECT_EQ(CONTROL::GET_INIT_COUNT, 0);
    EXPECT_EQ(HAL::HW_CONFIG_RECEIVED, 0u);
    EXPECT_EQ(wizard.step(), SetupWizardLink::StepDirections);
    EXPECT_TRUE(wizard.window_.isVisible());
}

TEST_F(MainViewSetup, GearBeforeTheWizardExistsDoesNothing)
{
    view->setWizard(nullptr);
    view->L_Object->setText("before");
    view->Calibrate4Click();
    settle();
    EXPECT_EQ(control.count(WM_STOP_MESSAGE), 0u);
    EXPECT_EQ(status(), "before");
    EXPECT_FALSE(CONTROL::SET_ENC_VAL);
}

TEST_F(MainViewSetup, TimerFollowsPowerEncodersAndTheBoardsSetUp)
{
    struct Case {
        bool power, abs, dirInitDone;
    };
    for (const Case& c : {Case{true, false, false}, Case{false, true, true}, Case{true, false, true}}) {
        CONTROL::POWER_ON = c.power;
        CONTROL::ABS_ENC = c.abs;
        CONTROL::DIR_INIT_DONE = c.dirInitDone;
        view->B_Gear->setEnabled(false);
        view->siderialTimer();
        EXPECT_EQ(view->conn_led_on->isHidden(), !c.power);
        EXPECT_EQ(view->abs_led_on->isHidden(), !c.abs);
        EXPECT_FALSE(view->conn_led_off->isHidden()) << "the off lamp stays under the on lamp";
        EXPECT_EQ(view->B_Align->isEnabled(), c.dirInitDone) << "nothing here disables Align again";
        EXPECT_EQ(view->B_Gear->isEnabled(), c.dirInitDone && !c.abs);
    }
}

TEST_F(MainViewSetup, TimerCompletesAFinishedRunOnce)
{
    CONTROL::HW_RA_GEAR = 3;
    CONTROL::HW_DE_GEAR = 5;
    CONTROL::RA_ENC_CCW = CONTROL::DE_MOT_CCW = true;
    view->edt_RA_gear->setText("3");
    wizard.cancel();
    view->siderialTimer();
    EXPECT_EQ(view->edt_RA_gear->text(), "3") << "a cancelled run changes nothing";
    EXPECT_FALSE(view->B_save->isEnabled());
    EXPECT_FALSE(view->chk_ra_enc_ccw->isChecked());

    wizard.finish(1.5, 1.5);
    view->siderialTimer();
    EXPECT_EQ(view->edt_RA_gear->text(), "4");
    EXPECT_EQ(view->edt_DE_gear->text(), "8");
    EXPECT_TRUE(view->chk_ra_enc_ccw->isChecked());
    EXPECT_TRUE(view->chk_de_mot_ccw->isChecked());
    EXPECT_FALSE(view->chk_ra_mot_ccw->isChecked());
    EXPECT_EQ(status(), "Setup done");
    EXPECT_TRUE(view->B_save->isEnabled());
    EXPECT_EQ(wizard.step(), SetupWizardLink::StepIdle);

    view->L_Object->setText("later");
    view->siderialTimer();
    EXPECT_EQ(status(), "later");
}

TEST_F(MainViewSetup, SaveChecksBothGearTextsBeforeChangingAnything)
{
    CONTROL::HW_RA_GEAR = 11;
    CONTROL::HW_DE_GEAR = 22;
    const std::pair<const char*, const char*> wrong[] = {{"", "100"}, {"100", "0"}, {"Abs enc", "Abs enc"},
                                                         {"100", "2147483648"}};
    for (const auto& [ra, de] : wrong) {
        dialogs.clear();
        view->edt_RA_gear->setText(ra);
        view->edt_DE_gear->setText(de);
        view->B_saveClick();
        ASSERT_EQ(dialogs.shown().size(), 1u) << ra << " " << de;
        EXPECT_FALSE(dialogs.shown()[0].question) << "refused before the confirmation";
        EXPECT_NE(dialogs.shown()[0].text.find("1 to 2147483647"), std::string::npos);
        EXPECT_EQ(CONTROL::HW_RA_GEAR, 11);
        EXPECT_EQ(CONTROL::HW_DE_GEAR, 22);
    }
    dialogs.clear();
    dialogs.answer(false);
    view->edt_RA_gear->setText("1572864");
    view->edt_DE_gear->setText("524288");
    view->B_saveClick();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].question);
    EXPECT_EQ(CONTROL::HW_RA_GEAR, 11) << "No leaves the board's gears held";
    EXPECT_EQ(CONTROL::HW_DE_GEAR, 22);
}

}  // namespace
