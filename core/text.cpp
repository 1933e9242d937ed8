#include "core/text.h"

#include <charconv>

namespace text {

namespace {
char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool isControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
}  // namespace

std::string asciiUpper(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = upper(c);
    return r;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i]))
            return false;
    return true;
}

bool endsWithNoCase(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && equalsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

std::string cutUtf8(std::string_view s, std::size_t maxBytes)
{
    if (s.size() <= maxBytes)
        return std::string(s);
    // A continuation byte at the cut means the character before it started
    // earlier; a UTF-8 character has at most three continuation bytes, so
    // anything longer is not UTF-8 and is cut where asked.
    std::size_t n = maxBytes;
    for (int back = 0; back < 3 && n > 0 && isContinuation(s[n]); ++back)
        --n;
    if (isContinuation(s[n]))
        n = maxBytes;
    return std::string(s.substr(0, n));
}

std::string trimControl(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && isControlOrBlank(s[b]))
        ++b;
    while (e > b && isControlOrBlank(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}

std::string decimal(std::int64_t v)
{
    char buf[24];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, ec == std::errc() ? ptr : buf);
}

}  // namespace text
