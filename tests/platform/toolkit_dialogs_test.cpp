// The toolkit's own boxes, as the operator meets them.

#include "platform/dialogs.h"
#include "tests/support/wait.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using platform::DefaultButton;

// Enter alone, pressed on the box as it opens, answers the question's
// default button.
TEST(ToolkitDialogs, EnterAloneAnswersTheQuestionsDefaultButton)
{
    platform::setDialogs(nullptr);  // the toolkit's boxes
    const struct {
        DefaultButton defaultButton;
        bool yes;
    } cases[] = {{DefaultButton::No, false}, {DefaultButton::Yes, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.yes ? "Yes the default" : "No the default");
        QTimer::singleShot(0, [] {
            QMessageBox* box = nullptr;
            if (!testing_support::waitUntil([&] {
                    box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                    return box && box->isVisible();
                })) {
                ADD_FAILURE() << "no box came";
                platform::dialogs().closeAll();
                return;
            }
            // Where the keyboard's Enter goes: the box's focused button.
            QWidget* focused = box->focusWidget();
            QTest::keyClick(focused ? focused : box, Qt::Key_Return);
        });
        EXPECT_EQ(platform::dialogs().askYesNo("Confirm", "Write it?", c.defaultButton), c.yes);
        platform::dialogs().reopen();
    }
}

}  // namespace
