#include "ui/shots.h"

#include "board/control.h"
#include "board/dev_int.h"
#include "forms/screenshots.h"
#include "platform/docking.h"
#include "setup/encoder_setup.h"
#include "setup/setup_view.h"
#include "sky/row_list.h"
#include "sky/list.h"
#include "sky/presel_add.h"
#include "sky/preselect.h"
#include "tools/about.h"
#include "tools/graph.h"
#include "tools/params_edit.h"
#include "tools/setlang.h"
#include "ui/main_view.h"
#include "ui/manual.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace shots {
namespace {

// Long enough for a window to be shown, activated and painted.
constexpr int kShownMs = 400;
// How long a window may take to reach the screen under a busy window manager.
constexpr int kOnScreenMs = 10000;
// The whole run, from the main window's showing, stays well inside the half
// minute a caller that times it out (the end-to-end test) allows: once this
// has passed, every window left is saved as it stands.
constexpr int kRunMs = 20000;

// Whether `window` is on the screen with its frame and placed where its
// docking means it to be.
bool settled(const QWidget* window)
{
    return platform::framedOnScreen(window) && !platform::dockPending(window);
}

// Says on standard error which of `windows` are saved before they settled,
// and what they still waited for, so a picture or text that is off can be
// told from one that is wrong.
void reportUnsettled(const std::vector<QWidget*>& windows, qint64 waitedMs)
{
    for (const QWidget* w : windows) {
        if (settled(w))
            continue;
        const bool shown = w->windowHandle() && w->windowHandle()->isExposed();
        const char* waiting = !shown                            ? "not on the screen"
                              : !platform::framedOnScreen(w) ? "its frame not known"
                                                              : "its docking pending";
        std::fprintf(stderr, "screenshot run: %s saved unsettled after %lld ms (%s)\n",
                     qPrintable(w->objectName()), static_cast<long long>(waitedMs), waiting);
    }
}

// Runs the event loop until each of `windows` has settled (or stayed off the
// screen too long, or the run is past `deadline`), then runs `then`.
void whenSettled(const std::vector<QWidget*>& windows, const QDeadlineTimer& deadline,
                 const std::function<void()>& then)
{
    QElapsedTimer shown;
    shown.start();
    QEventLoop wait;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (!deadline.hasExpired()) {
            if (shown.elapsed() < kShownMs)
                return;
            if (shown.elapsed() < kOnScreenMs && !std::all_of(windows.begin(), windows.end(), settled))
                return;
        }
        poll.stop();
        reportUnsettled(windows, shown.elapsed());
        then();
        wait.quit();
    });
    poll.start();
    wait.exec();
}

// `open` returns at once for a window that is not modal, and only after
// `close` for one that is.
void saveOpened(const QString& folder, const QDeadlineTimer& deadline, QWidget* window,
                const std::function<void()>& open, const std::function<void()>& close)
{
    bool saved = false;
    QEventLoop wait;
    QTimer::singleShot(0, window, [&] {
        whenSettled({window}, deadline, [&] {
            screenshots::save(folder, {window});
            saved = true;
            close();
        });
        wait.quit();
    });
    open();
    if (!saved)
        wait.exec();
}

// A few entries, and a declination typed without its closing mark.
void fillLists(TF_preselect& preselect, TF_presel_add& entry)
{
    for (const sky::ObjectTexts& e :
         {sky::ObjectTexts{"M 31 Andromeda", "0h42m44.3s", "41d16'09.0\""}, sky::ObjectTexts{"Mars", "", ""},
          sky::ObjectTexts{"Vega", "18h36m56.3s", "38d47'01.3\""},
          sky::ObjectTexts{"Achernar", "1h37m42.8s", "-57d14'12.3\""}})
        preselect.addEntry(e);
    sky::selectIndex(preselect.ListBox1, 2);
    entry.Object_Name->setText(QStringLiteral("M 42"));
    entry.Object_RA->setText(QStringLiteral("5h35m17.3s"));
    entry.Object_Decl->setText(QStringLiteral("-5d23'28.0"));
}

// Runs the event loop until `done`, for `mostMs` at most.
void serveUntil(const std::function<bool()>& done, int mostMs)
{
    QElapsedTimer waited;
    waited.start();
    QEventLoop wait;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (done() || waited.elapsed() >= mostMs)
            wait.quit();
    });
    poll.start();
    wait.exec();
}

// Gear again, with the pad left open where the set-up window lands: the
// pulses dialog, and the box it shows for a text it refuses, come up above
// the pad; then the pad moves beside the set-up window, the two clear of the
// device window.
void saveSetUpOverOpenPad(const QString& setup, const QDeadlineTimer& deadline, const Windows& w)
{
    // The loop may still be sending the pulses the first Gear asked for (its
    // request repeats about a second where no board answers); it reads them
    // from the dialog, so a refused text typed meanwhile would raise its own
    // box, which nobody here answers.
    serveUntil([] { return !CONTROL::SET_ENC_VAL.load(); }, 5000);
    platform::placeOnScreen(&w.pad, {w.main.frameGeometry().right() + 1, w.main.frameGeometry().top()}, &w.main);
    whenSettled({&w.pad}, deadline, [] {});
    QTimer::singleShot(0, &w.encoder, [&] {
        whenSettled({&w.encoder, &w.pad}, deadline, [&] {
            screenshots::save(setup + QStringLiteral("/pulses"), {&w.encoder, &w.pad});
            const QString typed = w.encoder.edt_RA_enc->text();
            w.encoder.edt_RA_enc->setText(QStringLiteral("abc"));
            QTimer::singleShot(0, &w.encoder, [&] {
                auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (!box || box == &w.encoder)
                    return;
                box->setObjectName(QStringLiteral("box"));
                whenSettled({box, &w.pad}, deadline, [&] {
                    screenshots::save(setup + QStringLiteral("/box"), {box, &w.pad});
                    box->accept();
                });
            });
            w.encoder.B_Start->click();
            w.encoder.edt_RA_enc->setText(typed);
            w.encoder.B_Start->click();
        });
    });
    w.main.Calibrate4Click();
    whenSettled({&w.wizard, &w.pad, &w.device}, deadline, [] {});
    screenshots::save(setup + QStringLiteral("/padopen"), {&w.wizard, &w.pad, &w.device});
    w.wizard.B_Cancel->click();
}

void saveAll(const QString& folder, const QDeadlineTimer& deadline, const Windows& w)
{
    // The device window where the main window docks it.
    w.main.Hardware1Click();
    // The pad is placed below the main window before it opens, so a window
    // manager maps it there rather than where its own rule would put it.
    platform::placeOnScreen(&w.pad, {w.main.x(), w.main.y() + w.main.frameGeometry().height() + 40}, &w.main);
    // It opens as the operator opens it, by the main window's button.
    w.main.Button1->click();
    fillLists(w.preselect, w.entry);
    whenSettled({&w.main, &w.device, &w.pad}, deadline, [] {});
    screenshots::save(folder, {&w.main, &w.pad, &w.device, &w.list, &w.preselect, &w.entry});
    // The editor and the language chooser are opened twice: the second
    // opening is saved apart, to be compared with the first.
    for (const QString& into : {folder, folder + QStringLiteral("/again")}) {
        saveOpened(
            into, deadline, &w.editor, [&] { w.main.Parameters1->trigger(); },
            [&] { w.editor.Cancel_Button->click(); });
        saveOpened(
            into, deadline, &w.chooser, [&] { w.main.Language1->trigger(); }, [&] { w.chooser.B_Cancel->click(); });
    }
    saveOpened(folder, deadline, &w.about, [&] { w.main.About1->trigger(); }, [&] { w.about.close(); });
    saveOpened(folder, deadline, &w.graph, [&] { w.main.Button1->click(); }, [&] { w.graph.hide(); });
    // The set-up as Gear opens it on a board without its direction set-up:
    // the encoder pulses dialog, then the wizard with the pad beside it.
    w.pad.hide();
    const QString setup = folder + QStringLiteral("/setup");
    saveOpened(
        setup, deadline, &w.encoder, [&] { w.main.Calibrate4Click(); }, [&] { w.encoder.B_Start->click(); });
    whenSettled({&w.wizard, &w.pad}, deadline, [] {});
    screenshots::save(setup, {&w.wizard, &w.pad});
    w.wizard.B_Cancel->click();
    saveSetUpOverOpenPad(setup, deadline, w);
}

}  // namespace

void runInto(const QString& folder, Windows windows)
{
    const QDeadlineTimer deadline(kRunMs);
    // Long enough for the first activation and the connect's messages.
    QTimer::singleShot(1500, &windows.main, [folder, deadline, windows] {
        saveAll(folder, deadline, windows);
        windows.main.close();
    });
}

}  // namespace shots
