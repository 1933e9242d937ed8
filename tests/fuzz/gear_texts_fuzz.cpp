// libFuzzer target: the gear texts of the set-up and the encoder pulses the
// operator types take any text; what they accept is a number the board
// takes, and that number written out reads back as itself.

#include "board/control.h"
#include "core/text.h"
#include "setup/setup_flow.h"
#include "tests/fuzz/fuzz_support.h"

#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The right ascension and declination texts, split at the first NUL.
    const std::string_view all = fuzz::text(data, size);
    const std::size_t cut = all.find('\0');
    const std::string_view ra = all.substr(0, cut);
    const std::string_view de = cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1);

    const auto gears = setup_flow::parseGearTexts(ra, de);
    if (const auto* g = std::get_if<setup_flow::GearValues>(&gears)) {
        fuzz::require(g->ra >= 1 && g->de >= 1);
        const auto again = setup_flow::parseGearTexts(text::decimal(g->ra), text::decimal(g->de));
        const auto* same = std::get_if<setup_flow::GearValues>(&again);
        fuzz::require(same && same->ra == g->ra && same->de == g->de);
    } else {
        const std::string& why = std::get<std::string>(gears);
        fuzz::require(why.find("Nothing was written to the board.") != std::string::npos);
    }

    for (const std::string_view t : {all, ra, de}) {
        const std::optional<std::int32_t> pulses = CONTROL::ENCODER_PULSES(t);
        if (!pulses)
            continue;
        fuzz::require(*pulses >= 1 && *pulses <= 65535);
        fuzz::require(CONTROL::ENCODER_PULSES(text::decimal(*pulses)) == pulses);
    }
    return 0;
}
