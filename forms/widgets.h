#pragma once
// Building the sky windows' components: each carries its design name as
// objectName, the key of its text in the language file.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRect>
#include <QString>
#include <QWidget>

namespace forms {

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

template <class W>
W* placed(W* w, const char* name, QRect where)
{
    named(w, name)->setGeometry(where);
    return w;
}

inline QMenu* submenu(QMenuBar* bar, const char* name, const char* caption)
{
    QMenu* m = named(new QMenu(QString::fromLatin1(caption), bar), name);
    m->menuAction()->setObjectName(QString::fromLatin1(name));
    bar->addMenu(m);
    return m;
}

inline QAction* item(QMenu* menu, const char* name, const char* caption)
{
    return named(menu->addAction(QString::fromLatin1(caption)), name);
}

}  // namespace forms
