#pragma once
// Puts the language table's texts into Qt windows. A window's objectName is
// its section and a component's objectName its key; a text without an entry
// keeps what the component shows, so a language that lacks an entry leaves
// the previous language's text in place.
//
// Only these exact classes are translated (nothing derived from them, nothing
// nested in another control): QLabel (labels and static texts alike),
// QPushButton, QCheckBox and QPlainTextEdit (a memo, one line per ";" part).
// A QLabel showing a picture or a movie is a picture, not a caption, and is
// left alone; lamps and tick images should not be QLabels at all. A component
// without an objectName has no key and is left alone.

#include "core/language.h"

#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class QAbstractButton;
class QMenuBar;
class QWidget;

namespace LANGUAGE {

// Translates FORM's direct children of the kinds above and its menu bar (a
// direct child QMenuBar, as a QMainWindow has it). FORM's own title stays.
void SETALL(QWidget* FORM);

// Translates the menu's top-level items and their direct sub-items, each level
// from its last item to its first; deeper levels keep their captions. The
// section is the name of the window holding the menu; an item's key is its
// QAction's objectName or, for a submenu's action without one, the QMenu's.
void SETMENU(QMenuBar* MAINMENU);

// Translates one component if it is of a translated kind.
void SETCAPTION(QWidget* OBJ);

// Fills LST from the ";" parts of the button's entry (section: its parent's
// name); without an entry LST keeps what the caller put in it.
void SETMULTI(std::span<std::string> LST, const QAbstractButton* OBJ);
// Sets the button's caption to part POSITION (0 to 39) of its entry; the
// caption becomes empty without an entry or a part at that position.
void SETMULTI(QAbstractButton* OBJ, std::int32_t POSITION);

// SETSTRING for a text a window holds as a QString.
void SETSTRING(std::string_view FORM, std::string_view NAME, QString& VALUE);

}  // namespace LANGUAGE
