#pragma once
// The boxes through which the program tells or asks the operator something.
// Tests install a recording service instead (setDialogs). Called on the
// user-interface thread only; other threads go through the ui bridge.

#include <string>

namespace platform {

class OperatorDialogs {
public:
    virtual ~OperatorDialogs() = default;
    // A box with the text and an OK button; returns when the operator closed it.
    virtual void message(const std::string& title, const std::string& text) = 0;
    // A Yes/No box; true for Yes.
    virtual bool askYesNo(const std::string& title, const std::string& text) = 0;
};

// The service in force: the real one unless a test installed another.
OperatorDialogs& dialogs();
// Installs a replacement (not owned); nullptr puts the real service back.
void setDialogs(OperatorDialogs* replacement);

}  // namespace platform
