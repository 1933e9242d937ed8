#include "board/dev_int.h"

#include "board/control.h"
#include "board/frames.h"
#include "board/hand_keys.h"
#include "core/Signals.h"
#include "core/names.h"
#include "core/params.h"
#include "core/text.h"
#include "core/utils.h"
#include "forms/display.h"
#include "forms/translate.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/display_tick.h"
#include "platform/end_signals.h"
#include "platform/form_activation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>

namespace {

constexpr const char* kErrorTitle = "orla_setup";
constexpr const char* kUsbErrorTitle = "USB Error";
constexpr const char* kStoppedAnswering =
    "The board stopped answering and was disconnected. The mount was told to stop.";

QString qs(const std::string& s) { return QString::fromStdString(s); }

std::string hex4(std::uint32_t v)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), digits[v & 15]);
        v >>= 4;
    } while (v);
    while (s.size() < 4)
        s.insert(s.begin(), '0');
    return s;
}

// "%4d": right-aligned in four places.
std::string width4(std::int32_t v)
{
    std::string s = text::decimal(v);
    while (s.size() < 4)
        s.insert(s.begin(), ' ');
    return s;
}

bool isEncoderFrame(const THidData& data, std::size_t length)
{
    return length >= 8 && (data[0] == HAL::TYPE_ABS_ENCODER || data[0] == HAL::TYPE_INC_ENCODER);
}

THidData reportOf(const HAL::Frame& frame)
{
    THidData data{};
    std::copy(frame.begin(), frame.end(), data.begin());
    return data;
}

}  // namespace

void Tdev_int::Link::writeIfConnected(const HAL::Frame& frame) { writeFor(frame, HAL::ANY_CONNECTION); }

HAL::Connection Tdev_int::Link::connection() const { return device_->CONNECTION(); }

bool Tdev_int::Link::writeFor(const HAL::Frame& frame, HAL::Connection builtFor)
{
    // Asked under the send lock: no connect can come between the check and the write.
    bool forThis = true;
    device_->SENDDATA_GATED(0, reportOf(frame), [&] {
        forThis = builtFor == HAL::ANY_CONNECTION || builtFor == device_->CONNECTION();
        return forThis;
    });
    return forThis;
}

Tdev_int::Tdev_int(QWidget* parent)
    : QWidget(parent, Qt::Window), HidDevices1(new THidDevices(this)), HidDevice1(new THidDevice(this)),
      link_(HidDevice1)
{
    setObjectName("dev_int");
    setWindowTitle("dev_int");
    resize(330, 220);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setGeometry(10, 10, 310, 26);
    B_Connect = new QPushButton("Connect", this);
    B_Connect->setObjectName("B_Connect");
    B_Connect->setGeometry(10, 44, 150, 28);
    Button1 = new QPushButton("Button1", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(170, 44, 150, 28);

    const auto row = [this](const char* labelName, const char* caption, const char* editName, int left, int top,
                            QLabel*& label, QLineEdit*& edit) {
        label = new QLabel(caption, this);
        label->setObjectName(labelName);
        label->setGeometry(left, top, 70, 24);
        edit = new QLineEdit(this);
        edit->setObjectName(editName);
        edit->setReadOnly(true);
        edit->setGeometry(left + 72, top, 80, 24);
    };
    row("L_pos_R", "Position", "E_Pos_R", 10, 84, L_pos_R, E_Pos_R);
    row("L_pos_D", "Position", "E_pos_D", 170, 84, L_pos_D, E_pos_D);
    row("L_An1_R", "RA Motor", "E_An1_R", 10, 114, L_An1_R, E_An1_R);
    row("L_an1_D", "Dec Motor", "E_An1_D", 170, 114, L_an1_D, E_An1_D);

    const auto box = [this](const char* name, const char* caption, int left, int top) {
        auto* c = new QCheckBox(caption, this);
        c->setObjectName(name);
        c->setGeometry(left, top, 75, 24);
        // Shows the board's inputs; the operator cannot change them.
        c->setAttribute(Qt::WA_TransparentForMouseEvents);
        c->setFocusPolicy(Qt::NoFocus);
        return c;
    };
    Left_button = box("Left_button", "Left", 10, 150);
    Up_button = box("Up_button", "Up", 90, 150);
    Down_button = box("Down_button", "Down", 170, 150);
    Right_button = box("Right_button", "Right", 250, 150);

    Timer1 = new platform::DisplayTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(10);

    QObject::connect(B_Connect, &QPushButton::clicked, this, [this] { B_ConnectClick(); });
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { HidDevices1DeviceChange(); });
    QObject::connect(Timer1, &platform::DisplayTimer::timeout, this, [this] { Timer1Timer(); });
    platform::onFormActivate(this, [this] { FormActivate(); });

    HidDevice1->SETHIDDEVICES(HidDevices1);
    // Installed once: no report reaches it before a connect.
    HidDevice1->OnHidData = [this](THidDevice* s, std::uint8_t id, THidData d, std::size_t n) {
        HidDevice1HidData(s, id, d, n);
    };
    // The keys as read, for the loop, however long the decoder above waits
    // for this thread; and the time of each report, so a silent board is
    // noticed.
    HAL::HAND_KEYS.reset();  // this connection numbers its connects afresh
    HidDevice1->OnReportRead = [](std::uint64_t connection, std::uint8_t, const THidData& d, std::size_t n) {
        HAL::HAND_KEYS.read(connection, isEncoderFrame(d, n) ? std::optional<std::uint8_t>(d[1]) : std::nullopt,
                            platform::clock().monotonic());
    };
    HidDevice1->OnDisconnect = [this](THidDevice*) {
        CONTROL::BOARD_DISCONNECTED();
        HAL::HAND_KEYS.end();
        quietShown_ = false;
        releaseHandKeys();
        if (!ownChange_)
            connectionLost();
    };
    // A board let go of while its writes work (Disconnect, a reconnect, a
    // switch to another board, a stalled input), or whose writes failed for
    // a moment, may still take frames: its last one must not be a motion
    // frame the loop can no longer follow with others. After the loop's own
    // last frame nothing more goes out.
    HidDevice1->LastReport = []() -> std::optional<THidData> {
        if (HAL::SEALED())
            return std::nullopt;
        return reportOf(HAL::STOP_FRAME());
    };
    // Where nothing could be sent the board is gone, which the device change
    // and the status line tell.
    HidDevice1->OnReadFailure = [](THidDevice*, bool stopSent) {
        if (stopSent)
            platform::dialogs().message(kUsbErrorTitle, kStoppedAnswering);
    };
    HAL::SET_LINK(&link_);
    HidDevices1->OnDeviceChange = [this](THidDevices*) { HidDevices1DeviceChange(); };
    platform::onContinue(this, [this] { holdOverKeys(); });
    HidDevices1DeviceChange();
    Timer1->start();
}

Tdev_int::~Tdev_int()
{
    Timer1->stop();
    HAL::SET_LINK(nullptr);
    HidDevices1->OnDeviceChange = nullptr;
    // The connection outlives this body; its last disconnect must not reach
    // a window that is going.
    HidDevice1->OnDisconnect = [](THidDevice*) {
        CONTROL::BOARD_DISCONNECTED();
        HAL::HAND_KEYS.end();
    };
}

void Tdev_int::connectionLost()
{
    // The caption follows at the next tick, which offers the connect again.
    SIGNAL(bus::Main_View, WM_DEMO_MESSAGE, 1);
}

void Tdev_int::FormActivate()
{
    LANGUAGE::SETALL(this);
    LANGUAGE::SETMULTI(CONN_B, B_Connect);
    setCaption(NEW_CONNECT ? 1 : 0);
}

const QString& Tdev_int::captionText(int which) const
{
    // The tick asks a hundred times a second; the captions change only with
    // the language.
    const auto i = static_cast<std::size_t>(which);
    if (captionFrom_[i] != CONN_B[i]) {
        captionFrom_[i] = CONN_B[i];
        captionText_[i] = qs(CONN_B[i]);
    }
    return captionText_[i];
}

bool Tdev_int::captionIs(int which) const { return B_Connect->text() == captionText(which); }

void Tdev_int::setCaption(int which) { B_Connect->setText(captionText(which)); }

void Tdev_int::HidDevices1DeviceChange()
{
    const QScopedValueRollback own(ownChange_, true);
    ComboBox1->clear();
    boards_.clear();
    HidDevices1->CHECKHIDDEVICES();
    const std::uint16_t count = HidDevices1->GETNUMBEROFHIDDEVICES();
    const std::int32_t vendor = GET_IPARAM(param::USB_Vendor_ID);
    for (std::uint16_t d = 1; d <= count; ++d) {
        try {
            const std::uint16_t vid = HidDevices1->GETVENDORID(d);
            if (vid != vendor)
                continue;
            const std::string text = HidDevices1->GETPRODUCTSTRING(d) + " ver." +
                                     HidDevices1->GETSERIALNUMBERSTRING(d) + " VID " + hex4(vid) + ":" +
                                     hex4(HidDevices1->GETPRODUCTID(d));
            ComboBox1->addItem(qs(text));
            boards_.push_back({d, HidDevices1->GETDEVICEPATH(d)});
        } catch (const EUSBException&) {
            // A board whose strings cannot be read is left out.
        }
    }
    ComboBox1->addItem(DUMMY_ENTRY);
    ComboBox1->setCurrentIndex(ComboBox1->count() - 1);
    RA_DEV = static_cast<std::int32_t>(boards_.size());

    bool selected = false;
    const std::string saved = GET_PARAM(param::USB_DEV);
    for (std::size_t i = 0; i < boards_.size(); ++i) {
        if (!saved.empty() && boards_[i].path == saved) {
            ComboBox1->setCurrentIndex(static_cast<int>(i));
            RA_DEV = boards_[i].number;
            selected = true;
        }
    }
    // A hidraw path carries no vendor id, but every board entry was listed
    // because its vendor id is the one looked for: the last one wins.
    if (!selected && !boards_.empty()) {
        ComboBox1->setCurrentIndex(static_cast<int>(boards_.size() - 1));
        RA_DEV = boards_.back().number;
        selected = true;
    }
    if (selected)
        setCaption(0);
    B_ConnectClick();
}

std::uint16_t Tdev_int::selectedDevice() const
{
    const int index = ComboBox1->currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= boards_.size())
        return 0;
    // Numbers follow the platform's order, which a rescan may change; the
    // path is what names the board.
    const std::string& path = boards_[static_cast<std::size_t>(index)].path;
    for (std::uint16_t d = 1; d <= HidDevices1->GETNUMBEROFHIDDEVICES(); ++d)
        if (HidDevices1->GETDEVICEPATH(d) == path)
            return d;
    return 0;
}

void Tdev_int::B_ConnectClick()
{
    const QScopedValueRollback own(ownChange_, true);
    const bool dummySelected = ComboBox1->currentIndex() == ComboBox1->count() - 1;
    if (captionIs(0) && dummySelected) {
        SET_PARAM(param::USB_DEV, "dummy 1");
        SIGNAL(bus::Main_View, WM_DEMO_MESSAGE, 1);
        HAL::DUMMY_SELECT = true;
        try {
            HidDevice1->DISCONNECT();
        } catch (const std::exception&) {
        }
        setCaption(1);
        NEW_CONNECT = true;
    } else if (captionIs(0)) {
        HAL::DUMMY_SELECT = false;
        SIGNAL(bus::Main_View, WM_DEMO_MESSAGE, 0);
        try {
            HidDevice1->CONNECT(selectedDevice());
        } catch (const EUSBException& e) {
            std::string text = e.what();
            if (!e.reason().empty())
                text += "\n" + e.reason();
            platform::dialogs().message(kErrorTitle, text);
            // The status line must not go on claiming a board.
            SIGNAL(bus::Main_View, WM_DEMO_MESSAGE, 1);
            update();
            return;
        }
        // A reply the board before left in the mailbox is no answer of this one.
        HAL::HW_CONFIG_RECEIVED = 0;
        HAL::HAND_KEYS.begin(HidDevice1->CONNECTION(), platform::clock().monotonic());
        SET_PARAM(param::USB_DEV, HidDevice1->GETDEVICEPATH());
        hide();
        setCaption(1);
        NEW_CONNECT = true;
    } else {
        setCaption(0);
        HAL::DUMMY_SELECT = false;
        try {
            HidDevice1->DISCONNECT();
        } catch (const std::exception&) {
        }
        SIGNAL(bus::Main_View, WM_DEMO_MESSAGE, 1);
    }
    update();
}

void Tdev_int::Timer1Timer()
{
    if (!HAL::DUMMY_SELECT && !HidDevice1->GETCONNECTED())
        setCaption(0);
    watchReports();
    PROCESS();
    if (isVisible())
        showReadings();
    if (captionIs(0))
        show();
}

// While the window is hidden nobody reads these; showing it brings them up to date.
void Tdev_int::showReadings()
{
    display::setText(E_An1_R, qs(width4(HAL::AN_MOT_R)));
    display::setText(E_An1_D, qs(width4(HAL::AN_MOT_D)));
    const HAL::AxisCounts counts = HAL::TEL_POS.load();
    display::setText(E_Pos_R, qs(text::decimal(counts.RA)));
    display::setText(E_pos_D, qs(text::decimal(counts.DEC)));
    const std::uint8_t in = inputBits();
    display::setChecked(Left_button, in & 1);
    display::setChecked(Right_button, in & 8);
    display::setChecked(Up_button, in & 2);
    display::setChecked(Down_button, in & 4);
}

void Tdev_int::showEvent(QShowEvent* event)
{
    showReadings();
    QWidget::showEvent(event);
}

std::uint8_t Tdev_int::inputBits() const
{
    // The last frame's bits stay in the board values after a disconnect; a
    // key held then must neither keep the mount slewing nor press itself
    // again on the next connection, whichever board that is.
    return HidDevice1->GETCONNECTED() && keysKnown_ && !keysHeldOver_ ? HAL::DIG_IN_R.load() : std::uint8_t{0};
}

void Tdev_int::releaseHandKeys()
{
    keysKnown_ = false;
    keysHeldOver_ = false;
    const bool slewing = PREV_PROC_STATE & (BUP | BDOWN | BLEFT | BRIGHT);
    PROCESS();
    // The release is a message; taken later, the loop would go on sending
    // the key's speed meanwhile, to the next board too. The control window
    // takes it now, after any press still queued before it.
    if (QObject* control = slewing ? HANDLE(bus::Control) : nullptr)
        QCoreApplication::sendPostedEvents(control, SignalEvent::eventType());
}

void Tdev_int::watchReports()
{
    if (quietShown_ || !HidDevice1->GETCONNECTED() || !HAL::HAND_KEYS.quiet(platform::clock().monotonic()))
        return;
    // Its input may have stalled while its writes still work: the key it
    // reported last cannot be told from one held.
    quietShown_ = true;
    HAL::HAND_KEYS.forget();
    releaseHandKeys();
    SIGNAL(bus::Main_View, WM_STATUS_MESSAGE, STATUS_BOARD_QUIET);
}

void Tdev_int::holdOverKeys()
{
    // The reports the platform kept while the process stood still come
    // first and would press again what was held when it stopped.
    keysHeldOver_ = true;
    PROCESS();
}

void Tdev_int::GET_BUTTONS(bool& UP, bool& DOWN, bool& LEFT, bool& RIGHT, bool& TRACK, bool& POINT, bool& STOP,
                           bool& POWER, std::int32_t& SPEED) const
{
    const std::uint8_t in = inputBits();
    LEFT = in & 1;
    UP = in & 2;
    DOWN = in & 4;
    RIGHT = in & 8;
    TRACK = POINT = STOP = false;
    POWER = true;
    SPEED = 1;
}

void Tdev_int::PROCESS()
{
    bool up, down, left, right, track, point, stop, power;
    std::int32_t speed;
    GET_BUTTONS(up, down, left, right, track, point, stop, power, speed);
    const std::int32_t mask = (point ? BPOINT : 0) | (track ? BTRACK : 0) | (stop ? BSTOP : 0) | (up ? BUP : 0) |
                              (down ? BDOWN : 0) | (left ? BLEFT : 0) | (right ? BRIGHT : 0);
    if (power != POWER_STATE) {
        SIGNAL(bus::Control, WM_POWER_MESSAGE, BOOLTOINT(power));
        POWER_STATE = power;
    }
    if (mask != PREV_PROC_STATE) {
        auto rec = std::make_shared<THWdata>();
        rec->BUTTONS = mask;
        rec->SPEED = speed;
        rec->HAND = true;
        SIGNAL(bus::Control, WM_BUTTON_MESSAGE, rec);
        PREV_PROC_STATE = mask;
    }
}

void Tdev_int::init() { HAL::DEV_INIT_CALIBRATION(); }

void Tdev_int::HidDevice1HidData(THidDevice*, std::uint8_t, const THidData& Data, std::size_t Length)
{
    // A report of a connection that has ended tells nothing of the next one.
    if (!HidDevice1->GETCONNECTED())
        return;
    HAL::DECODE(Data.data(), Length);
    if (!isEncoderFrame(Data, Length))
        return;
    keysKnown_ = true;
    if ((Data[1] & HAL::HAND_DIRECTION_BITS) == 0)
        keysHeldOver_ = false;
    if (quietShown_) {
        quietShown_ = false;
        SIGNAL(bus::Main_View, WM_STATUS_MESSAGE, STATUS_BOARD_REPORTING);
    }
}
