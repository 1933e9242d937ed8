#pragma once
// Proportional window scaling. The design geometry of a window and of its
// controls is recorded when the window is created; when the main window is
// resized it rescales its own controls against that record and publishes its
// factor, which the other scaled windows apply to themselves when activated.
//
// For Qt windows laid out with absolute geometry. A window's size is its
// client size (the frame belongs to the window manager and is not known before
// the window is shown). Its controls are its direct child widgets that are not
// windows of their own, in child order; its first direct child QMenuBar is its
// main menu, not a control. A control's kind is its exact class:
//   QPushButton, QLabel, QLineEdit, QComboBox, QListWidget
//                 size by the uniform factor, font scaled
//   QCheckBox     size by the uniform factor, font kept
//   QFrame        a bevel (a plain line or box): height and width each by
//                 the factor of its own axis
//   anything else (panels, group boxes ...) size by the uniform factor
// Positions always follow the factor of their own axis. Controls inside a
// panel are neither recorded nor rescaled: they move with the panel.
// Names are objectNames. User-interface thread only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QWidget;

namespace winsize {

struct WIN_OBJ {
    std::string NAME;  // at most 255 bytes
    std::string TEXT;  // caption, text or a list's items joined by ";"; at most 255 bytes
    std::int32_t TOP = 0;
    std::int32_t LEFT = 0;
    std::int32_t WIDTH = 0;
    std::int32_t HEIGHT = 0;
    std::int32_t FONTSIZE = 0;  // point size; 0 for a font sized in pixels
};

// One recorded window: element 0 the window, then its controls in child
// order, then every item of its main menu, depth first.
struct WIN_LIST {
    std::vector<WIN_OBJ> FORM;
};

// Recorded windows in the order they were first recorded.
extern std::vector<WIN_LIST> FORM_LIST;
// Names rescaling skips, in every window; every menu item name lands here.
extern std::vector<std::string> NON_RESIZE;
// The published scale: set by the main window, read by the other windows.
extern bool WIN_SCALE;
extern double WIN_RESIZE;

// The record of a control as its kind records it, and of a menu item.
WIN_OBJ GET_OBJ(const QWidget* OBJ);
WIN_OBJ GET_OBJ(const QAction* ITEM);

// Records FORM, reusing the slot of a window of the same name.
void GET_OBJECTS(const QWidget* FORM);
// Appends the records of every item under MENU (a menu bar or a menu) to
// slot INDEX, depth first, and marks their names as never rescaled.
void GET_MENU_ITEMS(const QWidget* MENU, std::size_t INDEX);

void ADD_NONRESIZE(std::string_view NAME);
bool RESIZEABLE(std::string_view NAME);

// A copy of record NAME of window FORM, both matched without regard to ASCII
// letter case. An unknown window falls back to the last one recorded, an
// unknown name to the window's last record; with nothing recorded, an empty
// record.
WIN_OBJ GET_CTRL(std::string_view FORM, std::string_view NAME);

// Rescales FORM's controls against FORM's own recorded size.
void SET_OBJECTS(QWidget* FORM);
// Rescales FORM's controls: H_VAL vertical, W_VAL horizontal, RESIZE uniform.
void RESIZE_ALL(QWidget* FORM, double H_VAL, double W_VAL, double RESIZE);
// Applies the factors to one control by its kind.
void RES(QWidget* OBJ, const WIN_OBJ& REC, double RES_H_VAL, double RES_W_VAL, double RESIZE);

// The main window's resize (its caller checks that scaling is switched on):
// rescales it and publishes min(height, width ratio) to the others.
void PUBLISH_SCALE(QWidget* MAIN);
// The activation of another scaled window: once a scale is published, the
// window takes its design size times the factor and rescales its controls.
void APPLY_SCALE(QWidget* FORM);

// Forgets every record and the published scale (program end; tests).
void RELEASE_SCALING();

}  // namespace winsize
