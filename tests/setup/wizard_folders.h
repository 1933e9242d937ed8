#pragma once
// What a wizard window stands on in a test: a home folder and a working
// folder of its own (its creation reads the settings from both) and the
// language file it translates from.

#include "core/language.h"
#include "tests/support/fake_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace setup_testing {

class WizardFolders {
public:
    WizardFolders() : cwd_(std::filesystem::current_path())
    {
        sys.home = tmp.path();
        sys.documents = tmp.path();
        sys.program = tmp.path() + "orla_setup";
        std::filesystem::current_path(tmp.path());
        LANGUAGE::CLEAR();
    }
    ~WizardFolders()
    {
        std::filesystem::current_path(cwd_);
        LANGUAGE::CLEAR();
    }
    WizardFolders(const WizardFolders&) = delete;
    WizardFolders& operator=(const WizardFolders&) = delete;

    // The file in the working folder that the wizard's creation reads.
    void workingSettings(const std::string& text) const { tmp.write("orla_setup.ini", text); }
    void homeSettings(const std::string& text) const
    {
        std::filesystem::create_directories(tmp.path() + "Stelvane");
        tmp.write("Stelvane/orlasetup.ini", text);
    }
    // The English file shipped next to the program.
    void shippedLanguage()
    {
        const char* dir = std::getenv("ORLA_DATA_DIR");
        ASSERT_NE(dir, nullptr);
        sys.program = std::string(dir) + "/orla_setup";
        ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.en"));
    }

    testing_support::TempDir tmp;
    testing_support::FakeSystem sys;

private:
    std::filesystem::path cwd_;
};

}  // namespace setup_testing
