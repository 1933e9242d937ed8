// libFuzzer target: any elements file gives, for every body, either a
// direction within its ranges or a reason, and never loops without end.

#include "sky/planets.h"
#include "tests/fuzz/fuzz_support.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view file = fuzz::text(data, size);
    for (const char* body : {"Earth", "Sun", "Mercury", "Mars", "Pluto", "EARTH"}) {
        for (double day : {0.0, 8825.5, -36525.0, 1e7}) {
            double ra = -1, dec = -1;
            std::string problem;
            if (PLANETS::CALCULATE(file, body, day, ra, dec, problem)) {
                fuzz::require(ra >= 0 && ra <= 360 && std::fabs(dec) <= 90);
                fuzz::require(problem.empty());
                fuzz::require(PLANETS::REALTOHOUR(ra * 3600).size() <= 16);
            } else {
                fuzz::require(!problem.empty() && ra == -1 && dec == -1);
            }
        }
    }
    return 0;
}
