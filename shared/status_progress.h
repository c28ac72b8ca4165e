#pragma once

class QProgressBar;
class QStatusBar;

// A bar at the right end of a window's status bar that shows how far long
// work has come: at most 120 px wide, so that the status bar's messages keep
// their room, with no text inside it, and no taller than a line of the status
// bar's text, so that the status bar, and the form above it, keep their
// height. Hidden until the work starts.
namespace status_progress {

QProgressBar *add(QStatusBar &statusBar);

} // namespace status_progress
