#pragma once
// Operator boxes for tests: every box is recorded, none is shown, and a
// question is answered as the test set it. `whileShown` runs while a box is
// "open", so a test can look at the world as the operator would see it then.

#include "platform/dialogs.h"

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class FakeDialogs final : public platform::OperatorDialogs {
public:
    struct Box {
        bool question = false;  // askYesNo, else message
        std::string title;
        std::string text;
        std::thread::id thread = std::this_thread::get_id();  // where it was shown
        platform::DefaultButton defaultButton = platform::DefaultButton::Yes;  // a question's
    };

    FakeDialogs() { platform::setDialogs(this); }
    ~FakeDialogs() override { platform::setDialogs(nullptr); }

    void message(const std::string& title, const std::string& text) override;
    bool askYesNo(const std::string& title, const std::string& text, platform::DefaultButton defaultButton) override;
    // File dialogs answer from the queue below, oldest first; an empty queue
    // answers as a cancelled dialog.
    std::optional<std::string> openFile(const platform::OpenFileRequest& request) override;
    std::optional<std::string> saveFile(const platform::SaveFileRequest& request) override;
    void closeAll() override;
    int closeAllCalls() const { return closeAllCalls_.load(); }

    // The boxes shown so far, oldest first.
    std::vector<Box> shown() const;
    void clear();
    // What askYesNo answers from now on.
    void answer(bool yes);
    // The path the next file dialog returns; nullopt for Cancel.
    void chooseFile(std::optional<std::string> path);
    // The file dialogs asked for so far.
    std::vector<platform::OpenFileRequest> openRequests() const;
    std::vector<platform::SaveFileRequest> saveRequests() const;
    // Set before the boxes come; runs on the thread that shows the box.
    std::function<void(const Box&)> whileShown;

private:
    void record(Box box);
    std::optional<std::string> nextFile();

    mutable std::mutex mutex_;
    std::vector<Box> shown_;
    bool yes_ = true;
    std::deque<std::optional<std::string>> files_;
    std::vector<platform::OpenFileRequest> opens_;
    std::vector<platform::SaveFileRequest> saves_;
    std::atomic<int> closeAllCalls_{0};
};

}  // namespace testing_support
