// libFuzzer target: any input report reaches the decoder without a crash, and
// whatever it stores stays inside the range its frame field can carry.

#include "board/frames.h"

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

bool in(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v >= lo && v <= hi; }

bool knownCode(std::uint32_t c)
{
    switch (c) {
    case 0: case 0x04: case 0x09: case 0x12: case 0x13: case 0x26: case 0x27:
    case 0x84: case 0x85: case 0x92: case 0x93: case 0xA0: case 0xC2: case 0xF4:
        return true;
    default:
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The input is a sequence of reports, each prefixed by its length byte.
    std::size_t i = 0;
    while (i < size) {
        const std::size_t n = data[i++] % 12;
        const std::size_t len = n < size - i ? n : size - i;
        const std::uint32_t before = HAL::HW_CONFIG_RECEIVED;
        HAL::DECODE(data + i, len);
        if (len < 8)
            require(HAL::HW_CONFIG_RECEIVED == before);
        i += len;
    }
    const std::int32_t counts = 16777215;
    const HAL::AxisCounts abs = HAL::TEL_POS.load(), inc = HAL::TEL_INC_POS.load();
    require(in(abs.RA, 0, counts) && in(abs.DEC, 0, counts));
    require(in(inc.RA, 0, counts) && in(inc.DEC, 0, counts));
    require(in(HAL::HW_RA_RAMP, 0, 255) && in(HAL::HW_RA_FLAGS, 0, 255));
    require(in(HAL::HW_DE_RAMP, 0, 255) && in(HAL::HW_DE_FLAGS, 0, 255));
    require(in(HAL::HW_MOTOR_POWER, 0, 65535) && in(HAL::RTCMSEC, 0, 65535));
    require(in(HAL::TIMEBASE, 0, 65535) && in(HAL::LST_MS_OFFSET, 0, 65535) && in(HAL::LST_MSEC, 0, 65535));
    require(knownCode(HAL::HW_CONFIG_RECEIVED));
    return 0;
}
