#include "setup/encoder_setup.h"

#include "board/control.h"
#include "forms/widgets.h"
#include "platform/dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr const char* kEncoderPpr = "Encoder ppr";
constexpr const char* kWaitForSync = "Wait for sync";

using forms::label;

QLineEdit* pulsesEdit(QWidget* parent, const char* name, QRect where)
{
    auto* e = forms::placed(new QLineEdit(QStringLiteral("2048"), parent), name, where);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return e;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form1");
    setWindowTitle("Config");
    setFixedSize(200, 138);
    Label1 = label(this, "Label1", kEncoderPpr, {16, 10, 168, 20});
    Label2 = label(this, "Label2", "RA", {16, 40, 40, 24});
    Label3 = label(this, "Label3", "De", {16, 70, 40, 24});
    edt_RA_enc = pulsesEdit(this, "edt_RA_enc", {60, 40, 124, 24});
    edt_DE_enc = pulsesEdit(this, "edt_DE_enc", {60, 70, 124, 24});
    B_Start = new QPushButton(QStringLiteral("OK"), this);
    B_Start->setObjectName("B_Start");
    B_Start->setGeometry(104, 102, 80, 26);
    B_Start->setDefault(true);
    connect(B_Start, &QPushButton::clicked, this, [this] { B_StartClick(); });
    CONTROL::SET_ENCODER_DIALOG(this);
}

TForm1::~TForm1() { CONTROL::SET_ENCODER_DIALOG(nullptr); }

void TForm1::B_StartClick()
{
    const auto [ra, de] = texts();
    if (!CONTROL::ENCODER_PULSES(ra) || !CONTROL::ENCODER_PULSES(de)) {
        platform::dialogs().message("Config", CONTROL::kEncoderPulsesRule);
        return;
    }
    done(1);
}

std::pair<std::string, std::string> TForm1::texts()
{
    return {edt_RA_enc->text().toStdString(), edt_DE_enc->text().toStdString()};
}

void TForm1::showFields(bool on)
{
    for (QWidget* w : {static_cast<QWidget*>(B_Start), static_cast<QWidget*>(edt_RA_enc),
                       static_cast<QWidget*>(edt_DE_enc), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Label3)})
        w->setVisible(on);
}

void TForm1::showWaitForSync()
{
    showFields(false);
    Label1->setText(kWaitForSync);
    show();
}

void TForm1::showSyncDone()
{
    showFields(true);
    Label1->setText(kEncoderPpr);
}
