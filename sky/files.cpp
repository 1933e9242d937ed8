#include "sky/files.h"

#include "core/text.h"
#include "platform/input_file.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace skyfiles {
namespace {

std::string mib(std::size_t bytes) { return text::decimal(static_cast<std::int64_t>(bytes / (1024u * 1024u))); }

// Opens a regular file of at most maxBytes and hands its content on in
// pieces until `take` says stop. On a failure r says why.
template <typename Take>
void readPieces(const std::string& path, std::size_t maxBytes, ReadResult& r, Take take)
{
    platform::InputFile in(path);
    if (!in.isOpen()) {
        r.missing = in.error() == ENOENT;
        if (in.error() != 0)
            r.reason = platform::errorText(in.error());
        else
            r.reason = in.type() == S_IFDIR ? "it is a folder" : "it is not a regular file";
        return;
    }
    const std::string tooLarge = "it is larger than " + mib(maxBytes) + " MiB";
    if (static_cast<std::uint64_t>(in.size()) > maxBytes) {
        r.reason = tooLarge;
        return;
    }
    std::size_t total = 0;
    char buf[65536];
    for (;;) {
        const ssize_t got = in.read(buf, sizeof buf);
        if (got < 0) {
            r.reason = platform::errorText(errno);
            return;
        }
        if (got == 0)
            break;
        // A file that grows while it is read is still bounded.
        total += static_cast<std::size_t>(got);
        if (total > maxBytes) {
            r.reason = tooLarge;
            return;
        }
        if (!take(std::string_view(buf, static_cast<std::size_t>(got))))
            return;
    }
    r.ok = true;
}

}  // namespace

ReadResult readWhole(const std::string& path, std::size_t maxBytes)
{
    ReadResult r;
    readPieces(path, maxBytes, r, [&](std::string_view piece) {
        r.bytes.append(piece);
        return true;
    });
    if (!r.ok)
        r.bytes.clear();
    return r;
}

void LineSplitter::feed(std::string_view piece)
{
    if (started_) {
        take(piece);
        return;
    }
    const std::string_view bom = "\xEF\xBB\xBF";
    const std::size_t n = std::min(piece.size(), bom.size() - head_.size());
    head_.append(piece.substr(0, n));
    if (head_.size() < bom.size() && head_ == bom.substr(0, head_.size()))
        return;  // too few bytes yet to tell
    started_ = true;
    if (head_ != bom)
        take(head_);
    head_.clear();
    take(piece.substr(n));
}

void LineSplitter::take(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (afterCr_) {
            afterCr_ = false;
            if (bytes[i] == '\n') {
                ++i;
                continue;
            }
        }
        const std::size_t end = bytes.find_first_of("\r\n", i);
        const std::string_view part = bytes.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
        // A few bytes past the limit let the cut see where a character ends.
        const std::size_t room = max_ + 4 > line_.size() ? max_ + 4 - line_.size() : 0;
        line_.append(part.substr(0, room));
        open_ = open_ || !part.empty();
        if (end == std::string_view::npos)
            return;
        afterCr_ = bytes[end] == '\r';
        endLine();
        i = end + 1;
    }
}

void LineSplitter::endLine()
{
    out_.push_back(text::cutUtf8(line_, max_));
    line_.clear();
    open_ = false;
}

void LineSplitter::finish()
{
    if (!started_) {
        started_ = true;
        if (head_ != "\xEF\xBB\xBF")
            take(head_);
        head_.clear();
    }
    if (open_)
        endLine();
}

std::vector<std::string> splitLines(std::string_view t, std::size_t maxLineBytes)
{
    std::vector<std::string> out;
    LineSplitter split(maxLineBytes, out);
    split.feed(t);
    split.finish();
    return out;
}

ReadResult readListLines(const std::string& path, std::vector<std::string>& lines)
{
    ReadResult r;
    std::vector<std::string> read;
    LineSplitter split(kMaxListLineBytes, read);
    const std::string tooMany = "it has more than " + text::decimal(static_cast<std::int64_t>(kMaxListLines)) + " lines";
    readPieces(path, kMaxListBytes, r, [&](std::string_view piece) {
        split.feed(piece);
        if (read.size() <= kMaxListLines)
            return true;
        r.reason = tooMany;
        return false;
    });
    if (!r.ok)
        return r;
    split.finish();
    if (read.size() > kMaxListLines) {
        r.ok = false;
        r.reason = tooMany;
        return r;
    }
    lines = std::move(read);
    return r;
}

std::string failureText(std::string_view verb, const std::string& path, const std::string& reason)
{
    return "Could not " + std::string(verb) + " " + path + ": " + reason + ".";
}

}  // namespace skyfiles
