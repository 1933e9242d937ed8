#pragma once
// The boxes the program shows to the operator. Tests install a recording fake
// (setDialogs), so no test ever blocks on a real box.

#include <optional>
#include <string>

namespace platform {

// What a file dialog is asked for. Filters are in the toolkit's form:
// "Preselect list (*.psl);;All (*)".
struct OpenFileRequest {
    std::string title;
    std::string filter;
    std::string folder;       // the folder it starts in; empty for the toolkit's choice
    bool mustExist = true;    // false: a typed name of a file that does not exist is taken too
};

struct SaveFileRequest {
    std::string title;
    std::string proposedName;   // path or name shown at the start; may be empty
    std::string defaultSuffix;  // added to a chosen name without one, without the "."
    // No filter and no question before an existing file is replaced: the
    // list windows write over the file the operator names.
};

// The button of a question that Enter alone answers.
enum class DefaultButton { Yes, No };

class OperatorDialogs {
public:
    virtual ~OperatorDialogs() = default;

    // A message box with an OK button; returns when the operator closed it.
    virtual void message(const std::string& title, const std::string& text) = 0;
    // A Yes/No question; true for Yes. A question whose Yes does what cannot
    // be taken back has No as its default.
    virtual bool askYesNo(const std::string& title, const std::string& text,
                          DefaultButton defaultButton = DefaultButton::Yes) = 0;
    // The path the operator chose; nothing when the dialog was cancelled.
    virtual std::optional<std::string> openFile(const OpenFileRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const SaveFileRequest& request) = 0;
    // The program is closing: every box on screen closes as if answered OK
    // (No for a question, Cancel for a file dialog), and so does every later
    // box, at once, without being shown.
    virtual void closeAll() = 0;
    // Boxes show again after a closeAll() (a test's new run).
    virtual void reopen() {}
};

// The service in force: the toolkit's boxes (once the window layer installed
// them, see toolkit_dialogs.h) unless a test installed another. Before that,
// and in programs without windows, every box answers at once as closeAll()
// would. The toolkit's boxes must be shown from the user-interface thread.
OperatorDialogs& dialogs();
// Installs a replacement (not owned); nullptr puts the real boxes back,
// showing again after a closeAll().
void setDialogs(OperatorDialogs* replacement);
// The real boxes; the window layer's own.
void setRealDialogs(OperatorDialogs* real);

}  // namespace platform
