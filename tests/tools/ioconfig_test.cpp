// The output panel's description file read into its plan: line kinds, the
// row fields, the layout arithmetic, and files that are not what they should be.

#include "tests/support/fake_system.h"
#include "tools/ioconfig.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace {

using ioconfig::Kind;
using ioconfig::Plan;
using ioconfig::Rect;

Plan planOf(const std::string& text)
{
    ioconfig::Reader reader;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        reader.line(std::string_view(text).substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return reader.plan();
}

struct CaptionCase {
    const char* line;
    const char* caption;
};

class GroupCaption : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(GroupCaption, IsTheLineWithoutItsFirstAndLastCharacter)
{
    const Plan p = planOf(GetParam().line);
    ASSERT_EQ(p.groups.size(), 1u);
    EXPECT_EQ(p.groups[0].caption, GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Table, GroupCaption, ::testing::Values(
    CaptionCase{"[Lamps]", "Lamps"}, CaptionCase{"[Lamps", "Lamp"}, CaptionCase{"[]", ""}, CaptionCase{"[", ""},
    CaptionCase{"[ a b ]", " a b "}, CaptionCase{"[Gr\xC3\xBC\xC3\xBC]", "Gr\xC3\xBC\xC3\xBC"},
    CaptionCase{"[Gr\xC3\xBC", "Gr"}));  // the last character goes whole

TEST(IoConfig, WorkedLayoutOfGroupsColumnsAndRows)
{
    const Plan p = planOf(
        "@my panel\n"
        "; a comment\n"
        "\n"
        "[A]\n"
        "L1:toggle:off;on:4:\n"
        "B1:button:Go:0:\n"
        "[B]\n"
        "&item\n"
        "L2:TOGGLEx:a:1:\n"
        "&  GROUP  \n"
        "[C]\n");
    ASSERT_EQ(p.groups.size(), 3u);
    EXPECT_EQ(p.groups[0].place, (Rect{0, 0, 195, 97}));
    EXPECT_EQ(p.groups[1].place, (Rect{0, 97, 285, 62})) << "stacked below A; its rows in a second column";
    EXPECT_EQ(p.groups[2].place, (Rect{300, 0, 100, 50})) << "a new column, right of everything so far";
    EXPECT_EQ(p.clientWidth, 300) << "a group without rows does not enlarge the panel";
    EXPECT_EQ(p.clientHeight, 97 + 62 + 35);

    ASSERT_EQ(p.rows.size(), 3u);
    EXPECT_EQ(p.rows[0].kind, Kind::Toggle);
    EXPECT_EQ(p.rows[0].label, "L1");
    EXPECT_EQ(p.rows[0].data, "off;on");
    EXPECT_EQ(p.rows[0].bits, "4");
    EXPECT_EQ(p.rows[0].labelPlace, (Rect{5, 2, 95, 25}));
    EXPECT_EQ(p.rows[0].control, (Rect{105, 2, 75, 25}));
    EXPECT_EQ(p.rows[1].kind, Kind::Button);
    EXPECT_EQ(p.rows[1].control, (Rect{105, 37, 60, 25})) << "a button sits 2 pixels above its label";
    EXPECT_EQ(p.rows[2].kind, Kind::Toggle) << "types match by their beginning, in any letter case";
    EXPECT_EQ(p.rows[2].group, 1u);
    EXPECT_EQ(p.rows[2].control, (Rect{195, 2, 75, 25}));
}

TEST(IoConfig, RowFieldsAreTakenColonByColonAndNotTrimmed)
{
    const Plan p = planOf(
        "[G]\n"
        "Lamp:toggle:on only:4\n"           // no ":" after the bits
        " Pump : toggle:x:1:\n"             // a blank before the type
        "Fan:button:Run:$F0:rest:more\n"
        "Heater:switch:x:1:\n"               // a type of no kind
        "Heater2:toggle:x:2:\n");
    ASSERT_EQ(p.rows.size(), 5u);
    EXPECT_EQ(p.rows[0].bits, "") << "the bits need a ':' behind them";
    EXPECT_EQ(p.rows[1].label, " Pump ");
    EXPECT_EQ(p.rows[1].kind, Kind::LabelOnly);
    EXPECT_EQ(p.rows[2].bits, "$F0");
    EXPECT_EQ(p.rows[3].kind, Kind::LabelOnly);
    EXPECT_EQ(p.rows[3].control, Rect{});
    EXPECT_EQ(p.rows[4].labelPlace.top, p.rows[3].labelPlace.top + 37) << "a label-only row keeps the rows' pitch";
}

TEST(IoConfig, NothingBeforeTheFirstGroupAndNothingUnbounded)
{
    const Plan early = planOf("L:toggle:a;b:1:\n&item\n[G]\nM:toggle:a;b:2:\n");
    ASSERT_EQ(early.rows.size(), 1u);
    EXPECT_EQ(early.rows[0].label, "M");
    EXPECT_EQ(early.rows[0].labelPlace.left, 5) << "the early switch did not move the rows";

    std::string many;
    for (int i = 0; i < 1000; ++i)
        many += "[G]\n";
    EXPECT_EQ(planOf(many).groups.size(), ioconfig::kMaxGroups);
    std::string rows = "[G]\n";
    for (int i = 0; i < 1000; ++i)
        rows += "&item\nR:toggle:a;b:1:\n";
    const Plan wide = planOf(rows);
    EXPECT_EQ(wide.rows.size(), ioconfig::kMaxRows);
    EXPECT_LT(wide.clientWidth, 100000);
}

TEST(IoConfig, FilesThatAreNotThereOrNotFilesGiveAnEmptyPanel)
{
    testing_support::TempDir dir;
    EXPECT_EQ(ioconfig::readFile(dir.path() + "ioconfig.txt").groups.size(), 0u);
    EXPECT_EQ(ioconfig::readFile(dir.path()).clientWidth, 0) << "a folder";
    const std::string fifo = dir.path() + "fifo.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ioconfig::readFile(fifo).groups.size(), 0u) << "a FIFO, without blocking";

    // Line ends of every kind, NUL bytes and junk, and a line cut at 255.
    const std::string label(250, 'x');
    const char head[] = "[A]\r\nN\0UL:toggle:a;b:1:\rjunk\xFF\xFE\x01\n";
    const Plan p = ioconfig::readFile(
        dir.write("io.txt", std::string(head, sizeof head - 1) + label + ":toggle:a;b:1:\n[B]"));
    ASSERT_EQ(p.groups.size(), 2u);
    ASSERT_EQ(p.rows.size(), 3u);
    EXPECT_EQ(p.rows[0].label, std::string("N\0UL", 4));
    EXPECT_EQ(p.rows[1].kind, Kind::LabelOnly);
    EXPECT_EQ(p.rows[2].label, label);
    EXPECT_EQ(p.rows[2].kind, Kind::LabelOnly) << "the type lay beyond the 255th byte";
}

TEST(IoConfig, TogglesCaptionsBitsAndTheWord)
{
    EXPECT_EQ(ioconfig::toggleText("Off;On", false), "Off");
    EXPECT_EQ(ioconfig::toggleText("Off;On", true), "On");
    EXPECT_EQ(ioconfig::toggleText("Lamp", false), "");
    EXPECT_EQ(ioconfig::toggleText("Lamp", true), "Lamp");
    EXPECT_EQ(ioconfig::toggleText("a;b;c", true), "b;c");

    EXPECT_EQ(ioconfig::bitsValue("4"), 4);
    EXPECT_EQ(ioconfig::bitsValue("$FF"), 255);
    EXPECT_FALSE(ioconfig::bitsValue(""));
    EXPECT_FALSE(ioconfig::bitsValue("four"));
    EXPECT_FALSE(ioconfig::bitsValue("4294967300")) << "not cut to 32 bits";

    EXPECT_EQ(ioconfig::toggled(0x01, 0x04, true), 0x05);
    EXPECT_EQ(ioconfig::toggled(0x1FF, 0x01, false), 0xFE) << "switching off clears every bit above the low byte";
    EXPECT_EQ(ioconfig::toggled(0x06, 0x0C, false), 0x02) << "overlapping rows share their bits";
}

}  // namespace
