#include "core/params.h"

#include "core/text.h"

#include <charconv>
#include <cmath>
#include <mutex>

SECTION_ARRAY SECTION_LIST;

namespace {

std::mutex g_mutex;
std::vector<PARAM_T> g_list;

std::string cut(std::string_view s) { return text::cutUtf8(s, PARAM_TEXT_MAX); }

// Lookups take the last entry whose name matches without regard to case.
int findLastNoCase(std::string_view name)
{
    for (int i = static_cast<int>(g_list.size()) - 1; i >= 0; --i)
        if (text::equalsNoCase(g_list[static_cast<std::size_t>(i)].NAME, name))
            return i;
    return -1;
}

// Setting stops at the first one.
PARAM_T* findFirstNoCase(std::string_view name)
{
    for (auto& p : g_list)
        if (text::equalsNoCase(p.NAME, name))
            return &p;
    return nullptr;
}

PARAM_T* findFirstExact(std::string_view name)
{
    for (auto& p : g_list)
        if (p.NAME == name)
            return &p;
    return nullptr;
}

std::optional<std::string> valueOf(std::string_view name)
{
    std::lock_guard lock(g_mutex);
    int i = findLastNoCase(name);
    if (i < 0)
        return std::nullopt;
    return g_list[static_cast<std::size_t>(i)].VALUE;
}

void storeValue(PARAM_T& p, std::string_view value)
{
    std::string v = cut(value);
    if (p.VALUE == v)
        return;
    p.VALUE = std::move(v);
    p.MODIFIED = true;
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

}  // namespace

namespace param_text {

namespace {

// The largest magnitudes a number may have: a decimal one by its sign, one
// with a radix prefix whatever its sign.
struct IntLimits {
    std::uint64_t positive, negative, radix;
};

std::optional<std::int32_t> parseInteger(std::string_view s, const IntLimits& limits)
{
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    unsigned base = 10;
    std::string_view rest = s.substr(i);
    if (rest.starts_with("0x") || rest.starts_with("0X")) {
        base = 16;
        rest.remove_prefix(2);
    } else if (!rest.empty() && (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')) {
        base = 16;
        rest.remove_prefix(1);
    } else if (!rest.empty() && rest[0] == '%') {
        base = 2;
        rest.remove_prefix(1);
    } else if (!rest.empty() && rest[0] == '&') {
        base = 8;
        rest.remove_prefix(1);
    }
    if (rest.empty())
        return std::nullopt;

    const std::uint64_t limit = base == 10 ? (negative ? limits.negative : limits.positive) : limits.radix;
    std::uint64_t magnitude = 0;
    for (char c : rest) {
        unsigned d = static_cast<unsigned>(digitValue(c));
        if (d >= base)
            return std::nullopt;
        if (magnitude > (limit - d) / base)
            return std::nullopt;
        magnitude = magnitude * base + d;
    }
    std::uint64_t value = negative ? (~magnitude + 1) : magnitude;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value & 0xFFFFFFFFu));
}

}  // namespace

std::optional<std::int32_t> toInt(std::string_view s)
{
    // A decimal number must fit the signed 64-bit range, one with a radix
    // prefix the unsigned 64-bit range; the low 32 bits are the value.
    constexpr std::uint64_t top = std::uint64_t{1} << 63;
    return parseInteger(s, {top - 1, top, ~std::uint64_t{0}});
}

std::optional<std::int32_t> toInt32(std::string_view s)
{
    constexpr std::uint64_t top = std::uint64_t{1} << 31;
    return parseInteger(s, {top - 1, top, 0xFFFFFFFFu});
}

std::optional<double> toFloat(std::string_view s)
{
    // [+-] (digits [. digits*] | . digits) [(e|E) [+-] digits], nothing else.
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    auto isDigit = [&](std::size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
    std::size_t intDigits = 0, fracDigits = 0;
    while (isDigit(i)) {
        ++i;
        ++intDigits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (isDigit(i)) {
            ++i;
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0)
        return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (!isDigit(i))
            return std::nullopt;
        while (isDigit(i))
            ++i;
    }
    if (i != s.size())
        return std::nullopt;

    std::string body(s.substr(start));
    if (body.front() == '.')
        body.insert(body.begin(), '0');
    double v = 0.0;
    auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), v);
    if (ec != std::errc() || ptr != body.data() + body.size() || !std::isfinite(v))
        return std::nullopt;
    return negative ? -v : v;
}

}  // namespace param_text

void PARAM_ADD(std::string_view NAME, std::string_view VALUE, std::string_view SECTION,
               std::string_view POS_VAL, std::string_view UNITS)
{
    std::lock_guard lock(g_mutex);
    std::string name = cut(NAME);
    PARAM_T* p = findFirstExact(name);
    if (!p) {
        g_list.emplace_back();
        p = &g_list.back();
    }
    p->NAME = std::move(name);
    p->VALUE = cut(VALUE);
    p->SECTION = cut(SECTION);
    p->POS_VAL = cut(POS_VAL);
    p->UNITS = cut(UNITS);
    p->MODIFIED = true;
}

std::int32_t GET_PARAM_INDEX(std::string_view NAME)
{
    std::lock_guard lock(g_mutex);
    return findLastNoCase(NAME);
}

std::string GET_PARAM(std::string_view NAME) { return valueOf(NAME).value_or(std::string()); }

std::int32_t GET_IPARAM(std::string_view NAME) { return param_text::toInt(GET_PARAM(NAME)).value_or(0); }

double GET_FPARAM(std::string_view NAME) { return param_text::toFloat(GET_PARAM(NAME)).value_or(0.0); }

bool GET_BPARAM(std::string_view NAME)
{
    std::string value, posVal;
    {
        std::lock_guard lock(g_mutex);
        int i = findLastNoCase(NAME);
        if (i < 0)
            return false;
        value = g_list[static_cast<std::size_t>(i)].VALUE;
        posVal = g_list[static_cast<std::size_t>(i)].POS_VAL;
    }
    if (value == SPLIT_VALUES(posVal, ";").front())
        return true;
    const std::string up = text::asciiUpper(value);
    return up == "YES" || up == "ON" || up == "1" || up == "TRUE";
}

std::string GET_LPARAM(std::string_view NAME, std::int32_t INDEX)
{
    if (INDEX < 0)
        return {};
    VALUE_LIST parts = SPLIT_VALUES(GET_PARAM(NAME), ";");
    if (static_cast<std::size_t>(INDEX) < parts.size())
        return parts[static_cast<std::size_t>(INDEX)];
    return {};
}

std::int32_t GET_ILPARAM(std::string_view NAME, std::int32_t INDEX)
{
    return param_text::toInt(GET_LPARAM(NAME, INDEX)).value_or(0);
}

void SET_PARAM(std::string_view NAME, std::string_view VALUE)
{
    std::lock_guard lock(g_mutex);
    if (PARAM_T* p = findFirstNoCase(NAME))
        storeValue(*p, VALUE);
}

void SET_PARAM(std::string_view NAME, bool VALUE)
{
    std::lock_guard lock(g_mutex);
    PARAM_T* p = findFirstNoCase(NAME);
    if (!p)
        return;
    VALUE_LIST allowed = SPLIT_VALUES(p->POS_VAL, ";");
    const std::size_t which = VALUE ? 0 : 1;
    // Without an allowed value for the answer there is nothing to store.
    if (which >= allowed.size())
        return;
    storeValue(*p, allowed[which]);
}

bool MOD_PARAM(std::string_view NAME)
{
    std::lock_guard lock(g_mutex);
    int i = findLastNoCase(NAME);
    return i >= 0 && g_list[static_cast<std::size_t>(i)].MODIFIED;
}

VALUE_LIST SPLIT_VALUES(std::string_view STR, std::string_view SEP)
{
    VALUE_LIST out;
    if (SEP.empty()) {
        out.push_back(cut(STR));
        return out;
    }
    const char sep = SEP.front();
    std::size_t pos;
    while ((pos = STR.find(sep)) != std::string_view::npos) {
        out.push_back(cut(STR.substr(0, pos)));
        STR.remove_prefix(pos + 1);
    }
    out.push_back(cut(STR));
    return out;
}

void GET_SECTIONS(SECTION_ARRAY& SECT_LIST, bool HIDDEN)
{
    for (auto& s : SECT_LIST)
        s.clear();
    std::vector<std::string> sections;
    {
        std::lock_guard lock(g_mutex);
        for (const auto& p : g_list)
            sections.push_back(p.SECTION);
    }
    std::size_t next = 0;
    for (const auto& section : sections) {
        if (next >= SECT_LIST.size())
            break;
        bool known = false;
        for (const auto& slot : SECT_LIST)
            known = known || slot == section;
        if (known)
            continue;
        if (!HIDDEN && section.starts_with('-'))
            continue;
        SECT_LIST[next++] = section;
    }
}

std::int32_t PARAM_LEN()
{
    std::lock_guard lock(g_mutex);
    return static_cast<std::int32_t>(g_list.size());
}

std::optional<PARAM_T> PARAM_AT(std::int32_t index)
{
    std::lock_guard lock(g_mutex);
    if (index < 0 || static_cast<std::size_t>(index) >= g_list.size())
        return std::nullopt;
    return g_list[static_cast<std::size_t>(index)];
}

void PARAM_COMMIT(std::int32_t index, std::string_view VALUE, bool MARK_MODIFIED)
{
    std::lock_guard lock(g_mutex);
    if (index < 0 || static_cast<std::size_t>(index) >= g_list.size())
        return;
    PARAM_T& p = g_list[static_cast<std::size_t>(index)];
    p.VALUE = cut(VALUE);
    if (MARK_MODIFIED)
        p.MODIFIED = true;
}

bool PARAM_LOAD_VALUE(std::string_view NAME, std::string_view VALUE)
{
    std::lock_guard lock(g_mutex);
    PARAM_T* p = findFirstExact(NAME);
    if (!p)
        return false;
    p->VALUE = cut(VALUE);
    p->MODIFIED = true;
    return true;
}

void PARAM_CLEAR()
{
    std::lock_guard lock(g_mutex);
    g_list.clear();
}
