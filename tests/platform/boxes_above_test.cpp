// A window that stays on top (the manual pad) never covers a box or dialog:
// one shown modally while it is open, or up when it opens, is its
// transient, which a window manager stacks above it however often it is
// raised.

#include "platform/boxes_above.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/wait.h"

namespace {

// The owner the window manager learns for the box that `show` brings up
// modally, read while it is up; the box is then closed.
QWindow* ownerOfModal(const std::function<void()>& show)
{
    QWindow* owner = nullptr;
    bool seen = false;
    QTimer::singleShot(0, qApp, [&] {
        EXPECT_TRUE(testing_support::waitUntil([] { return QApplication::activeModalWidget() != nullptr; }));
        if (QWidget* box = QApplication::activeModalWidget()) {
            seen = true;
            owner = box->windowHandle() ? box->windowHandle()->transientParent() : nullptr;
        }
        platform::dialogs().closeAll();
        if (QWidget* box = QApplication::activeModalWidget())
            if (auto* d = qobject_cast<QDialog*>(box))
                d->reject();
    });
    show();
    platform::dialogs().reopen();
    EXPECT_TRUE(seen) << "no box came up";
    return owner;
}

struct OnTop : ::testing::Test {
    void SetUp() override
    {
        main.resize(440, 330);
        main.show();
        pad.resize(305, 305);
        platform::keepBoxesAbove(&pad);
    }
    QWidget main;
    QWidget pad{nullptr, Qt::Tool | Qt::WindowStaysOnTopHint};
};

TEST_F(OnTop, ABoxOrDialogShownWhileThePadIsOpenIsStackedAboveIt)
{
    pad.show();
    QDialog dialog(&main);
    const struct {
        const char* what;
        std::function<void()> show;
    } shown[] = {
        {"a message box", [] { platform::dialogs().message("orla_setup", "from 1 to 65535"); }},
        {"a question", [] { platform::dialogs().askYesNo("Confirm", "Are you sure?"); }},
        {"a dialog of the program's", [&] { dialog.exec(); }},
    };
    for (const auto& s : shown)
        EXPECT_EQ(ownerOfModal(s.show), pad.windowHandle()) << s.what << " may lie under the pad";
}

// The pad shown while a box is up (the set-up window's activation shows it)
// takes the box above it too.
TEST_F(OnTop, ThePadShownWhileABoxIsUpTakesTheBoxAboveIt)
{
    QDialog dialog(&main);
    const QWindow* owner = nullptr;
    QTimer::singleShot(0, &dialog, [&] {
        pad.show();
        owner = dialog.windowHandle()->transientParent();
        dialog.reject();
    });
    dialog.exec();
    EXPECT_EQ(owner, pad.windowHandle()) << "the box lies under the pad shown after it";
}

// With the pad hidden a box keeps the owner the toolkit gives it, also one
// that was above the pad before; a window that is no box is left alone.
TEST_F(OnTop, WithThePadHiddenABoxKeepsItsOwnOwner)
{
    QDialog dialog(&main);
    pad.show();
    ownerOfModal([&] { dialog.exec(); });
    pad.hide();
    EXPECT_EQ(ownerOfModal([&] { dialog.exec(); }), main.windowHandle());

    pad.show();
    QWidget window(&main, Qt::Window);
    window.show();
    EXPECT_NE(window.windowHandle()->transientParent(), pad.windowHandle());
}

}  // namespace
