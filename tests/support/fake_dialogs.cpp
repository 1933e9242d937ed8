#include "tests/support/fake_dialogs.h"

namespace testing_support {

std::vector<FakeDialogs::Box> FakeDialogs::boxes() const
{
    std::lock_guard lock(m_);
    return boxes_;
}

std::vector<std::string> FakeDialogs::texts() const
{
    std::vector<std::string> t;
    for (const Box& b : boxes())
        t.push_back(b.text);
    return t;
}

void FakeDialogs::show(Box box)
{
    box.thread = std::this_thread::get_id();
    {
        std::lock_guard lock(m_);
        boxes_.push_back(box);
    }
    if (whileShown)
        whileShown(box);
}

void FakeDialogs::message(const std::string& title, const std::string& text) { show({false, title, text, {}}); }

bool FakeDialogs::askYesNo(const std::string& title, const std::string& text)
{
    show({true, title, text, {}});
    return answerYes;
}

}  // namespace testing_support
