#include "sky/presel_add.h"

#include "platform/form_activation.h"
#include "tests/sky/sky_stand.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

class EntryDialog : public sky_testing::SkyStand {
protected:
    QColor colourOf(const QLineEdit* e) const { return e->palette().color(QPalette::Base); }
    bool red(const QLineEdit* e) const { return colourOf(e) == QColor(255, 0, 0); }
    // Shows the dialog modally, runs `act` inside, and returns its result.
    int run(const std::function<void()>& act)
    {
        QTimer::singleShot(0, &dialog, [&] {
            QCoreApplication::processEvents();  // the showing's activation first
            act();
            if (dialog.isVisible())
                dialog.reject();  // what the test did not close, Cancel does
        });
        return dialog.exec();
    }

    TF_presel_add dialog;
};

TEST_F(EntryDialog, CoordinateEditsAreRedWhileTheirTextDoesNotFit)
{
    struct Case {
        const char* text;
        bool fits;
    };
    for (const Case& c : {Case{"12h30m15.5s", true}, Case{"  5h03m07.2s", true}, Case{"12h30m15.5s junk", true},
                          Case{"24h00m00.0s", false}, Case{"5h03m07s", false}, Case{"12h30m15.5", false},
                          Case{"", false}}) {
        dialog.Object_RA->setText(c.text);
        EXPECT_EQ(red(dialog.Object_RA), !c.fits) << c.text;
        if (c.fits) {
            EXPECT_EQ(colourOf(dialog.Object_RA), TF_presel_add::fitColour());
        }
    }
    for (const Case& c : {Case{"-45d30'15.5\"", true}, Case{"-    5d07'07.2\"", true}, Case{"   23d03'44.7\"", true},
                          Case{"45d30'15.5", false}, Case{"360d00'00.0\"", false}, Case{"", false},
                          // Past a pole is no declination, though its template allows 359 degrees.
                          Case{"-90d00'00.0\"", true}, Case{"90d00'00.0\"", true}, Case{"-120d00'00.0\"", false},
                          Case{"90d00'00.1\"", false}, Case{"-  91d00'00.0\"", false}, Case{"90d01'00.0\"", false}}) {
        dialog.Object_Decl->setText(c.text);
        EXPECT_EQ(red(dialog.Object_Decl), !c.fits) << c.text;
    }
    // The name is never checked, so never coloured.
    const QColor before = colourOf(dialog.Object_Name);
    dialog.Object_Name->setText("");
    dialog.Object_Name->setText("x");
    EXPECT_EQ(colourOf(dialog.Object_Name), before);
}

TEST_F(EntryDialog, OkClosesOnlyWithANameAndTwoFittingCoordinates)
{
    struct Case {
        const char *name, *ra, *decl;
        int result;
    };
    for (const Case& c : {Case{"M 31", "0h42m44.3s", "41d16'09.0\"", QDialog::Accepted},
                          Case{"   ", "0h42m44.3s", "41d16'09.0\"", QDialog::Accepted},
                          Case{"", "0h42m44.3s", "41d16'09.0\"", QDialog::Rejected},
                          Case{"M 31", "0h42m44.3", "41d16'09.0\"", QDialog::Rejected},
                          Case{"M 31", "0h42m44.3s", "-120d00'00.0\"", QDialog::Rejected},
                          Case{"M 31", "0h42m44.3s", "41d16'09.0", QDialog::Rejected}}) {
        const int result = run([&] {
            dialog.Object_Name->setText(c.name);
            dialog.Object_RA->setText(c.ra);
            dialog.Object_Decl->setText(c.decl);
            dialog.B_save->click();
        });
        EXPECT_EQ(result, c.result) << c.name << "|" << c.ra << "|" << c.decl;
    }
    // Texts stay exactly as typed, and Cancel keeps them for the next showing.
    EXPECT_EQ(run([&] { dialog.B_cancel->click(); }), QDialog::Rejected);
    EXPECT_EQ(dialog.Object_Decl->text(), "41d16'09.0");
    EXPECT_TRUE(red(dialog.Object_Decl));
}

TEST_F(EntryDialog, ShowingTranslatesLabelsAndButtons)
{
    useShippedLanguage();
    platform::resetFormActivation();
    run([] {});
    EXPECT_EQ(dialog.Label1->text(), "Name");
    EXPECT_EQ(dialog.Label2->text(), "Right ascension");
    EXPECT_EQ(dialog.Label3->text(), "Declination");
    EXPECT_EQ(dialog.B_save->text(), "OK");
    EXPECT_EQ(dialog.B_cancel->text(), "Cancel");
    EXPECT_EQ(dialog.windowTitle(), "F_presel_add");
}

}  // namespace
