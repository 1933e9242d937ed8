// The program: creates every window in its fixed order, then runs the
// message loop until the main window closes.

#include "ui/program.h"

#include "board/control.h"
#include "board/ctrl_view.h"
#include "board/dev_int.h"
#include "platform/dialogs.h"
#include "platform/end_signals.h"
#include "platform/gui_bridge.h"
#include "platform/toolkit_dialogs.h"
#include "setup/encoder_setup.h"
#include "setup/setup_view.h"
#include "sky/list.h"
#include "sky/presel_add.h"
#include "sky/preselect.h"
#include "tools/about.h"
#include "tools/graph.h"
#include "tools/iocontrol.h"
#include "tools/params_edit.h"
#include "tools/setlang.h"
#include "ui/main_view.h"
#include "ui/manual.h"
#include "ui/program_close.h"
#include "ui/shots.h"
#include "forms/screenshots.h"

#include <QApplication>
#include <QTimer>

#include <memory>

namespace program {

int run()
{
    // The main window's close ends the program, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::useToolkitDialogs();
    platform::UiBridge bridge;
    // The toolkit ends the process itself when its display goes away, even
    // while the windows are still being made; the mount is stopped then too,
    // and the end is as clean as a signal's. Armed here, on the thread the
    // toolkit calls exit() from, so the mount side stops before any static
    // the loop may use is destroyed.
    platform::armExitGuard([&bridge] { ProgramClose::stopMountSide(bridge); });

    // An end signal closes the main window, as its Exit command does. One
    // that comes while the windows are still being made (a box of theirs
    // on screen) closes every box, shown or still to come, and the program
    // ends once the last window exists, without showing one.
    bool ending = false;
    QWidget* closeOnSignal = nullptr;
    QObject signalContext;
    platform::onEndSignal(&signalContext, [&] {
        ending = true;
        platform::dialogs().closeAll();
        if (closeOnSignal)
            closeOnSignal->close();
    });
    // Every window exists from here to the end; each creation runs to its end
    // before the next begins, in this order.
    auto mainView = std::make_unique<TMain_View>();
    auto setup = std::make_unique<TSetup>();
    auto ctrl = std::make_unique<Tctrl>();
    auto devInt = std::make_unique<Tdev_int>();
    auto paramView = std::make_unique<Tparam_view>();
    auto fList = std::make_unique<TF_list>();
    auto fPreselect = std::make_unique<TF_preselect>();
    auto fPreselAdd = std::make_unique<TF_presel_add>();
    auto manual = std::make_unique<TF_Manual>();
    auto ioControl = std::make_unique<TIO_Control>();
    auto language = std::make_unique<TF_Language>();
    auto about = std::make_unique<TF_About>();
    auto form1 = std::make_unique<TForm1>();
    auto form2 = std::make_unique<TForm2>();

    mainView->setDeviceWindow(devInt.get());
    mainView->setManualPad(manual.get());
    mainView->setEncoderDialog(form1.get());
    mainView->setWizard(setup.get());
    setup->setPad(manual.get());
    mainView->setGraphWindow(form2.get());
    mainView->setParameterEditor([&] { return paramView->ShowModal() != Tparam_view::mrCancel; });
    mainView->setLanguageChooser([&] { return language->ShowModal() == TF_Language::mrOk; });
    mainView->setAboutBox([&] { about->ShowModal(mainView.get()); });
    fPreselect->setObjectList(fList.get());
    fPreselect->setEntryDialog(fPreselAdd.get());

    new ProgramClose(bridge, mainView.get());
    int result = 0;
    if (ending) {
        // Closed as Exit closes it, though it was never shown.
        mainView->close();
    } else {
        closeOnSignal = mainView.get();
        mainView->show();
        // A desktop without a window manager never activates it by itself,
        // and the first activation is what starts the mount side.
        mainView->activateWindow();
        if (const QString folder = screenshots::folder(); !folder.isEmpty())
            shots::runInto(folder, {*mainView, *devInt, *manual, *fList, *fPreselect, *fPreselAdd, *paramView,
                                    *language, *about, *form2, *setup, *form1});
        result = QApplication::exec();
    }
    platform::disarmExitGuard();

    // The loop has been told to stop by the main window's close; it is joined
    // before anything it uses goes, and so is every reader (with its device).
    bridge.shutdown();
    CONTROL::CTRL_CLOSE(-1);
    form2.reset();
    form1.reset();
    about.reset();
    language.reset();
    ioControl.reset();
    manual.reset();
    fPreselAdd.reset();
    fPreselect.reset();
    fList.reset();
    paramView.reset();
    devInt.reset();
    ctrl.reset();
    setup.reset();
    mainView.reset();
    return result;
}

}  // namespace program
