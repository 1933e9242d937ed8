#pragma once
// The process-wide parameter store: every setting is a named text, typed only
// by the getter that reads it. Safe to call from any thread: each operation
// takes one lock, and getters return copies.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum VTYPE_T : std::int32_t { STR_T = 0, INT_T = 1, FLOAT_T = 2 };

struct PARAM_T {
    std::string NAME;
    std::string VALUE;
    std::string POS_VAL;
    std::string SECTION;
    VTYPE_T VTYPE = STR_T;
    bool MODIFIED = false;
    std::string UNITS;
};

using VALUE_LIST = std::vector<std::string>;

inline constexpr int MAX_SECTIONS = 10;
using SECTION_ARRAY = std::array<std::string, MAX_SECTIONS + 1>;
// The editor's tab names, filled by GET_SECTIONS. User-interface thread only.
extern SECTION_ARRAY SECTION_LIST;

// Longest text a parameter field holds.
inline constexpr std::size_t PARAM_TEXT_MAX = 255;

void PARAM_ADD(std::string_view NAME, std::string_view VALUE, std::string_view SECTION,
               std::string_view POS_VAL, std::string_view UNITS);

std::int32_t GET_PARAM_INDEX(std::string_view NAME);
std::string GET_PARAM(std::string_view NAME);
std::int32_t GET_IPARAM(std::string_view NAME);
double GET_FPARAM(std::string_view NAME);
bool GET_BPARAM(std::string_view NAME);
std::string GET_LPARAM(std::string_view NAME, std::int32_t INDEX);
std::int32_t GET_ILPARAM(std::string_view NAME, std::int32_t INDEX);
void SET_PARAM(std::string_view NAME, std::string_view VALUE);
void SET_PARAM(std::string_view NAME, bool VALUE);
// Keeps string literals away from the boolean form.
inline void SET_PARAM(std::string_view NAME, const char* VALUE) { SET_PARAM(NAME, std::string_view(VALUE)); }
bool MOD_PARAM(std::string_view NAME);

VALUE_LIST SPLIT_VALUES(std::string_view STR, std::string_view SEP);
void GET_SECTIONS(SECTION_ARRAY& SECT_LIST, bool HIDDEN);

// The list as the editor sees it: entries keep their index for the whole run.
std::int32_t PARAM_LEN();
std::optional<PARAM_T> PARAM_AT(std::int32_t index);
// The editor's commit: writes a value under its index, and marks it modified
// when asked (the flag is never cleared).
void PARAM_COMMIT(std::int32_t index, std::string_view VALUE, bool MARK_MODIFIED);
// The settings-file reader: sets the first entry named exactly NAME.
// False when no entry has that name.
bool PARAM_LOAD_VALUE(std::string_view NAME, std::string_view VALUE);
// Empties the store (program end; tests).
void PARAM_CLEAR();

// The conversions the getters use, for callers that hold a text already.
namespace param_text {
// Integer text syntax of the store; nullopt on failure.
std::optional<std::int32_t> toInt(std::string_view s);
// The same syntax for a number that must fit 32 bits: a decimal one the
// signed range, one with a radix prefix the unsigned range.
std::optional<std::int32_t> toInt32(std::string_view s);
// Decimal number with "." and no blank anywhere; nullopt on failure.
std::optional<double> toFloat(std::string_view s);
}  // namespace param_text
