#include "platform/desktop.h"

#include "platform/replaceable.h"

#include <QDesktopServices>
#include <QDir>
#include <QString>
#include <QUrl>

namespace platform {
namespace {

class QtDesktop final : public Desktop {
public:
    bool openDocument(const std::string& name) override
    {
        const QString n = QString::fromStdString(name);
        const QUrl url = n.contains(QLatin1String("://")) ? QUrl(n)
                                                          : QUrl::fromLocalFile(QDir::current().absoluteFilePath(n));
        return QDesktopServices::openUrl(url);
    }
};

QtDesktop g_qt;
Replaceable<Desktop> g_current(g_qt);

}  // namespace

Desktop& desktop() { return g_current.get(); }

void setDesktop(Desktop* replacement) { g_current.set(replacement); }

}  // namespace platform
