// The wizard's window on the offscreen platform: what its creation reads,
// what an activation shows and docks, and how the title bar and the buttons
// end a run. Set ORLA_SCREENSHOTS to a folder to get pictures of it.

#include "board/control.h"
#include "board/hal.h"
#include "core/params.h"
#include "setup/setup_flow.h"
#include "setup/setup_view.h"
#include "tests/setup/wizard_folders.h"
#include "tests/support/fake_sound.h"
#include "tests/support/fresh_run.h"
#include "ui/manual.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace setup;

class Wizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::freshBoardRun();
        CONTROL::RESET();
        CLEAR_HANDLES();
    }
    void TearDown() override
    {
        wizard.reset();
        pad.reset();
        QCoreApplication::processEvents();
        CLEAR_HANDLES();
        CONTROL::RESET();
    }
    void create()
    {
        pad = std::make_unique<TF_Manual>();
        wizard = std::make_unique<TSetup>();
        wizard->setPad(pad.get());
        wizard->setManualTicks(true);
    }
    // What the main window does to open it at `step`.
    void open(std::int32_t step)
    {
        wizard->setStep(step);
        wizard->show();
        wizard->FormActivate();
    }
    std::string shown(const QLabel* l) const { return l->text().toStdString(); }

    setup_testing::WizardFolders folders;
    testing_support::FakeSoundPlayer sound;
    std::unique_ptr<TF_Manual> pad;
    std::unique_ptr<TSetup> wizard;
};

TEST_F(Wizard, CreationReadsTheSettingsAgainAndTheWorkingFoldersFileOverThem)
{
    SET_PARAM("Power_check", "Maybe");  // lost: the declarations are made again
    folders.homeSettings("Setup_Range=7\nCycle_Time=20\n");
    folders.workingSettings("Setup_Range=3\nNot_declared=1\n");
    create();
    EXPECT_EQ(GET_PARAM("Power_check"), "Yes");
    EXPECT_EQ(GET_PARAM("Cycle_Time"), "20");
    EXPECT_EQ(GET_PARAM("Setup_Range"), "3") << "values found in orla_setup.ini win";
    EXPECT_EQ(GET_PARAM("Not_declared"), "");

    EXPECT_EQ(wizard->objectName(), "Setup");
    EXPECT_EQ(wizard->windowTitle(), "Setup");
    EXPECT_EQ(wizard->size(), QSize(400, 344));
    EXPECT_EQ(wizard->PaintBox1->size(), QSize(256, 239));
    EXPECT_TRUE(wizard->PaintBox1->isHidden());
    EXPECT_TRUE(wizard->chk_mvhor->isHidden());
    EXPECT_TRUE(wizard->chk_mvver->isHidden());
    EXPECT_EQ(wizard->B_OK->text(), "B_OK");
    EXPECT_EQ(wizard->B_Cancel->text(), "B_Cancel");
    EXPECT_EQ(shown(wizard->message1), "init_msg");
    EXPECT_EQ(wizard->Timer1->interval(), 10);
    EXPECT_FALSE(wizard->Timer1->isActive());
    EXPECT_EQ(wizard->step(), STEP_IDLE);
    for (const char* name : {"L_mv_hor", "chk_mvhor", "L_mv_ver", "chk_mvver", "message1", "PaintBox1", "B_OK",
                             "B_Cancel"})
        EXPECT_NE(wizard->findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(Wizard, ActivationTranslatesDocksThePadAndStartsTheTimer)
{
    folders.shippedLanguage();
    create();
    wizard->setManualTicks(false);
    wizard->move(120, 40);
    open(STEP_REFERENCE);
    EXPECT_TRUE(wizard->Timer1->isActive());
    EXPECT_EQ(wizard->B_OK->text(), "OK");
    EXPECT_FALSE(wizard->B_OK->isEnabled());
    EXPECT_EQ(shown(wizard->message1), LANGUAGE::GETCAPTION("Setup", "move_init_msg", "?"));
    EXPECT_EQ(shown(wizard->L_mv_hor), LANGUAGE::GETCAPTION("Setup", "move_hor_msg", "?"));
    EXPECT_TRUE(wizard->L_mv_ver->isHidden());
    ASSERT_TRUE(pad->isVisible());
    EXPECT_EQ(pad->y(), wizard->y());
    EXPECT_EQ(pad->x(), wizard->x() + wizard->frameGeometry().width() + 10);

    // A pad already shown stays where the operator put it.
    pad->move(5, 5);
    wizard->FormActivate();
    EXPECT_EQ(pad->pos(), QPoint(5, 5));
    wizard->setManualTicks(true);
    EXPECT_FALSE(wizard->Timer1->isActive());
}

TEST_F(Wizard, ComingBackFromThePadKeepsTheInstructionOfTheStep)
{
    folders.shippedLanguage();
    create();
    open(STEP_GEAR);
    EXPECT_EQ(shown(wizard->message1), LANGUAGE::GETCAPTION("Setup", "message1", "?"));
    EXPECT_TRUE(wizard->PaintBox1->isVisible());
    wizard->B_OK->click();
    const std::string turn = LANGUAGE::GETCAPTION("Setup", "dec_rot_msg", "?");
    EXPECT_EQ(shown(wizard->message1), turn);
    wizard->FormActivate();  // the translation would put message1's own text back
    EXPECT_EQ(shown(wizard->message1), turn);
}

TEST_F(Wizard, ClosingByTheTitleBarEndsTheRunAsCancelDoes)
{
    create();
    wizard->setManualTicks(false);
    open(STEP_HORIZONTAL);
    ASSERT_TRUE(wizard->Timer1->isActive());
    wizard->close();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_FALSE(wizard->Timer1->isActive());
    EXPECT_EQ(wizard->step(), STEP_DONE);
    EXPECT_EQ(wizard->modalResult(), RESULT_CANCEL);
    EXPECT_TRUE(pad->isVisible()) << "the pad stays, as with Cancel";
    EXPECT_FALSE(setup_flow::takeFinishedRun(*wizard));
}

TEST_F(Wizard, TheLastOkHidesWizardAndPadAndTheRunIsCompletedOnce)
{
    create();
    open(STEP_GEAR);
    for (int press = 0; press < 3; ++press)
        wizard->B_OK->click();
    ASSERT_EQ(wizard->step(), STEP_RA_TURN);
    EXPECT_TRUE(wizard->isVisible());
    wizard->B_OK->click();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_FALSE(pad->isVisible());
    EXPECT_EQ(wizard->step(), STEP_DONE);
    EXPECT_EQ(wizard->modalResult(), RESULT_OK);
    EXPECT_TRUE(setup_flow::takeFinishedRun(*wizard));
    EXPECT_EQ(wizard->step(), STEP_IDLE);
    EXPECT_EQ(wizard->modalResult(), RESULT_NONE);
    EXPECT_FALSE(setup_flow::takeFinishedRun(*wizard));
}

// An OK that does not end the run leaves nothing for the main window to
// complete, even where the step is then set to 10 from outside (as Gear
// does from the control module's state).
TEST_F(Wizard, OnlyTheLastOkLeavesARunToComplete)
{
    create();
    for (const std::int32_t step : {STEP_LEARNT, STEP_GEAR, STEP_DEC_TURN, STEP_RA_START}) {
        SCOPED_TRACE(step);
        open(step);
        wizard->B_OK->click();
        ASSERT_NE(wizard->step(), STEP_DONE);
        EXPECT_EQ(wizard->modalResult(), RESULT_NONE);
        EXPECT_TRUE(wizard->runInProgress());
        wizard->setStep(STEP_DONE);
        EXPECT_FALSE(setup_flow::takeFinishedRun(*wizard));
        wizard->cancelRun();
        EXPECT_FALSE(wizard->runInProgress());
    }
}

TEST_F(Wizard, CancelHidesTheWizardOnly)
{
    create();
    open(STEP_REFERENCE);
    wizard->B_Cancel->click();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_TRUE(pad->isVisible());
    EXPECT_EQ(wizard->modalResult(), RESULT_CANCEL);
}

TEST_F(Wizard, ThePaintBoxDrawsTheSketchOfTheCurrentPose)
{
    create();
    open(STEP_GEAR);
    const QImage at = wizard->PaintBox1->grab().toImage();
    // At rest the open front end is the dark dot at (85, 112); the back end
    // at (171, 86) is drawn white.
    EXPECT_LT(qGray(at.pixel(85, 112)), 60);
    EXPECT_GT(qGray(at.pixel(171, 86)), 200);
}

// Pictures of what the operator sees: the wizard with the pad docked beside
// it, as the window manager would show them side by side.
TEST_F(Wizard, Screenshots)
{
    const char* folder = std::getenv("ORLA_SCREENSHOTS");
    if (!folder)
        GTEST_SKIP() << "set ORLA_SCREENSHOTS to a folder to save them";
    QDir().mkpath(QString::fromUtf8(folder));
    folders.shippedLanguage();
    create();
    const auto save = [&](const char* name) {
        QCoreApplication::processEvents();
        const QImage w = wizard->grab().toImage();
        const QImage p = pad->grab().toImage();
        QImage both(w.width() + 10 + p.width(), std::max(w.height(), p.height()), QImage::Format_RGB32);
        both.fill(QColor(0x50, 0x50, 0x50));
        QPainter painter(&both);
        painter.drawImage(0, 0, w);
        painter.drawImage(w.width() + 10, 0, p);
        painter.end();
        ASSERT_TRUE(both.save(QString::fromUtf8(folder) + "/" + name));
    };

    open(STEP_REFERENCE);
    pad->FormActivate();
    save("setup_directions.png");
    // Both axes learnt: slews the readings make, one tick each.
    HAL::POS_RECEIVED = true;
    HAL::TEL_POS.store({100000, 0});
    wizard->Timer1Timer();
    HAL::TEL_POS.store({400000, 0});
    CONTROL::MANUAL.set({-100, 0, 0, 0});
    wizard->Timer1Timer();
    HAL::TEL_POS.store({400000, 300000});
    CONTROL::MANUAL.set({0, 100, 0, 0});
    wizard->Timer1Timer();
    ASSERT_EQ(wizard->step(), STEP_LEARNT);
    save("setup_directions_learnt.png");

    wizard->run().STATE = STEP_VERTICAL;
    wizard->hide();
    open(STEP_GEAR);
    save("setup_sketch.png");
    wizard->B_OK->click();
    for (int t = 0; t < 60; ++t)
        wizard->Timer1Timer();
    save("setup_dec_turn.png");
}

}  // namespace
