// The main window's own handlers, its menu and its start and end of the
// mount side, on the offscreen platform with the platform services faked.

#include "board/hal.h"
#include "core/angles.h"
#include "core/params.h"
#include "platform/gui_bridge.h"
#include "tests/support/sim_link.h"
#include "tests/support/wait.h"
#include "tests/ui/main_view_stand.h"
#include "ui/program_close.h"
#include "forms/sound.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using MainView = main_view_testing::MainViewTest;

TEST_F(MainView, CreationRegistersRecordsAndLoads)
{
    EXPECT_EQ(view->objectName(), "Main_View");
    EXPECT_EQ(view->windowTitle(), "Telescope control");
    EXPECT_EQ(HANDLE("MAIN_VIEW"), view.get());
    EXPECT_TRUE(LANGUAGE::LANGUAGE_OK);
    EXPECT_TRUE(timerWasRunning);
    EXPECT_EQ(view->siderial->interval(), 10);

    std::vector<std::string> sounds;
    for (const TSoundList& s : view->PLAYSND->LIST) {
        sounds.push_back(s.NAME);
        EXPECT_TRUE(s.SOUND.empty()) << "the sound parameters are not declared";
    }
    EXPECT_EQ(sounds, (std::vector<std::string>{"Sun_Sound", "Horizon_Sound", "Lock_Sound", "Flip_Sound",
                                                "No_Flip_Sound"}));

    EXPECT_EQ(winsize::GET_CTRL("main_view", "Main_view").WIDTH, view->width());
    EXPECT_EQ(winsize::GET_CTRL("Main_view", "B_save").LEFT, view->B_save->x());
    EXPECT_FALSE(winsize::RESIZEABLE("Version"));

    for (const char* name : {"tele_RA", "tele_dec", "L_Object", "B_Init", "B_Align", "B_Gear", "B_save", "Button1",
                             "Version", "conn_led_off", "conn_led_on", "abs_led_off", "abs_led_on", "edt_RA_gear",
                             "edt_DE_gear", "chk_ra_mot_ccw", "chk_ra_enc_ccw", "chk_de_mot_ccw", "chk_de_enc_ccw",
                             "chk_ra_mot_enc_cr", "chk_de_mot_enc_cr", "curpos_bev_t", "L_power", "L_Abs"})
        EXPECT_NE(view->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly), nullptr) << name;
    EXPECT_EQ(view->tele_RA->text(), "0h00m00.0s");
    EXPECT_EQ(view->tele_dec->text(), "0d00'00.0\"");
    EXPECT_TRUE(view->B_Init->isEnabled());
    EXPECT_FALSE(view->B_Align->isEnabled());
    EXPECT_FALSE(view->B_Gear->isEnabled());
    EXPECT_FALSE(view->B_save->isEnabled());
    EXPECT_TRUE(view->conn_led_on->isHidden());
    EXPECT_TRUE(view->abs_led_on->isHidden());
}

TEST_F(MainView, MenuHoldsEveryItemInOrderWithItsVisibility)
{
    struct Item {
        const char* name;
        bool visible, enabled;
    };
    const std::vector<std::pair<const char*, std::vector<Item>>> menus = {
        {"File2", {{"Objects1", false, false}, {"Preselect1", false, false}, {"Exit1", true, true}}},
        {"File3",
         {{"Manual1", true, false}, {"Goto1", true, true}, {"Track1", true, true}, {"Stop1", true, true},
          {"Park1", true, true}, {"Unpark1", true, true}, {"Flip1", true, true}, {"UnFlip1", true, true},
          {"IOCtrl1", true, false}, {"Hardware1", true, false}}},
        {"File1",
         {{"Parameters1", true, false}, {"Language1", true, false}, {"Reset1", true, true}, {"N1", true, true},
          {"Calibrate3", true, true}, {"Calibrate2", true, true}, {"Calibrate1", false, true},
          {"Reset2", true, true}, {"Park2", false, true}, {"Allign1", false, true}}},
        {"Help1", {{"Help2", true, true}, {"About1", true, false}}},
    };
    const QList<QAction*> top = view->MainMenu1->actions();
    ASSERT_EQ(top.size(), 4);
    for (std::size_t m = 0; m < menus.size(); ++m) {
        QAction* menuItem = top[static_cast<int>(m)];
        EXPECT_EQ(menuItem->objectName().toStdString(), menus[m].first);
        EXPECT_EQ(menuItem->isVisible(), m != 1) << "File3 is hidden as a whole";
        const QList<QAction*> items = menuItem->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<int>(menus[m].second.size())) << menus[m].first;
        for (std::size_t i = 0; i < menus[m].second.size(); ++i) {
            const Item& want = menus[m].second[i];
            QAction* a = items[static_cast<int>(i)];
            EXPECT_EQ(a->objectName().toStdString(), want.name);
            EXPECT_EQ(a->isVisible(), want.visible) << want.name;
            if (want.visible) {  // a hidden item cannot be chosen anyway
                EXPECT_EQ(a->isEnabled(), want.enabled) << want.name;
            }
        }
    }
    EXPECT_TRUE(view->N1->isSeparator());
    EXPECT_EQ(view->Allign1->actions().size(), 3);
}

TEST_F(MainView, PositionMessagesShowSignedTenthsOfArcseconds)
{
    SIGNAL("Main_view", WM_RA_MESSAGE, std::int64_t{45});
    settle();
    EXPECT_EQ(view->tele_RA->text().toStdString(), REALTOHOUR(4.5));
    EXPECT_EQ(view->tele_dec->text(), "0d00'00.0\"") << "untouched until its own message";
    SIGNAL("Main_view", WM_DE_MESSAGE, std::int64_t{-45});
    SIGNAL("Main_view", WM_RA_MESSAGE, std::int64_t{12959999});
    settle();
    EXPECT_EQ(view->tele_dec->text().toStdString(), REALTODEG(-4.5));
    EXPECT_EQ(view->tele_dec->text().toStdString(), "-    0d00'04.5\"");
    EXPECT_EQ(view->tele_RA->text().toStdString(), "23h59m59.9s");
}

TEST_F(MainView, DemoMessageTellsWhetherABoardIsThere)
{
    struct Case {
        std::int64_t param;
        bool board;
    };
    for (const Case& c : {Case{1, false}, Case{0, true}, Case{256, true}, Case{257, false}}) {
        CONTROL::POWER_ON = true;
        CONTROL::ABS_ENC = true;
        CONTROL::GET_POWER = false;
        SIGNAL("Main_view", WM_DEMO_MESSAGE, c.param);
        settle();
        EXPECT_EQ(status(), c.board ? "Tarnel2 detected" : "Device not found") << c.param;
        EXPECT_EQ(CONTROL::GET_POWER, c.board) << c.param;
        EXPECT_EQ(CONTROL::ABS_ENC, c.board) << c.param;
        EXPECT_EQ(CONTROL::POWER_ON, c.board) << "no board, no power lamp: " << c.param;
    }
}

// The device window tells whether the connected board goes on reporting.
TEST_F(MainView, StatusMessageSaysWhenTheBoardHasStoppedReportingInTheOperatorsLanguage)
{
    activateOnly();
    view->ONDEMO(0);
    SIGNAL("Main_view", WM_STATUS_MESSAGE, STATUS_BOARD_QUIET);
    settle();
    EXPECT_EQ(status(), "The board has stopped reporting");
    SIGNAL("Main_view", WM_STATUS_MESSAGE, STATUS_BOARD_REPORTING);
    settle();
    EXPECT_EQ(status(), "Tarnel2 detected");

    LANGUAGE::OBJECT_LIST.push_back({"QUIET_MSG", "La carte ne répond plus", "MAIN_VIEW", ""});
    activateOnly();
    SIGNAL("Main_view", WM_STATUS_MESSAGE, STATUS_BOARD_QUIET);
    settle();
    EXPECT_EQ(status(), "La carte ne répond plus");
}

TEST_F(MainView, HoverHelpShowsOverTheStatusAndPutsItBack)
{
    activateOnly();
    EXPECT_EQ(view->INIT_MSG.rfind("Init:", 0), 0u) << view->INIT_MSG;
    view->ONDEMO(0);
    hover(view->B_Init);
    EXPECT_EQ(status(), view->INIT_MSG);
    leave(view->B_Init);
    EXPECT_EQ(status(), "Tarnel2 detected");
    hover(view->B_save);  // disabled buttons explain themselves too
    EXPECT_EQ(status(), view->SAVE_MSG);
    leave(view->B_save);
    EXPECT_EQ(status(), "Tarnel2 detected");
    view->GEAR_MSG.clear();
    hover(view->B_Gear);
    EXPECT_EQ(status(), "");
    leave(view->B_Gear);
    EXPECT_EQ(status(), "Tarnel2 detected");
}

// Whatever came between the enter and the leave, the leave shows what the
// program last put in the status line, never a help text.
TEST_F(MainView, LeavingAButtonShowsTheLastStatusNotAnOlderOneOrAHelpText)
{
    activateOnly();
    struct Case {
        const char* what;
        std::function<void()> overTheButton;  // the pointer entered B_Init first
        const char* during;                   // nullptr: the help text
        const char* after;
    };
    const Case cases[] = {
        {"the leave was missed and another button entered",
         [&] {
             leave(view->B_Init);
             hover(view->B_save);
             hover(view->B_Init);
         },
         nullptr, "Tarnel2 detected"},
        {"the board unplugged", [&] { view->ONDEMO(1); }, "Device not found", "Device not found"},
        {"the set-up found done",
         [&] {
             CONTROL::DIR_INIT_DONE = true;
             CONTROL::STATE = 10;
             SET_PARAM("Setup_align", false);
             view->Calibrate4Click();
         },
         "Configuration done", "Configuration done"},
        {"an activation whose language file captions the status line",
         [&] {
             LANGUAGE::OBJECT_LIST.push_back({"L_OBJECT", "Object", "MAIN_VIEW", ""});
             activateOnly();
         },
         nullptr, "Object"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view->ONDEMO(0);
        hover(view->B_Init);
        c.overTheButton();
        EXPECT_EQ(status(), c.during ? std::string(c.during) : view->INIT_MSG);
        leave(view->B_Init);
        EXPECT_EQ(status(), c.after);
        hover(view->B_save);
        EXPECT_EQ(status(), view->SAVE_MSG);
        leave(view->B_save);
        EXPECT_EQ(status(), c.after) << "a second hover puts back the same";
    }
}

TEST_F(MainView, ClosingWhileTheLoopWaitsForItsBoxEndsTheLoopAtOnce)
{
    testing_support::SimBoard board;
    testing_support::SimLink link{board};
    platform::UiBridge program;  // stands in for the program's own
    new ProgramClose(program, view.get());
    QWidget device;
    view->setDeviceWindow(&device);
    view->show();
    view->FormActivate();  // starts the loop's thread
    bool joined = false;
    dialogs.whileShown = [&](const testing_support::FakeDialogs::Box& box) {
        EXPECT_EQ(box.text, "Motor Power not connected");
        view->close();  // as SIGTERM does, with the box on screen
        joined = CONTROL::CTRL_CLOSE(0);
    };
    CONTROL::GET_INIT = true;  // no motor power: the loop asks and waits
    ASSERT_TRUE(testing_support::waitUntil([&] { return !dialogs.shown().empty(); }));
    EXPECT_TRUE(joined) << "the loop's thread outlived the main window";
    EXPECT_EQ(dialogs.closeAllCalls(), 1);
    EXPECT_EQ(board.speeds(), (std::pair<std::int32_t, std::int32_t>{0, 0}));
}

TEST_F(MainView, TheEndWithoutADisplayStopsTheMovingMountAndJoinsTheLoop)
{
    testing_support::SimBoard board;
    testing_support::SimLink link{board};
    platform::UiBridge program;
    QWidget device;
    view->setDeviceWindow(&device);
    view->show();
    view->FormActivate();
    ASSERT_TRUE(testing_support::waitUntil([&] { return !board.motionFrames().empty(); })) << "the loop runs";
    CONTROL::MANUAL.set({300, 0, 0, 0});  // a key held
    ASSERT_TRUE(testing_support::waitUntil([&] { return board.speeds().first != 0; }));
    ProgramClose::stopMountSide(program);  // what the program does when exit() comes
    EXPECT_FALSE(CONTROL::CONTR_RUNNING);
    EXPECT_TRUE(CONTROL::CTRL_CLOSE(0)) << "the loop's thread was not joined";
    EXPECT_EQ(board.frames().back(), HAL::STOP_FRAME());
}

TEST_F(MainView, EveryHoverTextOfTheShippedLanguageFitsTheStatusLine)
{
    activateOnly();
    const QFontMetrics metrics(view->L_Object->font());
    for (const std::string* text : {&view->INIT_MSG, &view->ALIGN_MSG, &view->GEAR_MSG, &view->SAVE_MSG}) {
        ASSERT_FALSE(text->empty());
        EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(*text)), view->L_Object->contentsRect().width())
            << *text;
    }
}

TEST_F(MainView, ActivationTranslatesAndReportsAMissingLanguageFileOnce)
{
    activateOnly();
    EXPECT_EQ(view->File2->title(), "File");
    EXPECT_EQ(view->L_power->text(), "Motor power");
    EXPECT_TRUE(dialogs.shown().empty());

    view.reset();
    LANGUAGE::CLEAR();
    system.program = home.path() + "orla_setup";  // no language file there
    makeView();
    activateOnly();
    activateOnly();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "language file not found");
    EXPECT_EQ(view->File2->title(), "File2") << "the design captions stay";
    EXPECT_EQ(view->INIT_MSG, "");
}

// The real loop on its own thread, sending to the simulated board.
TEST_F(MainView, FirstActivationStartsTheMountSideAndCloseEndsIt)
{
    testing_support::SimBoard board;
    testing_support::SimLink link{board};
    QWidget device;
    view->setDeviceWindow(&device);
    view->move(100, 50);
    view->FormActivate();
    EXPECT_TRUE(view->SETUP_DONE);
    EXPECT_TRUE(CONTROL::INIT_DONE);
    EXPECT_TRUE(CONTROL::CONTR_RUNNING);
    EXPECT_EQ(view->Version->text(), "Version 1.4.0 by Loridan");
    EXPECT_EQ(device.pos(), QPoint(100 + view->frameGeometry().width() + 20, 50));
    EXPECT_TRUE(device.isHidden()) << "placed, not shown";
    EXPECT_TRUE(testing_support::waitUntil([&] { return board.motionFrames().size() >= 3; }));

    device.move(0, 0);
    view->FormActivate();
    EXPECT_EQ(device.pos(), QPoint(0, 0)) << "only the first activation places the device window";

    view->show();
    view->Exit1->trigger();
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(CONTROL::CONTR_RUNNING);
    const auto frames = board.motionFrames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(board.speeds(), (std::pair<std::int32_t, std::int32_t>{0, 0}));
    settle();
    EXPECT_EQ(board.motionFrames().size(), frames.size()) << "no frame after the close: the loop has ended";
}

// On a laptop's screen or a small one the device window stays wholly on the
// screen wherever the main window stands: 20 px right of it where that fits,
// else 20 px left of it, else moved no further than onto the screen.
TEST_F(MainView, DockedDeviceWindowStaysOnTheScreenOfTheMainWindow)
{
    QWidget device;
    device.resize(330, 220);
    view->setDeviceWindow(&device);
    view->show();
    settle();
    for (const auto& [what, area, at] : main_view_testing::mainPlaces(view->frameGeometry().width())) {
        SCOPED_TRACE(testing::Message() << what << " at " << at.x());
        device.hide();
        view->move(at);
        view->Hardware1->trigger();
        settle();
        const QRect frame = device.frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << frame.x() << "+" << frame.width();
        const QRect main = view->frameGeometry();
        const QPoint right(main.right() + 1 + 20, main.top());
        const QPoint left(main.left() - 20 - frame.width(), main.top());
        if (area.contains(QRect(right, frame.size())))
            EXPECT_EQ(device.pos(), right) << "the place right of the main window fits";
        else if (area.contains(QRect(left, frame.size())))
            EXPECT_EQ(device.pos(), left) << "the place left of the main window fits";
        else
            EXPECT_EQ(frame.right(), area.right()) << "moved no further than onto the screen";
    }
    view->hide();
}

TEST_F(MainView, MenuCommandsOfTheParts)
{
    SET_PARAM("Cycle_Time", "20");
    view->Reset1->trigger();
    EXPECT_EQ(GET_PARAM("Cycle_Time"), "10");

    view->Help2->trigger();
    EXPECT_EQ(desktop.opened, std::vector<std::string>{"Tarnel2_Help.chm"});

    QWidget device;
    view->setDeviceWindow(&device);
    ASSERT_TRUE(view->Hardware1->isEnabled());
    view->move(30, 40);
    view->Hardware1->trigger();
    EXPECT_TRUE(device.isVisible());
    EXPECT_EQ(device.pos(), QPoint(30 + view->frameGeometry().width() + 20, 40));

    int about = 0;
    view->setAboutBox([&] { ++about; });
    ASSERT_TRUE(view->About1->isEnabled());
    view->About1->trigger();
    EXPECT_EQ(about, 1);

    view->SETUP_DONE = true;
    view->setLanguageChooser([] { return true; });
    view->B_Init->setText("changed");
    view->Language1->trigger();
    EXPECT_EQ(view->B_Init->text(), "Init") << "an OK from the chooser translates the window again";
}

TEST_F(MainView, MasterResetGoesToTheBoardAtOnce)
{
    testing_support::SimBoard board;
    testing_support::SimLink link{board};
    HAL::SET_PAUSE([](int) {});
    view->Reset2->trigger();
    HAL::SET_PAUSE(nullptr);
    EXPECT_EQ(board.masterResets(), 1);
}

TEST_F(MainView, TheParameterEditorStartsTheLoopUnlessCancelled)
{
    testing_support::SimBoard board;
    testing_support::SimLink link{board};
    view->SETUP_DONE = true;  // the loop may only start from the editor here
    bool ok = false;
    view->setParameterEditor([&] { return ok; });
    view->Parameters1->trigger();
    EXPECT_FALSE(CONTROL::INIT_DONE);
    ok = true;
    view->Parameters1->trigger();
    EXPECT_TRUE(CONTROL::INIT_DONE);
    EXPECT_TRUE(testing_support::waitUntil([&] { return !board.motionFrames().empty(); }));
}

TEST_F(MainView, ResizeKeepsTheVersionAtTheBottomAndScalesNothing)
{
    const QRect init = view->B_Init->geometry();
    view->resize(700, 520);
    view->FormResize();
    EXPECT_EQ(view->Version->y(), 520 - (view->Version->height() + 2));
    EXPECT_EQ(view->B_Init->geometry(), init) << "Window_Scale is not declared";
    EXPECT_FALSE(winsize::WIN_SCALE);
}

TEST_F(MainView, CompShowsThePadAndTheGraph)
{
    QWidget pad, graph;
    view->Button1->click();  // nothing to show yet
    view->setManualPad(&pad);
    view->setGraphWindow(&graph);
    view->Button1->click();
    EXPECT_TRUE(pad.isVisible());
    EXPECT_TRUE(graph.isVisible());
}

TEST_F(MainView, TcpMessageDrivesThePowerLampsOnlyWhenAsked)
{
    view->ONCHANGETCP(1);
    EXPECT_TRUE(view->conn_led_off->isHidden()) << "TCP_Show is not declared";
    PARAM_ADD("TCP_Show", "Yes", "-test", "Yes;No", "");
    view->ONCHANGETCP(1);
    EXPECT_FALSE(view->conn_led_off->isHidden());
    EXPECT_FALSE(view->conn_led_on->isHidden());
    view->ONCHANGETCP(0);
    EXPECT_TRUE(view->conn_led_on->isHidden());
}

// Saves what the operator sees when ORLA_SCREENSHOTS names a folder.
TEST_F(MainView, Screenshots)
{
    const char* folder = std::getenv("ORLA_SCREENSHOTS");
    if (!folder || !*folder)
        GTEST_SKIP() << "ORLA_SCREENSHOTS is not set";
    QDir().mkpath(folder);
    CONTROL::HW_RA_GEAR = 1572864;
    CONTROL::HW_DE_GEAR = 1048576;
    CONTROL::RA_MOT_CCW = true;
    CONTROL::DE_ENC_CCW = true;
    CONTROL::RA_MOT_ENC_CR = CONTROL::DE_MOT_ENC_CR = true;
    CONTROL::POWER_ON = true;
    CONTROL::DIR_INIT_DONE = true;
    view->SETUP_DONE = true;
    view->show();
    view->FormActivate();
    view->Version->setText("Version 1.4.0 by Loridan");
    view->ONDEMO(0);
    view->FILLCONFIG();
    view->ONCHANGERA(1234567);
    view->ONCHANGEDE(-456789);
    view->siderialTimer();
    settle();
    EXPECT_TRUE(view->grab().save(QString::fromLocal8Bit(folder) + "/Main_View.png"));

    form1.show();
    settle();
    EXPECT_TRUE(form1.grab().save(QString::fromLocal8Bit(folder) + "/Form1.png"));
    form1.hide();
}

}  // namespace
