#include "tools/shots.h"

#include "tools/about.h"
#include "tools/graph.h"
#include "tools/params_edit.h"
#include "tools/setlang.h"
#include "ui/main_view.h"
#include "ui/screenshots.h"

#include <QAction>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace tools {
namespace {

// Long enough for a window to be shown, activated and painted.
constexpr int kShownMs = 400;

// `open` returns at once for a window that is not modal, and only after
// `close` for one that is.
void saveOpened(const QString& folder, QWidget* window, const std::function<void()>& open,
                const std::function<void()>& close)
{
    bool saved = false;
    QEventLoop wait;
    QTimer::singleShot(kShownMs, window, [&] {
        screenshots::save(folder, {window});
        saved = true;
        close();
        wait.quit();
    });
    open();
    if (!saved)
        wait.exec();
}

}  // namespace

void saveThroughMainWindow(const QString& folder, TMain_View& main, Tparam_view& editor, TF_Language& chooser,
                           TF_About& about, TForm2& graph)
{
    saveOpened(folder, &editor, [&] { main.Parameters1->trigger(); }, [&] { editor.Cancel_Button->click(); });
    saveOpened(folder, &chooser, [&] { main.Language1->trigger(); }, [&] { chooser.B_Cancel->click(); });
    saveOpened(folder, &about, [&] { main.About1->trigger(); }, [&] { about.close(); });
    saveOpened(folder, &graph, [&] { main.Button1->click(); }, [&] { graph.hide(); });
}

}  // namespace tools
