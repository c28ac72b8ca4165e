#pragma once

// Whether a window can be used on a given screen, and the order Tab takes.

#include "window_fit.h"

#include <QMetaType>
#include <QStringList>
#include <QTest>

class QMainWindow;
class QWidget;

Q_DECLARE_METATYPE(QMargins)

// Gives window_fit `room` in place of the screen and has the windows fit
// again, as when a screen's available area changes. The screen comes back
// when it goes.
struct RoomOverride
{
    explicit RoomOverride(const window_fit::Room &room) { set(room); }
    ~RoomOverride() { window_fit::setRoomSource(nullptr); }
    void set(const window_fit::Room &room);
};

// Rows "available" (QRect) and "frame" (QMargins): 7-inch and 1024 x 600
// panels with and without a desktop panel, VGA, and a large screen.
void addRoomRows();

// What is wrong with a window of working size `wanted` in `room`: where the
// room holds it with its frame, any other size (or size limits, if fixed)
// or a scroll bar; where not, a window outside the available area; and every widget the user
// works with that cannot be scrolled wholly into sight.
QStringList fitFaults(QMainWindow &window, const window_fit::Room &room, const QSize &wanted, bool fixed);

#define VERIFY_FITS(window, room, wanted, fixed)                                                              \
    do {                                                                                                      \
        QStringList faults_;                                                                                  \
        QTRY_VERIFY2((faults_ = fitFaults(window, room, wanted, fixed)).isEmpty(), qPrintable(faults_.join('\n'))); \
    } while (false)

// The object names of the widgets Tab visits from `first` until it is back.
QStringList tabWalk(QWidget *first);
