#pragma once
// Which files in the program's folder the language chooser offers, and under
// which code: every regular file whose name matches "*.lng.*", its code the
// text after the name's last ".".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace language_files {

// Longest code offered, in bytes.
inline constexpr std::size_t kCodeMax = 80;

// The code a file name offers, or nothing: a name that does not match, and a
// code that could not name its file back ("lng" itself, an empty code, one
// longer than kCodeMax, one that is not UTF-8), are not offered.
std::optional<std::string> codeOf(std::string_view fileName);

// The codes of the regular files in FOLDER, in the platform's order.
std::vector<std::string> codesIn(const std::string& folder);

}  // namespace language_files
