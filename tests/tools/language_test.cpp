// The language chooser: which files it offers and under which names, what
// OK and Cancel change, and names no file should carry.

#include "tests/tools/tools_stand.h"
#include "tools/language_files.h"
#include "tools/setlang.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct CodeCase {
    std::string name;
    std::optional<std::string> code;
};

class LanguageFileName : public ::testing::TestWithParam<CodeCase> {};

TEST_P(LanguageFileName, OffersItsCodeOrNothing)
{
    EXPECT_EQ(language_files::codeOf(GetParam().name), GetParam().code) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Table, LanguageFileName, ::testing::Values(
    CodeCase{"orla_setup.lng.en", "en"}, CodeCase{"other.lng.it", "it"}, CodeCase{".lng.x", "x"},
    CodeCase{"a.lng.en.bak", "bak"}, CodeCase{"orla_setup.lng", std::nullopt},
    CodeCase{"orla_setup.lng.lng", std::nullopt}, CodeCase{"orla_setup.lng.", std::nullopt},
    CodeCase{"orla_setup.txt", std::nullopt}, CodeCase{"orla_setup.LNG.en", std::nullopt},
    CodeCase{"orla_setup.lng." + std::string(80, 'a'), std::string(80, 'a')},
    CodeCase{"orla_setup.lng." + std::string(81, 'a'), std::nullopt},
    CodeCase{"orla_setup.lng.\xC3\xA9", "\xC3\xA9"}, CodeCase{"orla_setup.lng.\xFF\xFE", std::nullopt},
    CodeCase{"orla_setup.lng.e\xC3", std::nullopt}));

class Chooser : public tools_testing::ToolsStand {
protected:
    void SetUp() override
    {
        ToolsStand::SetUp();
        chooser = std::make_unique<TF_Language>();
    }
    void TearDown() override
    {
        chooser.reset();
        ToolsStand::TearDown();
    }

    // Three languages, the current one naming the others.
    void threeLanguages()
    {
        folder.write("orla_setup.lng.en", "[Main_View]\nen=English\nde=German\n[F_Language]\nL_select=Language\n");
        folder.write("orla_setup.lng.de", "[Main_View]\nen=Englisch\nde=Deutsch\nB_Init=Start\n");
        folder.write("orla_setup.lng.fr", "[Main_View]\nfr=Fran\xC3\xA7" "ais\n");
        ASSERT_TRUE(LANGUAGE::INIT("orla_setup.lng.en"));
    }

    QStringList items() const
    {
        QStringList l;
        for (int i = 0; i < chooser->ComboBox1->count(); ++i)
            l << chooser->ComboBox1->itemText(i);
        return l;
    }

    std::unique_ptr<TF_Language> chooser;
};

TEST_F(Chooser, ListsEachLanguageUnderItsNameAndSelectsTheCurrentOne)
{
    threeLanguages();
    for (const char* current : {"de", "en", "fr"}) {
        SET_PARAM("Language", current);
        chooser->FormActivate();
        EXPECT_EQ(items(), (QStringList{"German", "English", "fr"})) << "in the platform's order";
        EXPECT_EQ(chooser->LANGLIST, (std::vector<std::string>{"de", "en", "fr"}));
        ASSERT_GE(chooser->ComboBox1->currentIndex(), 0) << current;
        EXPECT_EQ(chooser->LANGLIST[static_cast<std::size_t>(chooser->ComboBox1->currentIndex())], current);
    }
    EXPECT_EQ(system.listedFolders.back(), folder.path());
    EXPECT_EQ(chooser->L_select->text(), "Language");

    SET_PARAM("Language", "EN");
    chooser->FormActivate();
    EXPECT_EQ(chooser->ComboBox1->currentIndex(), -1) << "letter case counts";
    EXPECT_EQ(chooser->ComboBox1->currentText(), "");
}

TEST_F(Chooser, OffersOnlyFilesThatCanBeLoaded)
{
    folder.write("orla_setup.lng.en", "");
    folder.write("orla_setup.lng", "");
    folder.write("orla_setup.lng.", "");
    folder.write("orla_setup.lng.\xFF", "");
    std::filesystem::create_directory(folder.path() + "orla_setup.lng.dir");
    ASSERT_EQ(::symlink("nowhere", (folder.path() + "orla_setup.lng.gone").c_str()), 0);
    ASSERT_EQ(::symlink("orla_setup.lng.en", (folder.path() + "orla_setup.lng.ln").c_str()), 0);
    ASSERT_EQ(::mkfifo((folder.path() + "orla_setup.lng.fifo").c_str(), 0600), 0);
    chooser->FormActivate();
    EXPECT_EQ(chooser->LANGLIST, (std::vector<std::string>{"en", "ln"})) << "a link to a file is one";

    for (int i = 0; i < 300; ++i)
        folder.write("x.lng.c" + std::to_string(i), "");
    chooser->FormActivate();
    EXPECT_EQ(chooser->ComboBox1->count(), 302);
}

TEST_F(Chooser, OkLoadsTheLanguageAndKeepsItsCode)
{
    threeLanguages();
    chooser->FormActivate();
    chooser->ComboBox1->setCurrentIndex(0);
    chooser->B_OKClick();
    EXPECT_EQ(chooser->result(), TF_Language::mrOk);
    EXPECT_EQ(GET_PARAM("Language"), "de");
    EXPECT_EQ(LANGUAGE::GETCAPTION("Main_View", "B_Init", ""), "Start");
    EXPECT_FALSE(testing_support::exists(home.path() + "Stelvane")) << "nothing is written";

    // A code listed from a file of another name: its own file is missing.
    folder.write("other.lng.it", "[Main_View]\nB_Init=Inizio\n");
    chooser->FormActivate();
    const int it = chooser->ComboBox1->findText("it");
    ASSERT_GE(it, 0);
    chooser->ComboBox1->setCurrentIndex(it);
    chooser->B_OKClick();
    EXPECT_EQ(chooser->result(), TF_Language::mrOk);
    EXPECT_EQ(GET_PARAM("Language"), "it");
    EXPECT_FALSE(LANGUAGE::LANGUAGE_OK) << "the main window reports it";
    EXPECT_EQ(LANGUAGE::GETCAPTION("Main_View", "B_Init", ""), "Start") << "the texts in force stay";
}

TEST_F(Chooser, CancelAndAnOkWithoutALanguageChangeNothing)
{
    threeLanguages();
    SET_PARAM("Language", "en");
    chooser->FormActivate();
    chooser->ComboBox1->setCurrentIndex(0);
    chooser->B_CancelClick();
    EXPECT_EQ(chooser->result(), TF_Language::mrCancel);
    EXPECT_EQ(GET_PARAM("Language"), "en");
    EXPECT_EQ(LANGUAGE::GETCAPTION("Main_View", "de", ""), "German");

    chooser->FormActivate();
    chooser->ComboBox1->setEditText("Klingon");  // typed over the selection
    chooser->B_OKClick();
    EXPECT_EQ(chooser->result(), TF_Language::mrCancel);
    EXPECT_EQ(GET_PARAM("Language"), "en");

    std::filesystem::remove_all(folder.path());
    std::filesystem::create_directory(folder.path());
    chooser->FormActivate();
    EXPECT_EQ(chooser->ComboBox1->count(), 0);
    chooser->B_OKClick();
    EXPECT_EQ(chooser->result(), TF_Language::mrCancel);
    EXPECT_EQ(GET_PARAM("Language"), "en");
    EXPECT_TRUE(LANGUAGE::LANGUAGE_OK);
}

TEST_F(Chooser, ShownModallyItEndsOkOnlyWithALanguage)
{
    threeLanguages();
    SET_PARAM("Language", "fr");
    QTimer::singleShot(0, chooser.get(), [&] {
        QCoreApplication::processEvents();  // the showing's activation
        EXPECT_EQ(chooser->ComboBox1->currentText(), "fr") << "showing it fills the list";
        chooser->B_OK->click();
    });
    EXPECT_EQ(chooser->ShowModal(), TF_Language::mrOk);
    QTimer::singleShot(0, chooser.get(), [&] { chooser->close(); });
    EXPECT_EQ(chooser->ShowModal(), TF_Language::mrCancel);
    EXPECT_EQ(chooser->windowTitle(), "Language");
}

}  // namespace
