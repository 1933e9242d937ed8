#pragma once
// The list boxes of the two list windows: each item shows the 80-column
// object row and keeps the entry's three texts, byte for byte, for every use
// but the showing.

#include "sky/rows.h"

class QFont;
class QListWidget;
class QListWidgetItem;

namespace sky {

// A fixed-pitch font, so the rows' columns line up.
QFont rowFont();

// An item of the texts, each cut to kMaxTextBytes.
QListWidgetItem* makeRowItem(const ObjectTexts& texts);
ObjectTexts textsOf(const QListWidgetItem* item);
void appendRow(QListWidget* list, const ObjectTexts& texts);
// A row whose texts are no position of its object (a planet that could not be
// computed shows the zero texts), so they are never taken as its place.
void markWithoutPlace(QListWidgetItem* item);
bool hasNoPlace(const QListWidgetItem* item);
// The row of the selected item; -1 when none is selected.
int selectedIndex(const QListWidget* list);
// Selects one row (and makes it the current one); -1 selects none.
void selectIndex(QListWidget* list, int row);

}  // namespace sky
