#pragma once
// What the main window's tests stand on: the platform services faked, the
// program's folder holding the shipped language file, a recorder in place of
// the control window, the wizard and the encoder pulses dialog wired in.

#include "board/control.h"
#include "core/Signals.h"
#include "core/language.h"
#include "platform/display_tick.h"
#include "platform/form_activation.h"
#include "setup/encoder_setup.h"
#include "tests/setup/fake_wizard.h"
#include "tests/support/bus_recorder.h"
#include "tests/support/fake_desktop.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_sound.h"
#include "tests/support/fake_system.h"
#include "tests/support/fresh_run.h"
#include "tests/support/recording_scheduler.h"
#include "forms/image_widget.h"
#include "ui/main_view.h"
#include "forms/size.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace main_view_testing {

// The folder the build copies the data files to.
inline std::string dataDir()
{
    const char* d = std::getenv("ORLA_DATA_DIR");
    return d ? std::string(d) : std::string(".");
}

// The free area of one of the test stand's screens (tests/support/screens.json):
// "desk" 1920x1200, "laptop" 1366x768, "small" 1024x768, side by side.
inline QRect screenArea(const char* name)
{
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == QLatin1String(name))
            return s->availableGeometry();
    ADD_FAILURE() << "no screen " << name << ": run the tests through ctest";
    return {};
}

// A main window at the left edge, in the middle and at the right edge of the
// laptop's and the small screen, its top at the top.
struct MainPlace {
    const char* what;
    QRect area;
    QPoint at;
};
inline std::vector<MainPlace> mainPlaces(int mainFrameWidth)
{
    std::vector<MainPlace> places;
    for (const char* screen : {"laptop", "small"}) {
        const QRect a = screenArea(screen);
        places.push_back({screen, a, {a.x(), a.y()}});
        places.push_back({screen, a, {a.x() + (a.width() - mainFrameWidth) / 2, a.y()}});
        places.push_back({screen, a, {a.x() + a.width() - mainFrameWidth, a.y()}});
    }
    return places;
}

// The windows' shared state back to its start: language, scaling, activation.
inline void freshWindows()
{
    LANGUAGE::CLEAR();
    winsize::RELEASE_SCALING();
    platform::resetFormActivation();
}

// Puts the program's shared state back to its start, before and after a test.
inline void freshUi()
{
    CLEAR_HANDLES();
    freshWindows();
}

// The window and its wiring; the test's own stand supplies the dialogs and
// the board.
class MainViewParts {
public:
    MainViewParts()
    {
        system.home = home.path();
        system.program = dataDir() + "/orla_setup";
    }

    void makeView()
    {
        view = std::make_unique<TMain_View>();
        timerWasRunning = view->siderial->isActive();
        // Tests tick the window themselves.
        view->siderial->stop();
        view->setWizard(&wizard);
        view->setEncoderDialog(&form1);
    }

    // Activation without starting the mount side.
    void activateOnly()
    {
        view->SETUP_DONE = true;
        view->FormActivate();
    }

    // Runs `answer` once the encoder pulses dialog has come up, however
    // much later that is; `pulsesAsked` tells whether it did.
    void whenPulsesAsked(std::function<void(TForm1&)> answer)
    {
        pulsesAsked = false;
        pulsesAnswer = std::move(answer);
        form1.installEventFilter(&pulsesWatch);
    }

    static void hover(QWidget* w)
    {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(w, &enter);
    }
    static void leave(QWidget* w)
    {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(w, &e);
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    testing_support::TempDir home;
    testing_support::FakeSystem system;
    testing_support::FakeSoundPlayer sound;
    testing_support::FakeDesktop desktop;
    testing_support::BusRecorder control;
    testing_support::FakeWizard wizard;
    TForm1 form1;
    std::unique_ptr<TMain_View> view;
    bool timerWasRunning = false;
    bool pulsesAsked = false;

private:
    // Answers the dialog from inside its own modal loop, once per arming.
    class PulsesWatch final : public QObject {
    public:
        explicit PulsesWatch(MainViewParts& parts) : parts_(parts) {}
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Show && parts_.pulsesAnswer) {
                parts_.pulsesAsked = true;
                QTimer::singleShot(0, &parts_.form1, [this, answer = std::move(parts_.pulsesAnswer)] {
                    answer(parts_.form1);
                });
                parts_.pulsesAnswer = nullptr;
                watched->removeEventFilter(this);
            }
            return false;
        }

    private:
        MainViewParts& parts_;
    };
    std::function<void(TForm1&)> pulsesAnswer;
    PulsesWatch pulsesWatch{*this};
};

// The window on its own, without a board.
class MainViewTest : public ::testing::Test, public MainViewParts {
protected:
    void SetUp() override
    {
        testing_support::freshBoardRun();
        CONTROL::RESET();
        freshUi();
        control.listenAs("Control");
        makeView();
    }
    void TearDown() override
    {
        view.reset();
        CONTROL::RESET();
        QCoreApplication::processEvents();
        freshUi();
    }

    std::string status() const { return view->L_Object->text().toStdString(); }

    testing_support::FakeDialogs dialogs;
    testing_support::RecordingScheduler scheduler;
};

}  // namespace main_view_testing
