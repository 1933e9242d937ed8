#include "setup/setup_view.h"

#include "core/language.h"
#include "core/system_init.h"
#include "forms/size.h"
#include "forms/translate.h"
#include "forms/widgets.h"
#include "platform/docking.h"
#include "platform/form_activation.h"
#include "setup/mount_sketch.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace setup {

TickMark::TickMark(QWidget* parent) : QWidget(parent) {}

void TickMark::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = width(), h = height();
    p.setPen(QPen(QColor(0x1E, 0x8C, 0x2A), std::max(2.0, w / 8), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF mark[] = {{w * 0.18, h * 0.55}, {w * 0.42, h * 0.80}, {w * 0.84, h * 0.22}};
    p.drawPolyline(mark, 3);
}

SketchBox::SketchBox(QWidget* parent) : QWidget(parent) {}

void SketchBox::setPose(double HROT, double VROT)
{
    if (HROT == hrot_ && VROT == vrot_)
        return;
    hrot_ = HROT;
    vrot_ = VROT;
    update();
}

void SketchBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    paintSketch(p, mountSketch(width(), height(), hrot_, vrot_));
}

}  // namespace setup

namespace {

template <class W>
W* component(QWidget* form, const char* name, int left, int top, int width, int height)
{
    return forms::placed(new W(form), name, QRect(left, top, width, height));
}

QLabel* label(QWidget* form, const char* name, const char* text, int left, int top, int width, int height)
{
    auto* l = component<QLabel>(form, name, left, top, width, height);
    l->setText(QString::fromLatin1(text));
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

}  // namespace

TSetup::TSetup(QWidget* parent, setup::SetupMount& mount) : QWidget(parent, Qt::Window)
{
    setObjectName("Setup");
    setWindowTitle("Setup");
    resize(400, 344);

    message1 = label(this, "message1", "init_msg", 16, 12, 368, 52);
    L_mv_hor = label(this, "L_mv_hor", "Move telescope clockwise", 16, 84, 320, 40);
    chk_mvhor = component<setup::TickMark>(this, "chk_mvhor", 348, 76, 32, 32);
    chk_mvhor->hide();
    L_mv_ver = label(this, "L_mv_ver", "Move Telescope up", 16, 136, 320, 40);
    chk_mvver = component<setup::TickMark>(this, "chk_mvver", 348, 128, 32, 32);
    chk_mvver->hide();
    PaintBox1 = component<setup::SketchBox>(this, "PaintBox1", 72, 66, 256, 239);
    PaintBox1->hide();
    B_OK = component<QPushButton>(this, "B_OK", 204, 308, 86, 28);
    B_OK->setText("B_OK");
    B_Cancel = component<QPushButton>(this, "B_Cancel", 298, 308, 86, 28);
    B_Cancel->setText("B_Cancel");
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(10);
    writer_ = new QTimer(this);
    writer_->setInterval(10);

    QObject::connect(B_OK, &QPushButton::clicked, this, [this] { B_OKClick(); });
    QObject::connect(B_Cancel, &QPushButton::clicked, this, [this] { B_CancelClick(); });
    QObject::connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    QObject::connect(writer_, &QTimer::timeout, this, [this] { writerTimer(); });

    winsize::GET_OBJECTS(this);
    system_init::INIT();
    LOAD_PARAM("orla_setup.ini", "");
    setup::SetupRun::Window& window = *this;
    run_ = std::make_unique<setup::SetupRun>(window, mount);
    platform::onFormActivate(this, [this] { FormActivate(); });
    showLook();
}

TSetup::~TSetup() = default;

void TSetup::FormActivate()
{
    LANGUAGE::SETALL(this);
    LANGUAGE::SETSTRING("Setup", "move_init_msg", texts_.moveInit);
    LANGUAGE::SETSTRING("Setup", "move_hor_msg", texts_.moveHor);
    LANGUAGE::SETSTRING("Setup", "move_vert_msg", texts_.moveVert);
    LANGUAGE::SETSTRING("Setup", "dec_rot_msg", texts_.decRot);
    LANGUAGE::SETSTRING("Setup", "move_ra_msg", texts_.moveRa);
    LANGUAGE::SETSTRING("Setup", "ra_rot_msg", texts_.raRot);
    LANGUAGE::SETSTRING("Setup", "swap_msg", texts_.swap);
    texts_.gear = LANGUAGE::GETCAPTION("Setup", "message1", run_->look().messageText);
    run_->activate(texts_);
    if (pad_ && !pad_->isVisible()) {
        platform::dockBeside(this, setup::kPadGap, {pad_});
        pad_->show();
    }
    setFocus();
    winsize::APPLY_SCALE(this);
    showLook();
    syncTimers();
}

void TSetup::Timer1Timer()
{
    run_->tick();
    showLook();
    syncTimers();
}

void TSetup::B_OKClick()
{
    run_->ok();
    showLook();
    syncTimers();
}

void TSetup::B_CancelClick()
{
    run_->cancel();
    showLook();
    syncTimers();
}

void TSetup::closeEvent(QCloseEvent* event)
{
    run_->closed();
    showLook();
    syncTimers();
    QWidget::closeEvent(event);
}

void TSetup::hideWizard() { hide(); }

void TSetup::hidePad()
{
    if (pad_)
        pad_->hide();
}

void TSetup::setManualTicks(bool manual)
{
    manualTicks_ = manual;
    syncTimers();
}

void TSetup::showLook()
{
    const setup::SetupLook& look = run_->look();
    L_mv_hor->setVisible(look.horLabel);
    L_mv_hor->setText(QString::fromStdString(look.horText));
    chk_mvhor->setVisible(look.horTick);
    L_mv_ver->setVisible(look.verLabel);
    L_mv_ver->setText(QString::fromStdString(look.verText));
    chk_mvver->setVisible(look.verTick);
    message1->setVisible(look.message);
    message1->setText(QString::fromStdString(look.messageText));
    B_OK->setEnabled(look.okEnabled);
    B_Cancel->setVisible(look.cancel);
    PaintBox1->setVisible(look.sketch);
    PaintBox1->setPose(run_->HROT, run_->VROT);
}

void TSetup::syncTimers()
{
    const bool ticking = run_->timerEnabled() && !manualTicks_;
    if (ticking && !Timer1->isActive())
        Timer1->start();
    else if (!ticking)
        Timer1->stop();
    // After the run has ended only a configuration write may still wait.
    const bool writing = !run_->timerEnabled() && run_->configurationQueued() && !manualTicks_;
    if (writing && !writer_->isActive())
        writer_->start();
    else if (!writing)
        writer_->stop();
}

void TSetup::writerTimer()
{
    if (!run_->pumpConfiguration())
        writer_->stop();
}
