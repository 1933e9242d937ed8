#pragma once
// The board unit: senders of every frame under its gate, the configuration
// frame built from the parameters, axis positions from encoder counts, and
// the motion output.

#include "board/frames.h"

#include <atomic>
#include <cstdint>

namespace HAL {

// What the senders need of the HID connection.
class Link {
public:
    virtual ~Link() = default;
    // Writes report id 0 followed by the frame when a device is connected and
    // drops it silently otherwise; both decided under the connection's lock,
    // so a disconnect in between never turns into an error box.
    virtual void writeIfConnected(const Frame& frame) = 0;
};

// The connection in use; nullptr drops every frame. Set on the
// user-interface thread by the device window.
void SET_LINK(Link* link);

// The dummy device is selected: motion and service frames are dropped.
extern std::atomic<bool> DUMMY_SELECT;

// The loop's last frame has gone out: every later frame is dropped, so a
// gear write or a reset still running on the user-interface thread cannot
// leave anything but the stop standing on the board. A loop that starts
// lifts it.
void SEAL();
void UNSEAL();
bool SEALED();

// The speeds last given to the motion sender, whether or not the frame went
// out; the device window shows them.
extern std::atomic<std::int32_t> AN_MOT_R, AN_MOT_D;
// The digital-output word; its low byte rides in every motion frame.
extern std::atomic<std::int32_t> DIGIO;

void SEND_CTRL(std::int16_t HOR, std::int16_t VERT, std::int16_t DIGIO);
void SEND_CONF(const Frame& DATA);
void SEND_WD();
void SEND_MASTER_RESET();
void SAVE_HW_CONF();
void SEND_MOT_ENC_ALIGN();
void SEND_POWER_REQUEST();
void SEND_ALIGN_REQUEST();
void SEND_SETUP_REQUEST();
void SEND_RA_GEAR_REQUEST();
void SEND_DE_GEAR_REQUEST();
void SEND_GEAR_RA();
void SEND_GEAR_DE();
void SEND_ENC_VAL(std::int32_t RA_ENC, std::int32_t DE_ENC);
void SEND_RTC_REQUEST();
void SEND_TIMEBASE_REQUEST();
void SEND_TIMEBASE(std::int32_t TIMEBASE);

// The pause between the two master-reset frames; tests replace it.
using PauseFn = void (*)(int milliseconds);
void SET_PAUSE(PauseFn pause);

// Axis angles in arcseconds from encoder counts.
double NORMPOS(std::int32_t ABSPOS, std::int32_t RESOLUTION);
void READPOS(double& RA, double& DE);
void READHWPOS(std::int32_t& HOR, std::int32_t& VERT);
void RAWPOS(std::int32_t& HOR, std::int32_t& VERT, bool INCR);
void SET_CAL(double RA, double DE);
void SET_INC_CAL(double RA, double DE);
// The start-up calibration from the saved park position, run once when the
// mount side starts (and by the device window).
void DEV_INIT_CALIBRATION();
std::int32_t MOVE(double DRA, double DDEC);
void MOVE_BASE(std::int16_t HOR, std::int16_t VERT);
// The motion frame MOVE(0, 0) sends, the loop's last: both axes at rest,
// the digital outputs as they stand.
Frame STOP_FRAME();

}  // namespace HAL
