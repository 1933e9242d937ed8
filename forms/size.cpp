#include "forms/size.h"

#include "core/rounding.h"
#include "core/text.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <optional>
#include <typeinfo>

namespace winsize {

std::vector<WIN_LIST> FORM_LIST;
std::vector<std::string> NON_RESIZE;
bool WIN_SCALE = false;
double WIN_RESIZE = 0.0;

namespace {

constexpr std::size_t kTextMax = 255;
// Menus are built by the program, but a menu added to itself must not take
// the recording down with it.
constexpr int kMenuDepthMax = 32;

enum class Kind { Plain, Button, Label, Edit, ComboBox, CheckBox, ListBox, Bevel };

template <class T>
bool is(const QWidget* w)
{
    return typeid(*w) == typeid(T);
}

Kind kindOf(const QWidget* w)
{
    if (is<QPushButton>(w))
        return Kind::Button;
    if (is<QLabel>(w))
        return Kind::Label;
    if (is<QLineEdit>(w))
        return Kind::Edit;
    if (is<QComboBox>(w))
        return Kind::ComboBox;
    if (is<QCheckBox>(w))
        return Kind::CheckBox;
    if (is<QListWidget>(w))
        return Kind::ListBox;
    if (is<QFrame>(w))
        return Kind::Bevel;
    return Kind::Plain;
}

bool scalesFont(Kind k) { return k != Kind::Plain && k != Kind::CheckBox && k != Kind::Bevel; }

std::string cut(std::string_view s) { return text::cutUtf8(s, kTextMax); }
std::string cut(const QString& s) { return cut(s.toStdString()); }
std::string nameOf(const QObject* o) { return cut(o->objectName()); }

QMenuBar* mainMenu(const QWidget* form)
{
    return form->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
}

std::vector<QWidget*> controlsOf(const QWidget* form)
{
    const QMenuBar* menu = mainMenu(form);
    std::vector<QWidget*> out;
    for (QObject* child : form->children()) {
        if (!child->isWidgetType())
            continue;
        auto* w = static_cast<QWidget*>(child);
        if (!w->isWindow() && w != menu)
            out.push_back(w);
    }
    return out;
}

// GET_OBJ_OBJ: name and bounds.
WIN_OBJ recordBounds(const QWidget* w)
{
    WIN_OBJ r;
    r.NAME = nameOf(w);
    r.TOP = w->y();
    r.LEFT = w->x();
    r.WIDTH = w->width();
    r.HEIGHT = w->height();
    return r;
}

std::string listItems(const QListWidget* list)
{
    std::string joined;
    for (int i = 0; i < list->count() && joined.size() <= kTextMax; ++i) {
        if (i > 0)
            joined += ';';
        joined += list->item(i)->text().toStdString();
    }
    return cut(joined);
}

QString captionOf(const QWidget* w, Kind k)
{
    switch (k) {
    case Kind::Button: return static_cast<const QPushButton*>(w)->text();
    case Kind::CheckBox: return static_cast<const QCheckBox*>(w)->text();
    case Kind::Label: return static_cast<const QLabel*>(w)->text();
    case Kind::Edit: return static_cast<const QLineEdit*>(w)->text();
    case Kind::ComboBox: return static_cast<const QComboBox*>(w)->currentText();
    default: return QString();
    }
}

std::size_t lastSlotNamed(const std::string& name, bool& found)
{
    found = false;
    std::size_t at = 0;
    for (std::size_t i = 0; i < FORM_LIST.size(); ++i)
        if (FORM_LIST[i].FORM.front().NAME == name) {
            at = i;
            found = true;
        }
    return at;
}

// The slot rescaling works on: the window's own, else slot 0.
const WIN_LIST* slotFor(const QWidget* form)
{
    if (FORM_LIST.empty())
        return nullptr;
    bool found = false;
    return &FORM_LIST[lastSlotNamed(nameOf(form), found)];
}

void menuItems(const QWidget* menu, std::size_t index, int depth)
{
    if (depth > kMenuDepthMax)
        return;
    for (const QAction* item : menu->actions()) {
        if (item->isSeparator())
            continue;
        WIN_OBJ r = GET_OBJ(item);
        // An unnamed item names nothing; skipping it keeps unnamed controls scalable.
        if (!r.NAME.empty())
            ADD_NONRESIZE(r.NAME);
        FORM_LIST[index].FORM.push_back(std::move(r));
        if (const QMenu* sub = item->menu())
            menuItems(sub, index, depth + 1);
    }
}

struct Factors {
    double h, w, r;  // vertical, horizontal, the smaller of the two
};

// The window's size against its design size; none for a window recorded
// without a size, which has nothing to scale against.
std::optional<Factors> againstDesign(const QWidget* form, const WIN_OBJ& design)
{
    if (design.HEIGHT <= 0 || design.WIDTH <= 0)
        return std::nullopt;
    const double h = static_cast<double>(form->height()) / design.HEIGHT;
    const double w = static_cast<double>(form->width()) / design.WIDTH;
    return Factors{h, w, h > w ? w : h};
}

std::optional<std::int32_t> scaled(std::int32_t value, double factor)
{
    return num::roundHalfEven(static_cast<double>(value) * factor);
}

}  // namespace

WIN_OBJ GET_OBJ(const QWidget* OBJ)
{
    WIN_OBJ r = recordBounds(OBJ);
    const Kind k = kindOf(OBJ);
    if (k == Kind::Plain || k == Kind::Bevel)
        return r;
    const int points = OBJ->font().pointSize();
    r.FONTSIZE = points > 0 ? points : 0;
    r.TEXT = k == Kind::ListBox ? listItems(static_cast<const QListWidget*>(OBJ)) : cut(captionOf(OBJ, k));
    return r;
}

WIN_OBJ GET_OBJ(const QAction* ITEM)
{
    WIN_OBJ r;
    r.NAME = nameOf(ITEM);
    if (r.NAME.empty() && ITEM->menu())
        r.NAME = nameOf(ITEM->menu());
    r.TEXT = cut(ITEM->text());
    return r;
}

void GET_OBJECTS(const QWidget* FORM)
{
    bool found = false;
    std::size_t index = lastSlotNamed(nameOf(FORM), found);
    if (!found) {
        FORM_LIST.emplace_back();
        index = FORM_LIST.size() - 1;
    }
    const std::vector<QWidget*> controls = controlsOf(FORM);
    std::vector<WIN_OBJ>& slot = FORM_LIST[index].FORM;
    slot.clear();
    slot.push_back(recordBounds(FORM));
    for (const QWidget* c : controls)
        slot.push_back(GET_OBJ(c));
    if (const QMenuBar* menu = mainMenu(FORM))
        GET_MENU_ITEMS(menu, index);
}

void GET_MENU_ITEMS(const QWidget* MENU, std::size_t INDEX)
{
    if (INDEX < FORM_LIST.size())
        menuItems(MENU, INDEX, 0);
}

void ADD_NONRESIZE(std::string_view NAME) { NON_RESIZE.push_back(cut(NAME)); }

bool RESIZEABLE(std::string_view NAME)
{
    const std::string name = cut(NAME);
    for (const std::string& n : NON_RESIZE)
        if (n == name)
            return false;
    return true;
}

WIN_OBJ GET_CTRL(std::string_view FORM, std::string_view NAME)
{
    if (FORM_LIST.empty())
        return {};
    const std::string form = cut(FORM), name = cut(NAME);
    const WIN_LIST* slot = &FORM_LIST.back();
    for (const WIN_LIST& s : FORM_LIST)
        if (text::equalsNoCase(s.FORM.front().NAME, form)) {
            slot = &s;
            break;
        }
    for (const WIN_OBJ& r : slot->FORM)
        if (text::equalsNoCase(r.NAME, name))
            return r;
    return slot->FORM.back();
}

void SET_OBJECTS(QWidget* FORM)
{
    const WIN_LIST* slot = slotFor(FORM);
    if (!slot)
        return;
    if (const auto f = againstDesign(FORM, slot->FORM.front()))
        RESIZE_ALL(FORM, f->h, f->w, f->r);
}

void RESIZE_ALL(QWidget* FORM, double H_VAL, double W_VAL, double RESIZE)
{
    const WIN_LIST* found = slotFor(FORM);
    if (!found)
        return;
    // A copy: a control's resize handler may record a window meanwhile.
    const std::vector<WIN_OBJ> slot = found->FORM;
    const std::vector<QWidget*> controls = controlsOf(FORM);
    for (std::size_t i = 0; i + 1 < slot.size(); ++i) {
        const WIN_OBJ& rec = slot[i + 1];
        if (!RESIZEABLE(rec.NAME) || i >= controls.size())
            continue;
        // Records pair with controls by position; a control raised or added
        // since the recording must not take another control's geometry.
        if (nameOf(controls[i]) != rec.NAME)
            continue;
        RES(controls[i], rec, H_VAL, W_VAL, RESIZE);
    }
}

void RES(QWidget* OBJ, const WIN_OBJ& REC, double RES_H_VAL, double RES_W_VAL, double RESIZE)
{
    const Kind k = kindOf(OBJ);
    const bool bevel = k == Kind::Bevel;
    const auto top = scaled(REC.TOP, RES_H_VAL);
    const auto left = scaled(REC.LEFT, RES_W_VAL);
    const auto height = scaled(REC.HEIGHT, bevel ? RES_H_VAL : RESIZE);
    const auto width = scaled(REC.WIDTH, bevel ? RES_W_VAL : RESIZE);
    const auto font = scaled(REC.FONTSIZE, RESIZE);
    if (!top || !left || !height || !width || !font)
        return;
    OBJ->setGeometry(*left, *top, *width, *height);
    // A size of 0 (a font sized in pixels) is kept as it is.
    if (scalesFont(k) && *font > 0 && OBJ->font().pointSize() != *font) {
        QFont f = OBJ->font();
        f.setPointSize(*font);
        OBJ->setFont(f);
    }
}

void PUBLISH_SCALE(QWidget* MAIN)
{
    SET_OBJECTS(MAIN);
    const std::string name = nameOf(MAIN);
    if (const auto f = againstDesign(MAIN, GET_CTRL(name, name))) {
        WIN_RESIZE = f->r;
        WIN_SCALE = true;
    }
}

void APPLY_SCALE(QWidget* FORM)
{
    if (!WIN_SCALE)
        return;
    const double r = WIN_RESIZE;
    const std::string name = nameOf(FORM);
    const WIN_OBJ design = GET_CTRL(name, name);
    const auto height = scaled(design.HEIGHT, r);
    const auto width = scaled(design.WIDTH, r);
    if (height && width)
        FORM->resize(*width, *height);
    RESIZE_ALL(FORM, r, r, r);
}

void RELEASE_SCALING()
{
    FORM_LIST.clear();
    NON_RESIZE.clear();
    WIN_SCALE = false;
    WIN_RESIZE = 0.0;
}

}  // namespace winsize
