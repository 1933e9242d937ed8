#include "sky/preselect.h"

#include "core/angles.h"
#include "core/names.h"
#include "core/system_init.h"
#include "core/text.h"
#include "forms/size.h"
#include "forms/translate.h"
#include "forms/widgets.h"
#include "platform/dialogs.h"
#include "platform/form_activation.h"
#include "platform/output_file.h"
#include "sky/coords.h"
#include "sky/files.h"
#include "sky/list.h"
#include "sky/planets.h"
#include "sky/presel_add.h"
#include "sky/row_list.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <algorithm>
#include <array>

namespace sky {

GotoRequest GOTO_REQUEST(const ObjectTexts& entry)
{
    // Names the elements file knows, in any letter case: these are computed
    // for the present moment, whatever coordinates the entry holds.
    static constexpr std::array<const char*, 10> kComputed = {
        "SUN", "MERCURY", "VENUS", "EARTH", "MARS", "SATURN", "JUPITER", "NEPTUNE", "URANUS", "PLUTO"};
    GotoRequest g;
    g.name = text::cutUtf8(text::trimControl(entry.name), 255);
    const std::string upper = text::asciiUpper(g.name);
    const bool planet =
        std::find_if(kComputed.begin(), kComputed.end(), [&](const char* n) { return upper == n; }) != kComputed.end();
    if (planet) {
        if (!PLANETS::CALC_PLANET(g.name, PLANETS::DAY_NUMBER_NOW(), g.ra, g.dec)) {
            // The box before said what is missing; this one says what was not sent.
            g.problem = "\"" + g.name + "\" is not sent: its position could not be computed.";
            return g;
        }
    } else {
        g.ra = text::cutUtf8(entry.ra, 255);
        g.dec = text::cutUtf8(entry.dec, 255);
    }
    const PlaceRead place = READ_GOTO_PLACE(g.ra, g.dec);
    if (!place.problem.empty()) {
        g.problem = "\"" + g.name + "\" is not sent: its " + place.problem + ".";
        return g;
    }
    g.point = std::make_shared<Tpoint_data>();
    g.point->NAME = g.name;
    g.point->RA = *place.ra.angle;
    g.point->DE = *place.dec.angle;
    g.point->SRC = SRCPRE;
    return g;
}

int NEXT_INDEX(int selected, int count)
{
    if (count <= 0)
        return -1;
    if (selected < 0 || selected >= count - 1)
        return 0;
    return selected + 1;
}

}  // namespace sky

namespace {

constexpr int kWidth = 660;
constexpr int kHeight = 400;
constexpr const char* kTitle = "Preselect list";

using forms::item;
using forms::named;
using forms::placed;
using forms::submenu;

}  // namespace

TF_preselect::TF_preselect(QWidget* parent) : SignalReceiver<QWidget>(parent, Qt::Window)
{
    setObjectName("F_preselect");
    setWindowTitle("F_preselect");
    resize(kWidth, kHeight);

    MainMenu1 = named(new QMenuBar(this), "MainMenu1");
    File1 = submenu(MainMenu1, "File1", "File");
    Load1 = item(File1, "Load1", "Load");
    Save1 = item(File1, "Save1", "Save");
    Exit1 = item(File1, "Exit1", "Exit");
    Edit1 = submenu(MainMenu1, "Edit1", "Edit");
    Add1 = item(Edit1, "Add1", "Add");
    Delete1 = item(Edit1, "Delete1", "Delete");
    Upmove1 = item(Edit1, "Upmove1", "Upmove");
    Downmove1 = item(Edit1, "Downmove1", "Downmove");
    ManualAdd1 = item(Edit1, "ManualAdd1", "ManualAdd");
    const int menuH = MainMenu1->sizeHint().height();
    MainMenu1->setGeometry(0, 0, kWidth, menuH);

    B_Left = placed(new QPushButton(QStringLiteral("GoTo"), this), "B_Left", {10, kHeight - 40, 110, 28});
    B_Right = placed(new QPushButton(QStringLiteral("Next"), this), "B_Right", {130, kHeight - 40, 110, 28});
    ListBox1 = placed(new QListWidget(this), "ListBox1", {10, menuH + 8, kWidth - 20, kHeight - menuH - 8 - 50});
    ListBox1->setFont(sky::rowFont());
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    connect(B_Left, &QPushButton::clicked, this, [this] { B_LeftClick(); });
    connect(B_Right, &QPushButton::clicked, this, [this] { B_RightClick(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });
    connect(Load1, &QAction::triggered, this, [this] { Load1Click(); });
    connect(Save1, &QAction::triggered, this, [this] { Save1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(Add1, &QAction::triggered, this, [this] { Add1Click(); });
    connect(Delete1, &QAction::triggered, this, [this] { Delete1Click(); });
    connect(Upmove1, &QAction::triggered, this, [this] { Upmove1Click(); });
    connect(Downmove1, &QAction::triggered, this, [this] { Downmove1Click(); });
    connect(ManualAdd1, &QAction::triggered, this, [this] { ManualAdd1Click(); });

    winsize::GET_OBJECTS(this);
    ADD_HANDLE(bus::F_preselect, this);
    platform::onFormActivate(this, [this] { FormActivate(); });
}

void TF_preselect::setObjectList(TF_list* list) { list_ = list; }

void TF_preselect::setEntryDialog(TF_presel_add* dialog) { entryDialog_ = dialog; }

void TF_preselect::addEntry(const sky::ObjectTexts& entry) { sky::appendRow(ListBox1, entry); }

void TF_preselect::SENDGOTO()
{
    const int count = ListBox1->count();
    if (count == 0)
        return;
    if (sky::selectedIndex(ListBox1) < 0)
        sky::selectIndex(ListBox1, 0);
    const sky::GotoRequest g = sky::GOTO_REQUEST(sky::textsOf(ListBox1->item(sky::selectedIndex(ListBox1))));
    OBJ_NAME = g.name;
    OBJ_RA = g.ra;
    OBJ_DEC = g.dec;
    if (!g.point) {
        if (!g.problem.empty())
            platform::dialogs().message("Go to", g.problem);
        return;
    }
    POSPOINT = g.point;
    SIGNAL(bus::Control, WM_POINT_MESSAGE, POSPOINT);
}

void TF_preselect::SENDNEXT()
{
    if (!isVisible() || ListBox1->count() == 0)
        return;
    sky::selectIndex(ListBox1, sky::NEXT_INDEX(sky::selectedIndex(ListBox1), ListBox1->count()));
    SENDGOTO();
}

void TF_preselect::ONNEXT() { SENDNEXT(); }

void TF_preselect::ONPOINT(const std::shared_ptr<Tpoint_data>& point)
{
    if (!isVisible())
        return;
    SIGNAL(bus::Control, WM_STOP_MESSAGE, 0);
    if (!point)
        return;
    if (point->SRC == SRCTCP)
        PRESEL_MAN_ADD("", REALTOHOUR(point->RA), REALTODEG(point->DE));
    else if (point->SRC == SRCLIST)
        addEntry({text::trimControl(point->NAME), REALTOHOUR(point->RA), sky::withoutBlanks(REALTODEG(point->DE))});
}

void TF_preselect::PRESEL_MAN_ADD(const std::string& NAME, const std::string& RA, const std::string& DEC)
{
    setDialogTexts({NAME, RA, sky::withoutBlanks(DEC)});
}

void TF_preselect::setDialogTexts(const sky::ObjectTexts& texts)
{
    if (!entryDialog_)
        return;
    entryDialog_->Object_Name->setText(forms::qstr(texts.name));
    entryDialog_->Object_RA->setText(forms::qstr(texts.ra));
    entryDialog_->Object_Decl->setText(forms::qstr(texts.dec));
}

sky::ObjectTexts TF_preselect::dialogTexts() const
{
    return {entryDialog_->Object_Name->text().toStdString(), entryDialog_->Object_RA->text().toStdString(),
            entryDialog_->Object_Decl->text().toStdString()};
}

void TF_preselect::ADDITEM()
{
    if (!list_)
        return;
    list_->SELECT_FUNCTION = true;
    if (list_->exec() == QDialog::Accepted) {
        const Tpoint_data& p = *list_->POINT;
        addEntry({p.NAME, REALTOHOUR(p.RA), sky::withoutBlanks(REALTODEG(p.DE))});
    }
    list_->SELECT_FUNCTION = false;
}

void TF_preselect::DELITEM()
{
    const int row = sky::selectedIndex(ListBox1);
    if (row >= 0)
        delete ListBox1->takeItem(row);
}

void TF_preselect::moveSelected(int by)
{
    const int row = sky::selectedIndex(ListBox1);
    const int to = row + by;
    if (row < 0 || to < 0 || to >= ListBox1->count())
        return;
    QListWidgetItem* moving = ListBox1->takeItem(row);
    ListBox1->insertItem(to, moving);
    sky::selectIndex(ListBox1, to);
}

bool TF_preselect::SELECT_FILE()
{
    const auto chosen = platform::dialogs().openFile(
        {"Load preselect list", "Preselect list (*.psl);;All (*)", ROOTPATH, false});
    if (!chosen)
        return false;
    PRESELECTLIST = *chosen;
    std::vector<std::string> lines;
    const skyfiles::ReadResult r = skyfiles::readListLines(*chosen, lines);
    if (r.missing) {
        // A new list: its file is made now, and the entries stay.
        if (const std::string why = platform::createEmptyFile(*chosen); !why.empty())
            platform::dialogs().message(kTitle, skyfiles::failureText("create", *chosen, why));
        return true;
    }
    if (!r.ok) {
        platform::dialogs().message(kTitle, skyfiles::failureText("read", *chosen, r.reason));
        return true;
    }
    ListBox1->clear();
    for (const std::string& line : lines)
        addEntry(sky::PARSE_PRESELECT_LINE(line));
    return true;
}

void TF_preselect::Save1Click()
{
    const auto chosen = platform::dialogs().saveFile({"Save preselect list", PRESELECTLIST, "psl"});
    if (!chosen)
        return;
    std::string content;
    for (int i = 0; i < ListBox1->count(); ++i)
        content += sky::PRESELECT_LINE(sky::textsOf(ListBox1->item(i)));
    if (const std::string why = platform::replaceFile(*chosen, content); !why.empty())
        platform::dialogs().message(kTitle, skyfiles::failureText("write", *chosen, why) +
                                                " The file was left as it was.");
}

// Closes the window; the list stays for its next showing.
void TF_preselect::Exit1Click() { close(); }

void TF_preselect::ManualAdd1Click()
{
    if (entryDialog_ && entryDialog_->exec() == QDialog::Accepted)
        addEntry(dialogTexts());
}

void TF_preselect::ListBox1DblClick()
{
    const int row = sky::selectedIndex(ListBox1);
    if (row < 0 || !entryDialog_)
        return;
    const sky::ObjectTexts t = sky::textsOf(ListBox1->item(row));
    setDialogTexts({text::trimControl(t.name), text::trimControl(t.ra), text::trimControl(t.dec)});
    if (entryDialog_->exec() != QDialog::Accepted)
        return;
    delete ListBox1->takeItem(row);
    ListBox1->insertItem(row, sky::makeRowItem(dialogTexts()));
    sky::selectIndex(ListBox1, row);
}

void TF_preselect::FormActivate()
{
    LANGUAGE::SETALL(this);
    winsize::APPLY_SCALE(this);
}

void TF_preselect::B_LeftClick() { SENDGOTO(); }
void TF_preselect::B_RightClick() { SENDNEXT(); }
void TF_preselect::Load1Click() { SELECT_FILE(); }
void TF_preselect::Add1Click() { ADDITEM(); }
void TF_preselect::Delete1Click() { DELITEM(); }
void TF_preselect::Upmove1Click() { moveSelected(-1); }
void TF_preselect::Downmove1Click() { moveSelected(+1); }

void TF_preselect::onSignal(const SignalEvent& message)
{
    if (message.message() == WM_NEXTPRE_MESSAGE)
        ONNEXT();
    else if (message.message() == WM_POINT_MESSAGE)
        ONPOINT(message.point());
}
