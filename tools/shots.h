#pragma once
// The screenshot run of the auxiliary windows: each is opened the way an
// operator opens it, from the main window's menu or its button, saved as the
// other windows are (ui/screenshots.h), and closed again.

#include <QString>

class TMain_View;
class TF_About;
class TF_Language;
class TForm2;
class Tparam_view;

namespace tools {

void saveThroughMainWindow(const QString& folder, TMain_View& main, Tparam_view& editor, TF_Language& chooser,
                           TF_About& about, TForm2& graph);

}  // namespace tools
