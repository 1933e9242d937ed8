#include "board/control_ui.h"

#include "platform/dialogs.h"
#include "platform/replaceable.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace CONTROL {
namespace {

constexpr const char* kBoxTitle = "orla_setup";

std::atomic<EncoderDialog*> g_encoderDialog{nullptr};

// One lock and one condition for every hand-over, so shutdown can release
// all waiting ones at once.
std::mutex g_mutex;
std::condition_variable g_done;
bool g_shutdown = false;

bool shuttingDown()
{
    std::lock_guard lock(g_mutex);
    return g_shutdown;
}

bool onUiThread(const QCoreApplication* app) { return QThread::currentThread() == app->thread(); }

// Runs `work` on the user-interface thread and waits for it; false when it
// did not run because shutdown began first. Without an application there is
// no other thread to go to.
bool runOnUi(std::function<void()> work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (shuttingDown())
        return false;
    if (!app || onUiThread(app)) {
        work();
        return true;
    }
    struct Job {
        std::function<void()> work;
        bool started = false;  // taken by the user-interface thread
        bool done = false;
        bool abandoned = false;  // the waiter left before it started
    };
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    QMetaObject::invokeMethod(
        app,
        [job] {
            {
                std::lock_guard lock(g_mutex);
                if (job->abandoned)
                    return;
                job->started = true;
            }
            job->work();
            {
                std::lock_guard lock(g_mutex);
                job->done = true;
            }
            g_done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(g_mutex);
    g_done.wait(lock, [&] { return job->done || g_shutdown; });
    if (!job->done && !job->started)
        job->abandoned = true;
    return job->done;
}

class DefaultUiCalls final : public UiCalls {
public:
    void showPowerBox() override
    {
        runOnUi([] { platform::dialogs().message(kBoxTitle, "Motor Power not connected"); });
    }

    std::optional<std::pair<std::string, std::string>> encoderTexts() override
    {
        // Shared, so a reply that comes after the waiter gave up writes
        // into storage that still exists.
        auto result = std::make_shared<std::optional<std::pair<std::string, std::string>>>();
        const bool ran = runOnUi([result] {
            if (EncoderDialog* d = g_encoderDialog.load())
                *result = d->texts();
        });
        if (!ran)
            return std::nullopt;
        return *result;
    }

    void syncDialogWaiting() override
    {
        runOnUi([] {
            if (EncoderDialog* d = g_encoderDialog.load())
                d->showWaitForSync();
        });
    }

    void syncDialogDone() override
    {
        runOnUi([] {
            if (EncoderDialog* d = g_encoderDialog.load())
                d->showSyncDone();
        });
    }

    void tellOperator(const std::string& text) override
    {
        QCoreApplication* app = QCoreApplication::instance();
        if (shuttingDown() || !app)
            return;
        const auto show = [text] { platform::dialogs().message(kBoxTitle, text); };
        if (onUiThread(app))
            show();
        else
            QMetaObject::invokeMethod(app, show, Qt::QueuedConnection);
    }
};

DefaultUiCalls g_default;
platform::Replaceable<UiCalls> g_calls(g_default);

}  // namespace

void SET_ENCODER_DIALOG(EncoderDialog* dialog) { g_encoderDialog.store(dialog); }

UiCalls& ui() { return g_calls.get(); }

void SET_UI_CALLS(UiCalls* calls) { g_calls.set(calls); }

void BEGIN_UI_SHUTDOWN()
{
    {
        std::lock_guard lock(g_mutex);
        g_shutdown = true;
    }
    g_done.notify_all();
}

void RESET_UI_SHUTDOWN()
{
    std::lock_guard lock(g_mutex);
    g_shutdown = false;
}

}  // namespace CONTROL
