#pragma once
// Small text helpers shared by the core units. Texts are 8-bit (UTF-8).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// Upper case for the letters a to z only; every other byte stays.
std::string asciiUpper(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
bool endsWithNoCase(std::string_view s, std::string_view suffix);

// The first `maxBytes` bytes of `s`, moved back so no UTF-8 character is split.
std::string cutUtf8(std::string_view s, std::size_t maxBytes);

// Removes bytes 0 to 32 at both ends.
std::string trimControl(std::string_view s);

// A whole number in decimal, "-" for a negative one, whatever the locale.
std::string decimal(std::int64_t v);

}  // namespace text
