#include "core/Signals.h"
#include "core/language.h"
#include "core/params.h"
#include "core/system_init.h"
#include "platform/end_signals.h"
#include "tests/support/fake_system.h"
#include "tests/support/wait.h"
#include "ui/manual.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace {

// Stands in for the control window: notes each record as it is handled.
class Control final : public SignalReceiver<QObject> {
public:
    struct Seen {
        std::int32_t buttons, speed;
    };
    std::vector<Seen> seen;

protected:
    void onSignal(const SignalEvent& m) override
    {
        if (m.message() == WM_BUTTON_MESSAGE && m.hw())
            seen.push_back({m.hw()->BUTTONS, m.hw()->SPEED});
    }
};

class ManualPad : public ::testing::Test {
protected:
    void SetUp() override
    {
        CLEAR_HANDLES();
        PARAM_CLEAR();
        system_init::INIT_PARAM();
        LANGUAGE::CLEAR();
        ADD_HANDLE("Control", &control);
        pad = std::make_unique<TF_Manual>();
    }
    void TearDown() override
    {
        pad.reset();
        CLEAR_HANDLES();
        LANGUAGE::CLEAR();
    }
    std::vector<Control::Seen> posts()
    {
        QCoreApplication::processEvents();
        auto s = control.seen;
        control.seen.clear();
        return s;
    }

    Control control;
    std::unique_ptr<TF_Manual> pad;
};

bool operator==(const Control::Seen& a, const Control::Seen& b) { return a.buttons == b.buttons && a.speed == b.speed; }

TEST_F(ManualPad, PressAndReleasePostTheHeldDirections)
{
    QTest::mousePress(pad->Button1, Qt::LeftButton);
    EXPECT_EQ(posts(), (std::vector<Control::Seen>{{BUP, 1}}));
    QTest::mousePress(pad->Button1, Qt::RightButton);
    QTest::mousePress(pad->Button2, Qt::MiddleButton);
    EXPECT_EQ(posts(), (std::vector<Control::Seen>{{BUP | BLEFT, 1}, {BUP | BLEFT, 1}}))
        << "the one record is read when handled";
    QTest::mouseRelease(pad->Button1, Qt::LeftButton);
    QTest::mouseRelease(pad->Button2, Qt::MiddleButton);
    EXPECT_EQ(posts().back(), (Control::Seen{0, 1}));

    pad->Button3Click();
    QTest::mousePress(pad->Button4, Qt::LeftButton);
    QTest::mouseRelease(pad->Button4, Qt::LeftButton);
    pad->Button3Click();
    QTest::mousePress(pad->Button5, Qt::LeftButton);
    auto p = posts();
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p.back(), (Control::Seen{BDOWN, 3}));
}

TEST_F(ManualPad, SpeedStepCyclesWithItsCaptionsAndPostsNothing)
{
    testing_support::TempDir dir;
    const std::string file = dir.write("pad.lng", "[F_Manual]\nButton3=slow;medium;fast\nButton1=North\n");
    LANGUAGE::INIT(file);
    pad->FormActivate();
    EXPECT_EQ(pad->Button1->text(), "North");
    EXPECT_EQ(pad->Button3->text(), "slow");
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        pad->Button3Click();
        seen.push_back(pad->Button3->text().toStdString());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"medium", "fast", "slow", "medium"}));
    EXPECT_TRUE(posts().empty());

    LANGUAGE::CLEAR();
    TF_Manual bare;
    bare.FormActivate();
    EXPECT_EQ(bare.Button3->text(), "") << "without an entry the speed button has no caption";
}

TEST_F(ManualPad, EchoShowsTheActiveDirectionsInBold)
{
    auto rec = std::make_shared<THWdata>();
    rec->BUTTONS = BLEFT | BUP;
    SIGNAL("F_Manual", WM_BUTTON_MESSAGE, rec);
    QCoreApplication::processEvents();
    EXPECT_TRUE(pad->Button2->font().bold());
    EXPECT_TRUE(pad->Button1->font().bold());
    EXPECT_FALSE(pad->Button4->font().bold());
    rec->BUTTONS = 0;
    SIGNAL("F_Manual", WM_BUTTON_MESSAGE, rec);
    QCoreApplication::processEvents();
    for (QPushButton* b : {pad->Button1, pad->Button2, pad->Button3, pad->Button4, pad->Button5})
        EXPECT_FALSE(b->font().bold());
}

TEST_F(ManualPad, LayoutFollowsTheWidth)
{
    struct Case {
        int width, side, p0, p1, p2;
    } cases[] = {{305, 76, 29, 114, 199}, {400, 100, 38, 150, 262}};
    for (const auto& c : cases) {
        pad->resize(c.width, c.width);
        QCoreApplication::sendPostedEvents();
        pad->show();
        pad->resize(c.width, c.width);
        EXPECT_EQ(pad->Button1->geometry(), QRect(c.p1, c.p0, c.side, c.side)) << c.width;
        EXPECT_EQ(pad->Button2->geometry(), QRect(c.p0, c.p1, c.side, c.side));
        EXPECT_EQ(pad->Button4->geometry(), QRect(c.p2, c.p1, c.side, c.side));
        EXPECT_EQ(pad->Button5->geometry(), QRect(c.p1, c.p2, c.side, c.side));
        pad->hide();
    }
}

// A held key whose release the pad can no longer see must not leave the
// mount slewing.
TEST_F(ManualPad, HeldDirectionsAreReleasedWhenThePadLosesTheMouse)
{
    pad->show();
    for (QEvent::Type t : {QEvent::WindowBlocked, QEvent::WindowDeactivate}) {
        QTest::mousePress(pad->Button4, Qt::LeftButton);
        posts();
        QEvent e(t);
        QCoreApplication::sendEvent(pad.get(), &e);
        EXPECT_EQ(posts(), (std::vector<Control::Seen>{{0, 1}})) << t;
    }
    QTest::mousePress(pad->Button1, Qt::LeftButton);
    posts();
    pad->hide();
    EXPECT_EQ(posts(), (std::vector<Control::Seen>{{0, 1}}));
    pad->hide();
    EXPECT_TRUE(posts().empty()) << "nothing held, nothing posted";
}

// Stopped by Ctrl-Z with a direction held: the release the mouse gave
// meanwhile may never reach the pad, so it counts as given.
void noStop(int) {}

TEST_F(ManualPad, ADirectionHeldWhenTheProcessStoppedIsReleasedWhenItGoesOn)
{
    platform::setStopAction(&noStop);
    QObject listening;
    int continued = 0;
    platform::onContinue(&listening, [&] { ++continued; });
    QTest::mousePress(pad->Button2, Qt::LeftButton);
    posts();
    platform::stopProcess(SIGTSTP);
    ASSERT_TRUE(testing_support::waitUntil([&] { return continued == 1; }));
    EXPECT_EQ(posts(), (std::vector<Control::Seen>{{0, 1}}));
    platform::stopProcess(SIGTSTP);
    ASSERT_TRUE(testing_support::waitUntil([&] { return continued == 2; }));
    EXPECT_TRUE(posts().empty()) << "nothing held, nothing posted";
    platform::setStopAction(nullptr);
}

}  // namespace
