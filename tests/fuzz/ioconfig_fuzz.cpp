// libFuzzer target: any output-panel description is read without a crash
// into a bounded plan whose every row lies in a group, whose every group
// holds its rows, and whose panel holds every group that has rows.

#include "tests/fuzz/fuzz_support.h"
#include "tools/ioconfig.h"

namespace {

bool holds(const ioconfig::Rect& outer, const ioconfig::Rect& inner)
{
    return inner.left + inner.width <= outer.width && inner.top + inner.height <= outer.height;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ioconfig::Plan plan = ioconfig::readFile(fuzz::inputFile(data, size));
    fuzz::require(plan.groups.size() <= ioconfig::kMaxGroups && plan.rows.size() <= ioconfig::kMaxRows);
    fuzz::require(plan.clientWidth >= 0 && plan.clientHeight >= 0);
    for (const ioconfig::Group& g : plan.groups) {
        fuzz::require(g.caption.size() <= ioconfig::kLineMax);
        fuzz::require(g.place.width >= ioconfig::kGroupWidth && g.place.height >= ioconfig::kGroupHeight);
    }
    for (const ioconfig::Row& r : plan.rows) {
        fuzz::require(r.group < plan.groups.size());
        fuzz::require(r.label.size() <= ioconfig::kLineMax && r.bits.size() <= ioconfig::kLineMax);
        const ioconfig::Group& g = plan.groups[r.group];
        fuzz::require(holds(g.place, r.labelPlace));
        if (r.kind != ioconfig::Kind::LabelOnly)
            fuzz::require(holds(g.place, r.control));
        fuzz::require(g.place.left + g.place.width <= plan.clientWidth);
        fuzz::require(g.place.top + g.place.height <= plan.clientHeight);
        if (const auto bits = ioconfig::bitsValue(r.bits))
            fuzz::require((ioconfig::toggled(0, *bits, false) & ~0xFF) == 0);
    }
    return 0;
}
