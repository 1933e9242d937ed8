#pragma once
// The screenshot run (ORLA_SCREENSHOTS): once the program is up, a few list
// entries are put in, every window is shown as an operator opens it, from
// the main window's menu or its buttons, saved (forms/screenshots.h) and
// closed again, and the program closes as Exit does.

#include <QString>

class TF_About;
class TF_Language;
class TF_Manual;
class TF_list;
class TF_presel_add;
class TF_preselect;
class TForm1;
class TForm2;
class TSetup;
class TMain_View;
class Tdev_int;
class Tparam_view;

namespace shots {

struct Windows {
    TMain_View& main;
    Tdev_int& device;
    TF_Manual& pad;
    TF_list& list;
    TF_preselect& preselect;
    TF_presel_add& entry;
    Tparam_view& editor;
    TF_Language& chooser;
    TF_About& about;
    TForm2& graph;
    TSetup& wizard;
    TForm1& encoder;
};

// Starts the run into `folder`, once the first activation and the connect
// have had their time; the windows live until the program ends.
void runInto(const QString& folder, Windows windows);

}  // namespace shots
