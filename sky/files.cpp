#include "sky/files.h"

#include "core/text.h"
#include "platform/input_file.h"

#include <cerrno>
#include <sys/stat.h>

namespace skyfiles {
namespace {


std::string mib(std::size_t bytes) { return text::decimal(static_cast<std::int64_t>(bytes / (1024u * 1024u))); }

}  // namespace

ReadResult readWhole(const std::string& path, std::size_t maxBytes)
{
    ReadResult r;
    platform::InputFile in(path);
    if (!in.isOpen()) {
        r.missing = in.error() == ENOENT;
        if (in.error() != 0)
            r.reason = platform::errorText(in.error());
        else
            r.reason = in.type() == S_IFDIR ? "it is a folder" : "it is not a regular file";
        return r;
    }
    const std::string tooLarge = "it is larger than " + mib(maxBytes) + " MiB";
    if (static_cast<std::uint64_t>(in.size()) > maxBytes) {
        r.reason = tooLarge;
        return r;
    }
    r.bytes.reserve(static_cast<std::size_t>(in.size()));
    char buf[65536];
    for (;;) {
        const ssize_t got = in.read(buf, sizeof buf);
        if (got < 0) {
            r.reason = platform::errorText(errno);
            r.bytes.clear();
            return r;
        }
        if (got == 0)
            break;
        // A file that grows while it is read is still bounded.
        if (r.bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            r.reason = tooLarge;
            r.bytes.clear();
            return r;
        }
        r.bytes.append(buf, static_cast<std::size_t>(got));
    }
    r.ok = true;
    return r;
}

std::vector<std::string> splitLines(std::string_view t, std::size_t maxLineBytes)
{
    std::vector<std::string> out;
    if (t.substr(0, 3) == "\xEF\xBB\xBF")
        t.remove_prefix(3);
    std::size_t start = 0;
    const auto take = [&](std::size_t end) {
        const std::string_view line = t.substr(start, end - start);
        // A few bytes past the limit let the cut see where a character ends.
        out.push_back(text::cutUtf8(line.substr(0, maxLineBytes + 4), maxLineBytes));
    };
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '\r' && t[i] != '\n')
            continue;
        take(i);
        if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < t.size())
        take(t.size());
    return out;
}

ReadResult readListLines(const std::string& path, std::vector<std::string>& lines)
{
    ReadResult r = readWhole(path, kMaxListBytes);
    if (!r.ok)
        return r;
    std::vector<std::string> all = splitLines(r.bytes, kMaxListLineBytes);
    r.bytes.clear();
    if (all.size() > kMaxListLines) {
        r.ok = false;
        r.reason = "it has more than " + text::decimal(static_cast<std::int64_t>(kMaxListLines)) + " lines";
        return r;
    }
    lines = std::move(all);
    return r;
}

std::string failureText(std::string_view verb, const std::string& path, const std::string& reason)
{
    return "Could not " + std::string(verb) + " " + path + ": " + reason + ".";
}

}  // namespace skyfiles
