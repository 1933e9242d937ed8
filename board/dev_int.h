#pragma once
// The device window: lists the boards present and the dummy device, connects
// one, carries every frame through its HID connection, and every 10 ms turns
// the hand-controller bits into button messages for the control window.

#include "board/hal.h"
#include "usb/HidDevices.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;
namespace platform {
class DisplayTimer;
}

class Tdev_int final : public QWidget {
public:
    explicit Tdev_int(QWidget* parent = nullptr);
    ~Tdev_int() override;

    inline static const char* DUMMY_ENTRY = "dummy usb device 1";

    QComboBox* ComboBox1;
    QPushButton* B_Connect;
    QPushButton* Button1;
    QLabel* L_pos_R;
    QLineEdit* E_Pos_R;
    QLabel* L_pos_D;
    QLineEdit* E_pos_D;
    QLabel* L_An1_R;
    QLineEdit* E_An1_R;
    QLabel* L_an1_D;
    QLineEdit* E_An1_D;
    QCheckBox* Left_button;
    QCheckBox* Right_button;
    QCheckBox* Up_button;
    QCheckBox* Down_button;
    platform::DisplayTimer* Timer1;

    THidDevices* HidDevices1;
    THidDevice* HidDevice1;

    // The captions of B_Connect: "Connect" and "Disconnect", or their translations.
    std::array<std::string, 2> CONN_B{"Connect", "Disconnect"};
    // The device number a connect uses; set by the scan.
    std::int32_t RA_DEV = 0;
    bool NEW_CONNECT = false;
    bool POWER_STATE = false;
    std::int32_t PREV_PROC_STATE = 0;

    void FormActivate();
    // The scan: lists the boards, selects one (or the dummy device) and connects.
    void HidDevices1DeviceChange();
    // Connect, select the dummy device, or disconnect, by the button's caption.
    void B_ConnectClick();
    void Timer1Timer();
    void PROCESS();
    void GET_BUTTONS(bool& UP, bool& DOWN, bool& LEFT, bool& RIGHT, bool& TRACK, bool& POINT, bool& STOP,
                     bool& POWER, std::int32_t& SPEED) const;
    // The start-up calibration from the saved park position.
    void init();
    // The decoder of the board's input reports.
    void HidDevice1HidData(THidDevice* Sender, std::uint8_t ReportId, const THidData& Data, std::size_t Length);

private:
    // Carries the board's frames through HidDevice1.
    class Link final : public HAL::Link {
    public:
        explicit Link(THidDevice* device) : device_(device) {}
        void writeIfConnected(const HAL::Frame& frame) override;
        HAL::Connection connection() const override;
        bool writeFor(const HAL::Frame& frame, HAL::Connection builtFor) override;

    private:
        THidDevice* device_;
    };

    struct Entry {
        std::uint16_t number;
        std::string path;
    };

    void showEvent(QShowEvent* event) override;
    void showReadings();
    const QString& captionText(int which) const;
    bool captionIs(int which) const;
    void setCaption(int which);
    // A disconnect the window did not ask for (a failed read or write, a
    // rescan without the board): the status line no longer claims a board.
    void connectionLost();
    // The device number the selected board entry has now; 0 when it is gone.
    std::uint16_t selectedDevice() const;
    // The input byte as far as it stands for keys held: nothing without a
    // board, nor before the connection's first encoder frame.
    std::uint8_t inputBits() const;
    // At every disconnect: the hand controller's keys count as released.
    void releaseHandKeys();
    // Each tick: a board that has stopped reporting lets its keys go, and
    // the status line says so.
    void watchReports();
    // After the process was stopped and continued: keys held then count as
    // released until the board reports them let go.
    void holdOverKeys();

    std::vector<Entry> boards_;  // one per board entry, in list order
    Link link_;
    bool ownChange_ = false;     // the window itself connects, disconnects or rescans
    bool keysKnown_ = false;     // this connection's encoder frame has told its keys
    bool keysHeldOver_ = false;  // held across a stop of the process, not let go since
    bool quietShown_ = false;    // the status line says the board stopped reporting
    // CONN_B as last converted for the button.
    mutable std::array<std::string, 2> captionFrom_;
    mutable std::array<QString, 2> captionText_;
};
