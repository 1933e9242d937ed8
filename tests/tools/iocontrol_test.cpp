// The digital-output panel built from its file, its toggles and push buttons,
// and the road of its word through the control window into the motion frames.

#include "board/ctrl_view.h"
#include "tests/board/control_stand.h"
#include "tests/support/fake_system.h"
#include "tests/tools/tools_stand.h"
#include "tools/iocontrol.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

class Panel : public control_testing::ControlStand {
protected:
    void SetUp() override
    {
        ControlStand::SetUp();
        ctrl = std::make_unique<Tctrl>();
        startLoop();
    }
    void TearDown() override
    {
        panel.reset();
        ctrl.reset();
        ControlStand::TearDown();
    }

    void build(const std::string& text)
    {
        panel = std::make_unique<TIO_Control>(nullptr, dir.write("ioconfig.txt", text));
        panel->show();
    }
    // The output byte of the next motion frame.
    int nextOutputs()
    {
        settle();
        cycle();
        const auto frames = board.motionFrames();
        return frames.empty() ? -1 : frames.back()[5];
    }
    QPushButton* toggle(std::size_t row) const { return panel->ITEMLIST.at(row).TOGGLE; }
    QPushButton* button(std::size_t row) const { return panel->ITEMLIST.at(row).BUTTON; }

    testing_support::TempDir dir;
    std::unique_ptr<Tctrl> ctrl;
    std::unique_ptr<TIO_Control> panel;
};

TEST_F(Panel, ATogglesWordReachesTheMotionFrames)
{
    build("[Lamps]\nLamp:toggle:dark;lit:4:\nFan:toggle:stopped;running:$81:\nAll:button:Set:$1FF:\n");
    ASSERT_EQ(panel->ITEMLIST.size(), 3u);
    EXPECT_EQ(toggle(0)->text(), "dark");
    EXPECT_EQ(nextOutputs(), 0) << "nothing is posted before the operator acts";

    QTest::mouseClick(toggle(0), Qt::LeftButton);
    EXPECT_TRUE(toggle(0)->isChecked());
    EXPECT_EQ(toggle(0)->text(), "lit");
    EXPECT_EQ(nextOutputs(), 0x04);
    toggle(1)->click();
    EXPECT_EQ(nextOutputs(), 0x85);

    QTest::mousePress(button(2), Qt::LeftButton);
    QTest::mouseRelease(button(2), Qt::LeftButton);
    EXPECT_EQ(panel->SIGN->BUTTONS, 0x1FF) << "a button sets the whole word";
    EXPECT_EQ(nextOutputs(), 0xFF) << "the low byte rides in the frame";

    toggle(0)->click();  // off: its bit and everything above the low byte
    EXPECT_EQ(toggle(0)->text(), "dark");
    EXPECT_EQ(panel->SIGN->BUTTONS, 0xFB);
    EXPECT_EQ(nextOutputs(), 0xFB);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(Panel, OnlyTheLeftMouseButtonPressesAButton)
{
    build("[G]\nOn:button:On:$FF:\nOff:button:Off:0:\n");
    QTest::mousePress(button(0), Qt::RightButton);
    QTest::mousePress(button(0), Qt::MiddleButton);
    EXPECT_EQ(panel->SIGN->BUTTONS, 0) << "another mouse button changes nothing";
    EXPECT_EQ(nextOutputs(), 0);
    QTest::mousePress(button(0), Qt::LeftButton);
    EXPECT_EQ(nextOutputs(), 0xFF);
    QTest::mouseRelease(button(0), Qt::LeftButton);
    EXPECT_EQ(nextOutputs(), 0xFF) << "releasing sends nothing";
    QTest::mousePress(button(1), Qt::LeftButton);
    EXPECT_EQ(nextOutputs(), 0) << "a button of 0 clears the word whatever the toggles show";
}

TEST_F(Panel, BitsThatAreNoNumberAreNamedAndChangeNothing)
{
    build("[G]\nLamp:toggle:off;on:4\nPump:button:Go:lots:\nGood:toggle:off;on:1:\n");
    toggle(2)->click();
    EXPECT_EQ(nextOutputs(), 1);

    toggle(0)->click();
    EXPECT_FALSE(toggle(0)->isChecked()) << "back to the state the board has";
    EXPECT_EQ(toggle(0)->text(), "off");
    QTest::mousePress(button(1), Qt::LeftButton);
    EXPECT_EQ(panel->SIGN->BUTTONS, 1);
    EXPECT_EQ(nextOutputs(), 1);

    const auto boxes = dialogs.shown();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].text.find("\"Lamp\""), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("\"\""), std::string::npos) << "names the empty bits";
    EXPECT_NE(boxes[1].text.find("\"Pump\""), std::string::npos);
    EXPECT_NE(boxes[1].text.find("\"lots\""), std::string::npos);
}

TEST_F(Panel, ControlsLieAsThePlanSays)
{
    build("[A]\nL1:toggle:off;on:4:\nB1:button:Go:0:\nOdd:lamp:x:1:\n&group\n[B]\n");
    ASSERT_EQ(panel->GROUPLIST.size(), 2u);
    EXPECT_EQ(panel->GROUPLIST[0]->title(), "A");
    EXPECT_EQ(panel->GROUPLIST[0]->geometry(), QRect(0, 0, 195, 136));
    EXPECT_EQ(panel->GROUPLIST[1]->geometry(), QRect(210, 0, 100, 50));
    EXPECT_EQ(panel->size(), QSize(210, 136 + 35));
    // Rows lie in the area below the caption, where the plan places them.
    EXPECT_EQ(toggle(0)->geometry(), QRect(105, 2, 75, 25));
    EXPECT_EQ(button(1)->geometry(), QRect(105, 37, 60, 25));
    EXPECT_GT(toggle(0)->parentWidget()->y(), 0);
    EXPECT_EQ(panel->ITEMLIST[2].LAB->text(), "Odd");
    EXPECT_EQ(panel->ITEMLIST[2].TOGGLE, nullptr);
    EXPECT_EQ(panel->ITEMLIST[2].BUTTON, nullptr);
}

TEST_F(Panel, TheShippedFileDrivesEachOutputAndAll)
{
    testing_support::FakeSystem system;
    system.program = tools_testing::dataDir() + "/orla_setup";
    panel = std::make_unique<TIO_Control>();
    panel->show();
    ASSERT_EQ(panel->GROUPLIST.size(), 3u);
    ASSERT_EQ(panel->ITEMLIST.size(), 10u);
    for (std::size_t i = 0; i < 8; ++i) {
        ASSERT_NE(toggle(i), nullptr) << i;
        toggle(i)->click();
        EXPECT_EQ(nextOutputs(), (2 << i) - 1) << "output " << i + 1;
    }
    QTest::mousePress(button(8), Qt::LeftButton);
    EXPECT_EQ(nextOutputs(), 0) << "all off";
    QTest::mousePress(button(9), Qt::LeftButton);
    EXPECT_EQ(nextOutputs(), 0xFF) << "all on";
    EXPECT_TRUE(dialogs.shown().empty());

    // Without the file the panel is empty, and says nothing.
    system.program = dir.path() + "orla_setup";
    const TIO_Control none;
    EXPECT_TRUE(none.ITEMLIST.empty());
    EXPECT_EQ(none.size(), QSize(0, 0));
    EXPECT_TRUE(dialogs.shown().empty());
}

// The panel the shipped file makes, when ORLA_SCREENSHOTS names a folder.
TEST_F(Panel, Screenshot)
{
    const char* shots = std::getenv("ORLA_SCREENSHOTS");
    if (!shots || !*shots)
        GTEST_SKIP() << "ORLA_SCREENSHOTS is not set";
    testing_support::FakeSystem system;
    system.program = tools_testing::dataDir() + "/orla_setup";
    panel = std::make_unique<TIO_Control>();
    panel->show();
    toggle(1)->click();
    settle();
    QDir().mkpath(shots);
    EXPECT_TRUE(panel->grab().save(QString::fromLocal8Bit(shots) + "/IO_Control.png"));
}

}  // namespace
