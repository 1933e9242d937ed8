// libFuzzer target: whatever text a parameter holds, its conversions never
// fail loudly: numbers are finite, list parts keep the text bound, and the
// stored text keeps the 255-byte bound.

#include "core/params.h"
#include "tests/fuzz/fuzz_support.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool declared = [] {
        PARAM_ADD("P", "", "s", "Yes;No", "");
        return true;
    }();
    (void)declared;

    const std::string_view text = fuzz::text(data, size);
    if (const auto f = param_text::toFloat(text))
        fuzz::require(std::isfinite(*f));
    param_text::toInt(text);

    SET_PARAM("P", text);
    fuzz::require(GET_PARAM("P").size() <= PARAM_TEXT_MAX);
    fuzz::require(std::isfinite(GET_FPARAM("P")));
    GET_IPARAM("P");
    GET_BPARAM("P");
    for (std::int32_t k = -1; k < 6; ++k) {
        fuzz::require(GET_LPARAM("P", k).size() <= PARAM_TEXT_MAX);
        GET_ILPARAM("P", k);
    }
    const std::size_t cut = text.find('\0');
    const VALUE_LIST parts = SPLIT_VALUES(text.substr(0, cut),
                                          cut == std::string_view::npos ? ";" : text.substr(cut + 1, 1));
    std::size_t total = 0;
    for (const auto& p : parts)
        total += p.size();
    fuzz::require(total <= text.size());
    return 0;
}
