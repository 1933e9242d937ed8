#include "ui/program_close.h"

#include "board/control.h"
#include "platform/dialogs.h"
#include "platform/gui_bridge.h"

#include <QEvent>
#include <QWidget>

ProgramClose::ProgramClose(platform::UiBridge& bridge, QWidget* mainWindow) : QObject(mainWindow), bridge_(bridge)
{
    mainWindow->installEventFilter(this);
}

bool ProgramClose::eventFilter(QObject* watched, QEvent* event)
{
    // A filter sees the close before the window's own handler does.
    if (event->type() == QEvent::Close) {
        bridge_.shutdown();
        platform::dialogs().closeAll();
    }
    return QObject::eventFilter(watched, event);
}

void ProgramClose::stopMountSide(platform::UiBridge& bridge)
{
    bridge.shutdown();
    CONTROL::CTRL_CLOSE();
}
