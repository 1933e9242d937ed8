#include "core/params.h"
#include "core/system_init.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

namespace {

class Params : public ::testing::Test {
protected:
    void SetUp() override
    {
        PARAM_CLEAR();
        system_init::INIT_PARAM();
    }
    void TearDown() override { PARAM_CLEAR(); }
};

struct IntCase {
    const char* text;
    std::int32_t expected;
};

// Stands for "not a number" in a table of 32-bit readings.
constexpr std::int32_t kNoNumber = 0x7EADBEEF;

class IntegerSyntax : public ::testing::TestWithParam<IntCase> {};

TEST_P(IntegerSyntax, ReadsAsTheStoreSays)
{
    EXPECT_EQ(param_text::toInt(GetParam().text).value_or(0), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, IntegerSyntax, ::testing::Values(
    IntCase{"$04D8", 1240}, IntCase{"x4d8", 1240}, IntCase{"X4D8", 1240}, IntCase{"0x4d8", 1240},
    IntCase{"0X4D8", 1240}, IntCase{"%101", 5}, IntCase{"&17", 15}, IntCase{"  \t42", 42},
    IntCase{"+7", 7}, IntCase{"-7", -7}, IntCase{"-$10", -16}, IntCase{"0", 0}, IntCase{"007", 7},
    IntCase{"42 ", 0}, IntCase{"", 0}, IntCase{" ", 0}, IntCase{"4 2", 0}, IntCase{"$", 0},
    IntCase{"0x", 0}, IntCase{"%102", 0}, IntCase{"&8", 0}, IntCase{"12a", 0}, IntCase{"1.5", 0},
    IntCase{"+-1", 0}, IntCase{"$FFFFFFFF", -1}, IntCase{"4294967296", 0}, IntCase{"4294967297", 1},
    IntCase{"2147483648", -2147483647 - 1}, IntCase{"9223372036854775807", -1},
    IntCase{"9223372036854775808", 0}, IntCase{"-9223372036854775808", 0},
    IntCase{"-9223372036854775809", 0}, IntCase{"$FFFFFFFFFFFFFFFF", -1},
    IntCase{"$10000000000000000", 0}, IntCase{"\xC3\xA9", 0}));

class Integer32Syntax : public ::testing::TestWithParam<IntCase> {};

// The same syntax, but a number outside 32 bits is no number at all.
TEST_P(Integer32Syntax, RefusesWhatDoesNotFit32Bits)
{
    const std::optional<std::int32_t> v = param_text::toInt32(GetParam().text);
    if (GetParam().expected == kNoNumber) {
        EXPECT_FALSE(v) << GetParam().text;
    } else {
        ASSERT_TRUE(v) << GetParam().text;
        EXPECT_EQ(*v, GetParam().expected) << GetParam().text;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Integer32Syntax, ::testing::Values(
    IntCase{"4", 4}, IntCase{"$FF", 255}, IntCase{"  12", 12}, IntCase{"-7", -7},
    IntCase{"2147483647", 2147483647}, IntCase{"-2147483648", -2147483647 - 1},
    IntCase{"$FFFFFFFF", -1}, IntCase{"-$1", -1},
    IntCase{"2147483648", kNoNumber}, IntCase{"-2147483649", kNoNumber}, IntCase{"4294967297", kNoNumber},
    IntCase{"$100000000", kNoNumber}, IntCase{"", kNoNumber}, IntCase{"4 ", kNoNumber},
    IntCase{"four", kNoNumber}));

struct FloatCase {
    const char* text;
    double expected;
};

class DecimalSyntax : public ::testing::TestWithParam<FloatCase> {};

TEST_P(DecimalSyntax, ReadsAsTheStoreSays)
{
    EXPECT_DOUBLE_EQ(param_text::toFloat(GetParam().text).value_or(0.0), GetParam().expected)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, DecimalSyntax, ::testing::Values(
    FloatCase{"1.5", 1.5}, FloatCase{"-2.25", -2.25}, FloatCase{"+3", 3.0}, FloatCase{".5", 0.5},
    FloatCase{"5.", 5.0}, FloatCase{"1e3", 1000.0}, FloatCase{"2.5E-1", 0.25}, FloatCase{"1e+2", 100.0},
    FloatCase{"1 000", 0.0}, FloatCase{" 1.5", 0.0}, FloatCase{"1.5 ", 0.0}, FloatCase{"", 0.0},
    FloatCase{"1,5", 0.0}, FloatCase{".", 0.0}, FloatCase{"e5", 0.0}, FloatCase{"1e", 0.0},
    FloatCase{"nan", 0.0}, FloatCase{"inf", 0.0}, FloatCase{"1e400", 0.0}, FloatCase{"0x10", 0.0},
    FloatCase{"\t1", 0.0}, FloatCase{"--1", 0.0}));

TEST_F(Params, DeclaredDefaultsReadThroughTypedGetters)
{
    EXPECT_EQ(PARAM_LEN(), 25);
    EXPECT_EQ(GET_IPARAM("USB_Vendor_ID"), 1240);
    EXPECT_EQ(GET_ILPARAM("Manual_speed", 0), 11000);
    EXPECT_EQ(GET_ILPARAM("MANUAL_SPEED", 2), 100);
    EXPECT_EQ(GET_LPARAM("Manual_speed", 3), "");
    EXPECT_EQ(GET_ILPARAM("Manual_speed", 3), 0);
    EXPECT_EQ(GET_LPARAM("Manual_speed", -1), "");
    EXPECT_FALSE(GET_BPARAM("Setup_align"));
    EXPECT_TRUE(GET_BPARAM("equatorial"));
    EXPECT_EQ(GET_PARAM("language"), "en");
    EXPECT_EQ(GET_IPARAM("cycle_time"), 10);
    EXPECT_DOUBLE_EQ(GET_FPARAM("Setup_Range"), 5.0);

    auto first = PARAM_AT(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->NAME, "Power_check");
    EXPECT_EQ(first->POS_VAL, "Yes;No");
    EXPECT_EQ(first->SECTION, "param");
    EXPECT_EQ(first->VTYPE, STR_T);
    EXPECT_TRUE(first->MODIFIED);
    EXPECT_EQ(PARAM_AT(4)->UNITS, "mil sec");
    EXPECT_EQ(PARAM_AT(24)->NAME, "hw_config");
    EXPECT_FALSE(PARAM_AT(25));
}

TEST_F(Params, UndeclaredNamesReadEmptyAndIgnoreSetting)
{
    SET_PARAM("USB_DEV", "/dev/hidraw0");
    SET_PARAM("Parked", true);
    EXPECT_EQ(GET_PARAM("USB_DEV"), "");
    EXPECT_EQ(GET_IPARAM("USB_DEV"), 0);
    EXPECT_DOUBLE_EQ(GET_FPARAM("RA_CAL"), 0.0);
    EXPECT_FALSE(GET_BPARAM("Parked"));
    EXPECT_FALSE(MOD_PARAM("USB_DEV"));
    EXPECT_EQ(GET_LPARAM("USB_DEV", 0), "");
    EXPECT_EQ(GET_PARAM_INDEX("USB_DEV"), -1);
    EXPECT_EQ(PARAM_LEN(), 25);
}

TEST_F(Params, YesNoReading)
{
    struct {
        const char* value;
        bool expected;
    } cases[] = {{"Yes", true}, {"YES", true}, {"yes", true}, {"on", true}, {"1", true},
                 {"True", true}, {"No", false}, {"", false}, {"Y", false}, {"0", false},
                 {"yes ", false}};
    for (auto c : cases) {
        SET_PARAM("Power_check", c.value);
        EXPECT_EQ(GET_BPARAM("Power_check"), c.expected) << c.value;
    }
    // Without allowed values the empty text is the first allowed value.
    EXPECT_TRUE(GET_BPARAM("Language") == false);
    SET_PARAM("Language", "");
    EXPECT_TRUE(GET_BPARAM("Language"));
}

TEST_F(Params, BooleanSetStoresTheAllowedValueText)
{
    SET_PARAM("setup_align", true);
    EXPECT_EQ(GET_PARAM("Setup_align"), "Yes");
    SET_PARAM("Setup_align", false);
    EXPECT_EQ(GET_PARAM("Setup_align"), "No");
    SET_PARAM("Setup_align", "YES");
    SET_PARAM("Setup_align", true);
    EXPECT_EQ(GET_PARAM("Setup_align"), "Yes");
    // Fewer allowed values than the answer needs: nothing is stored.
    SET_PARAM("Language", true);
    EXPECT_EQ(GET_PARAM("Language"), "");  // element 0 of "" is the empty text
    SET_PARAM("Language", "de");
    SET_PARAM("Language", false);
    EXPECT_EQ(GET_PARAM("Language"), "de");
}

TEST_F(Params, DeclaringAgainRestoresTheDefault)
{
    EXPECT_TRUE(MOD_PARAM("cycle_time"));
    SET_PARAM("Cycle_Time", "25");
    EXPECT_EQ(GET_PARAM("Cycle_Time"), "25");
    system_init::INIT_PARAM();
    EXPECT_EQ(GET_PARAM("Cycle_Time"), "10");
}

TEST_F(Params, CaseRulesOfDeclaringLookingUpAndSetting)
{
    PARAM_ADD("language", "fr", "Window", "", "");
    EXPECT_EQ(PARAM_LEN(), 26);
    EXPECT_EQ(GET_PARAM_INDEX("LANGUAGE"), 25);
    EXPECT_EQ(GET_PARAM("Language"), "fr");
    SET_PARAM("Language", "de");
    EXPECT_EQ(PARAM_AT(1)->VALUE, "de");
    EXPECT_EQ(GET_PARAM("Language"), "fr");
    // Re-declaring in the exact case replaces the entry in place.
    PARAM_ADD("GetStar", "Yes", "-allign", "Yes;No", "");
    SET_PARAM("GetStar", false);
    PARAM_ADD("GetStar", "Yes", "-allign", "Yes;No", "");
    EXPECT_EQ(PARAM_LEN(), 27);
    EXPECT_TRUE(GET_BPARAM("GetStar"));
    system_init::INIT_PARAM();
    EXPECT_EQ(PARAM_LEN(), 27);
}

TEST_F(Params, TextsAreCutAt255BytesWithoutSplittingACharacter)
{
    SET_PARAM("Language", std::string(300, 'a'));
    EXPECT_EQ(GET_PARAM("Language").size(), 255u);
    SET_PARAM("Language", std::string(254, 'a') + "\xC3\xA9");
    EXPECT_EQ(GET_PARAM("Language"), std::string(254, 'a'));
}

TEST(SplitValues, Elements)
{
    EXPECT_EQ(SPLIT_VALUES("", ";"), VALUE_LIST{""});
    EXPECT_EQ(SPLIT_VALUES("Yes;No", ";"), (VALUE_LIST{"Yes", "No"}));
    EXPECT_EQ(SPLIT_VALUES("a;", ";"), (VALUE_LIST{"a", ""}));
    EXPECT_EQ(SPLIT_VALUES("a;;b", ";"), (VALUE_LIST{"a", "", "b"}));
    EXPECT_EQ(SPLIT_VALUES(" a ; b", ";"), (VALUE_LIST{" a ", " b"}));
}

TEST_F(Params, SectionsForTheEditor)
{
    SECTION_ARRAY visible;
    GET_SECTIONS(visible, false);
    EXPECT_EQ(visible, (SECTION_ARRAY{"param", "Window", "init", "control", "", "", "", "", "", "", ""}));

    PARAM_ADD("GetStar", "Yes", "-allign", "Yes;No", "");
    PARAM_ADD("NoSection", "", "", "", "");
    SECTION_ARRAY all;
    GET_SECTIONS(all, true);
    EXPECT_EQ(all, (SECTION_ARRAY{"param", "Window", "init", "-control", "-param", "control", "-allign",
                                  "", "", "", ""}));

    for (int i = 0; i < 20; ++i)
        PARAM_ADD("S" + std::to_string(i), "", "s" + std::to_string(i), "", "");
    GET_SECTIONS(all, true);
    EXPECT_EQ(all[10], "s3");
}

// Readers on one thread, declarations and sets on another: no torn values.
TEST_F(Params, SafeAcrossThreads)
{
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!stop.load()) {
            const std::string v = GET_PARAM("Cycle_Time");
            if (v != "10" && v != "20")
                bad.fetch_add(1);
            (void)GET_BPARAM("GetStar");
            (void)GET_ILPARAM("Manual_speed", 1);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        SET_PARAM("Cycle_Time", (i % 2) ? "10" : "20");
        PARAM_ADD("Extra" + std::to_string(i % 50), "x", "-x", "", "");
    }
    stop.store(true);
    reader.join();
    EXPECT_EQ(bad.load(), 0);
}

}  // namespace
