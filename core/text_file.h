#pragma once
// Reads a text file line by line in bounded memory, whatever the file holds.

#include <functional>
#include <string>

namespace text {

struct LineRules {
    // Longest line kept, in bytes; the rest of a longer line is skipped.
    // The cut never splits a UTF-8 character.
    std::size_t maxLineBytes = 255;
    // Byte 0x1A ends the text (the old end-of-file mark).
    bool subEndsText = false;
};

// Calls `line` for every line; lines end at CR LF, LF or a lone CR, and the
// last line needs no end. False when the file cannot be opened or a read
// fails (lines read before the failure have been delivered).
bool readLines(const std::string& path, const LineRules& rules,
               const std::function<void(const std::string&)>& line);

}  // namespace text
