#include "platform/hid_descriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace platform {
namespace {

struct Globals {
    std::uint64_t reportSize = 0;
    std::uint64_t reportCount = 0;
    std::uint8_t reportId = 0;
};

// Reports that carry no bit are none: a Report Count of 0 must not make a
// direction look readable.
std::uint16_t lengthOf(const std::map<std::uint8_t, std::uint64_t>& bitsById)
{
    std::uint64_t most = 0;
    for (const auto& [id, bits] : bitsById)
        most = std::max(most, bits);
    if (most == 0)
        return 0;
    const std::uint64_t bytes = (most + 7) / 8 + 1;
    return static_cast<std::uint16_t>(std::min<std::uint64_t>(bytes, 0xFFFF));
}

}  // namespace

std::optional<HidDescriptorFacts> parseReportDescriptor(std::span<const std::uint8_t> d)
{
    constexpr int kMain = 0, kGlobal = 1;
    constexpr int kInput = 8, kOutput = 9;
    constexpr int kReportSize = 7, kReportId = 8, kReportCount = 9, kPush = 10, kPop = 11;
    // Caps far above any real report keep the sums clear of overflow.
    constexpr std::uint64_t kCap = 0xFFFF;
    constexpr std::uint64_t kBitsCap = std::uint64_t{1} << 40;

    HidDescriptorFacts facts;
    Globals g;
    std::vector<Globals> stack;
    std::map<std::uint8_t, std::uint64_t> inBits, outBits;

    std::size_t i = 0;
    while (i < d.size()) {
        const std::uint8_t prefix = d[i];
        if (prefix == 0xFE) {  // long item: size, tag, data; none is used
            if (i + 2 >= d.size())
                return std::nullopt;
            const std::size_t next = i + 3 + d[i + 1];
            if (next > d.size())
                return std::nullopt;
            i = next;
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (i + 1 + size > d.size())
            return std::nullopt;
        std::uint64_t value = 0;
        for (std::size_t k = 0; k < size; ++k)
            value |= std::uint64_t{d[i + 1 + k]} << (8 * k);
        i += 1 + size;

        if (type == kGlobal) {
            switch (tag) {
            case kReportSize: g.reportSize = std::min(value, kCap); break;
            case kReportCount: g.reportCount = std::min(value, kCap); break;
            case kReportId:
                g.reportId = static_cast<std::uint8_t>(value);
                facts.numberedReports = true;
                break;
            case kPush: stack.push_back(g); break;
            case kPop:
                if (!stack.empty()) {
                    g = stack.back();
                    stack.pop_back();
                }
                break;
            default: break;
            }
        } else if (type == kMain && (tag == kInput || tag == kOutput)) {
            auto& bits = (tag == kInput ? inBits : outBits)[g.reportId];
            bits = std::min(bits + g.reportSize * g.reportCount, kBitsCap);
        }
    }
    facts.lengths.input = lengthOf(inBits);
    facts.lengths.output = lengthOf(outBits);
    return facts;
}

}  // namespace platform
