#pragma once
// What closing the main window does for the whole program, before the
// window's own close handler stops the control loop: every wait of another
// thread on the user-interface thread ends and every box on screen closes,
// so nothing the loop or a reader waits for can hold up the end, and each of
// them is joined before anything it uses goes.

#include <QObject>

class QWidget;

namespace platform {
class UiBridge;
}

class ProgramClose final : public QObject {
public:
    ProgramClose(platform::UiBridge& bridge, QWidget* mainWindow);

    // The end when no window can be closed any more (the display went
    // away): every wait on the user-interface thread ends, and the loop
    // stops, sends its last frame and is joined. Touches no window, so it
    // holds from before the first window exists.
    static void stopMountSide(platform::UiBridge& bridge);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    platform::UiBridge& bridge_;
};
