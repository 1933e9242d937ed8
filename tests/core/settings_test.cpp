#include "core/params.h"
#include "core/system_init.h"
#include "tests/support/fake_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

using testing_support::exists;
using testing_support::FakeSystem;
using testing_support::readFile;
using testing_support::TempDir;

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        PARAM_CLEAR();
        CMD_PARAMS.clear();
        CONFIGPATH.clear();
        CONFIGFILE.clear();
        DOCPATH.clear();
        fake.home = tmp.path() + "home";
        fake.documents = tmp.path() + "docs";
        fake.makeFolder(fake.home);
        fake.makeFolder(fake.documents);
        fake.createdFolders.clear();
    }
    void TearDown() override { PARAM_CLEAR(); }

    TempDir tmp;
    FakeSystem fake;
};

TEST_F(Settings, DefaultLocationUnderHomeIsCreated)
{
    GET_CONF();
    EXPECT_EQ(CONFIGFILE, "orlasetup.ini");
    EXPECT_EQ(CONFIGPATH, fake.home + "/Stelvane/");
    EXPECT_TRUE(exists(fake.home + "/Stelvane"));
    EXPECT_EQ(DOCPATH, fake.documents + "/Stelvane/");
    EXPECT_TRUE(exists(fake.documents + "/Stelvane"));
    EXPECT_EQ(ROOTPATH, "/");
}

TEST_F(Settings, SettingsFileSwitchAndEnvironment)
{
    struct Case {
        std::vector<std::string> args;
        std::string env;
        std::string path, file;
    } cases[] = {
        {{"-i/etc/orla/my.ini"}, "", "/etc/orla/", "my.ini"},
        {{"-Imy.ini"}, "", fake.home + "/Stelvane/", "my.ini"},
        {{"/i/srv/conf/"}, "", "/srv/conf/", "orlasetup.ini"},
        {{"-i/a/first.ini", "x", "-c", "/I/b/second.ini"}, "", "/b/", "second.ini"},
        {{}, "/from/env.ini", "/from/", "env.ini"},
        {{"-i/sw/s.ini"}, "/from/env.ini", "/sw/", "s.ini"},
        {{"-i"}, "rel/dir/x.ini", "rel/dir/", "x.ini"},
    };
    for (const auto& c : cases) {
        CMD_PARAMS.clear();
        fake.createdFolders.clear();
        fake.args = c.args;
        fake.environment = {{"stelvaneconf", c.env}};
        GET_CONF();
        EXPECT_EQ(CONFIGPATH, c.path) << c.args.size() << c.env;
        EXPECT_EQ(CONFIGFILE, c.file);
        // A folder given by switch or environment is never created.
        if (c.path != fake.home + "/Stelvane/") {
            for (const auto& f : fake.createdFolders)
                EXPECT_NE(f, c.path.substr(0, c.path.size() - 1));
        }
    }
}

TEST_F(Settings, DocumentsFolder)
{
    const std::string d = tmp.path() + "lists";
    struct Case {
        std::vector<std::string> args;
        std::string env, expected;
    } cases[] = {
        {{}, "", fake.documents + "/Stelvane/"},
        {{}, d, d + "/Stelvane/"},
        {{"-d" + d + "/stelvane"}, "", d + "/stelvane/"},
        {{"-d" + d + "/STELVANE/"}, "", d + "/STELVANE/"},
        {{"-d"}, d, fake.documents + "/Stelvane/"},
        {{"-d" + d, "/D" + d + "/a"}, "", d + "/a/Stelvane/"},
        // The toolkit's options are not the program's, where the toolkit
        // left them in place.
        {{"-display", ":1"}, "", fake.documents + "/Stelvane/"},
        {{"-display", ":1", "-d" + d}, "", d + "/Stelvane/"},
        {{"-d" + d, "-dograb"}, "", d + "/Stelvane/"},
    };
    for (const auto& c : cases) {
        CMD_PARAMS.clear();
        fake.args = c.args;
        fake.environment = {{"stelvanedoc", c.env}};
        GET_CONF();
        EXPECT_EQ(DOCPATH, c.expected) << testing::PrintToString(c.args);
    }
}

// Where the toolkit leaves its options in the arguments (off X11 it takes
// "-icon", "-title" or "-display" not), neither they nor their values are the
// program's switches.
TEST_F(Settings, TheToolkitsOptionsAndTheirValuesAreNeverTheProgramsSwitches)
{
    const struct Case {
        std::vector<std::string> args;
        std::string d, i;
    } cases[] = {
        {{"-icon", "orla.png"}, "", ""},
        {{"-icon", "/icons/orla.png", "-i/etc/my.ini"}, "", "/etc/my.ini"},
        {{"--icon", "/dark.png"}, "", ""},
        {{"-im", "ibus", "-inputstyle", "onthespot"}, "", ""},
        {{"-display", "/dev/x", "-dograb", "-nograb", "-sync", "-cmap", "-noxim", "-reverse", "-widgetcount"}, "", ""},
        {{"-title", "/dark sky", "-name", "/dark", "-geometry", "/d", "-visual", "/d", "-ncols", "/d"}, "", ""},
        {{"-fn", "/d", "-font", "/d", "-bg", "/d", "-background", "/d", "-fg", "/d", "-foreground", "/d", "-btn",
          "/d", "-button", "/d"},
         "", ""},
        {{"-platform", "/dark", "-platformpluginpath", "/dir", "-platformtheme", "/dark", "-plugin", "/input"}, "",
         ""},
        {{"-qwindowgeometry", "/d", "-qwindowicon", "/icons/a.png", "-qwindowtitle", "/dark", "-session", "/d"}, "",
         ""},
        {{"-style", "/dark", "-stylesheet", "/dark.qss", "-qmljsdebugger", "/d"}, "", ""},
        // A value given with "=" is the option's own: the next argument is the program's.
        {{"-style=/dark", "-dDocs", "-stylesheet=/dark.qss", "-i/a.ini"}, "Docs", "/a.ini"},
        {{"-qmljsdebugger=port:1234", "/dDocs"}, "Docs", ""},
        // An option without a value at the end takes nothing.
        {{"-dDocs", "-icon"}, "Docs", ""},
        // Only the options themselves: a switch that begins like one is the program's.
        {{"-iconic.ini", "-displays"}, "isplays", "conic.ini"},
        {{"-dograb=yes"}, "ograb=yes", ""},
    };
    for (const Case& c : cases) {
        CMD_PARAMS.clear();
        fake.args = c.args;
        GET_CMD_PARAMS();
        EXPECT_EQ(GET_CMD_PARAM('d', ""), c.d) << testing::PrintToString(c.args);
        EXPECT_EQ(GET_CMD_PARAM('i', ""), c.i) << testing::PrintToString(c.args);
    }
}

TEST_F(Settings, InitReadsTheFileOverTheDefaults)
{
    const std::string file = tmp.write("s.ini",
        "[group]\r\n"
        "  Cycle_Time  =  25 \r\n"
        "cycle_time=99\n"
        "; Language=xx\n"
        "\n"
        "Language=de=at\r"
        "Manual_speed=\n"
        "Unknown=1\n"
        "WD_Timer=500\n"
        "WD_Timer=700");
    fake.args = {"-i" + file};
    system_init::INIT();
    EXPECT_EQ(PARAM_LEN(), 25);
    EXPECT_EQ(GET_PARAM("Cycle_Time"), "25");
    EXPECT_EQ(GET_PARAM("Language"), "de=at");
    EXPECT_EQ(GET_PARAM("Manual_speed"), "");
    EXPECT_EQ(GET_PARAM("WD_Timer"), "700");
    EXPECT_EQ(GET_PARAM("Unknown"), "");

    // A second start-up starts from the defaults and reads the file again;
    // the arguments are stored twice.
    SET_PARAM("Power_check", false);
    system_init::INIT();
    EXPECT_EQ(GET_PARAM("Power_check"), "Yes");
    EXPECT_EQ(GET_PARAM("Cycle_Time"), "25");
    EXPECT_EQ(CMD_PARAMS.size(), 2u);
}

TEST_F(Settings, MissingOrUnreadableFileChangesNothing)
{
    system_init::INIT_PARAM();
    SET_PARAM("Cycle_Time", "33");
    LOAD_PARAM(tmp.path() + "absent.ini", "");
    LOAD_PARAM(tmp.path(), "");  // a folder
    LOAD_PARAM("/dev/null", "");
    EXPECT_EQ(GET_PARAM("Cycle_Time"), "33");

    // A FIFO named by the switch would block the start-up in its opening.
    const std::string fifo = tmp.path() + "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fake.args = {"-i" + fifo};
    system_init::INIT();
    EXPECT_EQ(GET_PARAM("Cycle_Time"), "10");
}

TEST_F(Settings, BadInputIsReadInBoundedLinesAndAppliesOnlyRealLines)
{
    system_init::INIT_PARAM();
    std::string junk;
    for (int i = 0; i < 256; ++i)
        junk.push_back(static_cast<char>(i));
    const std::string longLine = "Language=" + std::string(1 << 20, 'x') + "\n";
    const std::string longName = std::string(300, 'A') + "=1\nWD_Timer" + std::string(250, ' ') + "=2\n";
    const std::string file = tmp.write("bad.ini",
        "\xEF\xBB\xBF" "Cycle_Time=77\n" + junk + "\n" + longLine + longName +
        "Setup_Range=" + std::string(126, ' ') + "123456\n" +
        "Equatorial=No\0tail\n"s +
        "Auto_save=" + std::string(127, 'y') + "\xC3\xA9" "z\n" +
        "Power\0_check=No\nWD_Timer\0=9\n"s +
        "RA_resolution=16\r\r\nDec_resolution=20");
    LOAD_PARAM(file, "");
    EXPECT_EQ(GET_PARAM("Cycle_Time"), "10") << "a byte-order mark is part of the first name";
    EXPECT_EQ(GET_PARAM("Language"), std::string(128, 'x'));
    EXPECT_EQ(GET_PARAM("WD_Timer"), "9") << "a long line is cut before its =; NUL is trimmed like a blank";
    EXPECT_EQ(GET_PARAM("Setup_Range"), "12") << "value cut at 128 before trimming";
    EXPECT_EQ(GET_PARAM("Equatorial"), "No\0tail"s);
    EXPECT_EQ(GET_PARAM("Auto_save"), std::string(127, 'y')) << "the cut keeps characters whole";
    EXPECT_EQ(GET_PARAM("Power_check"), "Yes");
    EXPECT_EQ(GET_PARAM("RA_resolution"), "16");
    EXPECT_EQ(GET_PARAM("Dec_resolution"), "20");
}

TEST_F(Settings, BackupRotation)
{
    CONFIGPATH = tmp.path();
    CONFIGFILE = "orlasetup.ini";
    const std::string base = tmp.path() + "orlasetup.old";
    tmp.write("orlasetup.old", "g0");
    for (int i = 1; i <= 9; ++i)
        tmp.write("orlasetup.old" + std::to_string(i), "g" + std::to_string(i));
    CREATE_BACKUP();
    EXPECT_FALSE(exists(base));
    for (int i = 1; i <= 9; ++i)
        EXPECT_EQ(readFile(base + std::to_string(i)), "g" + std::to_string(i - 1)) << i;

    TempDir empty;
    CONFIGPATH = empty.path();
    CREATE_BACKUP();
    for (int i = 1; i <= 9; ++i)
        EXPECT_FALSE(exists(empty.path() + "orlasetup.old" + std::to_string(i)));

    // A name without "." keeps nothing of itself.
    CONFIGPATH = tmp.path();
    CONFIGFILE = "plain";
    tmp.write(".old", "p");
    CREATE_BACKUP();
    EXPECT_EQ(readFile(tmp.path() + ".old1"), "p");
}

// Every Save leaves the settings file as it stood as the newest backup, so
// ten Saves in a row keep ten copies and lose nothing the operator kept
// beyond the tenth; a settings file that cannot be copied moves nothing.
TEST_F(Settings, SavedBackupCopiesTheSettingsFileAfterTheRotation)
{
    CONFIGPATH = tmp.path();
    CONFIGFILE = "orlasetup.ini";
    const std::string base = tmp.path() + "orlasetup.old";
    tmp.write("orlasetup.old", "kept");
    tmp.write("orlasetup.ini", "Language=de\n");
    ASSERT_TRUE(SAVE_BACKUP());
    EXPECT_EQ(readFile(base), "Language=de\n");
    EXPECT_EQ(readFile(base + "1"), "kept");
    EXPECT_EQ(readFile(tmp.path() + "orlasetup.ini"), "Language=de\n") << "the settings file stays as it was";

    tmp.write("orlasetup.ini", "Language=fr\n");
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(SAVE_BACKUP()) << i;
    EXPECT_EQ(readFile(base), "Language=fr\n");
    EXPECT_EQ(readFile(base + "8"), "Language=de\n");
    EXPECT_EQ(readFile(base + "9"), "kept") << "the tenth Save still keeps it";
    EXPECT_FALSE(exists(base + ".new"));

    const auto untouched = [&](const char* what) {
        EXPECT_FALSE(SAVE_BACKUP()) << what;
        EXPECT_EQ(readFile(base), "Language=fr\n") << what;
        EXPECT_EQ(readFile(base + "9"), "kept") << what;
        EXPECT_FALSE(exists(base + ".new")) << what;
    };
    ::unlink((tmp.path() + "orlasetup.ini").c_str());
    untouched("no settings file");
    ASSERT_EQ(::mkfifo((tmp.path() + "orlasetup.ini").c_str(), 0600), 0);
    untouched("a FIFO named as the settings file, which must not block");
}

// The copy is made under a name of its own: a file the operator keeps under
// any name of the folder, the backups' names with ".new" included, stays.
TEST_F(Settings, SavedBackupOverwritesNoOtherFileOfTheFolder)
{
    CONFIGPATH = tmp.path();
    CONFIGFILE = "orlasetup.ini";
    tmp.write("orlasetup.ini", "Language=de\n");
    tmp.write("orlasetup.old.new", "the operator's");
    ASSERT_TRUE(SAVE_BACKUP());
    EXPECT_EQ(readFile(tmp.path() + "orlasetup.old.new"), "the operator's");
    EXPECT_EQ(readFile(tmp.path() + "orlasetup.old"), "Language=de\n");
    using Names = std::vector<std::string>;
    EXPECT_EQ(platform::listRegularFiles(tmp.path()), (Names{"orlasetup.ini", "orlasetup.old", "orlasetup.old.new"}))
        << "no copy is left aside";
    ::unlink((tmp.path() + "orlasetup.ini").c_str());
    EXPECT_FALSE(SAVE_BACKUP());
    EXPECT_EQ(platform::listRegularFiles(tmp.path()), (Names{"orlasetup.old", "orlasetup.old.new"}));
}

TEST_F(Settings, ProgramFolderAndExtendPath)
{
    fake.program = "/opt/orla/orla_setup";
    EXPECT_EQ(GET_EXEPATH(), "/opt/orla/");
    EXPECT_EQ(EXTEND_PATH("orla_setup.lng.en"), "/opt/orla/orla_setup.lng.en");
    EXPECT_EQ(EXTEND_PATH("/tmp/x.lng"), "/tmp/x.lng");
    EXPECT_EQ(EXTEND_PATH("sub/x.lng"), "sub/x.lng");
    fake.program = "orla_setup";
    EXPECT_EQ(GET_EXEPATH(), "");
}

}  // namespace
