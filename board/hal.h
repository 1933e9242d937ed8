#pragma once
// The board unit: senders of every frame under its gate, the configuration
// frame built from the parameters, axis positions from encoder counts, and
// the motion output.

#include "board/frames.h"

#include <atomic>
#include <cstdint>

namespace HAL {

// Names a connection to a board: frames and exchanges built from what one
// connection told belong to it, and are not written to another.
using Connection = std::uint64_t;
// A frame that may go to whichever connection is up when it is written (the
// stop, the watchdog).
inline constexpr Connection ANY_CONNECTION = ~Connection{0};

// What the senders need of the HID connection.
class Link {
public:
    virtual ~Link() = default;
    // Writes report id 0 followed by the frame when a device is connected and
    // drops it silently otherwise; both decided under the connection's lock,
    // so a disconnect in between never turns into an error box.
    virtual void writeIfConnected(const Frame& frame) = 0;
    // The connection up now; one that never changes unless overridden.
    virtual Connection connection() const { return 1; }
    // As writeIfConnected, and only while `builtFor` (or any, for
    // ANY_CONNECTION) is the connection up, decided under the same lock;
    // false when the frame was dropped for that.
    virtual bool writeFor(const Frame& frame, Connection builtFor)
    {
        if (builtFor != ANY_CONNECTION && builtFor != connection())
            return false;
        writeIfConnected(frame);
        return true;
    }
};

// The connection in use; nullptr drops every frame. Set on the
// user-interface thread by the device window.
void SET_LINK(Link* link);
// The link's connection up now; 0 without a link.
Connection CURRENT_CONNECTION();

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

// Each sender's `builtFor` is the connection its frame is for (see Link::writeFor).
void SEND_CTRL(std::int16_t HOR, std::int16_t VERT, std::int16_t DIGIO, Connection builtFor = ANY_CONNECTION);
void SEND_CONF(const Frame& DATA, Connection builtFor = ANY_CONNECTION);
void SEND_WD();
void SEND_MASTER_RESET();
// The configuration frame from the parameters. The board values it sets
// mirror it, also where it is dropped for want of a board, but not where
// another connection than the one it was for is up.
void SAVE_HW_CONF(Connection builtFor = ANY_CONNECTION);
void SEND_MOT_ENC_ALIGN(Connection builtFor = ANY_CONNECTION);
void SEND_POWER_REQUEST(Connection builtFor = ANY_CONNECTION);
void SEND_ALIGN_REQUEST(Connection builtFor = ANY_CONNECTION);
void SEND_SETUP_REQUEST(Connection builtFor = ANY_CONNECTION);
void SEND_RA_GEAR_REQUEST(Connection builtFor = ANY_CONNECTION);
void SEND_DE_GEAR_REQUEST(Connection builtFor = ANY_CONNECTION);
void SEND_GEAR_RA(Connection builtFor = ANY_CONNECTION);
void SEND_GEAR_DE(Connection builtFor = ANY_CONNECTION);
void SEND_ENC_VAL(std::int32_t RA_ENC, std::int32_t DE_ENC, Connection builtFor = ANY_CONNECTION);
void SEND_RTC_REQUEST(Connection builtFor = ANY_CONNECTION);
void SEND_TIMEBASE_REQUEST(Connection builtFor = ANY_CONNECTION);
void SEND_TIMEBASE(std::int32_t TIMEBASE, Connection builtFor = ANY_CONNECTION);

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
std::int32_t MOVE(double DRA, double DDEC, Connection builtFor = ANY_CONNECTION);
void MOVE_BASE(std::int16_t HOR, std::int16_t VERT, Connection builtFor = ANY_CONNECTION);
// The motion frame MOVE(0, 0) sends, the loop's last: both axes at rest,
// the digital outputs as they stand.
Frame STOP_FRAME();

}  // namespace HAL
