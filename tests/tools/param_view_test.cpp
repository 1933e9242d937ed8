// The parameter editor: its tabs and rows for the declared parameters, what
// Exit, Save and Cancel take, and what it never takes.

#include "tests/support/modal.h"
#include "tests/tools/tools_stand.h"
#include "tools/param_rows.h"
#include "tools/params_edit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTimer>

#include <memory>
#include <vector>

namespace {

using Row = Tparam_view::FORM_PARAM_T;

TEST(ParamRows, ChoiceItemsAndTheItemAValueSelects)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(param_rows::choiceItems("Yes;No"), (V{"Yes", "No"}));
    EXPECT_EQ(param_rows::choiceItems("Yes;No;"), (V{"Yes", "No"})) << "a final ';' adds no item";
    EXPECT_EQ(param_rows::choiceItems("a;;b"), (V{"a", "", "b"})) << "';;' adds an empty one";
    EXPECT_EQ(param_rows::choiceItems(";"), (V{""}));
    EXPECT_EQ(param_rows::choiceItems(""), V{});

    EXPECT_EQ(param_rows::selectedItem({"Yes", "No"}, "yes"), 0);
    EXPECT_EQ(param_rows::selectedItem({"Yes", "No"}, "TRUE"), -1);
    EXPECT_EQ(param_rows::selectedItem({"on", "ON"}, "On"), 1) << "the last equal item";
    EXPECT_EQ(param_rows::rowTop(3), 70);
    EXPECT_EQ(param_rows::UNIT_LEFT, 241);
}

class ParamView : public tools_testing::ToolsStand {
protected:
    void SetUp() override
    {
        ToolsStand::SetUp();
        CONFIGPATH = home.path();
        CONFIGFILE = "orlasetup.ini";
        view = std::make_unique<Tparam_view>();
    }
    void TearDown() override
    {
        view.reset();
        ToolsStand::TearDown();
    }

    Row& row(const char* name) { return view->FORM_LIST.at(static_cast<std::size_t>(GET_PARAM_INDEX(name))); }

    void selectTab(const QString& caption)
    {
        for (int i = 0; i < view->TabControl1->count(); ++i)
            if (view->TabControl1->tabText(i) == caption)
                view->TabControl1->setCurrentIndex(i);
    }

    // The parameters whose rows are shown, in row order.
    std::vector<std::string> shownRows() const
    {
        std::vector<std::string> names;
        for (const Row& r : view->FORM_LIST)
            if (!r.LAB->isHidden())
                names.push_back(r.LAB->text().toStdString());
        return names;
    }

    std::unique_ptr<Tparam_view> view;
};

TEST_F(ParamView, OneTabPerVisibleSectionWithItsRowsInPlace)
{
    view->FormActivate();
    QStringList tabs;
    for (int i = 0; i < view->TabControl1->count(); ++i)
        tabs << view->TabControl1->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"param", "Window", "init", "control"}));
    EXPECT_EQ(view->TabControl1->currentIndex(), 0);
    ASSERT_EQ(view->FORM_LIST.size(), 25u) << "hidden sections have rows too, never shown";

    const std::vector<std::pair<QString, std::vector<std::string>>> expected = {
        {"param", {"Power_check", "USB_Vendor_ID", "Setup_align", "Setup_Range"}},
        {"Window", {"Language", "Auto_save"}},
        {"init", {"Equatorial"}},
        {"control", {"Manual_speed"}},
    };
    for (const auto& [tab, names] : expected) {
        selectTab(tab);
        ASSERT_EQ(shownRows(), names) << tab.toStdString();
        for (std::size_t n = 0; n < names.size(); ++n) {
            const Row& r = row(names[n].c_str());
            const int top = 10 + 20 * static_cast<int>(n);
            QWidget* input = r.CBOX ? static_cast<QWidget*>(r.CMB) : r.EDT;
            QWidget* other = r.CBOX ? static_cast<QWidget*>(r.EDT) : r.CMB;
            EXPECT_EQ(r.LAB->pos(), QPoint(10, top)) << names[n];
            EXPECT_EQ(input->geometry(), QRect(110, top, 121, 20)) << names[n];
            EXPECT_EQ(r.UNT->pos(), QPoint(241, top)) << names[n];
            EXPECT_FALSE(input->isHidden());
            EXPECT_TRUE(other->isHidden()) << "the other input is never shown";
        }
    }

    const Row& power = row("Power_check");
    ASSERT_TRUE(power.CBOX);
    ASSERT_EQ(power.CMB->count(), 2);
    EXPECT_EQ(power.CMB->itemText(0), "Yes");
    EXPECT_EQ(power.CMB->itemText(1), "No");
    EXPECT_EQ(power.CMB->currentText(), "Yes");
    EXPECT_FALSE(row("USB_Vendor_ID").CBOX);
    EXPECT_EQ(row("USB_Vendor_ID").EDT->text(), "$04D8");
    EXPECT_EQ(row("Setup_Range").UNT->text(), "deg");
}

// The hidden sections hold more rows than any tab; they must not make every
// tab scroll. A tab whose own rows do not fit still scrolls.
TEST_F(ParamView, OnlyATabWhoseRowsDoNotFitScrolls)
{
    for (int i = 0; i < 12; ++i)
        PARAM_ADD("Long_" + std::to_string(i), "1", "long", "", "");
    view->show();
    view->FormActivate();
    QScrollBar* bar = view->ScrollBox1->verticalScrollBar();
    for (const QString tab : {"param", "Window", "init", "control", "long", "param"}) {
        selectTab(tab);
        QCoreApplication::processEvents();
        EXPECT_EQ(bar->isVisible(), tab == "long") << tab.toStdString();
    }
    view->hide();
}

TEST_F(ParamView, ShowingItTranslatesItWithoutAnActivation)
{
    programInDataFolder();
    ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.en"));
    EXPECT_EQ(view->Exit_Button->text(), "Exit_Button");
    view->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(view->Exit_Button->text(), "Exit");
    EXPECT_EQ(view->Save_Button->text(), "Save");
    EXPECT_EQ(view->Cancel_Button->text(), "Cancel");
    EXPECT_EQ(view->windowTitle(), "param_view");
    EXPECT_EQ(view->TabControl1->count(), 4);
    view->hide();
}

TEST_F(ParamView, ExitTakesOnlyTheRowsTheOperatorChanged)
{
    SET_PARAM("Power_check", "TRUE");  // as a settings file may have it
    SET_PARAM("Auto_save", "yes");
    view->FormActivate();
    EXPECT_EQ(row("Power_check").CMB->currentIndex(), -1);
    EXPECT_EQ(row("Power_check").CMB->currentText(), "");
    EXPECT_EQ(row("Auto_save").CMB->currentText(), "Yes");

    SET_PARAM("Setup_align", "Yes");  // the set-up wizard, while the editor is open
    row("USB_Vendor_ID").EDT->setText("$04D9");
    row("Equatorial").CMB->setCurrentIndex(1);
    row("Cycle_Time").EDT->setText("99");  // a hidden row
    view->Exit_ButtonClick();

    EXPECT_EQ(view->result(), Tparam_view::mrExit);
    EXPECT_EQ(GET_PARAM("USB_Vendor_ID"), "$04D9");
    EXPECT_EQ(GET_PARAM("Equatorial"), "No");
    EXPECT_EQ(GET_PARAM("Power_check"), "TRUE") << "a value the box cannot show keeps its meaning";
    EXPECT_TRUE(GET_BPARAM("Power_check"));
    EXPECT_EQ(GET_PARAM("Auto_save"), "yes");
    EXPECT_EQ(GET_PARAM("Setup_align"), "Yes") << "a change made elsewhere meanwhile stays";
    EXPECT_EQ(GET_PARAM("Cycle_Time"), "10") << "hidden rows are never taken";

    // The operator picks a value for the row that showed none.
    view->FormActivate();
    row("Power_check").CMB->setCurrentIndex(1);
    view->Exit_ButtonClick();
    EXPECT_EQ(GET_PARAM("Power_check"), "No");
}

TEST_F(ParamView, CancelTakesNothingSaveTakesAndKeepsTheSettingsFileAsTheNewestBackup)
{
    testing_support::TempDir& dir = home;
    const std::string settings = "Setup_Range=5\n";
    dir.write("orlasetup.ini", settings);
    dir.write("orlasetup.old", "first");
    dir.write("orlasetup.old1", "second");

    view->FormActivate();
    row("Setup_Range").EDT->setText("7");
    view->Cancel_ButtonClick();
    EXPECT_EQ(view->result(), Tparam_view::mrCancel);
    EXPECT_EQ(GET_PARAM("Setup_Range"), "5");

    view->FormActivate();
    EXPECT_EQ(row("Setup_Range").EDT->text(), "5") << "the next opening shows the values in force";
    row("Setup_Range").EDT->setText("7");
    view->Save_ButtonClick();
    EXPECT_EQ(GET_PARAM("Setup_Range"), "7");
    EXPECT_EQ(testing_support::readFile(dir.path() + "orlasetup.old"), settings);
    EXPECT_EQ(testing_support::readFile(dir.path() + "orlasetup.old1"), "first");
    EXPECT_EQ(testing_support::readFile(dir.path() + "orlasetup.old2"), "second");
    EXPECT_EQ(testing_support::readFile(dir.path() + "orlasetup.ini"), settings) << "no settings file is written";
    view->Cancel_ButtonClick();
    EXPECT_EQ(view->result(), Tparam_view::mrCancel);
    EXPECT_EQ(GET_PARAM("Setup_Range"), "7") << "what Save took stays";
}

TEST_F(ParamView, AnyTypedTextIsTakenCutOnACharacterBoundary)
{
    view->FormActivate();
    row("Setup_Range").EDT->setText("abc");
    std::string long_;
    for (int i = 0; i < 200; ++i)
        long_ += "\xC3\xA9";  // two bytes each
    row("Manual_speed").EDT->setText(QString::fromStdString(long_));
    view->Exit_ButtonClick();
    EXPECT_EQ(GET_PARAM("Setup_Range"), "abc");
    EXPECT_EQ(GET_IPARAM("Setup_Range"), 0) << "a text that does not convert reads 0";
    EXPECT_EQ(GET_PARAM("Manual_speed"), long_.substr(0, 254));
}

TEST_F(ParamView, LaterOpeningsRefreshAndKeepTheirTab)
{
    view->FormActivate();
    selectTab("Window");
    view->Exit_ButtonClick();

    SET_PARAM("Language", "de");  // the language chooser
    SET_PARAM("Setup_Range", "9");
    system_init::INIT_PARAM();     // Reset puts the defaults back
    PARAM_ADD("GetStar", "No", "-allign", "Yes;No", "");  // declared after the rows were made
    SET_PARAM("Language", "de");
    view->FormActivate();
    EXPECT_EQ(view->TabControl1->tabText(view->TabControl1->currentIndex()), "Window");
    EXPECT_EQ(shownRows(), (std::vector<std::string>{"Language", "Auto_save"}));
    EXPECT_EQ(row("Language").EDT->text(), "de");
    EXPECT_EQ(view->FORM_LIST.size(), 25u) << "a parameter declared later has no row";
    row("Language").EDT->setText("fr");
    view->Exit_ButtonClick();
    EXPECT_EQ(GET_PARAM("Language"), "fr");
    EXPECT_EQ(GET_PARAM("GetStar"), "No");
    EXPECT_EQ(GET_PARAM("Setup_Range"), "5");
}

TEST_F(ParamView, EachOpeningShowsTheValuesInForce)
{
    for (const char* value : {"5", "8", "9"}) {
        SET_PARAM("Setup_Range", value);
        testing_support::inModal(*view, [&] {
            ASSERT_EQ(view->FORM_LIST.size(), 25u);
            EXPECT_EQ(row("Setup_Range").EDT->text(), value);
            view->Cancel_Button->click();
        });
        EXPECT_EQ(view->ShowModal(), Tparam_view::mrCancel);
    }
}

TEST_F(ParamView, ModalResultsOfExitCancelAndTheTitleBar)
{
    const auto run = [&](const std::function<void()>& then) {
        testing_support::inModal(*view, then);
        return view->ShowModal();
    };
    EXPECT_EQ(run([&] { view->Exit_Button->click(); }), Tparam_view::mrExit);
    EXPECT_EQ(run([&] { view->Cancel_Button->click(); }), Tparam_view::mrCancel);
    EXPECT_EQ(run([&] { view->close(); }), Tparam_view::mrCancel) << "the title bar cancels";
    EXPECT_EQ(run([&] { view->reject(); }), Tparam_view::mrCancel) << "and so does Escape";
}

}  // namespace
