#pragma once
// A desktop for tests: records every document it is asked to open and opens
// none. Installs itself while it lives.

#include "platform/desktop.h"

#include <string>
#include <vector>

namespace testing_support {

class FakeDesktop final : public platform::Desktop {
public:
    FakeDesktop() { platform::setDesktop(this); }
    ~FakeDesktop() override { platform::setDesktop(nullptr); }
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    bool openDocument(const std::string& name) override
    {
        opened.push_back(name);
        return true;
    }

    std::vector<std::string> opened;
};

}  // namespace testing_support
