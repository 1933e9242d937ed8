// The program file: creates every window in its fixed order, then runs the
// message loop until the main window closes.

#include "board/control.h"
#include "board/ctrl_view.h"
#include "board/dev_int.h"
#include "platform/docking.h"
#include "platform/gui_bridge.h"
#include "platform/system.h"
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
#include "tools/shots.h"
#include "ui/main_view.h"
#include "ui/manual.h"
#include "ui/program_close.h"
#include "ui/screenshots.h"

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool displayAvailable()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* v = std::getenv(name);
        if (v && *v)
            return true;
    }
    return false;
}

// SIGINT and SIGTERM close the main window, as its Exit command does. The
// handler only writes a byte, so it is installed before anything else; the
// message loop reads it once the main window exists, and a signal that came
// during start-up ends the program as soon as the loop runs.
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char b = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &b, 1);
}

void catchSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

void closeOnSignals(QWidget* mainWindow)
{
    if (g_signalPipe[0] < 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, mainWindow);
    QObject::connect(notifier, &QSocketNotifier::activated, mainWindow, [mainWindow] {
        char b;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &b, 1);
        mainWindow->close();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    catchSignals();
    if (!displayAvailable()) {
        // The hint names the program as it was started, which is a path that
        // works from here, not a name that may not be on the search path.
        const std::string self = argc > 0 && argv[0] && *argv[0] ? argv[0] : "orla_setup";
        std::fprintf(stderr,
                     "orla_setup: no display to open (DISPLAY is not set); "
                     "to run without one, start it as: xvfb-run -a %s\n",
                     self.c_str());
        return 1;
    }
    platform::setArguments(argc, argv);
    QApplication app(argc, argv);
    // The main window's close ends the program, whatever else is open.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::UiBridge bridge;

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
    closeOnSignals(mainView.get());
    mainView->show();
    // A desktop without a window manager never activates it by itself, and
    // the first activation is what starts the mount side.
    mainView->activateWindow();
    if (const QString shots = screenshots::folder(); !shots.isEmpty()) {
        // Long enough for the first activation and the connect's messages.
        QTimer::singleShot(1500, mainView.get(), [&, shots] {
            // The device window where the main window docks it.
            mainView->Hardware1Click();
            // The pad opens as the operator opens it, by the main window's button.
            mainView->Button1->click();
            platform::dockBeside(manual.get(), {mainView->x(), mainView->y() + mainView->frameGeometry().height() + 40},
                                 mainView.get());
            sky::showcase(*fPreselect, *fPreselAdd);
            screenshots::save(shots, {mainView.get(), manual.get(), devInt.get(), fList.get(), fPreselect.get(),
                                      fPreselAdd.get()});
            tools::saveThroughMainWindow(shots, *mainView, *paramView, *language, *about, *form2);
            mainView->close();
        });
    }
    const int result = QApplication::exec();

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
