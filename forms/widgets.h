#pragma once
// Building the windows' components: each carries its design name as
// objectName, the key of its text in the language file, and its design
// place (absolute geometry, so recorded places and scaling keep their
// meaning).

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string>

namespace forms {

// The program's 8-bit texts are UTF-8.
inline QString qstr(const std::string& s) { return QString::fromStdString(s); }

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

inline QLabel* label(QWidget* parent, const char* name, const QString& text, QRect where)
{
    return placed(new QLabel(text, parent), name, where);
}

inline QPushButton* button(QWidget* parent, const char* name, const QString& text, QRect where)
{
    return placed(new QPushButton(text, parent), name, where);
}

}  // namespace forms
