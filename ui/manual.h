#pragma once
// The manual pad: four direction buttons around a speed button. Holding a
// direction slews the mount that way; every press and release posts the
// pad's one button record to the control window, whose echo shows the
// directions in force in bold type.

#include "core/Signals.h"

#include <QWidget>

#include <array>
#include <memory>
#include <string>

class QPushButton;

class TF_Manual final : public SignalReceiver<QWidget> {
    Q_OBJECT
public:
    explicit TF_Manual(QWidget* parent = nullptr);

    // The speed step 1 to 3 that the next press or release carries.
    std::int32_t CURSPEED = 1;
    // The speed button's captions for steps 1 to 3 (slots 0 to 2).
    std::array<std::string, 3> SPEED_STR;
    // The record every post carries; changed in place by the next press.
    const std::shared_ptr<THWdata> DATA = std::make_shared<THWdata>();

    QPushButton* Button1;  // up
    QPushButton* Button2;  // left
    QPushButton* Button3;  // speed step
    QPushButton* Button4;  // right
    QPushButton* Button5;  // down

    void FormActivate();
    void Button3Click();
    // Press and release of a direction button; `bit` is its button bit.
    void press(std::int32_t bit);
    void release(std::int32_t bit);
    // Lets go of every held direction, so nothing keeps slewing the mount
    // once the pad cannot see the mouse being released.
    void releaseAll();

protected:
    void onSignal(const SignalEvent& message) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void post();
    void FormResize();
    std::int32_t bitOf(QObject* button) const;
};
