// libFuzzer target: any settings file is read without a crash; it only ever
// sets declared parameters, to texts of at most 255 bytes, and every typed
// getter gives a finite value afterwards.

#include "core/params.h"
#include "core/system_init.h"
#include "tests/fuzz/fuzz_support.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PARAM_CLEAR();
    system_init::INIT_PARAM();
    const std::int32_t declared = PARAM_LEN();
    LOAD_PARAM(fuzz::inputFile(data, size), "");
    fuzz::require(PARAM_LEN() == declared);
    for (std::int32_t i = 0; i < declared; ++i) {
        const auto p = PARAM_AT(i);
        fuzz::require(p.has_value() && p->VALUE.size() <= PARAM_TEXT_MAX);
        fuzz::require(std::isfinite(GET_FPARAM(p->NAME)));
        GET_IPARAM(p->NAME);
        GET_BPARAM(p->NAME);
        for (std::int32_t k = -1; k < 4; ++k)
            fuzz::require(GET_LPARAM(p->NAME, k).size() <= PARAM_TEXT_MAX);
    }
    return 0;
}
