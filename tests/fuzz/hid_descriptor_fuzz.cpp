// libFuzzer target: any report descriptor a device hands over is parsed
// without a crash, and a length it gives leaves room for the report id and
// at least one data byte, or is 0 for a direction without data.

#include "platform/hid_descriptor.h"
#include "tests/fuzz/fuzz_support.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto facts = platform::parseReportDescriptor({data, size});
    if (!facts)
        return 0;
    for (const std::uint16_t length : {facts->lengths.input, facts->lengths.output})
        fuzz::require(length == 0 || length >= 2);
    return 0;
}
