#include "forms/translate.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

#include <array>
#include <typeinfo>
#include <vector>

namespace LANGUAGE {
namespace {

constexpr std::size_t kMultiSlots = 40;

// The exact dynamic class: a subclass (a lamp made from a label, among
// others) is not the kind, with or without its own meta-object.
template <class T>
T* exactly(QObject* o)
{
    return o && typeid(*o) == typeid(T) ? static_cast<T*>(o) : nullptr;
}

std::string name(const QObject* o) { return o ? o->objectName().toStdString() : std::string(); }

// The entry of a component, `fallback` when it has none or no name to key it by.
std::string entry(const QObject* section, const std::string& key, std::string_view fallback)
{
    return key.empty() ? std::string(fallback) : GETCAPTION(name(section), key, fallback);
}

// Sets only a changed text, so a component without an entry is not touched.
template <class W>
void translate(W* w, const QObject* section, const std::string& key)
{
    const QString t = QString::fromStdString(entry(section, key, w->text().toStdString()));
    if (w->text() != t)
        w->setText(t);
}

void translateMenuItem(QAction* item, const QObject* owner)
{
    std::string key = name(item);
    if (key.empty())
        key = name(item->menu());
    translate(item, owner, key);
}

}  // namespace

void SETCAPTION(QWidget* OBJ)
{
    const std::string key = name(OBJ);
    const QObject* section = OBJ->parent();
    if (auto* l = exactly<QLabel>(OBJ)) {
        if (l->pixmap().isNull() && !l->movie())
            translate(l, section, key);
    } else if (auto* b = exactly<QPushButton>(OBJ)) {
        translate(b, section, key);
    } else if (auto* c = exactly<QCheckBox>(OBJ)) {
        translate(c, section, key);
    } else if (auto* m = exactly<QPlainTextEdit>(OBJ)) {
        const std::string t = entry(section, key, "");
        std::vector<std::string> lines(static_cast<std::size_t>(SPLITCOUNT(t)));
        SPLITSTR(lines, t);
        QStringList q;
        for (const std::string& s : lines)
            q << QString::fromStdString(s);
        // One text, so every slot is a line, an empty one included.
        const QString all = q.join(u'\n');
        if (m->toPlainText() != all)
            m->setPlainText(all);
    }
}

void SETMENU(QMenuBar* MAINMENU)
{
    const QObject* owner = MAINMENU->parent();
    const QList<QAction*> top = MAINMENU->actions();
    for (auto it = top.rbegin(); it != top.rend(); ++it) {
        translateMenuItem(*it, owner);
        if (QMenu* sub = (*it)->menu()) {
            const QList<QAction*> items = sub->actions();
            for (auto s = items.rbegin(); s != items.rend(); ++s)
                translateMenuItem(*s, owner);
        }
    }
}

void SETALL(QWidget* FORM)
{
    for (QObject* child : FORM->children())
        if (child->isWidgetType())
            SETCAPTION(static_cast<QWidget*>(child));
    if (auto* menu = FORM->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly))
        SETMENU(menu);
}

void SETMULTI(std::span<std::string> LST, const QAbstractButton* OBJ)
{
    SPLITSTR(LST, entry(OBJ->parent(), name(OBJ), ""));
}

void SETMULTI(QAbstractButton* OBJ, std::int32_t POSITION)
{
    std::array<std::string, kMultiSlots> parts;
    SETMULTI(parts, OBJ);
    const bool inside = POSITION >= 0 && static_cast<std::size_t>(POSITION) < parts.size();
    const QString t = inside ? QString::fromStdString(parts[static_cast<std::size_t>(POSITION)]) : QString();
    if (OBJ->text() != t)
        OBJ->setText(t);
}

void SETSTRING(std::string_view FORM, std::string_view NAME, QString& VALUE)
{
    std::string v = VALUE.toStdString();
    SETSTRING(FORM, NAME, v);
    VALUE = QString::fromStdString(v);
}

}  // namespace LANGUAGE
