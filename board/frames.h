#pragma once
// The wire format between the program and the Tarnel2 board: the frames the
// program sends, the decoder of the board's input reports, and the board
// values decoding fills. Nothing here touches the HID connection; the senders
// in hal.h put the frames on the wire.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace HAL {

// Eight bytes: type, values, and for service frames the code in byte 7.
using Frame = std::array<std::uint8_t, 8>;

inline constexpr std::uint8_t TYPE_MOTION = 0x05;       // out
inline constexpr std::uint8_t TYPE_ABS_ENCODER = 0x05;  // in
inline constexpr std::uint8_t TYPE_INC_ENCODER = 0x03;  // in
inline constexpr std::uint8_t TYPE_SERVICE = 0xF0;      // both ways

// Service codes (byte 7).
enum ServiceCode : std::uint8_t {
    CODE_TIMEBASE = 0x04,
    CODE_ACK_09 = 0x09,
    CODE_GEAR_RA = 0x12,
    CODE_GEAR_DE = 0x13,
    CODE_ALIGN = 0x26,
    CODE_ENC_VAL = 0x27,
    CODE_CONFIG = 0x42,
    CODE_WATCHDOG = 0x55,
    CODE_TIMEBASE_REQUEST = 0x84,
    CODE_RTC_REQUEST = 0x85,
    CODE_RA_GEAR_REQUEST = 0x92,
    CODE_DE_GEAR_REQUEST = 0x93,
    CODE_SETUP_REQUEST = 0xA0,
    CODE_ALIGN_REQUEST = 0xC2,
    CODE_MASTER_RESET = 0xF0,
    CODE_POWER_REQUEST = 0xF4,
};

// Frame builders. Values are cut to the bytes the frame carries.
Frame MOTION_FRAME(std::int16_t HOR, std::int16_t VERT, std::int32_t DIGIO);
Frame SERVICE_FRAME(std::uint8_t code);  // a request: F0 00 .. 00 code
Frame MASTER_RESET_FRAME(int which);     // 0: the 55 frame, 1: the AA frame
Frame CONFIG_FRAME(bool raMotCcw, bool raEncCcw, bool deMotCcw, bool deEncCcw, bool encSwap,
                   bool equatorial);
Frame MOT_ENC_ALIGN_FRAME();
Frame GEAR_FRAME(std::uint8_t code, std::int32_t ramp, std::int32_t flags, std::int32_t gear);
Frame ENC_VAL_FRAME(std::int32_t RA_ENC, std::int32_t DE_ENC);
Frame TIMEBASE_FRAME(std::int32_t TIMEBASE, std::int32_t LST_MS_OFFSET, std::int32_t LST_MSEC);

// Board values, written by the decoder on the user-interface thread and read
// by the control loop: every one is read and written whole.
extern std::atomic<std::uint8_t> DIG_IN_R;
// The two axis counts of one encoder frame. They are published and read as
// one value, so a reading never mixes the counts of two frames.
struct AxisCounts {
    std::int32_t RA = 0, DEC = 0;
    bool operator==(const AxisCounts&) const = default;
};
class CountPair {
public:
    AxisCounts load() const
    {
        const std::uint64_t v = bits_.load();
        return {static_cast<std::int32_t>(static_cast<std::uint32_t>(v >> 32)),
                static_cast<std::int32_t>(static_cast<std::uint32_t>(v))};
    }
    void store(AxisCounts c)
    {
        bits_.store(std::uint64_t{static_cast<std::uint32_t>(c.RA)} << 32 | static_cast<std::uint32_t>(c.DEC));
    }

private:
    std::atomic<std::uint64_t> bits_{0};
};
extern CountPair TEL_POS;      // absolute encoder frames
extern CountPair TEL_INC_POS;  // incremental encoder frames
extern std::atomic<bool> POS_RECEIVED;
extern std::atomic<bool> HW_RA_MOT_CCW, HW_RA_ENC_CCW, HW_DE_MOT_CCW, HW_DE_ENC_CCW;
extern std::atomic<bool> HW_RA_MOT_ENC_CR, HW_DE_MOT_ENC_CR, HW_CONFIG, HW_CONF_ENC, HW_ABS_ENC;
// The encoder swap the board reports (direction reply, byte 3 bit 0) or was
// last written; the set-up wizard learns the swap against it.
extern std::atomic<bool> HW_ENC_SWAP;
extern std::atomic<std::int32_t> HW_RA_RAMP, HW_RA_FLAGS, HW_DE_RAMP, HW_DE_FLAGS;
extern std::atomic<std::int32_t> HW_RA_GEAR, HW_DE_GEAR;
extern std::atomic<std::int32_t> HW_MOTOR_POWER;
extern std::atomic<std::int32_t> TIMEBASE, LST_MS_OFFSET, LST_MSEC, RTC, RTCMSEC;

// The reply mailbox: code byte of the last recognised service reply, 0 when
// empty. Stored after the reply's values, so a reader that sees a code sees
// its values too. A party waiting for a code takes it with TAKE_REPLY.
extern std::atomic<std::uint32_t> HW_CONFIG_RECEIVED;
// Compare-and-clear: true (and the mailbox emptied) when it held `code`.
bool TAKE_REPLY(std::uint32_t code);

// Decodes one input report's data bytes (the report id left off). A report
// of fewer than eight data bytes is not a frame and changes nothing.
void DECODE(const std::uint8_t* data, std::size_t length);

// Puts every board value back to its start value (tests; a new run).
void RESET_BOARD_VALUES();

}  // namespace HAL
