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

void write(const Frame& f)
{
    if (g_sealed.load(std::memory_order_acquire))
        return;
    if (Link* link = g_link.load(std::memory_order_acquire))
        link->writeIfConnected(f);
}

// Motion and service frames never go to the dummy device.
void writeGated(const Frame& f)
{
    if (!DUMMY_SELECT.load())
        write(f);
}

}  // namespace

void SEAL() { g_sealed.store(true, std::memory_order_release); }
void UNSEAL() { g_sealed.store(false, std::memory_order_release); }
bool SEALED() { return g_sealed.load(std::memory_order_acquire); }

void SET_LINK(Link* link) { g_link.store(link, std::memory_order_release); }
void SET_PAUSE(PauseFn pause) { g_pause.store(pause ? pause : &sleepFor); }

void SEND_CTRL(std::int16_t HOR, std::int16_t VERT, std::int16_t digio)
{
    AN_MOT_R = HOR;
    AN_MOT_D = VERT;
    writeGated(MOTION_FRAME(HOR, VERT, digio));
}

void SEND_CONF(const Frame& DATA) { writeGated(DATA); }

// The watchdog does not look at the dummy flag: selecting the dummy device
// closes the connection anyway.
void SEND_WD() { write(SERVICE_FRAME(CODE_WATCHDOG)); }

void SEND_MASTER_RESET()
{
    SEND_CONF(MASTER_RESET_FRAME(0));
    g_pause.load()(10);
    SEND_CONF(MASTER_RESET_FRAME(1));
}

void SAVE_HW_CONF()
{
    SET_PARAM(param::Setup_done, "Yes");
    const bool raMot = GET_BPARAM(param::RA_mot_CCW);
    const bool raEnc = GET_BPARAM(param::RA_enc_CCW);
    const bool deMot = GET_BPARAM(param::DE_mot_CCW);
    const bool deEnc = GET_BPARAM(param::DE_enc_CCW);
    const bool encSwap = GET_BPARAM(param::Enc_swap);
    const Frame f = CONFIG_FRAME(raMot, raEnc, deMot, deEnc, encSwap, GET_BPARAM(param::Equatorial));
    HW_RA_MOT_CCW = raMot;
    HW_RA_ENC_CCW = raEnc;
    HW_DE_MOT_CCW = deMot;
    HW_DE_ENC_CCW = deEnc;
    HW_ENC_SWAP = encSwap;
    SEND_CONF(f);
    SET_PARAM(param::Enc_swap, false);
    SET_PARAM(param::RA_mot_CCW, false);
    SET_PARAM(param::DE_mot_CCW, false);
    SET_PARAM(param::RA_enc_CCW, false);
    SET_PARAM(param::DE_enc_CCW, false);
}

void SEND_MOT_ENC_ALIGN() { SEND_CONF(MOT_ENC_ALIGN_FRAME()); }
void SEND_POWER_REQUEST() { SEND_CONF(SERVICE_FRAME(CODE_POWER_REQUEST)); }
void SEND_ALIGN_REQUEST() { SEND_CONF(SERVICE_FRAME(CODE_ALIGN_REQUEST)); }
void SEND_SETUP_REQUEST() { SEND_CONF(SERVICE_FRAME(CODE_SETUP_REQUEST)); }
void SEND_RA_GEAR_REQUEST() { SEND_CONF(SERVICE_FRAME(CODE_RA_GEAR_REQUEST)); }
void SEND_DE_GEAR_REQUEST() { SEND_CONF(SERVICE_FRAME(CODE_DE_GEAR_REQUEST)); }
void SEND_GEAR_RA() { SEND_CONF(GEAR_FRAME(CODE_GEAR_RA, HW_RA_RAMP, HW_RA_FLAGS, HW_RA_GEAR)); }
void SEND_GEAR_DE() { SEND_CONF(GEAR_FRAME(CODE_GEAR_DE, HW_DE_RAMP, HW_DE_FLAGS, HW_DE_GEAR)); }
void SEND_ENC_VAL(std::int32_t RA_ENC, std::int32_t DE_ENC) { SEND_CONF(ENC_VAL_FRAME(RA_ENC, DE_ENC)); }
void SEND_RTC_REQUEST() { SEND_CONF(SERVICE_FRAME(CODE_RTC_REQUEST)); }
void SEND_TIMEBASE_REQUEST() { SEND_CONF(SERVICE_FRAME(CODE_TIMEBASE_REQUEST)); }
void SEND_TIMEBASE(std::int32_t timeBase) { SEND_CONF(TIMEBASE_FRAME(timeBase, LST_MS_OFFSET, LST_MSEC)); }

}  // namespace HAL
