#include "ui/manual.h"

#include "core/names.h"
#include "core/params.h"
#include "forms/translate.h"
#include "platform/boxes_above.h"
#include "platform/end_signals.h"
#include "platform/form_activation.h"

#include <QEvent>
#include <QPushButton>

TF_Manual::TF_Manual(QWidget* parent) : SignalReceiver<QWidget>(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName("F_Manual");
    setWindowTitle("F_Manual");
    resize(305, 305);
    const auto make = [this](const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(name), this);
        b->setObjectName(QString::fromLatin1(name));
        b->installEventFilter(this);
        return b;
    };
    Button1 = make("Button1");
    Button2 = make("Button2");
    Button3 = make("Button3");
    Button4 = make("Button4");
    Button5 = make("Button5");
    QObject::connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    FormResize();
    ADD_HANDLE(bus::F_Manual, this);
    platform::onFormActivate(this, [this] { FormActivate(); });
    // It stays on top: a box or dialog shown while it is open must not lie
    // under it.
    platform::keepBoxesAbove(this);
    // Stopped by Ctrl-Z with a button held: it counts as released when the
    // program goes on, whatever the mouse did meanwhile.
    platform::onContinue(this, [this] { releaseAll(); });
}

void TF_Manual::FormActivate()
{
    LANGUAGE::SETALL(this);
    LANGUAGE::SETMULTI(SPEED_STR, Button3);
    if (CURSPEED >= 1 && CURSPEED <= 3)
        Button3->setText(QString::fromStdString(SPEED_STR[static_cast<std::size_t>(CURSPEED - 1)]));
    Button3->setVisible(!GET_BPARAM(param::Man_auto_speed));
}

void TF_Manual::Button3Click()
{
    if (CURSPEED >= 1 && CURSPEED <= 3) {
        CURSPEED = CURSPEED % 3 + 1;
        Button3->setText(QString::fromStdString(SPEED_STR[static_cast<std::size_t>(CURSPEED - 1)]));
    }
}

void TF_Manual::press(std::int32_t bit)
{
    DATA->BUTTONS |= bit;
    post();
}

void TF_Manual::release(std::int32_t bit)
{
    DATA->BUTTONS &= ~bit;
    post();
}

void TF_Manual::releaseAll()
{
    if (DATA->BUTTONS == 0)
        return;
    DATA->BUTTONS = 0;
    post();
}

void TF_Manual::post()
{
    DATA->SPEED = CURSPEED;
    SIGNAL(bus::Control, WM_BUTTON_MESSAGE, DATA);
}

void TF_Manual::onSignal(const SignalEvent& message)
{
    if (message.message() != WM_BUTTON_MESSAGE || !message.hw())
        return;
    const std::int32_t buttons = message.hw()->BUTTONS;
    const auto bold = [](QPushButton* b, bool on) {
        QFont f = b->font();
        f.setBold(on);
        b->setFont(f);
    };
    for (QPushButton* b : {Button1, Button2, Button3, Button4, Button5})
        bold(b, false);
    bold(Button1, buttons & BUP);
    bold(Button5, buttons & BDOWN);
    bold(Button2, buttons & BLEFT);
    bold(Button4, buttons & BRIGHT);
}

std::int32_t TF_Manual::bitOf(QObject* button) const
{
    if (button == Button1)
        return BUP;
    if (button == Button5)
        return BDOWN;
    if (button == Button2)
        return BLEFT;
    if (button == Button4)
        return BRIGHT;
    return 0;
}

bool TF_Manual::eventFilter(QObject* watched, QEvent* event)
{
    // Any mouse button presses and releases a direction, not only the left one.
    if (const std::int32_t bit = bitOf(watched)) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            press(bit);
        else if (event->type() == QEvent::MouseButtonRelease)
            release(bit);
    }
    return SignalReceiver<QWidget>::eventFilter(watched, event);
}

bool TF_Manual::event(QEvent* event)
{
    // A modal box or a switch to another window swallows the release.
    if (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowDeactivate)
        releaseAll();
    return SignalReceiver<QWidget>::event(event);
}

void TF_Manual::hideEvent(QHideEvent* event)
{
    releaseAll();
    SignalReceiver<QWidget>::hideEvent(event);
}

void TF_Manual::resizeEvent(QResizeEvent* event)
{
    SignalReceiver<QWidget>::resizeEvent(event);
    FormResize();
}

void TF_Manual::FormResize()
{
    const int w = width();
    const int s = w / 4;
    const int g = s / 8;
    const int m = w / 2 - (s / 2 + 2 * g + s);
    const auto p = [&](int k) { return m + g + k * (s + g); };
    Button1->setGeometry(p(1), p(0), s, s);
    Button2->setGeometry(p(0), p(1), s, s);
    Button3->setGeometry(p(1), p(1), s, s);
    Button4->setGeometry(p(2), p(1), s, s);
    Button5->setGeometry(p(1), p(2), s, s);
}
