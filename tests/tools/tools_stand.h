#pragma once
// What the auxiliary windows' tests stand on: the declared parameters at
// their defaults, no language loaded, no window activated yet, and the
// program's folder a temporary one (or the build's data folder).

#include "core/Signals.h"
#include "core/language.h"
#include "core/params.h"
#include "core/system_init.h"
#include "platform/form_activation.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_system.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tools_testing {

// The folder the build copies the data files to.
inline std::string dataDir()
{
    const char* d = std::getenv("ORLA_DATA_DIR");
    return d ? std::string(d) : std::string(".");
}

class ToolsStand : public ::testing::Test {
protected:
    void SetUp() override
    {
        fresh();
        system.home = home.path();
        system.program = folder.path() + "orla_setup";
    }
    void TearDown() override
    {
        QCoreApplication::processEvents();
        fresh();
    }

    // The program's folder is the build's data folder.
    void programInDataFolder() { system.program = dataDir() + "/orla_setup"; }

    static void fresh()
    {
        CLEAR_HANDLES();
        PARAM_CLEAR();
        system_init::INIT_PARAM();
        for (std::string& s : SECTION_LIST)
            s.clear();
        LANGUAGE::CLEAR();
        platform::resetFormActivation();
    }

    testing_support::TempDir home;
    testing_support::TempDir folder;  // the program's folder
    testing_support::FakeSystem system;
    testing_support::FakeDialogs dialogs;
};

}  // namespace tools_testing
