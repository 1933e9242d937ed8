#include "core/text_file.h"

#include "core/text.h"
#include "platform/input_file.h"

namespace text {

bool readLines(const std::string& path, const LineRules& rules,
               const std::function<void(const std::string&)>& line)
{
    platform::InputFile in(path);
    if (!in.isOpen())
        return false;

    // Keep a few bytes past the limit so the cut can see where a character ends.
    const std::size_t keep = rules.maxLineBytes + 4;
    std::string current;
    bool pending = false;  // bytes of an unfinished line were read
    bool afterCr = false;
    char buf[4096];
    auto flush = [&] {
        line(cutUtf8(current, rules.maxLineBytes));
        current.clear();
        pending = false;
    };
    for (;;) {
        const ssize_t got = in.read(buf, sizeof buf);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        for (ssize_t k = 0; k < got; ++k) {
            const char c = buf[k];
            if (afterCr) {
                afterCr = false;
                if (c == '\n')
                    continue;
            }
            if (rules.subEndsText && c == '\x1A') {
                if (pending)
                    flush();
                return true;
            }
            if (c == '\r' || c == '\n') {
                afterCr = c == '\r';
                flush();
                continue;
            }
            pending = true;
            if (current.size() < keep)
                current.push_back(c);
        }
    }
    if (pending)
        flush();
    return true;
}

}  // namespace text
