#include "board/ctrl_view.h"

#include "board/control.h"
#include "board/control_states.h"
#include "core/names.h"
#include "platform/end_signals.h"

#include <QCloseEvent>

Tctrl::Tctrl(QWidget* parent) : SignalReceiver<QWidget>(parent)
{
    setObjectName("ctrl");
    setWindowTitle("ctrl");
    ADD_HANDLE(bus::Control, this);
    platform::onStopNoted(this, [] { CONTROL::TAKE_STOP_ON_UI(); });
}

void Tctrl::onSignal(const SignalEvent& message)
{
    switch (message.message()) {
    case WM_POINT_MESSAGE: CONTROL::ONPOINT(message.point()); break;
    case WM_STOP_MESSAGE: CONTROL::ONSTOP(); break;
    case WM_TRACK_MESSAGE: CONTROL::ONTRACK(); break;
    case WM_BUTTON_MESSAGE: CONTROL::ONBUTTON(message.hw()); break;
    case WM_POWER_MESSAGE: CONTROL::ONPOWER(message.param()); break;
    case WM_CAL_MESSAGE: CONTROL::ONCALIBRATE(message.point()); break;
    case WM_IO_MESSAGE: CONTROL::ONIO(message.hw()); break;
    case WM_PARK_MESSAGE: CONTROL::ONPARK(); break;
    case WM_UNPARK_MESSAGE: CONTROL::ONUNPARK(message.point()); break;
    case WM_STATUS_MESSAGE: break;  // accepted, no effect
    default: break;
    }
}

void Tctrl::closeEvent(QCloseEvent* event)
{
    CONTROL::CTRL_CLOSE();
    QWidget::closeEvent(event);
}
