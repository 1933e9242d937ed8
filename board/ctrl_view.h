#pragma once
// The control window: hidden, registered as "Control" on the message bus. It
// receives the commands meant for the mount and hands each to the control
// module's command of the same name.

#include "core/Signals.h"

#include <QWidget>

class QCloseEvent;

class Tctrl : public SignalReceiver<QWidget> {
    Q_OBJECT
public:
    explicit Tctrl(QWidget* parent = nullptr);

protected:
    void onSignal(const SignalEvent& message) override;
    // Stops the control loop; the window is never shown, so this runs only
    // if something closes it.
    void closeEvent(QCloseEvent* event) override;
};
