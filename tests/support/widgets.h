#pragma once
// Menus for the windows tests put together, named the way the program names
// its components: objectName and caption alike.

#include <QAction>
#include <QMenu>

namespace testing_support {

inline QMenu* namedMenu(QWidget* parent, const char* name)
{
    auto* m = new QMenu(name, parent);
    m->setObjectName(name);
    return m;
}

inline QAction* namedItem(QMenu* menu, const char* name)
{
    QAction* a = menu->addAction(name);
    a->setObjectName(name);
    return a;
}

}  // namespace testing_support
