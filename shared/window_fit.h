#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QMainWindow;
class QWidget;

// Windows on small panels. Each window has a working size: fixed for the
// gateway and bus windows, the starting size of the resizable RS-485 window.
// Where the available area of the screen the window is on (the screen less
// the desktop's panels) holds that size together with the frame the window
// manager draws around it, the window gets exactly that size. Where it does
// not, the window takes what the area leaves and its central widget scrolls
// (it is put into a scroll area then, which brings the field that Tab
// reaches into sight). The fit is made again whenever the window moves to
// another screen, the screen's available area changes or the frame becomes
// known.
namespace window_fit {

// The room a window has: the available area of its screen and the frame
// around the window.
struct Room
{
    QRect available;
    QMargins frame;
};

// The client size (inside the frame) a window gets for its working size
// `wanted`. Equal to `wanted` where the room holds it with the frame.
// Otherwise each direction is bounded by the room, and a direction that must
// scroll costs a scroll bar (`scrollBarExtent` pixels) across the other one,
// which the window makes up for where the room allows.
QSize fittedSize(const QSize &wanted, const Room &room, int scrollBarExtent);

// Fixes the window at `size`, or at the fitted size where the screen is too
// small for it. Called again with a new size when the window's view changes.
void setFixedSize(QMainWindow &window, const QSize &size);

// Keeps a resizable window resizable. Its present size is its working size;
// the window keeps its present smallest size where the room allows.
void fitResizable(QMainWindow &window);

// Where the room is taken from: by default the screen the window is on and
// the frame the window manager has given it. The test suite, whose screen
// cannot be changed, gives rooms of its own; nullptr restores the default.
using RoomSource = Room (*)(const QWidget &window);
void setRoomSource(RoomSource source);

} // namespace window_fit
