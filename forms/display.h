#pragma once
// Display updates for timers that run all the time: each touches its widget
// only when what it shows changes, so an idle window is never repainted.

#include <QAbstractButton>
#include <QLineEdit>
#include <QString>
#include <QWidget>

namespace display {

inline void setText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

inline void setChecked(QAbstractButton* button, bool checked)
{
    if (button->isChecked() != checked)
        button->setChecked(checked);
}

// Shown or hidden within its window, whether or not the window is shown
// yet: a widget not told either way follows its window, so it is told.
inline void setShown(QWidget* widget, bool shown)
{
    if (!widget->testAttribute(Qt::WA_WState_ExplicitShowHide) || widget->isHidden() == shown)
        widget->setVisible(shown);
}

// The widget's own setting, not the one it takes from a disabled parent.
inline void setEnabled(QWidget* widget, bool enabled)
{
    if (widget->testAttribute(Qt::WA_ForceDisabled) == enabled)
        widget->setEnabled(enabled);
}

}  // namespace display
