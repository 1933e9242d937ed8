#include "sky/preselect.h"

#include "core/angles.h"
#include "core/system_init.h"
#include "core/text.h"
#include "platform/form_activation.h"
#include "sky/list.h"
#include "sky/planets.h"
#include "sky/presel_add.h"
#include "sky/row_list.h"
#include "tests/sky/sky_stand.h"
#include "tests/support/bus_recorder.h"
#include "tests/support/modal.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using sky::ObjectTexts;

const ObjectTexts kM31{"M 31", "0h42m44.3s", "41d16'09.0\""};
const ObjectTexts kVega{"Vega", "18h36m56.3s", "38d47'01.3\""};
const ObjectTexts kAchernar{"Achernar", "1h37m42.8s", "-57d14'12.3\""};

class Preselect : public sky_testing::SkyStand {
protected:
    void SetUp() override
    {
        SkyStand::SetUp();
        useShippedElements();
        clock.setDate(2024, 3, 1);
        control.listenAs("Control");
        preselect.setObjectList(&list);
        preselect.setEntryDialog(&entry);
    }
    void TearDown() override
    {
        preselect.hide();
        CLEAR_HANDLES();
        SkyStand::TearDown();
    }

    void add(std::initializer_list<ObjectTexts> entries)
    {
        for (const ObjectTexts& e : entries)
            preselect.addEntry(e);
    }
    std::vector<ObjectTexts> entries() const
    {
        std::vector<ObjectTexts> out;
        for (int i = 0; i < preselect.ListBox1->count(); ++i)
            out.push_back(sky::textsOf(preselect.ListBox1->item(i)));
        return out;
    }
    // Handles the posts, and the posts their handlers make in turn.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    int selected() const { return sky::selectedIndex(preselect.ListBox1); }
    // The go-to requests that reached the control window since the last call.
    std::vector<Tpoint_data> sent()
    {
        settle();
        std::vector<Tpoint_data> out;
        for (const auto& m : control.received)
            if (m.number == WM_POINT_MESSAGE)
                out.push_back(*m.point);
        control.received.clear();
        return out;
    }
    void type(const ObjectTexts& t)
    {
        entry.Object_Name->setText(QString::fromStdString(t.name));
        entry.Object_RA->setText(QString::fromStdString(t.ra));
        entry.Object_Decl->setText(QString::fromStdString(t.dec));
    }

    testing_support::BusRecorder control;
    TF_list list;
    TF_presel_add entry;
    TF_preselect preselect;
};

TEST_F(Preselect, GoToSendsTheSelectedEntryOrTheFirst)
{
    preselect.SENDGOTO();  // an empty list sends nothing
    EXPECT_TRUE(sent().empty());
    add({kM31, kAchernar});
    preselect.B_Left->click();
    EXPECT_EQ(selected(), 0);
    sky::selectIndex(preselect.ListBox1, 1);
    preselect.SENDGOTO();
    const auto s = sent();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].NAME, "M 31");
    EXPECT_DOUBLE_EQ(s[0].RA, HOURTOREAL(kM31.ra));
    EXPECT_DOUBLE_EQ(s[0].DE, DEGTOREAL(kM31.dec));
    EXPECT_EQ(s[0].SRC, SRCPRE);
    EXPECT_EQ(s[0].LST, 0);
    EXPECT_EQ(s[0].STATUS, 0);
    EXPECT_EQ(s[1].NAME, "Achernar");
    EXPECT_LT(s[1].DE, 0);
    EXPECT_EQ(preselect.OBJ_NAME, "Achernar");
    EXPECT_EQ(preselect.OBJ_DEC, kAchernar.dec);
    // Every request is a record of its own.
    EXPECT_NE(preselect.POSPOINT, nullptr);
    EXPECT_EQ(preselect.POSPOINT->NAME, "Achernar");
}

TEST_F(Preselect, NextStepsToTheFollowingEntryAndWraps)
{
    EXPECT_EQ(sky::NEXT_INDEX(-1, 0), -1);
    add({kM31, kVega, kAchernar});
    preselect.show();
    preselect.B_Right->click();  // none selected: the first
    sky::selectIndex(preselect.ListBox1, 1);
    preselect.SENDNEXT();
    preselect.SENDNEXT();  // the last: round to the first
    std::vector<std::string> names;
    for (const auto& p : sent())
        names.push_back(p.NAME);
    EXPECT_EQ(names, (std::vector<std::string>{"M 31", "Achernar", "M 31"}));
    EXPECT_EQ(selected(), 0);
}

TEST_F(Preselect, MessagesDoNothingAtAllWhileTheWindowIsHidden)
{
    add({kM31});
    auto point = std::make_shared<Tpoint_data>();
    point->SRC = SRCLIST;
    SIGNAL("F_preselect", WM_NEXTPRE_MESSAGE, 0);
    SIGNAL("F_preselect", WM_POINT_MESSAGE, point);
    settle();
    EXPECT_TRUE(control.received.empty());
    EXPECT_EQ(entries().size(), 1u);
    // Shown, the next-object request sends the first entry.
    preselect.show();
    SIGNAL("F_preselect", WM_NEXTPRE_MESSAGE, 0);
    ASSERT_EQ(sent().size(), 1u);
}

TEST_F(Preselect, AForwardedPointStopsTheMountAndIsTakenByItsOrigin)
{
    preselect.show();
    auto fromList = std::make_shared<Tpoint_data>();
    fromList->SRC = SRCLIST;
    fromList->NAME = "  NGC 891  ";
    fromList->RA = HOURTOREAL("2h22m33.4s");
    fromList->DE = DEGTOREAL("-4d20'57.0\"");
    SIGNAL("F_preselect", WM_POINT_MESSAGE, fromList);
    auto fromTcp = std::make_shared<Tpoint_data>();
    fromTcp->SRC = SRCTCP;
    fromTcp->RA = HOURTOREAL("5h00m00.0s");
    fromTcp->DE = DEGTOREAL("12d00'00.0\"");
    SIGNAL("F_preselect", WM_POINT_MESSAGE, fromTcp);
    auto other = std::make_shared<Tpoint_data>();
    other->SRC = SRCMAIN;
    SIGNAL("F_preselect", WM_POINT_MESSAGE, other);
    settle();
    EXPECT_EQ(control.count(WM_STOP_MESSAGE), 3u);
    EXPECT_EQ(entries(), (std::vector<ObjectTexts>{{"NGC 891", "  2h22m33.4s", "-4d20'57.0\""}}));
    EXPECT_EQ(entry.Object_Name->text(), "");
    EXPECT_EQ(entry.Object_RA->text(), "  5h00m00.0s");
    EXPECT_EQ(entry.Object_Decl->text(), "12d00'00.0\"");
    EXPECT_FALSE(entry.isVisible());
}

TEST_F(Preselect, EntriesMoveUpAndDownAndAreDeleted)
{
    add({kM31, kVega, kAchernar});
    preselect.Upmove1Click();  // nothing selected
    sky::selectIndex(preselect.ListBox1, 0);
    preselect.Upmove1->trigger();
    EXPECT_EQ(entries(), (std::vector<ObjectTexts>{kM31, kVega, kAchernar}));
    preselect.Downmove1->trigger();
    EXPECT_EQ(entries(), (std::vector<ObjectTexts>{kVega, kM31, kAchernar}));
    EXPECT_EQ(selected(), 1);
    sky::selectIndex(preselect.ListBox1, 2);
    preselect.Downmove1Click();
    EXPECT_EQ(selected(), 2);
    preselect.Upmove1Click();
    EXPECT_EQ(entries(), (std::vector<ObjectTexts>{kVega, kAchernar, kM31}));
    EXPECT_EQ(selected(), 1);
    preselect.Delete1->trigger();
    EXPECT_EQ(entries(), (std::vector<ObjectTexts>{kVega, kM31}));
    preselect.ListBox1->clearSelection();
    preselect.DELITEM();
    EXPECT_EQ(entries().size(), 2u);
}

TEST_F(Preselect, PlanetsByNameAreComputedForNow)
{
    add({{"mARS", "1h00m00.0s", "1d00'00.0\""}, {"Merkur", "3h00m00.0s", "3d00'00.0\""}, {"Earth", "", ""}});
    preselect.SENDGOTO();
    std::string ra, dec;
    ASSERT_TRUE(PLANETS::CALC_PLANET("Mars", PLANETS::DAY_NUMBER_NOW(), ra, dec));
    auto s = sent();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].NAME, "mARS");
    EXPECT_DOUBLE_EQ(s[0].RA, HOURTOREAL(ra));
    EXPECT_DOUBLE_EQ(s[0].DE, DEGTOREAL(dec));
    EXPECT_EQ(preselect.OBJ_RA, ra);
    // A name of another language is an ordinary entry.
    sky::selectIndex(preselect.ListBox1, 1);
    preselect.SENDGOTO();
    s = sent();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_DOUBLE_EQ(s[0].RA, 45 * 3600.0);
    // The Earth from the Earth is the Sun.
    sky::selectIndex(preselect.ListBox1, 2);
    preselect.SENDGOTO();
    ASSERT_TRUE(PLANETS::CALC_PLANET("Sun", PLANETS::DAY_NUMBER_NOW(), ra, dec));
    s = sent();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_DOUBLE_EQ(s[0].RA, HOURTOREAL(ra));
    // Without the elements file the operator is told and nothing is sent.
    ::unlink(elementsPath().c_str());
    sky::selectIndex(preselect.ListBox1, 0);
    preselect.SENDGOTO();
    EXPECT_TRUE(sent().empty());
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].title, "Missing File");
    EXPECT_EQ(dialogs.shown()[1].text, "\"mARS\" is not sent: its position could not be computed.");
}

TEST_F(Preselect, AnEntryWhoseCoordinatesCannotBeReadIsNotSent)
{
    add({{"Typed", "", "5d00'00.0\""}, {"Blank inside", "5h 00m00.0s", "5d00'00.0\""}, {"Zero", "0h00m00.0s", "0d00'00.0\""}});
    preselect.SENDGOTO();
    sky::selectIndex(preselect.ListBox1, 1);
    preselect.SENDGOTO();
    EXPECT_TRUE(sent().empty());
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].text, "\"Typed\" is not sent: its right ascension \"\" cannot be read.");
    EXPECT_EQ(dialogs.shown()[1].text, "\"Blank inside\" is not sent: its right ascension \"5h 00m00.0s\" cannot be read.");
    // A true zero is sent.
    sky::selectIndex(preselect.ListBox1, 2);
    preselect.SENDGOTO();
    ASSERT_EQ(sent().size(), 1u);
}

TEST_F(Preselect, AnEntryPastThePolesOrTwentyFourHoursIsNotSent)
{
    struct Case {
        ObjectTexts entry;
        const char* box;  // empty: sent
    };
    const Case cases[] = {
        {{"Past the pole", "5h00m00.0s", "-120d00'00.0\""},
         "\"Past the pole\" is not sent: its declination \"-120d00'00.0\"\" lies outside -90 to +90 degrees."},
        {{"Just past", "5h00m00.0s", "90d00'00.1\""},
         "\"Just past\" is not sent: its declination \"90d00'00.1\"\" lies outside -90 to +90 degrees."},
        {{"A day", "24h00m00.0s", "5d00'00.0\""},
         "\"A day\" is not sent: its right ascension \"24h00m00.0s\" lies outside 0 to 24 hours."},
        {{"Before zero", "-0h00m01.0s", "5d00'00.0\""},
         "\"Before zero\" is not sent: its right ascension \"-0h00m01.0s\" lies outside 0 to 24 hours."},
        {{"South pole", "23h59m59.9s", "-90d00'00.0\""}, ""},
        {{"North pole", "0h00m00.0s", "90d00'00.0\""}, ""},
    };
    for (const Case& c : cases) {
        preselect.ListBox1->clear();
        add({c.entry});
        dialogs.clear();
        preselect.SENDGOTO();
        const auto s = sent();
        if (std::string(c.box).empty()) {
            EXPECT_EQ(s.size(), 1u) << c.entry.name;
            EXPECT_TRUE(dialogs.shown().empty());
            continue;
        }
        EXPECT_TRUE(s.empty()) << c.entry.name;
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].text, c.box);
    }
}

TEST_F(Preselect, SaveWritesEachEntryAndLoadReadsThemBack)
{
    add({kM31, {"North America", "20h58m47.0s", "44d19'48.0\""}, kAchernar});
    const std::string path = dir.path() + "tonight.psl";
    dialogs.chooseFile(path);
    preselect.Save1->trigger();
    EXPECT_EQ(testing_support::readFile(path), "M_31 0h42m44.3s     41d16'09.0\"\r\n"
                                               "North_America 20h58m47.0s    44d19'48.0\"\r\n"
                                               "Achernar 1h37m42.8s     -57d14'12.3\"\r\n");
    ASSERT_EQ(dialogs.saveRequests().size(), 1u);
    EXPECT_EQ(dialogs.saveRequests()[0].defaultSuffix, "psl");
    EXPECT_EQ(dialogs.saveRequests()[0].proposedName, "");
    const auto saved = entries();
    preselect.DELITEM();
    preselect.addEntry({"stale", "", ""});
    ROOTPATH = "/";
    dialogs.chooseFile(path);
    EXPECT_TRUE(preselect.SELECT_FILE());
    EXPECT_EQ(entries(), saved);
    ASSERT_EQ(dialogs.openRequests().size(), 1u);
    EXPECT_EQ(dialogs.openRequests()[0].filter, "Preselect list (*.psl);;All (*)");
    EXPECT_EQ(dialogs.openRequests()[0].folder, "/");
    EXPECT_FALSE(dialogs.openRequests()[0].mustExist);
    // Save proposes the last file loaded, never the last one saved.
    dialogs.chooseFile(dir.path() + "other.psl");
    preselect.Save1Click();
    dialogs.chooseFile(std::nullopt);
    preselect.Save1Click();
    EXPECT_EQ(dialogs.saveRequests()[2].proposedName, path);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(Preselect, LongNamesAreCutFromEverySourceAndEverySavedListLoadsBackWhole)
{
    std::string longName;  // about 1000 bytes of two-byte characters and blanks
    while (longName.size() < 1000)
        longName += "N\xC3\xA9" "buleuse ";
    const std::string cut = text::cutUtf8(longName, 255);
    ASSERT_EQ(cut.size(), 254u);  // not through the middle of a character
    // Loaded.
    std::string fileName = longName;
    std::replace(fileName.begin(), fileName.end(), ' ', '_');
    dialogs.chooseFile(dir.write("long.psl", fileName + " 4h00m00.0s 5d00'00.0\"\r\n"));
    preselect.SELECT_FILE();
    // Typed, with a right ascension carrying a long tail after its "s".
    testing_support::inModal(entry, [&] {
        type({longName, "1h00m00.0s" + std::string(900, 'x'), "2d00'00.0\""});
        entry.B_save->click();
    });
    preselect.ManualAdd1Click();
    // Picked, with a line break inside.
    preselect.show();
    auto picked = std::make_shared<Tpoint_data>();
    picked->SRC = SRCLIST;
    picked->NAME = "two\r\nlines " + longName;
    picked->RA = HOURTOREAL("3h00m00.0s");
    preselect.ONPOINT(picked);
    add({{"two\nlines", "1h\n00m00.0s", "2d00'00.0\""}});
    const auto before = entries();
    ASSERT_EQ(before.size(), 4u);
    EXPECT_EQ(before[0], (ObjectTexts{cut, "4h00m00.0s", "5d00'00.0\""}));
    EXPECT_EQ(before[1].name, cut);
    EXPECT_EQ(before[1].ra, "1h00m00.0s" + std::string(255 - 10, 'x'));
    EXPECT_EQ(before[2].name, text::cutUtf8("two\r\nlines " + longName, 255));
    // Every entry saved comes back from the file, one for one.
    const std::string path = dir.path() + "back.psl";
    dialogs.chooseFile(path);
    preselect.Save1Click();
    dialogs.chooseFile(path);
    preselect.SELECT_FILE();
    auto expected = before;  // apart from blanks at their ends, which a save drops
    for (ObjectTexts& e : expected)
        for (std::string* t : {&e.name, &e.ra, &e.dec}) {
            std::replace_if(t->begin(), t->end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
            *t = text::trimControl(*t);
        }
    // A line break inside a coordinate moves the rest on, as a blank does.
    expected[3] = {"two lines", "1h", "00m00.0s"};
    EXPECT_EQ(entries(), expected);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(Preselect, LoadTakesEveryLineEndAndOddLines)
{
    const std::string path = dir.write("odd.psl", "Vega 18h36m56.3s 38d47'01.3\"\n\r\none\rtwo words\r\n"
                                                  "[a] b c d\n\xff\xfe bad" + std::string(1, '\0') + "utf8 x\n");
    dialogs.chooseFile(path);
    preselect.Load1->trigger();
    const std::vector<ObjectTexts> expected = {
        {"Vega", "18h36m56.3s", "38d47'01.3\""}, {"", "", ""}, {"one", "", ""}, {"two", "words", ""},
        {"[a]", "b", "c"}, {"\xff\xfe", std::string("bad\0utf8", 8), "x"}};
    EXPECT_EQ(entries(), expected);
    // The odd bytes travel back into a file unchanged.
    dialogs.chooseFile(dir.path() + "back.psl");
    preselect.Save1Click();
    EXPECT_NE(testing_support::readFile(dir.path() + "back.psl").find(std::string("bad\0utf8", 8)), std::string::npos);
}

TEST_F(Preselect, LoadOfANewNameMakesTheFileAndKeepsTheList)
{
    add({kVega});
    const std::string path = dir.path() + "new.psl";
    dialogs.chooseFile(path);
    EXPECT_TRUE(preselect.SELECT_FILE());
    EXPECT_EQ(testing_support::readFile(path), "");
    EXPECT_TRUE(testing_support::exists(path));
    EXPECT_EQ(entries(), std::vector<ObjectTexts>{kVega});
    EXPECT_EQ(preselect.PRESELECTLIST, path);
    EXPECT_FALSE(preselect.SELECT_FILE());  // cancelled
    EXPECT_EQ(preselect.PRESELECTLIST, path);
}

TEST_F(Preselect, FileFailuresKeepTheListAndTheOldFile)
{
    add({kVega});
    const std::string folder = dir.path() + "folder.psl";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    dialogs.chooseFile(folder);
    EXPECT_TRUE(preselect.SELECT_FILE());
    EXPECT_EQ(entries(), std::vector<ObjectTexts>{kVega});
    dialogs.chooseFile(dir.path() + "no/such/folder/x.psl");
    preselect.SELECT_FILE();
    dialogs.chooseFile(folder);
    preselect.Save1Click();
    const std::string readOnly = dir.write("read-only.psl", "kept\r\n");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    dialogs.chooseFile(readOnly);
    preselect.Save1Click();
    EXPECT_EQ(testing_support::readFile(readOnly), "kept\r\n");
    const auto boxes = dialogs.shown();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[3].text, "Could not write " + readOnly + ": Permission denied. The file was left as it was.");
    EXPECT_EQ(boxes[0].text, "Could not read " + folder + ": it is a folder.");
    EXPECT_EQ(boxes[1].text.rfind("Could not create " + dir.path() + "no/such/folder/x.psl: ", 0), 0u);
    EXPECT_EQ(boxes[2].text, "Could not write " + folder + ": Is a directory. The file was left as it was.");
    EXPECT_EQ(entries(), std::vector<ObjectTexts>{kVega});
}

TEST_F(Preselect, AddTakesThePickOfTheObjectListInSelectMode)
{
    bool selectMode = false;
    testing_support::inModal(list, [&] {
        selectMode = list.SELECT_FUNCTION;
        sky::selectIndex(list.ListBox1, 3);  // Mars
        list.Button1->click();
    });
    preselect.Add1->trigger();
    EXPECT_TRUE(selectMode);
    EXPECT_FALSE(list.SELECT_FUNCTION);
    const PLANETS::TP_LIST planets = PLANETS::PLANET_LIST();
    ASSERT_EQ(entries().size(), 1u);
    const ObjectTexts added = entries()[0];
    EXPECT_EQ(added.name, "Mars" + std::string(46, ' '));
    EXPECT_EQ(added.ra, planets[3][1]);
    EXPECT_EQ(added.dec, sky::withoutBlanks(planets[3][2]));
    // Cancel adds nothing.
    testing_support::inModal(list, [&] { list.Button2->click(); });
    preselect.ADDITEM();
    EXPECT_EQ(entries().size(), 1u);
    EXPECT_FALSE(list.SELECT_FUNCTION);
}

TEST_F(Preselect, APickWithoutCoordinatesAddsNothingAndSaysWhichObject)
{
    ::unlink(elementsPath().c_str());  // the planet rows after the Sun have no texts
    bool stillOpen = false;
    testing_support::inModal(list, [&] {
        sky::selectIndex(list.ListBox1, 8);
        list.Button1->click();
        stillOpen = list.isVisible();
    });
    preselect.ADDITEM();
    EXPECT_TRUE(stillOpen);  // the operator may pick another
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(list.POINT->SRC, SRCTCP);  // no pick was made
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().back().text, "\"Pluto\" is not added: its right ascension \"\" cannot be read.");
}

// The row of a body that could not be computed shows the zero texts, which
// read as a place: whatever its name, it is no pick and so no go-to.
TEST_F(Preselect, APlanetRowThatCouldNotBeComputedIsNeitherAddedNorSent)
{
    const std::string elements = sky_testing::shippedFile("p_elem_t2.txt");
    const auto without = [&](const std::string& body) {
        const std::size_t at = elements.find("\n" + body + " ");
        const std::size_t end = elements.find('\n', elements.find('\n', at + 1) + 1);
        return elements.substr(0, at) + elements.substr(end);
    };
    struct Case {
        const char* what;
        std::function<void()> prepare;
        int row;
        const char* name;
    };
    const Case cases[] = {
        {"no elements file", [&] { ::unlink(elementsPath().c_str()); }, 0, "Sun"},
        {"no elements file, the names in another language",
         [&] {
             ::unlink(elementsPath().c_str());
             LANGUAGE::OBJECT_LIST.push_back(
                 {"PLANETS", "Sonne;Merkur;Venus;Mars;Jupiter;Saturn;Uranus;Neptun;Pluto", "PLANETS", ""});
         },
         0, "Sonne"},
        {"no record of the Earth", [&] { writeElements(without("Earth")); }, 0, "Sun"},
        {"no record of Mars", [&] { writeElements(without("Mars")); }, 3, "Mars"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        useShippedElements();
        LANGUAGE::CLEAR();
        dialogs.clear();
        preselect.ListBox1->clear();
        c.prepare();
        bool stillOpen = false;
        std::string rowRa;
        testing_support::inModal(list, [&] {
            sky::selectIndex(list.ListBox1, c.row);
            rowRa = sky::textsOf(list.ListBox1->item(c.row)).ra;
            list.Button1->click();
            stillOpen = list.isVisible();
            if (stillOpen)
                list.Button2->click();
        });
        preselect.ADDITEM();
        EXPECT_EQ(rowRa, "  0h00m00.0s") << "the row shows the zero texts";
        EXPECT_TRUE(stillOpen);
        EXPECT_TRUE(entries().empty());
        ASSERT_FALSE(dialogs.shown().empty());
        EXPECT_EQ(dialogs.shown().back().text,
                  "\"" + std::string(c.name) + "\" is not added: its position could not be computed.");
        preselect.SENDGOTO();
        EXPECT_TRUE(sent().empty());
    }
}

TEST_F(Preselect, TypedEntriesAreAddedAndEditedAsTyped)
{
    testing_support::inModal(entry, [&] {
        type({"Blank  inside", "5h 00m00.0s", "-  5d00'00.0\""});
        entry.B_save->click();
    });
    preselect.ManualAdd1->trigger();
    EXPECT_EQ(entries(), (std::vector<ObjectTexts>{{"Blank  inside", "5h 00m00.0s", "-  5d00'00.0\""}}));
    // A double-click edits the selected entry; the dialog starts with its texts.
    add({{"  Padded  ", "  1h00m00.0s", "  1d00'00.0\""}});
    sky::selectIndex(preselect.ListBox1, 1);
    QString offered;
    testing_support::inModal(entry, [&] {
        offered = entry.Object_Name->text() + "|" + entry.Object_RA->text() + "|" + entry.Object_Decl->text();
        entry.Object_Name->setText("Edited");
        entry.B_save->click();
    });
    preselect.ListBox1DblClick();
    EXPECT_EQ(offered, "Padded|1h00m00.0s|1d00'00.0\"");
    EXPECT_EQ(entries()[1], (ObjectTexts{"Edited", "1h00m00.0s", "1d00'00.0\""}));
    // Cancel leaves the entry, and ManualAdd starts with the edited texts.
    testing_support::inModal(entry, [&] { entry.Object_Name->setText("Not taken"); });
    preselect.ListBox1DblClick();
    EXPECT_EQ(entries()[1].name, "Edited");
    testing_support::inModal(entry, [&] {
        offered = entry.Object_Name->text();
        entry.B_save->click();
    });
    preselect.ManualAdd1Click();
    EXPECT_EQ(offered, "Not taken");
    EXPECT_EQ(entries().size(), 3u);
    preselect.ListBox1->clearSelection();
    preselect.ListBox1DblClick();  // nothing selected: no dialog
    EXPECT_FALSE(entry.isVisible());
}

TEST_F(Preselect, ShowingTranslatesAndExitCloses)
{
    useShippedLanguage();
    platform::resetFormActivation();
    preselect.show();
    settle();
    EXPECT_EQ(preselect.B_Left->text(), "Go to");
    EXPECT_EQ(preselect.B_Right->text(), "Next");
    EXPECT_EQ(preselect.Load1->text(), "Load...");
    EXPECT_EQ(preselect.ManualAdd1->text(), "Type in an object...");
    EXPECT_EQ(preselect.windowTitle(), "F_preselect");
    preselect.Exit1->trigger();
    EXPECT_FALSE(preselect.isVisible());
}

}  // namespace
