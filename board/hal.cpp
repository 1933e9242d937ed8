#include "board/hal.h"

#include "core/names.h"
#include "core/params.h"

#include <chrono>
#include <thread>

namespace HAL {

std::atomic<bool> DUMMY_SELECT{false};
std::atomic<std::int32_t> AN_MOT_R{0}, AN_MOT_D{0};
std::atomic<std::int32_t> DIGIO{0};

namespace {

std::atomic<Link*> g_link{nullptr};
std::atomic<bool> g_sealed{false};

void sleepFor(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
std::atomic<PauseFn> g_pause{&sleepFor};

// False only when the frame was dropped for being another connection's.
bool write(const Frame& f, Connection builtFor = ANY_CONNECTION)
{
    if (g_sealed.load(std::memory_order_acquire))
        return true;
    if (Link* link = g_link.load(std::memory_order_acquire))
        return link->writeFor(f, builtFor);
    return true;
}

// Motion and service frames never go to the dummy device.
bool writeGated(const Frame& f, Connection builtFor)
{
    return DUMMY_SELECT.load() || write(f, builtFor);
}

}  // namespace

void SEAL() { g_sealed.store(true, std::memory_order_release); }
void UNSEAL() { g_sealed.store(false, std::memory_order_release); }
bool SEALED() { return g_sealed.load(std::memory_order_acquire); }

void SET_LINK(Link* link) { g_link.store(link, std::memory_order_release); }

Connection CURRENT_CONNECTION()
{
    const Link* link = g_link.load(std::memory_order_acquire);
    return link ? link->connection() : 0;
}

void SET_PAUSE(PauseFn pause) { g_pause.store(pause ? pause : &sleepFor); }

void SEND_CTRL(std::int16_t HOR, std::int16_t VERT, std::int16_t digio, Connection builtFor)
{
    AN_MOT_R = HOR;
    AN_MOT_D = VERT;
    writeGated(MOTION_FRAME(HOR, VERT, digio), builtFor);
}

void SEND_CONF(const Frame& DATA, Connection builtFor) { writeGated(DATA, builtFor); }

// The watchdog does not look at the dummy flag: selecting the dummy device
// closes the connection anyway.
void SEND_WD() { write(SERVICE_FRAME(CODE_WATCHDOG)); }

void SEND_MASTER_RESET()
{
    SEND_CONF(MASTER_RESET_FRAME(0));
    g_pause.load()(10);
    SEND_CONF(MASTER_RESET_FRAME(1));
}

void SAVE_HW_CONF(Connection builtFor)
{
    SET_PARAM(param::Setup_done, "Yes");
    const bool raMot = GET_BPARAM(param::RA_mot_CCW);
    const bool raEnc = GET_BPARAM(param::RA_enc_CCW);
    const bool deMot = GET_BPARAM(param::DE_mot_CCW);
    const bool deEnc = GET_BPARAM(param::DE_enc_CCW);
    const bool encSwap = GET_BPARAM(param::Enc_swap);
    const Frame f = CONFIG_FRAME(raMot, raEnc, deMot, deEnc, encSwap, GET_BPARAM(param::Equatorial));
    // Another board than the one the frame was for holds its own configuration.
    if (writeGated(f, builtFor)) {
        HW_RA_MOT_CCW = raMot;
        HW_RA_ENC_CCW = raEnc;
        HW_DE_MOT_CCW = deMot;
        HW_DE_ENC_CCW = deEnc;
        HW_ENC_SWAP = encSwap;
    }
    SET_PARAM(param::Enc_swap, false);
    SET_PARAM(param::RA_mot_CCW, false);
    SET_PARAM(param::DE_mot_CCW, false);
    SET_PARAM(param::RA_enc_CCW, false);
    SET_PARAM(param::DE_enc_CCW, false);
}

void SEND_MOT_ENC_ALIGN(Connection c) { SEND_CONF(MOT_ENC_ALIGN_FRAME(), c); }
void SEND_POWER_REQUEST(Connection c) { SEND_CONF(SERVICE_FRAME(CODE_POWER_REQUEST), c); }
void SEND_ALIGN_REQUEST(Connection c) { SEND_CONF(SERVICE_FRAME(CODE_ALIGN_REQUEST), c); }
void SEND_SETUP_REQUEST(Connection c) { SEND_CONF(SERVICE_FRAME(CODE_SETUP_REQUEST), c); }
void SEND_RA_GEAR_REQUEST(Connection c) { SEND_CONF(SERVICE_FRAME(CODE_RA_GEAR_REQUEST), c); }
void SEND_DE_GEAR_REQUEST(Connection c) { SEND_CONF(SERVICE_FRAME(CODE_DE_GEAR_REQUEST), c); }
void SEND_GEAR_RA(Connection c) { SEND_CONF(GEAR_FRAME(CODE_GEAR_RA, HW_RA_RAMP, HW_RA_FLAGS, HW_RA_GEAR), c); }
void SEND_GEAR_DE(Connection c) { SEND_CONF(GEAR_FRAME(CODE_GEAR_DE, HW_DE_RAMP, HW_DE_FLAGS, HW_DE_GEAR), c); }
void SEND_ENC_VAL(std::int32_t RA_ENC, std::int32_t DE_ENC, Connection c)
{
    SEND_CONF(ENC_VAL_FRAME(RA_ENC, DE_ENC), c);
}
void SEND_RTC_REQUEST(Connection c) { SEND_CONF(SERVICE_FRAME(CODE_RTC_REQUEST), c); }
void SEND_TIMEBASE_REQUEST(Connection c) { SEND_CONF(SERVICE_FRAME(CODE_TIMEBASE_REQUEST), c); }
void SEND_TIMEBASE(std::int32_t timeBase, Connection c)
{
    SEND_CONF(TIMEBASE_FRAME(timeBase, LST_MS_OFFSET, LST_MSEC), c);
}

}  // namespace HAL
