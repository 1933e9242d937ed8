#include "sky/list.h"

#include "core/angles.h"
#include "core/astro.h"
#include "core/names.h"
#include "core/params.h"
#include "core/system_init.h"
#include "core/text.h"
#include "forms/size.h"
#include "forms/translate.h"
#include "forms/widgets.h"
#include "platform/dialogs.h"
#include "platform/form_activation.h"
#include "sky/coords.h"
#include "sky/files.h"
#include "sky/planets.h"
#include "sky/row_list.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace sky {

bool HORIZON_TEST(std::string_view RA, std::string_view DEC)
{
    const double lst = GET_LMST(DEGTOREAL(GET_PARAM(param::Long)));
    const double lat = DEGTOREAL(GET_PARAM(param::Lat));
    double az = 0, alt = 0;
    RATOAZ(HOURTOREAL(RA), DEGTOREAL(DEC), lat, lst, az, alt);
    return !(GET_BPARAM(param::Hide_NonVisible) && alt < 0.0);
}

}  // namespace sky

namespace {

constexpr int kWidth = 660;
constexpr int kHeight = 440;
constexpr const char* kListTitle = "Object list";

using forms::button;
using forms::named;
using forms::placed;

}  // namespace

TF_list::TF_list(QWidget* parent) : QDialog(parent)
{
    setObjectName("F_list");
    setWindowTitle("F_list");
    resize(kWidth, kHeight);

    MainMenu1 = named(new QMenuBar(this), "MainMenu1");
    File1 = forms::submenu(MainMenu1, "File1", "File");
    Open1 = forms::item(File1, "Open1", "Open");
    const int menuH = MainMenu1->sizeHint().height();
    MainMenu1->setGeometry(0, 0, kWidth, menuH);

    const int top = menuH + 8;
    Button1 = button(this, "Button1", "Goto", {10, kHeight - 40, 110, 28});
    Button2 = button(this, "Button2", "Cancel", {kWidth - 120, kHeight - 40, 110, 28});
    Button3 = button(this, "Button3", "Search", {444, top, 96, 26});
    Button4 = button(this, "Button4", "File", {550, top, 100, 26});
    ComboBox1 = placed(new QComboBox(this), "ComboBox1", {10, top, 200, 26});
    SearchStr = placed(new QLineEdit(this), "SearchStr", {220, top, 216, 26});
    ListBox1 = placed(new QListWidget(this), "ListBox1", {10, top + 34, kWidth - 20, kHeight - top - 34 - 50});
    ListBox1->setFont(sky::rowFont());
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Open1, &QAction::triggered, this, [this] { Open1Click(); });
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });
    connect(SearchStr, &QLineEdit::textChanged, this, [this] { SearchStrChange(); });

    winsize::GET_OBJECTS(this);
    platform::onFormActivate(this, [this] { FormActivate(); });
}

bool TF_list::LOAD_FILE(const std::string& FILENAME)
{
    std::vector<std::string> lines;
    const skyfiles::ReadResult r = skyfiles::readListLines(FILENAME, lines);
    if (r.missing)
        return false;
    if (!r.ok) {
        platform::dialogs().message(kListTitle, skyfiles::failureText("read", FILENAME, r.reason));
        return false;
    }
    OBJECT_LIST = sky::PARSE_OBJECT_LIST(lines);
    return true;
}

void TF_list::addRow(const sky::ObjectTexts& texts) { sky::appendRow(ListBox1, texts); }

void TF_list::clearRows()
{
    // Emptied by the program, not chosen by the operator.
    const QSignalBlocker block(ListBox1);
    ListBox1->clear();
}

void TF_list::FILL_LIST(const QString& TYP)
{
    clearRows();
    const std::string typ = TYP.toStdString();
    if (text::asciiUpper(typ) == "PLANETS") {
        const PLANETS::TP_TABLE planets = PLANETS::PLANET_TABLE();
        for (std::size_t k = 0; k < planets.rows.size(); ++k) {
            const PLANETS::TP_ROW& row = planets.rows[k];
            if (!sky::HORIZON_TEST(row[1], row[2]))
                continue;
            addRow({row[0], row[1], row[2]});
            if (k >= planets.computed)
                sky::markWithoutPlace(ListBox1->item(ListBox1->count() - 1));
        }
        return;
    }
    for (const sky::OBJ& o : OBJECT_LIST)
        if (o.CAT == typ && sky::HORIZON_TEST(o.RA, o.DEC))
            addRow({o.NAME, o.RA, o.DEC});
}

void TF_list::FormActivate()
{
    LANGUAGE::SETALL(this);
    LANGUAGE::SETMULTI(Button1, SELECT_FUNCTION ? 1 : 0);
    clearRows();
    ComboBox1->clear();
    ComboBox1->addItem(QString::fromLatin1(kPlanets));
    const std::string file = GET_PARAM(param::Object_File);
    if (!file.empty() && LOAD_FILE(file)) {
        std::string last;
        for (const sky::OBJ& o : OBJECT_LIST) {
            if (o.CAT != last)
                ComboBox1->addItem(QString::fromStdString(o.CAT));
            last = o.CAT;
        }
    }
    ComboBox1->setCurrentIndex(0);
    FILL_LIST(ComboBox1->currentText());
    RESIZE_WIN();
}

void TF_list::ComboBox1Change()
{
    if (ComboBox1->currentIndex() >= 0)
        FILL_LIST(ComboBox1->currentText());
}

void TF_list::Button1Click()
{
    const int row = sky::selectedIndex(ListBox1);
    if (row < 0)
        return;
    const sky::ObjectTexts t = sky::textsOf(ListBox1->item(row));
    // A row without a place (a planet whose elements are missing) is no pick:
    // taken as 0h/0d it would send the mount there.
    const sky::PlaceRead place = sky::READ_GOTO_PLACE(t.ra, t.dec);
    std::string problem = place.problem;
    if (problem.empty() && sky::hasNoPlace(ListBox1->item(row)))
        problem = "position could not be computed";
    if (!problem.empty()) {
        platform::dialogs().message(kListTitle,
                                    "\"" + text::trimControl(t.name) + "\" is not added: its " + problem + ".");
        return;
    }
    // The name as its column shows it, padding included.
    POINT->NAME = text::cutUtf8(sky::padRight(t.name, sky::kNameColumns), 255);
    POINT->RA = *place.ra.angle;
    POINT->DE = *place.dec.angle;
    POINT->SRC = SRCLIST;
    done(QDialog::Accepted);
}

void TF_list::Button2Click() { done(QDialog::Rejected); }

void TF_list::Button3Click()
{
    clearRows();
    const std::string wanted = text::asciiUpper(SearchStr->text().toStdString());
    if (wanted.empty())
        return;
    for (const sky::OBJ& o : OBJECT_LIST)
        if (text::asciiUpper(o.NAME).find(wanted) != std::string::npos)
            addRow({o.NAME, o.RA, o.DEC});
}

void TF_list::Button4Click() { GET_FILE(); }

void TF_list::Open1Click() { GET_FILE(); }

bool TF_list::GET_FILE()
{
    const auto chosen = platform::dialogs().openFile(
        {"Open object list", "Object list (*.lst);;All (*)", DOCPATH, true});
    if (!chosen)
        return false;
    SET_PARAM(param::Object_File, *chosen);
    FormActivate();
    return true;
}

void TF_list::RESIZE_WIN() { winsize::APPLY_SCALE(this); }

void TF_list::ListBox1Click()
{
    Button1->setDefault(true);
    Button3->setDefault(false);
}

void TF_list::ListBox1DblClick() { Button1Click(); }

void TF_list::SearchStrChange()
{
    Button3->setDefault(true);
    Button1->setDefault(false);
}

