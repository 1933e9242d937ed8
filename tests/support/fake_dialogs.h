#pragma once
// Operator boxes for tests: every box is recorded, none is shown, and a
// question is answered as the test set it.

#include "platform/dialogs.h"

#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

class FakeDialogs final : public platform::OperatorDialogs {
public:
    struct Box {
        bool question = false;  // askYesNo, else message
        std::string title;
        std::string text;
    };

    FakeDialogs() { platform::setDialogs(this); }
    ~FakeDialogs() override { platform::setDialogs(nullptr); }

    void message(const std::string& title, const std::string& text) override;
    bool askYesNo(const std::string& title, const std::string& text) override;

    // The boxes shown so far, oldest first.
    std::vector<Box> shown() const;
    void clear();
    // What askYesNo answers from now on.
    void answer(bool yes);

private:
    mutable std::mutex mutex_;
    std::vector<Box> shown_;
    bool yes_ = true;
};

}  // namespace testing_support
