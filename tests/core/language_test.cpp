#include "core/language.h"
#include "tests/support/fake_dialogs.h"
#include "tests/support/fake_system.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

using testing_support::FakeDialogs;
using testing_support::FakeSystem;
using testing_support::TempDir;

// Language tests share one program folder; the table is reset around each.
class Language : public ::testing::Test {
protected:
    void SetUp() override
    {
        LANGUAGE::CLEAR();
        fake.program = tmp.path() + "orla_setup";
    }
    void TearDown() override { LANGUAGE::CLEAR(); }

    bool load(const std::string& bytes)
    {
        tmp.write("orla_setup.lng.xx", bytes);
        return LANGUAGE::INIT("orla_setup.lng.xx");
    }

    TempDir tmp;
    FakeSystem fake;
    FakeDialogs boxes;
};

const std::string kDefault = "<default>";

struct Lookup {
    std::string form, name;
    std::optional<std::string> text;  // nullopt: no entry, the default comes back
};

struct ReaderCase {
    const char* what;
    std::string file;
    std::vector<Lookup> lookups;
};

TEST_F(Language, ReaderRules)
{
    const std::string longKey(300, 'k');
    const std::string cutKey(255, 'k');
    const std::string utf8Key = std::string(254, 'k') + "\xC3\xA9";  // é would straddle the cut
    const ReaderCase cases[] = {
        {"empty file", "", {{"Main_View", "L1", std::nullopt}, {"", "", std::nullopt}}},
        {"entries above the first section have the empty section",
         "L1=top\n[Main_View]\n",
         {{"Main_View", "L1", std::nullopt}, {"", "L1", "top"}}},
        {"a section without ] is the empty section",
         "[Main_View\nB1=x\n",
         {{"Main_View", "B1", std::nullopt}, {"", "B1", "x"}}},
        {"text after ] is ignored, blanks inside brackets are kept",
         "[Main_View] trailing\nB1=x\n[ Setup ]\nB2=y\n",
         {{"Main_View", "B1", "x"}, {"Setup", "B2", std::nullopt}, {" setup ", "B2", "y"}}},
        {"blanks around = belong to name and text",
         "[S]\nB1 = x \n",
         {{"S", "B1", std::nullopt}, {"S", "B1 ", " x "}}},
        {"an empty text is a text", "[S]\nB1=\n", {{"S", "B1", ""}}},
        {"split at the first =", "[S]\nB1=a=b\n", {{"S", "B1", "a=b"}}},
        {"a line without = has the empty name", "[S]\nremark, no equals\n", {{"S", "", "remark, no equals"}}},
        {"the last match wins, across repeated sections and letter case",
         "[S]\nb1=one\n[T]\nB1=other\n[s]\nB1=two\n[S]\nC1=three\n",
         {{"S", "B1", "two"}, {"T", "b1", "other"}, {"S", "C1", "three"}}},
        {"only a to z are folded",
         "[main_view]\nb_init=Init\n\xC3\xA4=lower\n",
         {{"MAIN_VIEW", "B_Init", "Init"}, {"Main_View", "\xC3\xA4", "lower"}, {"Main_View", "\xC3\x84", std::nullopt}}},
        {"a byte-order mark hides the first section",
         "\xEF\xBB\xBF[S]\nB1=x\n",
         {{"S", "B1", std::nullopt}, {"", "B1", "x"}, {"", "", "\xEF\xBB\xBF[S]"}}},
        {"names are cut to 255 bytes, never inside a character",
         "[S]\n" + longKey + "=long\n" + utf8Key + "=utf8\n",
         {{"S", longKey, std::nullopt}, {"S", cutKey, "long"}, {"S", std::string(254, 'k'), "utf8"}}},
        {"CR LF, LF and a lone CR end lines; the last line needs no end",
         "[S]\r\nA=1\rB=2\nC=3\r\r\n\nD=4",
         {{"S", "A", "1"}, {"S", "B", "2"}, {"S", "C", "3"}, {"S", "D", "4"}, {"S", "", std::nullopt}}},
        {"0x1A ends the text", "[S]\nA=1\x1A" "B=2\nC=3\n", {{"S", "A", "1"}, {"S", "B", std::nullopt}}},
        {"a type line changes only the type", "[S]\n%TButton\nA=1\n", {{"S", "A", "1"}}},
        {"NUL bytes are ordinary bytes",
         "[S]\nA=x\0y\n\0=z\n"s,
         {{"S", "A", "x\0y"s}, {"S", "\0"s, "z"}}},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.what);
        LANGUAGE::CLEAR();
        EXPECT_TRUE(load(c.file));
        EXPECT_TRUE(LANGUAGE::LANGUAGE_OK);
        for (const Lookup& l : c.lookups)
            EXPECT_EQ(LANGUAGE::GETCAPTION(l.form, l.name, kDefault), l.text.value_or(kDefault))
                << "[" << l.form << "] " << l.name;
    }
}

TEST_F(Language, EntriesKeepTheirSectionAndTypeInFileOrder)
{
    load("%tlabel\nA=1\n[Setup]\nB=2\n%" + std::string(100, 't') + "\nC=3\n");
    const auto& t = LANGUAGE::OBJECT_LIST;
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].FORM, "");
    EXPECT_EQ(t[0].TYP, "TLABEL");
    EXPECT_EQ(t[1].FORM, "SETUP");
    EXPECT_EQ(t[1].NAME, "B");
    EXPECT_EQ(t[1].TYP, "TLABEL");
    EXPECT_EQ(t[2].TYP, std::string(80, 'T'));
}

TEST_F(Language, LoadsReplaceTheTableAndFailuresKeepIt)
{
    ASSERT_TRUE(load("[S]\nA=first\nB=only here\n"));
    ASSERT_TRUE(load("[S]\nA=second\n"));
    EXPECT_EQ(LANGUAGE::GETCAPTION("S", "A", ""), "second");
    EXPECT_EQ(LANGUAGE::GETCAPTION("S", "B", kDefault), kDefault) << "nothing is merged";

    // Missing, and present but not a regular file (a folder, a FIFO that would
    // block the opening, a device), all count as missing.
    fake.makeFolder(tmp.path() + "orla_setup.lng.dir");
    ASSERT_EQ(::mkfifo((tmp.path() + "orla_setup.lng.fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/null", (tmp.path() + "orla_setup.lng.dev").c_str()), 0);
    for (const char* name : {"orla_setup.lng.none", "orla_setup.lng.dir", "orla_setup.lng.fifo",
                             "orla_setup.lng.dev"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(LANGUAGE::INIT(name));
        EXPECT_FALSE(LANGUAGE::LANGUAGE_OK);
        EXPECT_EQ(LANGUAGE::GETCAPTION("S", "A", ""), "second");
    }

    EXPECT_TRUE(LANGUAGE::INIT(tmp.path() + "orla_setup.lng.xx")) << "a path is used as it is";
    EXPECT_TRUE(LANGUAGE::LANGUAGE_OK);
}

TEST_F(Language, MissingFileIsReportedOncePerFailedLoad)
{
    auto reports = [&] { return boxes.shown().size(); };
    LANGUAGE::REPORT_MISSING();
    EXPECT_EQ(reports(), 0u) << "nothing was loaded yet";

    LANGUAGE::INIT("orla_setup.lng.none");
    LANGUAGE::REPORT_MISSING();
    LANGUAGE::REPORT_MISSING();
    ASSERT_EQ(reports(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "language file not found");
    EXPECT_FALSE(boxes.shown()[0].question);

    LANGUAGE::INIT("orla_setup.lng.none");
    LANGUAGE::REPORT_MISSING();
    EXPECT_EQ(reports(), 2u) << "a new failed load is told again";

    load("[S]\nA=1\n");
    LANGUAGE::REPORT_MISSING();
    EXPECT_EQ(reports(), 2u);
}

TEST_F(Language, AnyFileLoadsInBoundedMemory)
{
    // One huge line with no "=", then a normal entry.
    std::string huge(3 * 1024 * 1024, 'x');
    ASSERT_TRUE(load("[S]\n" + huge + "\nA=after\n"));
    EXPECT_EQ(LANGUAGE::GETCAPTION("S", "A", ""), "after");
    EXPECT_EQ(LANGUAGE::GETCAPTION("S", "", "").size(), LANGUAGE::kMaxLineBytes);

    // Binary junk: any byte, NULs, no "]" and no "=" to be relied on.
    std::mt19937 rng(7);
    std::string junk(256 * 1024, '\0');
    for (char& c : junk)
        c = static_cast<char>(rng() & 0xFF);
    EXPECT_TRUE(load(junk));
    for (const auto& e : LANGUAGE::OBJECT_LIST) {
        EXPECT_LE(e.NAME.size(), 255u);
        EXPECT_LE(e.FORM.size(), 255u);
        EXPECT_LE(e.CAPTION.size(), LANGUAGE::kMaxLineBytes);
    }
    EXPECT_EQ(LANGUAGE::GETCAPTION("Main_View", "B_Init", kDefault), kDefault);

    // Far more entries than the table holds: the first ones are kept, the
    // table stays within its budget.
    std::string many = "[S]\nfirst=1\n";
    for (int i = 0; i < 300000; ++i)
        many += "k=some text of an entry\n";
    many += "last=2\n";
    ASSERT_TRUE(load(many));
    std::size_t used = 0;
    for (const auto& e : LANGUAGE::OBJECT_LIST)
        used += sizeof e + e.NAME.size() + e.CAPTION.size() + e.FORM.size() + e.TYP.size();
    EXPECT_LE(used, LANGUAGE::kMaxTableBytes);
    EXPECT_EQ(LANGUAGE::GETCAPTION("S", "first", ""), "1");
    EXPECT_EQ(LANGUAGE::GETCAPTION("S", "last", kDefault), kDefault);
}

TEST(LanguageSplit, Count)
{
    EXPECT_EQ(LANGUAGE::SPLITCOUNT(""), 1);
    EXPECT_EQ(LANGUAGE::SPLITCOUNT("abc"), 1);
    EXPECT_EQ(LANGUAGE::SPLITCOUNT("a;b;"), 3);
    EXPECT_EQ(LANGUAGE::SPLITCOUNT(";;;"), 4);
}

TEST(LanguageSplit, PartsIntoSlots)
{
    const std::string rest280 = std::string(279, 'r') + ";" + std::string(20, 's');
    // 254 bytes, then a two-byte character that would end past the cut.
    const std::string euro = std::string(254, 'e') + "\xC3\xA9" + "tail";
    struct Case {
        std::string line;
        std::size_t slots;
        std::vector<std::string> expected;  // slots start as "x0", "x1", ...
    } cases[] = {
        {"a;;b", 3, {"a", "", "b"}},
        {"a;b;", 3, {"a", "b", "x2"}},
        {"", 3, {"x0", "x1", "x2"}},
        {"a", 3, {"a", "x1", "x2"}},
        {";a", 2, {"", "a"}},
        {"a;b;c;d", 2, {"a", "b"}},
        // A part keeps its first 255 bytes, the remainder is split as ever.
        {"first;" + rest280, 3, {"first", std::string(255, 'r'), std::string(20, 's')}},
        {euro + ";" + euro, 2, {std::string(254, 'e'), std::string(254, 'e')}},
        {"Gr\xC3\xB6\xC3\x9F" "e;\xE2\x82\xAC 5", 2, {"Gr\xC3\xB6\xC3\x9F" "e", "\xE2\x82\xAC 5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> ar;
        for (std::size_t i = 0; i < c.slots; ++i)
            ar.push_back("x" + std::to_string(i));
        LANGUAGE::SPLITSTR(ar, c.line);
        EXPECT_EQ(ar, c.expected);
    }
}

TEST_F(Language, SetStringKeepsValueWithoutEntry)
{
    load("[Main_View]\nHorizon_msg=Below the horizon\nEmpty_msg=\n");
    std::string horizon = "design", empty = "design", none = "design";
    LANGUAGE::SETSTRING("Main_View", "Horizon_msg", horizon);
    LANGUAGE::SETSTRING("Main_View", "Empty_msg", empty);
    LANGUAGE::SETSTRING("Main_View", "Other_msg", none);
    EXPECT_EQ(horizon, "Below the horizon");
    EXPECT_EQ(empty, "");
    EXPECT_EQ(none, "design");
}

// The English file shipped next to the program.
TEST_F(Language, ShippedEnglishFileIsWellFormed)
{
    const char* dir = std::getenv("ORLA_DATA_DIR");
    ASSERT_NE(dir, nullptr);
    fake.program = std::string(dir) + "/orla_setup";
    ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.en"));
    // No comment syntax exists: a line that is neither a section nor an
    // entry would be an entry under the empty name.
    for (const auto& e : LANGUAGE::OBJECT_LIST) {
        EXPECT_FALSE(e.NAME.empty()) << "stray line: " << e.CAPTION;
        EXPECT_FALSE(e.FORM.empty()) << "entry outside a section: " << e.NAME;
    }
    EXPECT_EQ(LANGUAGE::GETCAPTION("Main_View", "en", ""), "English");
    std::array<std::string, 11> planets;
    LANGUAGE::SPLITSTR(planets, LANGUAGE::GETCAPTION("planets", "planets", ""));
    EXPECT_EQ(planets[0], "Sun");
    EXPECT_EQ(planets[8], "Pluto");
}

}  // namespace
