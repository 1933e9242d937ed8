// The windows the main window docks beside itself, on a laptop's screen and
// a small one, the main window at either edge or in the middle: the set-up
// window with the pad, open or not, as one row; the device window and that
// row clear of each other where the screen has room; the boxes and dialogs
// shown above the pad, which stays on top.

#include "platform/docking.h"
#include "setup/wizard_link.h"
#include "tests/support/wait.h"
#include "tests/ui/main_view_stand.h"
#include "ui/manual.h"

#include <QAction>
#include <QPushButton>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

using setup::SetupWizardLink;

class MainViewDocking : public main_view_testing::MainViewTest {
protected:
    void SetUp() override
    {
        MainViewTest::SetUp();
        device.resize(330, 220);
        view->setDeviceWindow(&device);
        pad = std::make_unique<TF_Manual>();
        view->setManualPad(pad.get());
        view->show();
        settleDocking();
        // Gear then opens the wizard at the direction part, asking nothing.
        CONTROL::DIR_INIT_DONE = true;
        CONTROL::STATE = 5;
    }
    void TearDown() override
    {
        pad.reset();
        MainViewTest::TearDown();
    }

    QWidget& wizardWindow() { return wizard.window_; }

    // Until every shown window is on the screen and no docking follows it.
    void settleDocking()
    {
        ASSERT_TRUE(testing_support::waitUntil([this] {
            for (QWidget* w : {static_cast<QWidget*>(view.get()), &device, &wizardWindow(), static_cast<QWidget*>(pad.get())})
                if (w->isVisible() && (!platform::framedOnScreen(w) || platform::dockPending(w)))
                    return false;
            return true;
        }));
    }
    void gear()
    {
        wizard.setStep(SetupWizardLink::StepIdle);
        view->Calibrate4Click();
        ASSERT_TRUE(wizardWindow().isVisible());
        settleDocking();
    }
    void hardware()
    {
        view->Hardware1->trigger();
        settleDocking();
    }
    void hideAll()
    {
        for (QWidget* w : {&device, &wizardWindow(), static_cast<QWidget*>(pad.get())})
            w->hide();
    }
    // The pad left where the operator opened it: where the set-up window
    // lands right of the main window.
    void openPadInTheWay()
    {
        pad->show();
        pad->move(view->frameGeometry().right() + 1, view->y());
        settleDocking();
    }

    QWidget device;
    std::unique_ptr<TF_Manual> pad;
};

// The pad opened by "Graph + pad" and left where it is: Gear moves it beside
// the set-up window, as the row the two make, and wholly on the screen.
TEST_F(MainViewDocking, GearWithThePadOpenMovesItBesideTheSetUpWindow)
{
    for (const auto& [what, area, at] : main_view_testing::mainPlaces(view->frameGeometry().width())) {
        SCOPED_TRACE(testing::Message() << what << " at " << at.x());
        hideAll();
        view->move(at);
        settleDocking();
        openPadInTheWay();
        gear();
        const QRect w = wizardWindow().frameGeometry(), p = pad->frameGeometry();
        EXPECT_FALSE(w.intersects(p)) << "the set-up window lies on the pad";
        EXPECT_EQ(p.topLeft(), QPoint(w.right() + 1 + 10, w.top())) << "the pad is not 10 px right of the set-up window";
        EXPECT_TRUE(area.contains(w)) << w.x() << "+" << w.width();
        EXPECT_TRUE(area.contains(p)) << p.x() << "+" << p.width();
    }
}

// Hardware then Gear, and Gear then Hardware: the device window and the
// set-up row both dock beside the main window, and the one opened later
// keeps clear of the other; the screens have room for both.
TEST_F(MainViewDocking, TheDeviceWindowAndTheSetUpRowNeverCoverEachOther)
{
    for (const bool deviceFirst : {true, false}) {
        for (const auto& [what, area, at] : main_view_testing::mainPlaces(view->frameGeometry().width())) {
            SCOPED_TRACE(testing::Message() << what << " at " << at.x() << (deviceFirst ? ", Hardware first" : ", Gear first"));
            hideAll();
            view->move(at);
            settleDocking();
            openPadInTheWay();
            if (deviceFirst) {
                hardware();
                gear();
            } else {
                gear();
                hardware();
            }
            const QRect d = device.frameGeometry(), w = wizardWindow().frameGeometry(), p = pad->frameGeometry();
            EXPECT_FALSE(d.intersects(w)) << "the device window and the set-up window cover each other";
            EXPECT_FALSE(d.intersects(p)) << "the device window and the pad cover each other";
            EXPECT_FALSE(w.intersects(p)) << "the set-up window and the pad cover each other";
            for (const QRect& r : {d, w, p})
                EXPECT_TRUE(area.contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
        }
    }
}

// The encoder pulses dialog Gear asks first comes up while the pad is open:
// it is stacked above the pad, not under it.
TEST_F(MainViewDocking, ThePulsesDialogIsShownAboveAnOpenPad)
{
    CONTROL::DIR_INIT_DONE = false;
    CONTROL::STATE = 10;
    openPadInTheWay();
    const QWindow* over = nullptr;
    whenPulsesAsked([&](TForm1& f) {
        over = f.windowHandle() ? f.windowHandle()->transientParent() : nullptr;
        f.B_Start->click();
    });
    view->Calibrate4Click();
    ASSERT_TRUE(pulsesAsked);
    EXPECT_EQ(over, pad->windowHandle()) << "the pulses dialog may lie under the pad";
}

}  // namespace
