#include "board/control_ui.h"

#include "platform/dialogs.h"
#include "platform/gui_bridge.h"
#include "platform/replaceable.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace CONTROL {
namespace {

constexpr const char* kBoxTitle = "orla_setup";

std::atomic<EncoderDialog*> g_encoderDialog{nullptr};

// The loop's calls on the user-interface thread form one group, so shutdown
// cancels every one of them at once; a new run (tests) gets a fresh group.
std::mutex g_mutex;
std::shared_ptr<platform::UiCallGroup> g_group = std::make_shared<platform::UiCallGroup>();
std::atomic<int> g_waiting{0};

std::shared_ptr<platform::UiCallGroup> group()
{
    std::lock_guard lock(g_mutex);
    return g_group;
}

// Runs `work` on the user-interface thread and waits for it; false when it
// did not run because shutdown began first.
bool runOnUi(const std::function<void()>& work)
{
    const auto calls = group();
    g_waiting.fetch_add(1);
    struct Done {
        ~Done() { g_waiting.fetch_sub(1); }
    } done;
    return platform::runOnUiThread(work, calls.get());
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
        // Never waits: the loop goes on while the operator reads it.
        const auto show = [text] { platform::dialogs().message(kBoxTitle, text); };
        if (platform::onUiThread())
            show();
        else
            platform::postToUiThread(show, group().get());
    }
};

DefaultUiCalls g_default;
platform::Replaceable<UiCalls> g_calls(g_default);

}  // namespace

void SET_ENCODER_DIALOG(EncoderDialog* dialog) { g_encoderDialog.store(dialog); }

UiCalls& ui() { return g_calls.get(); }

void SET_UI_CALLS(UiCalls* calls) { g_calls.set(calls); }

void BEGIN_UI_SHUTDOWN() { group()->cancel(); }

bool LOOP_WAITS_FOR_UI() { return g_waiting.load() > 0; }

void RESET_UI_SHUTDOWN()
{
    std::lock_guard lock(g_mutex);
    g_group = std::make_shared<platform::UiCallGroup>();
}

}  // namespace CONTROL
