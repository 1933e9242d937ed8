// libFuzzer target: any preselect list file is read in bounded memory, and an
// entry read from it is written back as a line that reads as the same entry
// whenever its texts can travel (no blank or control byte where the format
// has no room for one; an empty name comes back as one blank).

#include "sky/files.h"
#include "sky/rows.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool plain(std::string_view s, bool innerBlanks)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        const bool inner = i > 0 && i + 1 < s.size();
        if (c < 0x20 || (c == ' ' && !(innerBlanks && inner)))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> lines;
    const skyfiles::ReadResult r = skyfiles::readListLines(fuzz::inputFile(data, size), lines);
    fuzz::require(r.ok);
    for (const std::string& line : lines) {
        const sky::ObjectTexts t = sky::PARSE_PRESELECT_LINE(line);
        fuzz::require(!(t.ra.empty() && !t.dec.empty()) && !(t.name.empty() && !t.ra.empty()));
        std::string written = sky::PRESELECT_LINE(t);
        fuzz::require(written.size() >= 2 && written.substr(written.size() - 2) == "\r\n");
        written.resize(written.size() - 2);
        if (plain(t.name, true) && plain(t.ra, false) && plain(t.dec, false)) {
            // An empty name travels as one "_", which reads as a blank.
            sky::ObjectTexts back = t;
            if (back.name.empty())
                back.name = " ";
            fuzz::require(sky::PARSE_PRESELECT_LINE(written) == back);
        }
    }
    return 0;
}
