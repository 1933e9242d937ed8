#pragma once
// The message bus: windows register under a name, senders post numbered
// messages to a name. Delivery is asynchronous and in order, always on the
// receiver's (the user-interface) thread; posting is safe from any thread.

#include <QEvent>
#include <QObject>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Qt's old string-based connect macro would swallow every call of the bus's
// SIGNAL. Nothing here connects by strings.
#undef SIGNAL

// Message numbers: the first user message number 1024 plus an offset.
enum : std::uint32_t {
    WM_STATE_MESSAGE = 1024,
    WM_DESTIN_MESSAGE = 1025,
    WM_SUN_MESSAGE = 1026,
    WM_RA_MESSAGE = 1027,
    WM_DE_MESSAGE = 1028,
    WM_GORA_MESSAGE = 1029,
    WM_GODE_MESSAGE = 1030,
    WM_TCP_MESSAGE = 1031,
    WM_TCPDATA_MESSAGE = 1032,
    WM_TARGET_MESSAGE = 1033,
    WM_NEXTPRE_MESSAGE = 1034,
    WM_POINT_MESSAGE = 1035,
    WM_STOP_MESSAGE = 1036,
    WM_TRACK_MESSAGE = 1037,
    WM_BUTTON_MESSAGE = 1038,
    WM_POWER_MESSAGE = 1039,
    WM_CAL_MESSAGE = 1040,
    WM_HWPOINT_MESSAGE = 1041,
    WM_SETPARAM_MESSAGE = 1042,
    WM_DEMO_MESSAGE = 1043,
    WM_IO_MESSAGE = 1044,
    WM_PARK_MESSAGE = 1045,
    WM_STATUS_MESSAGE = 1046,
    WM_FLIP_MESSAGE = 1047,
    WM_UNPARK_MESSAGE = 1048,
    WM_UNFLIP_MESSAGE = 1049,
    WM_FLIP_RANGE = 1050,
    WM_NO_FLIP_MESSAGE = 1051,
};

// WM_STATUS_MESSAGE to "Main_view": whether the connected board goes on
// reporting.
enum : std::int64_t { STATUS_BOARD_REPORTING = 0, STATUS_BOARD_QUIET = 1 };

// Origin of a position request.
enum TSRC : std::int32_t { SRCTCP = 0, SRCMAIN = 1, SRCMAN = 2, SRCPRE = 3, SRCLIST = 4 };

// The button word of THWdata, one bit per key.
enum : std::int32_t {
    BPOINT = 1,
    BTRACK = 2,
    BSTOP = 4,
    BUP = 8,
    BDOWN = 16,
    BLEFT = 32,
    BRIGHT = 64,
    BPOWER = 128,
    BPARK = 256,
    BUNPARK = 512,
    BFLIP = 1024,
    BUNFLIP = 2048,
};

// A position handed over in a message. Angles in arcseconds.
struct Tpoint_data {
    double LST = 0.0;  // local sidereal angle when the position was taken
    double RA = 0.0;
    double DE = 0.0;
    std::int32_t STATUS = 0;  // a control state code
    TSRC SRC = SRCTCP;
    std::string NAME;  // at most 255 bytes; senders cut it
};

// Hand-controller, pad or output state handed over in a message.
struct THWdata {
    std::int32_t BUTTONS = 0;  // button word; for WM_IO_MESSAGE the low byte holds the outputs
    std::int32_t SPEED = 0;    // manual speed step 1 to 3
    bool HAND = false;         // the board's hand controller, not the pad
};

// What a registered window receives for every post. A record travels as a
// shared pointer and is read when the message is handled: a sender that reuses
// one record and changes it before then (on the user-interface thread) makes
// the receiver see the newer contents.
class SignalEvent final : public QEvent {
public:
    SignalEvent(std::uint32_t message, std::int64_t param, std::shared_ptr<Tpoint_data> point,
                std::shared_ptr<THWdata> hw);

    static QEvent::Type eventType();
    // The event as a bus message; nullptr for any other event.
    static const SignalEvent* from(const QEvent* e);

    std::uint32_t message() const { return message_; }
    std::int64_t param() const { return param_; }
    // The record the sender attached; nullptr when it sent a number.
    const std::shared_ptr<Tpoint_data>& point() const { return point_; }
    const std::shared_ptr<THWdata>& hw() const { return hw_; }

private:
    std::uint32_t message_;
    std::int64_t param_;
    std::shared_ptr<Tpoint_data> point_;
    std::shared_ptr<THWdata> hw_;
};

// Base for a window that receives bus messages: override onSignal.
//   class TMain_View : public SignalReceiver<QWidget> { Q_OBJECT ... };
template <class Base>
class SignalReceiver : public Base {
public:
    using Base::Base;

protected:
    virtual void onSignal(const SignalEvent& message) = 0;

    bool event(QEvent* e) override
    {
        if (const SignalEvent* s = SignalEvent::from(e)) {
            onSignal(*s);
            return true;
        }
        return Base::event(e);
    }
};

// Registers WINDOW under NAME (cut to 255 bytes); the later of two
// registrations under one name wins. A window destroyed later simply stops
// receiving. Call on the user-interface thread.
void ADD_HANDLE(std::string_view NAME, QObject* WINDOW);
// The window registered under NAME, letter case of a to z ignored; nullptr
// when none is (or it is gone).
QObject* HANDLE(std::string_view NAME);

// Posts a message to the window registered under WINDOW and returns at once;
// an unknown name drops it without a report.
void SIGNAL(std::string_view WINDOW, std::uint32_t MESSAGE, std::int64_t PARAM);
void SIGNAL(std::string_view WINDOW, std::uint32_t MESSAGE, std::shared_ptr<Tpoint_data> RECORD);
void SIGNAL(std::string_view WINDOW, std::uint32_t MESSAGE, std::shared_ptr<THWdata> RECORD);

// Empties the registry (program end; tests).
void CLEAR_HANDLES();
