#include "core/language.h"
#include "forms/translate.h"
#include "platform/form_activation.h"
#include "tests/support/fake_system.h"
#include "tests/support/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

using testing_support::FakeSystem;
using testing_support::namedItem;
using testing_support::namedMenu;
using testing_support::TempDir;

// A label subclass, as a lamp might be made; it has no meta-object of its own.
class Lamp : public QLabel {
public:
    using QLabel::QLabel;
};

template <class W>
W* add(QWidget* parent, const char* name, const char* text = nullptr)
{
    auto* w = new W(parent);
    w->setObjectName(name);
    if constexpr (requires { w->setText(QString()); })
        if (text)
            w->setText(QString::fromUtf8(text));
    return w;
}

// A window with every kind of component and a menu three levels deep; every
// component shows its own name until translated.
struct Window {
    QWidget form;
    QLabel* label;
    QPushButton* button;
    QCheckBox* check;
    QPlainTextEdit* memo;
    QLineEdit* edit;
    QComboBox* combo;
    QRadioButton* radio;
    QPushButton* nested;
    Lamp* lamp;
    QLabel* picture;
    QLabel* unnamed;
    QMenuBar* bar;
    QMenu *file, *recent, *help;
    QAction *open, *old, *about;

    Window()
    {
        form.setObjectName("Main_View");
        form.setWindowTitle("Main_View");
        label = add<QLabel>(&form, "L_Object", "L_Object");
        button = add<QPushButton>(&form, "B_Init", "B_Init");
        check = add<QCheckBox>(&form, "C_Auto", "C_Auto");
        memo = add<QPlainTextEdit>(&form, "M_Notes");
        memo->setPlainText("line a\nline b");
        edit = add<QLineEdit>(&form, "E_Value", "E_Value");
        combo = add<QComboBox>(&form, "X_Speed");
        combo->setEditable(true);
        combo->setEditText("X_Speed");
        radio = add<QRadioButton>(&form, "R_Mode", "R_Mode");
        auto* group = add<QGroupBox>(&form, "G_Box");
        nested = add<QPushButton>(group, "B_Nested", "B_Nested");
        lamp = add<Lamp>(&form, "L_Lamp", "L_Lamp");
        picture = add<QLabel>(&form, "L_Picture");
        QPixmap pm(4, 4);
        pm.fill(Qt::green);
        picture->setPixmap(pm);
        unnamed = add<QLabel>(&form, "", "unnamed");

        bar = add<QMenuBar>(&form, "MainMenu1");
        file = namedMenu(bar, "File1");
        open = namedItem(file, "Open1");
        recent = namedMenu(file, "Recent1");
        old = namedItem(recent, "Old1");
        file->addMenu(recent);
        bar->addMenu(file);
        help = namedMenu(bar, "Help1");
        about = namedItem(help, "About1");
        bar->addMenu(help);
    }
};

constexpr const char* kEnglish =
    "[Main_View]\n"
    "Main_View=Window title\n"
    "L_Object=Object\n"
    "B_Init=Init\n"
    "C_Auto=Automatic\n"
    "M_Notes=first;;third\n"
    "E_Value=edit text\n"
    "X_Speed=combo text\n"
    "R_Mode=radio text\n"
    "B_Nested=nested in the window section\n"
    "L_Lamp=lamp text\n"
    "L_Picture=picture text\n"
    "remark without a key\n"
    "File1=&File\n"
    "Open1=&Open...\n"
    "Recent1=Recent\n"
    "Old1=old\n"
    "Help1=&Help\n"
    "About1=About\n"
    "[G_Box]\n"
    "B_Nested=nested in its own section\n";

// Names only two of the window's texts.
constexpr const char* kGerman =
    "[main_view]\n"
    "l_object=Objekt\n"
    "file1=&Datei\n";

class Translate : public ::testing::Test {
protected:
    void SetUp() override
    {
        LANGUAGE::CLEAR();
        fake.program = tmp.path() + "orla_setup";
        tmp.write("orla_setup.lng.en", kEnglish);
        tmp.write("orla_setup.lng.de", kGerman);
        platform::resetFormActivation();
    }
    void TearDown() override { LANGUAGE::CLEAR(); }

    TempDir tmp;
    FakeSystem fake;
};

TEST_F(Translate, SetAllTranslatesExactlyTheTranslatedKinds)
{
    Window w;
    ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.en"));
    LANGUAGE::SETALL(&w.form);

    EXPECT_EQ(w.label->text(), "Object");
    EXPECT_EQ(w.button->text(), "Init");
    EXPECT_EQ(w.check->text(), "Automatic");
    EXPECT_EQ(w.memo->toPlainText(), "first\n\nthird");

    EXPECT_EQ(w.form.windowTitle(), "Main_View");
    EXPECT_EQ(w.edit->text(), "E_Value");
    EXPECT_EQ(w.combo->currentText(), "X_Speed");
    EXPECT_EQ(w.radio->text(), "R_Mode");
    EXPECT_EQ(w.nested->text(), "B_Nested");
    EXPECT_EQ(w.lamp->text(), "L_Lamp");
    EXPECT_FALSE(w.picture->pixmap().isNull()) << "a caption never wipes a picture";
    EXPECT_EQ(w.unnamed->text(), "unnamed");

    EXPECT_EQ(w.file->title(), "&File");
    EXPECT_EQ(w.open->text(), "&Open...");
    EXPECT_EQ(w.recent->title(), "Recent");
    EXPECT_EQ(w.help->title(), "&Help");
    EXPECT_EQ(w.about->text(), "About");
    EXPECT_EQ(w.old->text(), "Old1") << "the third menu level keeps its caption";
}

TEST_F(Translate, SecondLanguageSwitchesAndKeepsWhatItDoesNotName)
{
    Window w;
    LANGUAGE::INIT("orla_setup.lng.en");
    LANGUAGE::SETALL(&w.form);
    ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.de"));
    LANGUAGE::SETALL(&w.form);

    EXPECT_EQ(w.label->text(), "Objekt");
    EXPECT_EQ(w.file->title(), "&Datei");
    EXPECT_EQ(w.button->text(), "Init");
    EXPECT_EQ(w.check->text(), "Automatic");
    EXPECT_EQ(w.about->text(), "About");
    EXPECT_EQ(w.memo->toPlainText(), "") << "a memo without an entry is one empty line";
    EXPECT_EQ(w.memo->document()->blockCount(), 1);

    // A missing file leaves the texts in force.
    EXPECT_FALSE(LANGUAGE::INIT("orla_setup.lng.fr"));
    LANGUAGE::SETALL(&w.form);
    EXPECT_EQ(w.label->text(), "Objekt");
}

TEST_F(Translate, MenuLevelsAreWalkedFromTheLastItem)
{
    Window w;
    std::vector<QString> order;
    for (QAction* a : {w.file->menuAction(), w.open, w.recent->menuAction(), w.old, w.help->menuAction(), w.about})
        QObject::connect(a, &QAction::changed, [&order, a] { order.push_back(a->text()); });
    LANGUAGE::INIT("orla_setup.lng.en");
    LANGUAGE::SETALL(&w.form);
    EXPECT_EQ(order, (std::vector<QString>{"&Help", "About", "&File", "Recent", "&Open..."}));
}

TEST_F(Translate, MultiPartCaptions)
{
    tmp.write("orla_setup.lng.mp",
              "[dev_int]\nB_Connect=Connect;Disconnect\nB_Empty=\nB_One=Go\n");
    ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.mp"));
    QWidget form;
    form.setObjectName("dev_int");
    auto* connect = add<QPushButton>(&form, "B_Connect", "design");
    auto* empty = add<QPushButton>(&form, "B_Empty", "design");
    auto* one = add<QPushButton>(&form, "B_One", "design");
    auto* none = add<QPushButton>(&form, "B_None", "design");

    struct ListCase {
        QPushButton* button;
        std::array<std::string, 2> expected;
    } lists[] = {
        {connect, {"Connect", "Disconnect"}},
        {empty, {"c0", "c1"}},
        {one, {"Go", "c1"}},
        {none, {"c0", "c1"}},
    };
    for (const ListCase& c : lists) {
        std::array<std::string, 2> lst{"c0", "c1"};
        LANGUAGE::SETMULTI(lst, c.button);
        EXPECT_EQ(lst, c.expected) << c.button->objectName().toStdString();
    }

    struct PosCase {
        QPushButton* button;
        int position;
        const char* caption;
    } positions[] = {
        {connect, 0, "Connect"}, {connect, 1, "Disconnect"}, {connect, 2, ""},
        {connect, -1, ""},       {connect, 40, ""},          {connect, 1000, ""},
        {one, 1, ""},            {empty, 0, ""},             {none, 0, ""},
    };
    for (const PosCase& c : positions) {
        c.button->setText("design");
        LANGUAGE::SETMULTI(c.button, c.position);
        EXPECT_EQ(c.button->text(), c.caption) << c.button->objectName().toStdString() << " " << c.position;
    }
}

// Each activation re-applies the language; a box closing over the window is
// not an activation.
TEST_F(Translate, EveryActivationAppliesTheLanguage)
{
    Window w;
    QWidget other;
    QMessageBox box;
    int activations = 0;
    platform::onFormActivate(&w.form, [&] {
        ++activations;
        LANGUAGE::SETALL(&w.form);
    });

    LANGUAGE::INIT("orla_setup.lng.en");
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&w.form, &activate);  // the toolkit's path
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(w.label->text(), "Object");

    LANGUAGE::INIT("orla_setup.lng.de");
    platform::formWindowActivated(&box);
    platform::formWindowActivated(&w.form);
    platform::formWindowActivated(&w.form);
    EXPECT_EQ(activations, 1) << "coming back from a message box";
    EXPECT_EQ(w.label->text(), "Object");

    platform::formWindowActivated(&other);
    platform::formWindowActivated(&w.form);
    EXPECT_EQ(activations, 2);
    EXPECT_EQ(w.label->text(), "Objekt");
    EXPECT_EQ(w.button->text(), "Init");
}

// Showing a window activates it, each time it is shown, whether or not a
// window manager hands it the focus or another window came in between.
TEST_F(Translate, EachShowingIsAnActivation)
{
    Window w;
    int activations = 0;
    platform::onFormActivate(&w.form, [&] { ++activations; });
    for (int showing = 1; showing <= 3; ++showing) {
        w.form.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(activations, showing);
        platform::formWindowActivated(&w.form);  // the window manager's focus after it
        EXPECT_EQ(activations, showing) << "one activation per showing";
        w.form.hide();
    }
}

TEST_F(Translate, SetStringOnQString)
{
    LANGUAGE::INIT("orla_setup.lng.en");
    QString title = "kept", label = "old";
    LANGUAGE::SETSTRING("Main_View", "No_such_key", title);
    LANGUAGE::SETSTRING("MAIN_VIEW", "l_object", label);
    EXPECT_EQ(title, "kept");
    EXPECT_EQ(label, "Object");
}

}  // namespace
