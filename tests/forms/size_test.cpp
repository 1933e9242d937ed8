#include "forms/size.h"

#include "tests/support/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

using namespace winsize;
using testing_support::namedItem;
using testing_support::namedMenu;

template <class W>
W* place(QWidget* parent, const char* name, int left, int top, int width, int height, int points = 9)
{
    auto* w = new W(parent);
    w->setObjectName(name);
    w->setGeometry(left, top, width, height);
    QFont f = w->font();
    f.setPointSize(points);
    w->setFont(f);
    return w;
}

// A window of that name and client size.
void shape(QWidget& form, const char* name, int width, int height)
{
    form.setObjectName(name);
    form.resize(width, height);
}

// The window of the scaling examples: 400 x 300 with one control of each
// kind, a panel holding a button, and a menu three levels deep.
struct MainWindow {
    QWidget form;
    QPushButton* button;
    QFrame* bevel;
    QCheckBox* check;
    QLabel* version;
    QGroupBox* panel;
    QPushButton* inner;
    QLabel* pixelFont;
    QListWidget* list;
    QComboBox* combo;
    QLineEdit* edit;

    MainWindow()
    {
        shape(form, "Main_view", 400, 300);
        button = place<QPushButton>(&form, "B_Init", 20, 10, 75, 25);
        button->setText("Init");
        bevel = place<QFrame>(&form, "Bevel1", 0, 40, 200, 2);
        check = place<QCheckBox>(&form, "CB_Track", 30, 60, 100, 20);
        check->setText("Track");
        version = place<QLabel>(&form, "Version", 300, 280, 90, 15);
        version->setText("1.4.0.25");
        panel = place<QGroupBox>(&form, "Panel1", 10, 100, 120, 80);
        inner = place<QPushButton>(panel, "B_Inner", 5, 20, 50, 20);
        pixelFont = place<QLabel>(&form, "L_Pixels", 150, 100, 40, 10);
        QFont f = pixelFont->font();
        f.setPixelSize(11);
        pixelFont->setFont(f);
        list = place<QListWidget>(&form, "LB_Objects", 200, 100, 100, 60);
        list->addItems({"Moon", "Mars"});
        combo = place<QComboBox>(&form, "CMB_Speed", 200, 170, 60, 20);
        combo->addItems({"slow", "fast"});
        edit = place<QLineEdit>(&form, "E_Pulses", 200, 200, 60, 20);
        edit->setText("4000");

        auto* bar = new QMenuBar(&form);
        bar->setObjectName("MainMenu");
        QMenu* file = namedMenu(bar, "File1");
        bar->addMenu(file);
        namedItem(file, "Open1")->setText("Open...");
        file->addSeparator();
        QMenu* sub = namedMenu(file, "Setup1");
        file->addMenu(sub);
        namedItem(sub, "Gear1");
        QMenu* help = namedMenu(bar, "Help1");
        bar->addMenu(help);
        namedItem(help, "About1");
    }
};

struct Geometry {
    int top, left, height, width;
};

void expectGeometry(const QWidget* w, Geometry g)
{
    SCOPED_TRACE(w->objectName().toStdString());
    EXPECT_EQ(w->y(), g.top);
    EXPECT_EQ(w->x(), g.left);
    EXPECT_EQ(w->height(), g.height);
    EXPECT_EQ(w->width(), g.width);
}

std::vector<std::string> names(const WIN_LIST& slot)
{
    std::vector<std::string> out;
    for (const WIN_OBJ& r : slot.FORM)
        out.push_back(r.NAME);
    return out;
}

struct WindowScaling : ::testing::Test {
    void SetUp() override { RELEASE_SCALING(); }
    void TearDown() override { RELEASE_SCALING(); }
};

TEST_F(WindowScaling, RecordsTheWindowItsControlsInOrderAndItsMenuDepthFirst)
{
    MainWindow w;
    GET_OBJECTS(&w.form);

    ASSERT_EQ(FORM_LIST.size(), 1u);
    const WIN_LIST& slot = FORM_LIST[0];
    EXPECT_EQ(names(slot),
              (std::vector<std::string>{"Main_view", "B_Init", "Bevel1", "CB_Track", "Version", "Panel1",
                                        "L_Pixels", "LB_Objects", "CMB_Speed", "E_Pulses", "File1", "Open1",
                                        "Setup1", "Gear1", "Help1", "About1"}));
    EXPECT_EQ(slot.FORM[0].WIDTH, 400);
    EXPECT_EQ(slot.FORM[0].HEIGHT, 300);

    const WIN_OBJ& button = slot.FORM[1];
    EXPECT_EQ(button.TEXT, "Init");
    EXPECT_EQ(button.TOP, 10);
    EXPECT_EQ(button.LEFT, 20);
    EXPECT_EQ(button.WIDTH, 75);
    EXPECT_EQ(button.HEIGHT, 25);
    EXPECT_EQ(button.FONTSIZE, 9);
    EXPECT_EQ(slot.FORM[2].FONTSIZE, 0);  // a bevel has no font
    EXPECT_EQ(slot.FORM[3].TEXT, "Track");
    EXPECT_EQ(slot.FORM[3].FONTSIZE, 9);
    EXPECT_EQ(slot.FORM[6].FONTSIZE, 0);  // sized in pixels
    EXPECT_EQ(slot.FORM[7].TEXT, "Moon;Mars");
    EXPECT_EQ(slot.FORM[8].TEXT, "slow");
    EXPECT_EQ(slot.FORM[9].TEXT, "4000");
    EXPECT_EQ(slot.FORM[11].TEXT, "Open...");

    EXPECT_EQ(NON_RESIZE, (std::vector<std::string>{"File1", "Open1", "Setup1", "Gear1", "Help1", "About1"}));
}

TEST_F(WindowScaling, TextsAreCutAt255BytesWithoutSplittingACharacter)
{
    QWidget form;
    form.setObjectName("F_list");
    auto* list = place<QListWidget>(&form, "LB", 0, 0, 10, 10);
    list->addItems({QString(127, u'a'), QString(126, u'b') + QStringLiteral("\u00e9"), "tail"});
    GET_OBJECTS(&form);
    // 127 + 1 + 126 = 254 bytes; the two bytes of the letter would be bytes 255 and 256.
    EXPECT_EQ(FORM_LIST[0].FORM[1].TEXT, std::string(127, 'a') + ";" + std::string(126, 'b'));
}

TEST_F(WindowScaling, RescalesEachKindAgainstTheRecordedSize)
{
    MainWindow w;
    GET_OBJECTS(&w.form);
    ADD_NONRESIZE("Version");
    w.form.resize(800, 450);  // h = 1.5, w = 2.0, uniform 1.5
    SET_OBJECTS(&w.form);

    expectGeometry(w.button, {15, 40, 38, 112});  // 37.5 and 112.5 go to the even side
    EXPECT_EQ(w.button->font().pointSize(), 14);  // 13.5
    expectGeometry(w.bevel, {60, 0, 3, 400});     // each axis its own factor
    expectGeometry(w.check, {90, 60, 30, 150});
    EXPECT_EQ(w.check->font().pointSize(), 9);
    expectGeometry(w.version, {280, 300, 15, 90});
    EXPECT_EQ(w.version->font().pointSize(), 9);
    expectGeometry(w.panel, {150, 20, 120, 180});
    expectGeometry(w.inner, {20, 5, 20, 50});  // moves with its panel only
    EXPECT_EQ(w.inner->font().pointSize(), 9);
    EXPECT_EQ(w.pixelFont->font().pixelSize(), 11);
    for (QWidget* c : std::initializer_list<QWidget*>{w.list, w.combo, w.edit})
        EXPECT_EQ(c->font().pointSize(), 14) << c->objectName().toStdString();
    expectGeometry(w.edit, {300, 400, 30, 90});

    // Scaling is always against the record, never against the last result.
    w.form.resize(400, 300);
    SET_OBJECTS(&w.form);
    expectGeometry(w.button, {10, 20, 25, 75});
    EXPECT_EQ(w.button->font().pointSize(), 9);
}

TEST_F(WindowScaling, NamesOfMenuItemsAndAddedNamesAreNeverRescaledInAnyWindow)
{
    MainWindow main;
    GET_OBJECTS(&main.form);
    QWidget other;
    shape(other, "F_preselect", 100, 100);
    QPushButton* clash = place<QPushButton>(&other, "Gear1", 10, 10, 20, 20);
    QPushButton* plain = place<QPushButton>(&other, "B_GoTo", 10, 40, 20, 20);
    GET_OBJECTS(&other);

    RESIZE_ALL(&other, 2.0, 2.0, 2.0);
    expectGeometry(clash, {10, 10, 20, 20});
    expectGeometry(plain, {80, 20, 40, 40});
    EXPECT_TRUE(RESIZEABLE("gear1"));  // letter case counts here
    EXPECT_FALSE(RESIZEABLE("Gear1"));
}

TEST_F(WindowScaling, LooksUpRecordsWithoutRegardToLetterCaseAndFallsBackToTheLast)
{
    EXPECT_EQ(GET_CTRL("Main_view", "Main_view").NAME, "");  // nothing recorded yet

    MainWindow main;
    GET_OBJECTS(&main.form);
    QWidget setup;
    shape(setup, "Setup", 256, 239);
    place<QPushButton>(&setup, "B_OK", 1, 2, 3, 4);
    GET_OBJECTS(&setup);

    EXPECT_EQ(GET_CTRL("MAIN_VIEW", "main_view").WIDTH, 400);
    EXPECT_EQ(GET_CTRL("main_View", "b_init").LEFT, 20);
    EXPECT_EQ(GET_CTRL("Main_view", "NoSuchControl").NAME, "About1");  // the window's last record
    EXPECT_EQ(GET_CTRL("NoSuchWindow", "b_ok").HEIGHT, 4);            // the last window
    EXPECT_EQ(GET_CTRL("NoSuchWindow", "x").NAME, "B_OK");
}

TEST_F(WindowScaling, RecordingAgainReusesTheSlotAndKeepsAddingMenuNames)
{
    MainWindow main;
    GET_OBJECTS(&main.form);
    delete main.edit;
    delete main.combo;
    main.button->setGeometry(1, 2, 3, 4);
    GET_OBJECTS(&main.form);

    ASSERT_EQ(FORM_LIST.size(), 1u);
    EXPECT_EQ(FORM_LIST[0].FORM.size(), 1u + 7u + 6u);
    EXPECT_EQ(GET_CTRL("Main_view", "B_Init").WIDTH, 3);
    EXPECT_EQ(GET_CTRL("Main_view", "E_Pulses").NAME, "About1");
    EXPECT_EQ(NON_RESIZE.size(), 12u);
}

TEST_F(WindowScaling, AControlRaisedSinceTheRecordingDoesNotTakeAnotherControlsGeometry)
{
    QWidget form;
    shape(form, "F_list", 100, 100);
    QPushButton* a = place<QPushButton>(&form, "A", 10, 10, 20, 20);
    QLabel* b = place<QLabel>(&form, "B", 50, 50, 30, 10);
    GET_OBJECTS(&form);
    a->raise();  // now the last child

    RESIZE_ALL(&form, 2.0, 2.0, 2.0);
    expectGeometry(a, {10, 10, 20, 20});
    expectGeometry(b, {50, 50, 10, 30});
}

TEST_F(WindowScaling, FactorsThatGiveNoNumberOrNoFittingNumberChangeNothing)
{
    QWidget form;
    form.setObjectName("F_list");
    QPushButton* b = place<QPushButton>(&form, "B", 10, 10, 20, 20);
    form.resize(0, 0);
    GET_OBJECTS(&form);  // recorded without a size
    form.resize(300, 300);
    SET_OBJECTS(&form);
    expectGeometry(b, {10, 10, 20, 20});

    for (double f : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e300}) {
        RESIZE_ALL(&form, f, 1.0, 1.0);
        RESIZE_ALL(&form, 1.0, 1.0, f);
        expectGeometry(b, {10, 10, 20, 20});
        EXPECT_EQ(b->font().pointSize(), 9);
    }
}

TEST_F(WindowScaling, MainWindowPublishesItsFactorAndOtherWindowsApplyIt)
{
    MainWindow main;
    GET_OBJECTS(&main.form);
    QWidget setup;
    shape(setup, "Setup", 256, 239);
    QPushButton* ok = place<QPushButton>(&setup, "B_OK", 10, 20, 75, 25);
    GET_OBJECTS(&setup);

    APPLY_SCALE(&setup);  // nothing published yet
    EXPECT_EQ(setup.size(), QSize(256, 239));
    expectGeometry(ok, {20, 10, 25, 75});

    main.form.resize(800, 450);
    PUBLISH_SCALE(&main.form);
    EXPECT_TRUE(WIN_SCALE);
    EXPECT_DOUBLE_EQ(WIN_RESIZE, 1.5);
    expectGeometry(main.button, {15, 40, 38, 112});

    // The other window takes its design size times the factor, whatever size it had.
    setup.resize(10, 10);
    APPLY_SCALE(&setup);
    EXPECT_EQ(setup.size(), QSize(384, 358));  // 358.5 goes to the even side
    expectGeometry(ok, {30, 15, 38, 112});
    EXPECT_EQ(ok->font().pointSize(), 14);

    main.form.resize(200, 300);
    PUBLISH_SCALE(&main.form);
    EXPECT_DOUBLE_EQ(WIN_RESIZE, 0.5);
    APPLY_SCALE(&setup);
    EXPECT_EQ(setup.size(), QSize(128, 120));  // 119.5 goes to the even side
}

}  // namespace
