// The road of a go-to on the test stand: the preselect window, its entry
// dialog and the real control window, with the control loop cycling against
// the simulated board.

#include "board/ctrl_view.h"
#include "core/angles.h"
#include "sky/list.h"
#include "sky/presel_add.h"
#include "sky/preselect.h"
#include "sky/row_list.h"
#include "tests/board/control_stand.h"
#include "tests/support/fake_system.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

using namespace CONTROL;

class GotoStand : public control_testing::ControlStand {
protected:
    void SetUp() override
    {
        ControlStand::SetUp();
        ctrl = std::make_unique<Tctrl>();
        preselect = std::make_unique<TF_preselect>();
        preselect->setObjectList(&list);
        preselect->setEntryDialog(&entry);
        startLoop();
    }
    void TearDown() override
    {
        preselect.reset();
        ctrl.reset();
        ControlStand::TearDown();
    }

    void typeIn(const char* name, const char* ra, const char* decl)
    {
        QTimer::singleShot(0, &entry, [=, this] {
            settle();  // the showing's activation first
            entry.Object_Name->setText(name);
            entry.Object_RA->setText(ra);
            entry.Object_Decl->setText(decl);
            entry.B_save->click();
        });
        preselect->ManualAdd1->trigger();
    }
    // The hand controller's point key pressed and let go.
    void pointKey()
    {
        for (std::int32_t word : {std::int32_t{BPOINT}, std::int32_t{0}}) {
            auto rec = std::make_shared<THWdata>();
            rec->BUTTONS = word;
            rec->SPEED = 1;
            SIGNAL("Control", WM_BUTTON_MESSAGE, rec);
            settle();
        }
    }

    testing_support::TempDir dir;
    TF_list list;
    TF_presel_add entry;
    std::unique_ptr<Tctrl> ctrl;
    std::unique_ptr<TF_preselect> preselect;
};

TEST_F(GotoStand, ATypedEntrySavedAndLoadedBackIsPointedAtAndNextTakesTheFollowingOne)
{
    typeIn("Vega", "18h36m56.3s", "38d47'01.3\"");
    const std::string file = dir.path() + "night.psl";
    dialogs.chooseFile(file);
    preselect->Save1->trigger();
    preselect->ListBox1->clear();
    dialogs.chooseFile(file);
    preselect->Load1->trigger();
    ASSERT_EQ(preselect->ListBox1->count(), 1);
    typeIn("Deneb", "20h41m25.9s", "45d16'49.2\"");

    preselect->show();
    preselect->B_Left->click();
    settle();
    EXPECT_EQ(NEXT_CONTROL_STATE, CTRL_POINTING);
    cycle();
    EXPECT_EQ(CONTROL_STATE, CTRL_POINTING);
    TPOS_REC target = NEXTPOSITIONTRACKING.get();
    EXPECT_DOUBLE_EQ(target.HOR, HOURTOREAL("18h36m56.3s"));
    EXPECT_DOUBLE_EQ(target.VERT, DEGTOREAL("38d47'01.3\""));
    ASSERT_NE(OBJ, nullptr);
    EXPECT_EQ(OBJ->NAME, "Vega");
    EXPECT_EQ(OBJ->SRC, SRCPRE);
    // A go-to of the preselect list is not passed back to it.
    EXPECT_EQ(preselect->ListBox1->count(), 2);

    // The point key once, and again within the second: the next entry.
    pointKey();
    cycles(10);
    pointKey();
    cycle();
    EXPECT_EQ(sky::selectedIndex(preselect->ListBox1), 1);
    target = NEXTPOSITIONTRACKING.get();
    EXPECT_DOUBLE_EQ(target.HOR, HOURTOREAL("20h41m25.9s"));
    EXPECT_DOUBLE_EQ(target.VERT, DEGTOREAL("45d16'49.2\""));
    EXPECT_EQ(OBJ->NAME, "Deneb");
    EXPECT_EQ(CONTROL_STATE, CTRL_POINTING);
    EXPECT_EQ(main.count(WM_HWPOINT_MESSAGE), 1u);
    preselect->hide();
}

}  // namespace
