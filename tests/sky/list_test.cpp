#include "sky/list.h"

#include "core/angles.h"
#include "core/system_init.h"
#include "platform/form_activation.h"
#include "sky/planets.h"
#include "sky/row_list.h"
#include "tests/sky/sky_stand.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

using sky::ObjectTexts;

const char* const kObjects =
    "Nameless 1h00m00.0s 2d00'00.0\"\n"
    "[Galaxies]\n"
    "M_31 0h42m44.3s 41d16'09.0\"\n"
    "M_33 1h33m50.9s 30d39'36.8\"\n"
    "[galaxies]\n"
    "NGC_891 2h22m33.4s 42d20'57.0\"\n"
    "[Empty]\n"
    "[Clusters]\n"
    "M_45 3h47m24.0s 24d07'00.0\"\n"
    "[Galaxies]\n"
    "M_81 9h55m33.2s 69d03'55.0\"\n"
    "[planets]\n"
    "Not_a_planet 1h00m00.0s 0d00'00.0\"\n"
    "[Southern]\n"
    "Achernar 1h37m42.8s -57d14'12.3\"\n";

class ObjectList : public sky_testing::SkyStand {
protected:
    void SetUp() override
    {
        SkyStand::SetUp();
        useShippedElements();
        clock.setDate(2024, 3, 1);
    }

    // What the operator could choose if the object file were a declared parameter.
    std::string declareObjectFile(const std::string& bytes)
    {
        const std::string path = dir.write("objects.lst", bytes);
        PARAM_ADD("Object_File", path, "Test", "", "");
        return path;
    }

    std::vector<std::string> categories() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < list.ComboBox1->count(); ++i)
            out.push_back(list.ComboBox1->itemText(i).toStdString());
        return out;
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < list.ListBox1->count(); ++i)
            out.push_back(sky::textsOf(list.ListBox1->item(i)).name);
        return out;
    }
    void choose(const std::string& category)
    {
        list.ComboBox1->setCurrentIndex(list.ComboBox1->findText(QString::fromStdString(category)));
        list.ComboBox1Change();
    }
    void pickRow(int row)
    {
        sky::selectIndex(list.ListBox1, row);
        list.Button1Click();
    }

    TF_list list;
};

TEST_F(ObjectList, ActivationListsTheSunAndThePlanetsNow)
{
    list.FormActivate();
    EXPECT_EQ(categories(), std::vector<std::string>{"Planets"});
    EXPECT_EQ(list.ComboBox1->currentIndex(), 0);
    ASSERT_EQ(list.ListBox1->count(), 9);
    const PLANETS::TP_LIST planets = PLANETS::PLANET_LIST();
    for (int k = 0; k < 9; ++k) {
        const auto& p = planets[static_cast<std::size_t>(k)];
        EXPECT_EQ(list.ListBox1->item(k)->text().toStdString(), sky::OBJECT_ROW(p[0], p[1], p[2]));
    }
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ObjectList, WithoutTheElementsFileEveryActivationSaysSo)
{
    ::unlink(elementsPath().c_str());
    list.FormActivate();
    list.FormActivate();
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].title, "Missing File");
    ASSERT_EQ(list.ListBox1->count(), 9);
    EXPECT_EQ(sky::textsOf(list.ListBox1->item(0)), (ObjectTexts{"Sun", "  0h00m00.0s", "    0d00'00.0\""}));
    EXPECT_EQ(sky::textsOf(list.ListBox1->item(8)), (ObjectTexts{"Pluto", "", ""}));
}

TEST_F(ObjectList, PickButtonCaptionFollowsTheMode)
{
    list.FormActivate();
    EXPECT_EQ(list.Button1->text(), "");  // no language entry
    dir.write("orla_setup.lng.en", "[F_list]\nButton1=Go to;Add to list\n");
    ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.en"));
    list.FormActivate();
    EXPECT_EQ(list.Button1->text(), "Go to");
    list.SELECT_FUNCTION = true;
    list.FormActivate();
    EXPECT_EQ(list.Button1->text(), "Add to list");
    dir.write("orla_setup.lng.en", "[F_list]\nButton1=Go to\n");
    ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.en"));
    list.FormActivate();
    EXPECT_EQ(list.Button1->text(), "");
}

// The shipped language gives every visible text, and showing the window is
// enough to put them in.
TEST_F(ObjectList, ShowingTranslatesTheWindow)
{
    useShippedLanguage();
    platform::resetFormActivation();
    list.SELECT_FUNCTION = true;
    list.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(list.Button1->text(), "Add to list");
    for (QPushButton* b : {list.Button2, list.Button3, list.Button4}) {
        EXPECT_FALSE(b->text().isEmpty());
        EXPECT_NE(b->text(), b->objectName());
    }
    EXPECT_EQ(list.ListBox1->count(), 9);
    list.hide();
}

TEST_F(ObjectList, CategoriesComeFromTheObjectFileInFileOrder)
{
    declareObjectFile(kObjects);
    list.FormActivate();
    EXPECT_EQ(categories(), (std::vector<std::string>{"Planets", "Galaxies", "galaxies", "Clusters", "Galaxies",
                                                      "planets", "Southern"}));
    EXPECT_EQ(list.ListBox1->count(), 9);
    choose("Galaxies");
    EXPECT_EQ(names(), (std::vector<std::string>{"M 31", "M 33", "M 81"}));
    choose("galaxies");
    EXPECT_EQ(names(), std::vector<std::string>{"NGC 891"});
    choose("Southern");
    EXPECT_EQ(names(), std::vector<std::string>{"Achernar"});
    // A file category named planets in any letter case lists the planets.
    choose("planets");
    EXPECT_EQ(list.ListBox1->count(), 9);
    EXPECT_EQ(names().front(), "Sun");
}

TEST_F(ObjectList, SearchFindsNamesOfEveryCategoryButNeverThePlanets)
{
    declareObjectFile(kObjects);
    list.FormActivate();
    const auto search = [&](const char* s) {
        list.SearchStr->setText(s);
        list.Button3Click();
        return names();
    };
    EXPECT_EQ(search(""), std::vector<std::string>{});
    EXPECT_EQ(search("m 3"), (std::vector<std::string>{"M 31", "M 33"}));
    EXPECT_EQ(search("mele"), std::vector<std::string>{"Nameless"});
    EXPECT_EQ(search("a"), (std::vector<std::string>{"Nameless", "Not a planet", "Achernar"}));
    EXPECT_EQ(search("Sun"), std::vector<std::string>{});
}

TEST_F(ObjectList, PickHandsBackThePaddedNameAndTheAngles)
{
    const std::string longName(60, 'L');
    declareObjectFile("[Long]\n" + longName + " 6h00m00.0s -10d30'00.0\"\nM_31 0h42m44.3s 41d16'09.0\"\n");
    list.FormActivate();
    list.Button1Click();  // nothing selected: nothing happens
    EXPECT_EQ(list.result(), 0);
    EXPECT_EQ(list.POINT->NAME, "");
    choose("Long");
    pickRow(1);
    EXPECT_EQ(list.result(), QDialog::Accepted);
    EXPECT_EQ(list.POINT->NAME, "M 31" + std::string(46, ' '));
    EXPECT_DOUBLE_EQ(list.POINT->RA, HOURTOREAL("0h42m44.3s"));
    EXPECT_DOUBLE_EQ(list.POINT->DE, DEGTOREAL("41d16'09.0\""));
    EXPECT_EQ(list.POINT->SRC, SRCLIST);
    // A name longer than its column does not shift the coordinates a pick reads.
    pickRow(0);
    EXPECT_EQ(list.POINT->NAME, longName);
    EXPECT_DOUBLE_EQ(list.POINT->RA, 90 * 3600.0);
    EXPECT_DOUBLE_EQ(list.POINT->DE, -10.5 * 3600);
}

TEST_F(ObjectList, HorizonFilterHidesWhatIsBelowTheObserversHorizon)
{
    declareObjectFile("[Sky]\nPolaris 2h31m49.1s 89d15'51.0\"\nSouth_pole 0h00m00.0s -89d00'00.0\"\n");
    list.FormActivate();
    choose("Sky");
    EXPECT_EQ(list.ListBox1->count(), 2);  // Hide_NonVisible is not declared
    PARAM_ADD("Hide_NonVisible", "Yes", "Test", "Yes;No", "");
    PARAM_ADD("Lat", "50d00'00.0\"", "Test", "", "");
    PARAM_ADD("Long", "10d00'00.0\"", "Test", "", "");
    EXPECT_TRUE(sky::HORIZON_TEST("2h31m49.1s", "89d15'51.0\""));
    EXPECT_FALSE(sky::HORIZON_TEST("0h00m00.0s", "-89d00'00.0\""));
    choose("Sky");
    EXPECT_EQ(names(), std::vector<std::string>{"Polaris"});
}

TEST_F(ObjectList, AFileThatCannotBeReadKeepsWhatWasReadBefore)
{
    declareObjectFile(kObjects);
    list.FormActivate();
    const std::size_t before = list.OBJECT_LIST.size();
    ASSERT_GT(before, 0u);
    const std::string folder = dir.path() + "folder.lst";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    SET_PARAM("Object_File", folder);
    list.FormActivate();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Could not read " + folder + ": it is a folder.");
    EXPECT_EQ(list.OBJECT_LIST.size(), before);
    EXPECT_EQ(categories(), std::vector<std::string>{"Planets"});
    EXPECT_EQ(list.ListBox1->count(), 9);
    // A file that does not exist is passed over without a word.
    SET_PARAM("Object_File", dir.path() + "gone.lst");
    list.FormActivate();
    EXPECT_EQ(dialogs.shown().size(), 1u);
    list.SearchStr->setText("M 4");
    list.Button3Click();
    EXPECT_EQ(names(), std::vector<std::string>{"M 45"});
}

TEST_F(ObjectList, FileChoiceAsksForAnObjectListInTheDocumentsFolder)
{
    DOCPATH = "/home/observer/Documents/Stelvane/";
    EXPECT_FALSE(list.GET_FILE());
    dialogs.chooseFile(dir.write("chosen.lst", kObjects));
    EXPECT_TRUE(list.GET_FILE());
    ASSERT_EQ(dialogs.openRequests().size(), 2u);
    const platform::OpenFileRequest r = dialogs.openRequests()[1];
    EXPECT_EQ(r.filter, "Object list (*.lst);;All (*)");
    EXPECT_EQ(r.folder, DOCPATH);
    EXPECT_TRUE(r.mustExist);
    // Object_File is not a declared parameter: the choice is not kept.
    EXPECT_EQ(categories(), std::vector<std::string>{"Planets"});
    EXPECT_EQ(list.ListBox1->count(), 9);
}

TEST_F(ObjectList, EnterPressesPickAfterAClickAndSearchAfterTyping)
{
    list.FormActivate();
    list.SearchStr->setText("M");
    EXPECT_TRUE(list.Button3->isDefault());
    EXPECT_FALSE(list.Button1->isDefault());
    sky::selectIndex(list.ListBox1, 2);
    EXPECT_TRUE(list.Button1->isDefault());
    EXPECT_FALSE(list.Button3->isDefault());
}

}  // namespace
