#pragma once
// The boxes the program shows to the operator. Tests install a recording fake
// (setDialogs), so no test ever blocks on a real box.

#include <string>

namespace platform {

class OperatorDialogs {
public:
    virtual ~OperatorDialogs() = default;

    // A message box with an OK button; returns when the operator closed it.
    virtual void message(const std::string& title, const std::string& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& title, const std::string& text) = 0;
    // The program is closing: every box on screen closes as if answered OK
    // (No for a question). Once the message loop has been told to quit, a
    // later box closes at once by itself.
    virtual void closeAll() = 0;
};

// The service in force: the Qt boxes unless a test installed another. The Qt
// boxes must be shown from the user-interface thread.
OperatorDialogs& dialogs();
// Installs a replacement (not owned); nullptr puts the Qt boxes back.
void setDialogs(OperatorDialogs* replacement);

}  // namespace platform
