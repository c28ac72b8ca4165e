#pragma once

// Whether a window can be used on a given screen: each widget it shows can be
// brought wholly into sight, and the order in which Tab visits its fields.

#include "window_fit.h"

#include <QMetaType>
#include <QStringList>

Q_DECLARE_METATYPE(QMargins)

class QMainWindow;
class QWidget;

// Makes window_fit take `room` in place of the screen the window is on, and
// has every fitted window fit itself again, as when a screen's available
// area changes. Restores the screen when it goes.
class RoomOverride
{
public:
    explicit RoomOverride(const window_fit::Room &room);
    ~RoomOverride();
    void set(const window_fit::Room &room);

private:
    static window_fit::Room current(const QWidget &window);
};

// One line per widget that cannot be brought into sight: the window with its
// frame must fit the room's available area, and each visible named widget
// must lie wholly inside the window, and inside the scroll area's viewport
// once scrolled to, where it sits in the window's scroll area.
QStringList unreachableWidgets(QMainWindow &window, const window_fit::Room &room);

// Data rows of screens, columns "available" (QRect) and "frame" (QMargins):
// 7-inch and 1024 x 600 panels with and without a desktop panel, a VGA
// screen, and a large screen. Every window gets a title bar and a border.
void addRoomRows();

// What is wrong with a window at working size `wanted` in `room`: where the
// room holds that size with the frame, any other size (for a fixed window,
// also its size limits); where it does not, a window that shrank but left
// the available area; and every widget that cannot be brought into sight.
QStringList fitFaults(QMainWindow &window, const window_fit::Room &room, const QSize &wanted, bool fixed);

// The object names of the widgets that Tab visits, starting at `first`,
// until the focus comes back to it (or after 50 steps).
QStringList tabWalk(QWidget *first);
