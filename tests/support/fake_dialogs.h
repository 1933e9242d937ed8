#pragma once
// Operator boxes for tests: each box is recorded and answered at once, Yes
// or No as set. `whileShown` runs while a box is "open", so a test can look
// at the world as the operator would see it then.

#include "platform/dialogs.h"

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class FakeDialogs final : public platform::OperatorDialogs {
public:
    struct Box {
        bool yesNo = false;
        std::string title;
        std::string text;
        std::thread::id thread;  // where it was shown
    };

    FakeDialogs() { platform::setDialogs(this); }
    ~FakeDialogs() override { platform::setDialogs(nullptr); }

    bool answerYes = true;
    std::function<void(const Box&)> whileShown;

    std::vector<Box> boxes() const;
    // Texts of the boxes shown, in order.
    std::vector<std::string> texts() const;

    void message(const std::string& title, const std::string& text) override;
    bool askYesNo(const std::string& title, const std::string& text) override;

private:
    void show(Box box);
    mutable std::mutex m_;
    std::vector<Box> boxes_;
};

}  // namespace testing_support
