#pragma once
// What the sky tests stand on: a program folder of their own for the
// elements and language files, recorded boxes and file dialogs, a test clock
// and the declared parameters at their defaults.

#include "core/language.h"
#include "core/params.h"
#include "core/system_init.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_system.h"
#include "tests/support/test_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace sky_testing {

// The file the program ships, as the build put it beside the program.
inline std::string shippedFile(const std::string& name)
{
    const char* dir = std::getenv("ORLA_DATA_DIR");
    return testing_support::readFile(std::string(dir ? dir : ".") + "/" + name);
}

class SkyStand : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake.program = dir.path() + "orla_setup";
        PARAM_CLEAR();
        system_init::INIT_PARAM();
        LANGUAGE::CLEAR();
    }

    void TearDown() override
    {
        LANGUAGE::CLEAR();
        PARAM_CLEAR();
    }

    std::string elementsPath() const { return dir.path() + "p_elem_t2.txt"; }
    void writeElements(const std::string& text) const { dir.write("p_elem_t2.txt", text); }
    void useShippedElements() const { writeElements(shippedFile("p_elem_t2.txt")); }
    void useShippedLanguage() const
    {
        dir.write("orla_setup.lng.en", shippedFile("orla_setup.lng.en"));
        ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.en"));
    }

    testing_support::TempDir dir;
    testing_support::FakeSystem fake;
    testing_support::FakeDialogs dialogs;
    testing_support::TestClock clock;
};

}  // namespace sky_testing
