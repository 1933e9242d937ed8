#include "tests/support/fake_dialogs.h"

namespace testing_support {

void FakeDialogs::record(Box box)
{
    {
        std::lock_guard lock(mutex_);
        shown_.push_back(box);
    }
    if (whileShown)
        whileShown(box);
}

void FakeDialogs::message(const std::string& title, const std::string& text) { record({false, title, text}); }

bool FakeDialogs::askYesNo(const std::string& title, const std::string& text)
{
    record({true, title, text});
    std::lock_guard lock(mutex_);
    return yes_;
}

void FakeDialogs::closeAll() { ++closeAllCalls_; }

std::vector<FakeDialogs::Box> FakeDialogs::shown() const
{
    std::lock_guard lock(mutex_);
    return shown_;
}

void FakeDialogs::clear()
{
    std::lock_guard lock(mutex_);
    shown_.clear();
}

void FakeDialogs::answer(bool yes)
{
    std::lock_guard lock(mutex_);
    yes_ = yes;
}

}  // namespace testing_support
