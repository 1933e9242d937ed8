#pragma once
// What the control loop needs of the user interface, carried out on the
// user-interface thread while the loop waits. This is the one place where the
// loop crosses to that thread.
//
// Once shutdown has begun, every call returns at once without doing anything,
// and a call already waiting is released, so the loop can always end.

#include <optional>
#include <string>
#include <utility>

namespace CONTROL {

// The encoder pulses dialog, as the loop sees it. Its methods run on the
// user-interface thread.
class EncoderDialog {
public:
    virtual ~EncoderDialog() = default;
    // The texts of the RA and Dec fields (edt_RA_enc, edt_DE_enc).
    virtual std::pair<std::string, std::string> texts() = 0;
    // The clock sync: the dialog shows "Wait for sync" without its fields,
    // then its fields again under "Encoder ppr".
    virtual void showWaitForSync() = 0;
    virtual void showSyncDone() = 0;
};

// The dialog the loop reads; nullptr when there is none yet. Not owned.
void SET_ENCODER_DIALOG(EncoderDialog* dialog);

class UiCalls {
public:
    virtual ~UiCalls() = default;
    // The "Motor Power not connected" box; returns when it has been closed.
    virtual void showPowerBox() = 0;
    // The encoder dialog's two texts, read now; nothing without a dialog.
    virtual std::optional<std::pair<std::string, std::string>> encoderTexts() = 0;
    virtual void syncDialogWaiting() = 0;
    virtual void syncDialogDone() = 0;
    // A box telling the operator something; the loop does not wait for it.
    virtual void tellOperator(const std::string& text) = 0;
};

// The calls in force: the user-interface thread's own unless replaced.
UiCalls& ui();
// Installs a replacement (not owned); nullptr puts the default back.
void SET_UI_CALLS(UiCalls* calls);

// Shutdown: from now on no call waits, and waiting ones are released.
void BEGIN_UI_SHUTDOWN();
// The loop waits in one of the calls above (a box of its own on screen).
bool LOOP_WAITS_FOR_UI();
// A new run may wait again (tests).
void RESET_UI_SHUTDOWN();

}  // namespace CONTROL
