// The about box: its two texts from the version, its icon, and its link.

#include "tests/support/fake_desktop.h"
#include "tests/tools/tools_stand.h"
#include "tools/about.h"
#include "forms/image_widget.h"

#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

namespace {

using About = tools_testing::ToolsStand;

TEST_F(About, ShowingItWritesTheVersionAndTheBuild)
{
    TF_About about;
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.size(), QSize(320, 240));
    EXPECT_EQ(about.L_Version->text(), "Version:");
    EXPECT_EQ(about.build->text(), "Build:");
    EXPECT_FALSE(about.Image1->pixmap().isNull());
    EXPECT_EQ(about.Image1->size(), QSize(64, 60));

    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    for (int showing = 0; showing < 2; ++showing) {
        QTimer::singleShot(0, &about, [&] {
            QCoreApplication::processEvents();  // the showing's activation
            EXPECT_EQ(about.L_Version->text(), "Version 1.4.0");
            EXPECT_EQ(about.build->text(), "Build: 25");
            EXPECT_LE((about.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 2)
                << "centred over its owner";
            about.close();  // its title bar: it has no button
        });
        about.ShowModal(&owner);
        EXPECT_FALSE(about.isVisible());
        about.L_Version->setText("Version:");  // each showing writes it anew
    }
}

TEST_F(About, TheLinkOpensTheReadmeBesideTheProgram)
{
    testing_support::FakeDesktop desktop;
    TF_About about;
    EXPECT_EQ(about.ADDRESS, folder.path() + "README.md");
    EXPECT_TRUE(about.Label2->text().isEmpty()) << "its font is looked up when it is first shown";
    about.show();
    EXPECT_EQ(about.Label2->text().toStdString(), folder.path() + "README.md");
    EXPECT_TRUE(about.Label2->font().underline());
    QTest::mouseClick(about.Label2, Qt::RightButton);
    EXPECT_TRUE(desktop.opened.empty());
    QTest::mouseClick(about.Label2, Qt::LeftButton);
    EXPECT_EQ(desktop.opened, std::vector<std::string>{folder.path() + "README.md"});

    // A long folder is shortened on screen only.
    system.program = "/" + std::string(200, 'f') + "/orla_setup";
    TF_About far;
    far.show();
    EXPECT_LT(far.Label2->text().size(), 200);
    far.Label2Click();
    EXPECT_EQ(desktop.opened.back(), "/" + std::string(200, 'f') + "/README.md");
}

}  // namespace
