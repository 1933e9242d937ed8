#include "board/frames.h"

namespace HAL {

std::atomic<std::uint8_t> DIG_IN_R{0};
CountPair TEL_POS, TEL_INC_POS;
std::atomic<bool> POS_RECEIVED{false};
std::atomic<bool> HW_RA_MOT_CCW{false}, HW_RA_ENC_CCW{false}, HW_DE_MOT_CCW{false}, HW_DE_ENC_CCW{false};
std::atomic<bool> HW_RA_MOT_ENC_CR{false}, HW_DE_MOT_ENC_CR{false}, HW_CONFIG{false}, HW_CONF_ENC{false},
    HW_ABS_ENC{false};
std::atomic<bool> HW_ENC_SWAP{false};
std::atomic<std::int32_t> HW_RA_RAMP{0}, HW_RA_FLAGS{0}, HW_DE_RAMP{0}, HW_DE_FLAGS{0};
std::atomic<std::int32_t> HW_RA_GEAR{0}, HW_DE_GEAR{0};
std::atomic<std::int32_t> HW_MOTOR_POWER{0};
std::atomic<std::int32_t> TIMEBASE{0}, LST_MS_OFFSET{0}, LST_MSEC{0}, RTC{0}, RTCMSEC{0};
std::atomic<std::uint32_t> HW_CONFIG_RECEIVED{0};

namespace {

std::uint8_t hi(std::int32_t v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); }
std::uint8_t lo(std::int32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
bool bit(std::uint8_t b, int n) { return (b >> n) & 1; }

std::int32_t be16(const std::uint8_t* d) { return (d[0] << 8) | d[1]; }
std::int32_t be24(const std::uint8_t* d) { return (d[0] << 16) | (d[1] << 8) | d[2]; }
std::int32_t be32(const std::uint8_t* d)
{
    const std::uint32_t u = (std::uint32_t{d[0]} << 24) | (std::uint32_t{d[1]} << 16) |
                            (std::uint32_t{d[2]} << 8) | std::uint32_t{d[3]};
    return static_cast<std::int32_t>(u);
}

void decodeService(const std::uint8_t* d)
{
    const std::uint8_t code = d[7];
    switch (code) {
    case CODE_ALIGN_REQUEST:
        HW_RA_MOT_CCW = bit(d[1], 0);
        HW_RA_ENC_CCW = bit(d[1], 1);
        HW_RA_MOT_ENC_CR = bit(d[1], 2);
        HW_DE_MOT_CCW = bit(d[2], 0);
        HW_DE_ENC_CCW = bit(d[2], 1);
        HW_DE_MOT_ENC_CR = bit(d[2], 2);
        HW_ENC_SWAP = bit(d[3], 0);
        HW_CONFIG = bit(d[3], 4);
        HW_CONF_ENC = true;
        break;
    case CODE_RA_GEAR_REQUEST:
        HW_RA_RAMP = d[1];
        HW_RA_FLAGS = d[2];
        HW_RA_GEAR = be32(d + 3);
        break;
    case CODE_DE_GEAR_REQUEST:
        HW_DE_RAMP = d[1];
        HW_DE_FLAGS = d[2];
        HW_DE_GEAR = be32(d + 3);
        break;
    case CODE_SETUP_REQUEST:
        HW_ABS_ENC = bit(d[1], 3);
        break;
    case CODE_POWER_REQUEST:
        HW_MOTOR_POWER = be16(d + 5);
        break;
    case CODE_TIMEBASE_REQUEST:
        TIMEBASE = be16(d + 1);
        LST_MS_OFFSET = be16(d + 3);
        LST_MSEC = be16(d + 5);
        break;
    case CODE_RTC_REQUEST:
        RTC = be32(d + 1);
        RTCMSEC = be16(d + 5);
        break;
    case CODE_TIMEBASE:
    case CODE_ACK_09:
    case CODE_GEAR_RA:
    case CODE_GEAR_DE:
    case CODE_ALIGN:
    case CODE_ENC_VAL:
        break;  // acknowledgements carry no values
    default:
        return;  // not a reply: the mailbox keeps what it holds
    }
    HW_CONFIG_RECEIVED.store(code, std::memory_order_release);
}

}  // namespace

Frame MOTION_FRAME(std::int16_t HOR, std::int16_t VERT, std::int32_t DIGIO)
{
    return {TYPE_MOTION, hi(HOR), lo(HOR), hi(VERT), lo(VERT), lo(DIGIO), 0, 0};
}

Frame SERVICE_FRAME(std::uint8_t code) { return {TYPE_SERVICE, 0, 0, 0, 0, 0, 0, code}; }

Frame MASTER_RESET_FRAME(int which)
{
    const std::uint8_t v = which == 0 ? 0x55 : 0xAA;
    return {TYPE_SERVICE, v, v, v, v, v, v, CODE_MASTER_RESET};
}

Frame CONFIG_FRAME(bool raMotCcw, bool raEncCcw, bool deMotCcw, bool deEncCcw, bool encSwap,
                   bool equatorial)
{
    const auto b = [](bool v, int n) { return static_cast<std::uint8_t>(v ? 1u << n : 0u); };
    return {TYPE_SERVICE,
            static_cast<std::uint8_t>(b(raMotCcw, 0) | b(raEncCcw, 1)),
            static_cast<std::uint8_t>(b(deMotCcw, 0) | b(deEncCcw, 1)),
            static_cast<std::uint8_t>(b(encSwap, 0) | b(equatorial, 5)),
            0, 0, 0, CODE_CONFIG};
}

Frame MOT_ENC_ALIGN_FRAME() { return {TYPE_SERVICE, 0x04, 0, 0, 0, 0, 0, CODE_ALIGN}; }

Frame GEAR_FRAME(std::uint8_t code, std::int32_t ramp, std::int32_t flags, std::int32_t gear)
{
    const auto g = static_cast<std::uint32_t>(gear);
    return {TYPE_SERVICE, lo(ramp), lo(flags),
            static_cast<std::uint8_t>(g >> 24), static_cast<std::uint8_t>(g >> 16),
            static_cast<std::uint8_t>(g >> 8), static_cast<std::uint8_t>(g), code};
}

Frame ENC_VAL_FRAME(std::int32_t RA_ENC, std::int32_t DE_ENC)
{
    return {TYPE_SERVICE, hi(RA_ENC), lo(RA_ENC), hi(DE_ENC), lo(DE_ENC), 0, 0, CODE_ENC_VAL};
}

Frame TIMEBASE_FRAME(std::int32_t timeBase, std::int32_t msOffset, std::int32_t msec)
{
    return {TYPE_SERVICE, hi(timeBase), lo(timeBase), hi(msOffset), lo(msOffset),
            hi(msec), lo(msec), CODE_TIMEBASE};
}

bool TAKE_REPLY(std::uint32_t code)
{
    std::uint32_t expected = code;
    return code != 0 &&
           HW_CONFIG_RECEIVED.compare_exchange_strong(expected, 0, std::memory_order_acq_rel);
}

void DECODE(const std::uint8_t* data, std::size_t length)
{
    if (!data || length < 8)
        return;
    switch (data[0]) {
    case TYPE_ABS_ENCODER:
        DIG_IN_R = data[1];
        TEL_POS.store({be24(data + 2), be24(data + 5)});
        POS_RECEIVED = true;
        break;
    case TYPE_INC_ENCODER:
        DIG_IN_R = data[1];
        TEL_INC_POS.store({be24(data + 2), be24(data + 5)});
        POS_RECEIVED = true;
        break;
    case TYPE_SERVICE:
        decodeService(data);
        break;
    default:
        break;
    }
}

void RESET_BOARD_VALUES()
{
    DIG_IN_R = 0;
    TEL_POS.store({});
    TEL_INC_POS.store({});
    POS_RECEIVED = false;
    HW_RA_MOT_CCW = HW_RA_ENC_CCW = HW_DE_MOT_CCW = HW_DE_ENC_CCW = false;
    HW_RA_MOT_ENC_CR = HW_DE_MOT_ENC_CR = HW_CONFIG = HW_CONF_ENC = HW_ABS_ENC = false;
    HW_ENC_SWAP = false;
    HW_RA_RAMP = HW_RA_FLAGS = HW_DE_RAMP = HW_DE_FLAGS = 0;
    HW_RA_GEAR = HW_DE_GEAR = 0;
    HW_MOTOR_POWER = 0;
    TIMEBASE = LST_MS_OFFSET = LST_MSEC = RTC = RTCMSEC = 0;
    HW_CONFIG_RECEIVED = 0;
}

}  // namespace HAL
