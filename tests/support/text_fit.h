#pragma once

// Whether a window shows its texts whole. Walks every visible label, button,
// check box, line edit, combo box, group box and status bar of a shown
// window and measures the text each one holds (for a combo box: every item
// it can show; for a status bar: its message) in the widget's own font
// against the text area its style leaves inside it. Lay the window out first
// (show it, set the view and the values, let events run).

#include <QString>
#include <QStringList>

class QWidget;

// One line per text that does not fit:
// "<object name> (<class>): '<text>' needs <n> px, has <m> px".
// Empty when everything fits.
QStringList cutTexts(QWidget *window);
