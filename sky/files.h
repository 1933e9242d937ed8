#pragma once
// Reading and writing the sky windows' files whole: a file is read into
// memory before anything is made of it, so a failed read changes nothing,
// and a file is replaced only once all of its new content is written.
// Whatever a file holds, reading it takes bounded memory and time.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace skyfiles {

// Largest list file (object and preselect lists) and its most lines.
inline constexpr std::size_t kMaxListBytes = 16u * 1024u * 1024u;
inline constexpr std::size_t kMaxListLines = 200000;
// Longest list line kept; the rest of a longer line is dropped.
inline constexpr std::size_t kMaxListLineBytes = 1024;

struct ReadResult {
    bool ok = false;
    bool missing = false;  // nothing of that name exists
    std::string bytes;
    std::string reason;    // why it failed, for the operator
};

// The whole content of a regular file of at most maxBytes. Anything else (a
// folder, a FIFO, a device) fails without blocking.
ReadResult readWhole(const std::string& path, std::size_t maxBytes);

// The lines of a text: CR LF, LF or a lone CR end a line, the last line needs
// no end, and a UTF-8 byte-order mark in front is dropped. Each line keeps at
// most maxLineBytes, cut where no UTF-8 character is split.
std::vector<std::string> splitLines(std::string_view text, std::size_t maxLineBytes);

// splitLines for a text that comes in pieces: the lines so far are appended
// to `out` as each piece comes, and no more of a long line is held than is
// kept, so memory follows the lines kept, not the text.
class LineSplitter {
public:
    LineSplitter(std::size_t maxLineBytes, std::vector<std::string>& out) : max_(maxLineBytes), out_(out) {}
    void feed(std::string_view piece);
    // The last line, when it has no end.
    void finish();

private:
    void take(std::string_view bytes);
    void endLine();

    std::size_t max_;
    std::vector<std::string>& out_;
    std::string head_;  // the first bytes, until it is known whether they are a byte-order mark
    bool started_ = false;
    bool afterCr_ = false;  // an LF next ends no line: it belongs to that CR
    bool open_ = false;     // a line has begun since the last end
    std::string line_;      // its bytes, at most a few past max_
};

// A list file read into lines; fails with a reason when it cannot be read,
// is larger than kMaxListBytes or has more than kMaxListLines. The lines are
// counted while the file is read, and the reading stops at the bound; on a
// failure `lines` keeps what it held.
ReadResult readListLines(const std::string& path, std::vector<std::string>& lines);

// "Could not read <path>: <reason>", the one box a failed file shows.
std::string failureText(std::string_view verb, const std::string& path, const std::string& reason);

}  // namespace skyfiles
