// The encoder pulses dialog: what the control loop reads from it, its OK
// button's check, and its clock-sync face.

#include "setup/encoder_setup.h"

#include "board/control.h"
#include "board/control_ui.h"
#include "tests/support/fake_dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

class EncoderDialog : public ::testing::Test {
protected:
    testing_support::FakeDialogs dialogs;
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>();
};

TEST_F(EncoderDialog, TheLoopReadsTheTypedTextsWhileTheDialogLives)
{
    EXPECT_EQ(form->objectName(), "Form1");
    EXPECT_EQ(form->windowTitle(), "Config");
    EXPECT_EQ(form->Label1->text(), "Encoder ppr");
    EXPECT_TRUE(form->edt_RA_enc->alignment() & Qt::AlignRight);
    using Texts = std::optional<std::pair<std::string, std::string>>;
    EXPECT_EQ(CONTROL::ui().encoderTexts(), (Texts{{"2048", "2048"}}));
    form->edt_DE_enc->setText("4096");
    EXPECT_EQ(CONTROL::ui().encoderTexts(), (Texts{{"2048", "4096"}}));
    form.reset();
    EXPECT_EQ(CONTROL::ui().encoderTexts(), Texts{});
}

TEST_F(EncoderDialog, OkClosesOnlyOnPulseCountsTheBoardTakes)
{
    const std::pair<const char*, const char*> refused[] = {
        {"0", "2048"}, {"2048", "65536"}, {"", "2048"}, {"abc", "2048"}, {"2048", "-1"}, {"20.5", "2048"},
        {"2048", "4294969344"},  // 2048 in its low 32 bits
    };
    for (const auto& [ra, de] : refused) {
        dialogs.clear();
        form->open();
        form->edt_RA_enc->setText(ra);
        form->edt_DE_enc->setText(de);
        form->B_Start->click();
        EXPECT_TRUE(form->isVisible()) << ra << " " << de;
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].text, CONTROL::kEncoderPulsesRule);
    }
    dialogs.clear();
    form->edt_RA_enc->setText("1");
    form->edt_DE_enc->setText("65535");
    form->B_Start->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), 1);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(EncoderDialog, TheClockSyncHidesTheFieldsWhileItWaits)
{
    CONTROL::ui().syncDialogWaiting();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->Label1->text(), "Wait for sync");
    for (QWidget* w : {static_cast<QWidget*>(form->B_Start), static_cast<QWidget*>(form->edt_RA_enc),
                       static_cast<QWidget*>(form->edt_DE_enc), static_cast<QWidget*>(form->Label2),
                       static_cast<QWidget*>(form->Label3)})
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    CONTROL::ui().syncDialogDone();
    EXPECT_EQ(form->Label1->text(), "Encoder ppr");
    EXPECT_TRUE(form->edt_RA_enc->isVisible());
    EXPECT_TRUE(form->B_Start->isVisible());
    EXPECT_TRUE(form->isVisible()) << "the dialog stays shown";
}

}  // namespace
