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

bool FakeDialogs::askYesNo(const std::string& title, const std::string& text, platform::DefaultButton defaultButton)
{
    Box box{true, title, text};
    box.defaultButton = defaultButton;
    record(box);
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

std::optional<std::string> FakeDialogs::nextFile()
{
    std::lock_guard lock(mutex_);
    if (files_.empty())
        return std::nullopt;
    std::optional<std::string> f = files_.front();
    files_.pop_front();
    return f;
}

std::optional<std::string> FakeDialogs::openFile(const platform::OpenFileRequest& request)
{
    {
        std::lock_guard lock(mutex_);
        opens_.push_back(request);
    }
    return nextFile();
}

std::optional<std::string> FakeDialogs::saveFile(const platform::SaveFileRequest& request)
{
    {
        std::lock_guard lock(mutex_);
        saves_.push_back(request);
    }
    return nextFile();
}

void FakeDialogs::chooseFile(std::optional<std::string> path)
{
    std::lock_guard lock(mutex_);
    files_.push_back(std::move(path));
}

std::vector<platform::OpenFileRequest> FakeDialogs::openRequests() const
{
    std::lock_guard lock(mutex_);
    return opens_;
}

std::vector<platform::SaveFileRequest> FakeDialogs::saveRequests() const
{
    std::lock_guard lock(mutex_);
    return saves_;
}

}  // namespace testing_support
