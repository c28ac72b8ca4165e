#pragma once

// The texts that the widget-free units write for a window (boxes, log lines),
// looked up in the window's translation context, as the window's own tr()
// would.

#include <QCoreApplication>

namespace window_text {

inline QString tr(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

} // namespace window_text
