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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    platform::UiBridge& bridge_;
};
