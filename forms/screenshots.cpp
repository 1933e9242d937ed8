#include "forms/screenshots.h"

#include "platform/docking.h"
#include "platform/window_manager.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTextStream>

#include <map>

namespace screenshots {

QString folder() { return qEnvironmentVariable("ORLA_SCREENSHOTS"); }

namespace {

QString textOf(const QWidget* w)
{
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (const auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    return {};
}

// "left top width height"
QString rectText(const QRect& r)
{
    return QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

}  // namespace

void save(const QString& dir, const std::vector<QWidget*>& windows)
{
    QDir().mkpath(dir);
    // How the window manager stacks them as they came up, before the showing
    // below raises them.
    std::map<const QWidget*, int> stacked;
    for (const QWidget* w : windows)
        stacked[w] = platform::stackingPlace(w);
    // Shown as the program shows them, and no more: whatever the window
    // manager does, an operator sees what these pictures show.
    for (QWidget* w : windows) {
        w->show();
        w->raise();
        QCoreApplication::processEvents();
    }
    for (QWidget* w : windows) {
        const QString base = dir + "/" + w->objectName();
        w->grab().save(base + ".png");
        QFile f(base + ".txt");
        if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
            continue;
        QTextStream out(&f);
        out << "windowTitle=" << w->windowTitle() << "\n";
        // Where it stands on which screen's free area, and where its labelled
        // components are, for a test to check and to click.
        out << "frame=" << rectText(w->frameGeometry()) << "\n";
        // Until the toolkit has learnt the window manager's frame, the frame
        // above is not where the window stands; the client area already is.
        out << "client=" << rectText(w->geometry()) << "\n";
        if (const QScreen* screen = w->screen())
            out << "screen=" << rectText(screen->availableGeometry()) << "\n";
        // Its place from the bottom in the window manager's stacking, -1
        // where that is not known.
        out << "stacked=" << stacked[w] << "\n";
        for (const QWidget* child : w->findChildren<QWidget*>()) {
            const QString t = textOf(child);
            if (!child->objectName().isEmpty() && !t.isEmpty()) {
                out << child->objectName() << "=" << t << "\n";
                out << "geometry:" << child->objectName() << "="
                    << rectText(QRect(child->mapTo(w, QPoint(0, 0)), child->size())) << "\n";
            }
        }
    }
}

}  // namespace screenshots
