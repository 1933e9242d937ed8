#include "core/angles.h"
#include "platform/output_file.h"
#include "sky/coords.h"
#include "sky/files.h"
#include "sky/rows.h"

#include "tests/support/fake_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using sky::ObjectTexts;
using sky::OBJ;

TEST(ObjectRow, PadsEachTextToItsColumnsAndCutsNothing)
{
    const std::string row = sky::OBJECT_ROW("M 31", " 0h42m44.3s", "41d16'09.0\"");
    EXPECT_EQ(row, "M 31" + std::string(46, ' ') + " 0h42m44.3s    " + "41d16'09.0\"    ");
    EXPECT_EQ(row.size(), 80u);
    const std::string longName(60, 'x');
    EXPECT_EQ(sky::OBJECT_ROW(longName, "1h00m00.0s", ""), longName + "1h00m00.0s     " + std::string(15, ' '));
    // Columns are characters: a name with an accent lines up with the others.
    EXPECT_EQ(sky::OBJECT_ROW("Ölstern", "", "").size(), 81u);
}

TEST(NextWord, SkipsThePreviousWordAndTheBlanksAfterIt)
{
    std::string ln = "  NGC_224\t 0h42m44.3s  41d16'09.0\"";
    EXPECT_EQ(sky::NEXT_WORD(ln, 0), 8);
    EXPECT_EQ(ln, "NGC_224\t 0h42m44.3s  41d16'09.0\"");
    EXPECT_EQ(sky::NEXT_WORD(ln, 8), 11);
    EXPECT_EQ(ln, "0h42m44.3s  41d16'09.0\"");
    EXPECT_EQ(sky::NEXT_WORD(ln, 11), 0);
    EXPECT_EQ(ln, "41d16'09.0\"");
    EXPECT_EQ(sky::NEXT_WORD(ln, 40), 0);
    EXPECT_EQ(ln, "");
}

TEST(ObjectListFile, LinesGiveCategoriesAndTheFieldsOfTheirWords)
{
    const std::vector<std::string> lines = {
        "Above 1h00m00.0s 2d00'00.0\"",  // before any category
        "[Galaxies]",
        "M_31  0h42m44.3s\t41d16'09.0\"",
        "",
        "   ",
        "only",
        "two words",
        "a b c d",
        "[Clusters] ",
        " [not a category",
        "[",
        "[]",
        "x\x01y 1h 2d",
    };
    const std::vector<OBJ> objects = sky::PARSE_OBJECT_LIST(lines);
    const std::vector<OBJ> expected = {
        {"", "Above", "1h00m00.0s", "2d00'00.0\""},
        {"Galaxies", "M 31", "0h42m44.3s", "41d16'09.0\""},
        {"Galaxies", "", "", ""},
        {"Galaxies", "", "", ""},
        {"Galaxies", "", "", "only"},
        {"Galaxies", "two", "", "words"},
        {"Galaxies", "a", "b", "c"},
        {"Clusters]", "[not", "a", "category"},
        {"", "x\x01y", "1h", "2d"},
    };
    EXPECT_EQ(objects, expected);
}

TEST(ListFileTexts, NamesAndCoordinatesReadKeepAtMost255Bytes)
{
    const std::string name = "\xC3\xA9" + std::string(300, 'n');
    const std::string ra = "1h00m00.0s" + std::string(300, 's');
    const std::vector<OBJ> objects = sky::PARSE_OBJECT_LIST({name + " " + ra + " 2d"});
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0], (OBJ{"", name.substr(0, 255), ra.substr(0, 255), "2d"}));
    EXPECT_EQ(sky::PARSE_PRESELECT_LINE(name + " " + ra), (ObjectTexts{name.substr(0, 255), ra.substr(0, 255), ""}));
    // Cut where no character is split.
    EXPECT_EQ(sky::bounded({std::string(254, 'n') + "\xC3\xA9", "", ""}).name, std::string(254, 'n'));
}

TEST(GotoCoordinates, WhatIsTakenWrittenOutIsTakenAgain)
{
    for (const char* ra : {"23h59m59.99999999999s", "23h59m59.9s", "0h00m00.0s"}) {
        const auto read = sky::READ_GOTO_RA(ra);
        ASSERT_TRUE(read.angle) << ra;
        EXPECT_TRUE(sky::READ_GOTO_RA(REALTOHOUR(*read.angle)).angle) << ra;
    }
    for (const char* de : {"90d00'00.0\"", "-89d59'59.99999999\"", "-90d00'00.0\""}) {
        const auto read = sky::READ_GOTO_DEC(de);
        ASSERT_TRUE(read.angle) << de;
        EXPECT_TRUE(sky::READ_GOTO_DEC(REALTODEG(*read.angle)).angle) << de;
    }
}

TEST(PreselectFile, LinesGiveTheFieldsOfTheirWords)
{
    struct Case {
        const char* line;
        ObjectTexts texts;
    };
    for (const Case& c : {Case{"", {"", "", ""}}, Case{"  \t ", {"", "", ""}}, Case{"Vega", {"Vega", "", ""}},
                          Case{"Vega 18h36m56.3s", {"Vega", "18h36m56.3s", ""}},
                          Case{"M_31\t0h42m44.3s   41d16'09.0\" extra", {"M 31", "0h42m44.3s", "41d16'09.0\""}},
                          Case{"[x] 1 2", {"[x]", "1", "2"}}})
        EXPECT_EQ(sky::PARSE_PRESELECT_LINE(c.line), c.texts) << c.line;
}

TEST(PreselectFile, EntriesAreWrittenByteForByte)
{
    EXPECT_EQ(sky::PRESELECT_LINE({"M 31 ", "0h42m44.3s", "41d16'09.0\""}), "M_31 0h42m44.3s     41d16'09.0\"\r\n");
    EXPECT_EQ(sky::PRESELECT_LINE({"Sun", "18h43m30.9s", "-23d03'44.7\""}), "Sun 18h43m30.9s    -23d03'44.7\"\r\n");
    EXPECT_EQ(sky::PRESELECT_LINE({"  Star  one  ", "", "5d00'00.0\""}), "Star__one 5d00'00.0\"\r\n");
    // What a save writes, a load gives back, as long as no text holds a blank.
    for (const ObjectTexts& t : {ObjectTexts{"NGC 7000 North America", "20h58m47.0s", "44d19'48.0\""},
                                 ObjectTexts{"Achernar", "1h37m42.8s", "-57d14'12.3\""}}) {
        std::string line = sky::PRESELECT_LINE(t);
        line.resize(line.size() - 2);
        EXPECT_EQ(sky::PARSE_PRESELECT_LINE(line), t);
    }
    // A right ascension as wide as its column is still followed by a blank.
    EXPECT_EQ(sky::PRESELECT_LINE({"X", "123456789012345", "1d"}), "X 123456789012345 1d\r\n");
    EXPECT_EQ(sky::PRESELECT_LINE({"X", "12345678901234", "1d"}), "X 12345678901234 1d\r\n");
    // A blank inside a coordinate moves the rest to the next field.
    std::string line = sky::PRESELECT_LINE({"X", "1h 00m00.0s", "2d00'00.0\""});
    EXPECT_EQ(sky::PARSE_PRESELECT_LINE(line), (ObjectTexts{"X", "1h", "00m00.0s"}));
}

// However the name is made, Load finds the coordinates where Save put them.
TEST(PreselectFile, ANameOfBlanksTabsOrNothingKeepsTheFieldsInPlace)
{
    struct Case {
        std::string name;
        std::string written;  // the name's word on the line
        std::string read;
    };
    const Case cases[] = {
        {"   ", "_", " "},
        {"", "_", " "},
        {"\t", "_", " "},
        {"Tab\tName", "Tab_Name", "Tab Name"},
        {" a \t b ", "a___b", "a   b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        std::string line = sky::PRESELECT_LINE({c.name, "12h00m00.0s", "10d00'00.0\""});
        EXPECT_EQ(line, c.written + " 12h00m00.0s    10d00'00.0\"\r\n");
        line.resize(line.size() - 2);
        const ObjectTexts read = sky::PARSE_PRESELECT_LINE(line);
        EXPECT_EQ(read.name, c.read);
        EXPECT_EQ(read.ra, "12h00m00.0s");
        EXPECT_EQ(read.dec, "10d00'00.0\"");
    }
}

TEST(ListFileLines, EndAtCrLfLfOrCrAndKeepBoundedLength)
{
    EXPECT_EQ(sky::withoutBlanks("- 23d 03'"), "-23d03'");
    using V = std::vector<std::string>;
    EXPECT_EQ(skyfiles::splitLines("a\r\nb\nc\rd", 10), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(skyfiles::splitLines("\xEF\xBB\xBF" "a\n\n", 10), (V{"a", ""}));
    EXPECT_EQ(skyfiles::splitLines("\r\r\n", 10), (V{"", ""}));
    EXPECT_EQ(skyfiles::splitLines(std::string("a\0b", 3), 10), (V{std::string("a\0b", 3)}));
    // A long line keeps its first bytes, never half a character.
    EXPECT_EQ(skyfiles::splitLines("ab\xC3\xA9z", 3), (V{"ab"}));
}

TEST(ListFileLines, ComeOutTheSameHoweverTheTextIsCutIntoPieces)
{
    for (const std::string& t : {std::string("a\r\nb\nc\rd"), std::string("\xEF\xBB\xBF" "a\n\n"), std::string("\xEF\xBB\xBF"),
                                std::string("\xEF\xBB"), std::string("\xEF\xBBx\r"), std::string("\r\r\n\n"),
                                std::string("abcdefgh\xC3\xA9z\r\nxy"), std::string("")}) {
        const std::vector<std::string> whole = skyfiles::splitLines(t, 4);
        for (std::size_t a = 0; a <= t.size(); ++a)
            for (std::size_t b = a; b <= t.size(); ++b) {
                std::vector<std::string> out;
                skyfiles::LineSplitter split(4, out);
                split.feed(t.substr(0, a));
                split.feed(t.substr(a, b - a));
                split.feed(t.substr(b));
                split.finish();
                EXPECT_EQ(out, whole) << testing::PrintToString(t) << " cut at " << a << ", " << b;
            }
    }
    EXPECT_EQ(skyfiles::splitLines("\xEF\xBB\xBF", 4), std::vector<std::string>{});
    EXPECT_EQ(skyfiles::splitLines("\xEF\xBBx\r", 4), std::vector<std::string>{"\xEF\xBBx"});
    EXPECT_EQ(skyfiles::splitLines("abcdefgh\xC3\xA9z\r\nxy", 4), (std::vector<std::string>{"abcd", "xy"}));
}

class ListFiles : public ::testing::Test {
protected:
    // The permission bits of a file.
    static unsigned modeOf(const std::string& path)
    {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0u;
    }
    // What the folder holds, sorted by name.
    std::vector<std::string> left() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    testing_support::TempDir dir;
};

TEST_F(ListFiles, ReadFailsWithAReasonForWhatIsNoListFile)
{
    std::vector<std::string> lines = {"kept"};
    EXPECT_TRUE(skyfiles::readListLines(dir.path() + "none.psl", lines).missing);
    const std::string folder = dir.path() + "folder.psl";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    EXPECT_EQ(skyfiles::readListLines(folder, lines).reason, "it is a folder");
    const std::string fifo = dir.path() + "fifo.psl";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(skyfiles::readListLines(fifo, lines).reason, "it is not a regular file");
    const std::string big = dir.write("big.lst", std::string(skyfiles::kMaxListBytes + 1, 'x'));
    EXPECT_EQ(skyfiles::readListLines(big, lines).reason, "it is larger than 16 MiB");
    const std::string many = dir.write("many.lst", std::string(skyfiles::kMaxListLines + 1, '\n'));
    EXPECT_EQ(skyfiles::readListLines(many, lines).reason, "it has more than 200000 lines");
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});
    const std::string fine = dir.write("fine.lst", std::string(skyfiles::kMaxListLines, '\n'));
    EXPECT_TRUE(skyfiles::readListLines(fine, lines).ok);
    EXPECT_EQ(lines.size(), skyfiles::kMaxListLines);
}

// The peak of this process's resident memory, in KiB, since the last reset.
long memoryKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::strlen(field)));
    return -1;
}

TEST_F(ListFiles, AFileAtTheBoundsIsRefusedInLittleMemoryAndTime)
{
    const std::string path = dir.write("empty-lines.psl", std::string(skyfiles::kMaxListBytes, '\n'));
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5";  // the peak starts again from what is resident now
        if (!reset.flush())
            GTEST_SKIP() << "the peak of resident memory cannot be reset here";
    }
    const long before = memoryKiB("VmRSS:");
    std::vector<std::string> lines = {"kept"};
    const auto start = std::chrono::steady_clock::now();
    const skyfiles::ReadResult r = skyfiles::readListLines(path, lines);
    const auto took = std::chrono::steady_clock::now() - start;
    const long peak = memoryKiB("VmHWM:");
    EXPECT_EQ(r.reason, "it has more than 200000 lines");
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});
    ASSERT_GT(before, 0);
    EXPECT_LT(peak - before, 64 * 1024) << "KiB more at the peak";
    EXPECT_LT(took, std::chrono::seconds(1));
}

TEST_F(ListFiles, ReplaceWritesAllOrLeavesTheOldFile)
{
    const std::string path = dir.write("list.psl", "old\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    EXPECT_EQ(platform::replaceFile(path, "new\r\n"), "");
    EXPECT_EQ(testing_support::readFile(path), "new\r\n");
    EXPECT_EQ(modeOf(path), 0640u);
    EXPECT_NE(platform::replaceFile(dir.path() + "no/such/folder.psl", "x"), "");
    // A folder where the file should be is not replaced; nothing is left behind.
    const std::string folder = dir.path() + "folder.psl";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    EXPECT_EQ(platform::replaceFile(folder, "x"), "Is a directory");
    EXPECT_EQ(platform::createEmptyFile(dir.path() + "new.psl"), "");
    EXPECT_EQ(testing_support::readFile(dir.path() + "new.psl"), "");
    EXPECT_EQ(platform::createEmptyFile(path), "");
    EXPECT_EQ(testing_support::readFile(path), "new\r\n");
    EXPECT_EQ(left(), (std::vector<std::string>{"folder.psl", "list.psl", "new.psl"}));
}

TEST_F(ListFiles, ReplaceWritesThroughLinksRefusesReadOnlyFilesAndTakesAnyName)
{
    ASSERT_EQ(::mkdir((dir.path() + "real").c_str(), 0700), 0);
    const std::string real = dir.write("real/y.psl", "old\r\n");
    const std::string link = dir.path() + "x.psl";
    ASSERT_EQ(::symlink("real/y.psl", link.c_str()), 0);
    const std::string dangling = dir.path() + "z.psl";
    ASSERT_EQ(::symlink((dir.path() + "real/new.psl").c_str(), dangling.c_str()), 0);
    EXPECT_EQ(platform::replaceFile(link, "new\r\n"), "");
    EXPECT_EQ(platform::replaceFile(dangling, "made\r\n"), "");
    const auto isLink = [](const std::string& p) {
        struct stat st {};
        return ::lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    };
    EXPECT_TRUE(isLink(link));
    EXPECT_TRUE(isLink(dangling));
    EXPECT_EQ(testing_support::readFile(real), "new\r\n");
    EXPECT_EQ(testing_support::readFile(dir.path() + "real/new.psl"), "made\r\n");

    // Read-only, for the superuser too.
    const std::string kept = dir.write("kept.psl", "kept\r\n");
    ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
    EXPECT_EQ(platform::replaceFile(kept, "new\r\n"), "Permission denied");
    EXPECT_EQ(testing_support::readFile(kept), "kept\r\n");
    EXPECT_EQ(modeOf(kept), 0444u);

    // The longest name the system takes.
    const std::string longest = dir.path() + std::string(251, 'n') + ".psl";
    EXPECT_EQ(platform::replaceFile(longest, "long\r\n"), "");
    EXPECT_EQ(testing_support::readFile(longest), "long\r\n");
    EXPECT_EQ(platform::replaceFile(longest, "again\r\n"), "");
    EXPECT_EQ(testing_support::readFile(longest), "again\r\n");
    EXPECT_EQ(left(), (std::vector<std::string>{"kept.psl", std::string(251, 'n') + ".psl", "real", "x.psl", "z.psl"}));
}

}  // namespace
