#pragma once
// Runs a test's actions inside a dialog's modal showing. Whatever the actions
// leave open is cancelled, so a failed assertion among them ends the showing
// instead of leaving the test waiting in it.

#include <QCoreApplication>
#include <QDialog>
#include <QTimer>

#include <functional>

namespace testing_support {

// Set up before the dialog is shown modally; `act` runs once it is, after
// the showing's own activation.
inline void inModal(QDialog& d, const std::function<void()>& act)
{
    QTimer::singleShot(0, &d, [&d, act] {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        act();
        if (d.isVisible())
            d.reject();
    });
}

}  // namespace testing_support
