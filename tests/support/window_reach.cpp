#include "window_reach.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace {

window_fit::Room overridden;

QRect rectIn(QWidget *widget, QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

// A visible widget of the form's, not one of Qt's own parts.
bool formWidget(QWidget *w, QMainWindow &window)
{
    return !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")) && w->window() == &window
           && w->isVisibleTo(&window);
}

} // namespace

void RoomOverride::set(const window_fit::Room &room)
{
    overridden = room;
    window_fit::setRoomSource([](const QWidget &) { return overridden; });
    for (QScreen *screen : QGuiApplication::screens())
        emit screen->availableGeometryChanged(screen->availableGeometry());
}

void addRoomRows()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QMargins>("frame");
    const QMargins frame(4, 28, 4, 4);
    QTest::newRow("800x480") << QRect(0, 0, 800, 480) << frame;
    QTest::newRow("800x480, panel") << QRect(0, 32, 800, 448) << frame;
    QTest::newRow("1024x600") << QRect(0, 0, 1024, 600) << frame;
    QTest::newRow("1024x600, panel") << QRect(0, 0, 1024, 568) << frame;
    QTest::newRow("640x480") << QRect(0, 0, 640, 480) << frame;
    QTest::newRow("1920x1080, panel") << QRect(0, 30, 1920, 1050) << frame;
}

QStringList fitFaults(QMainWindow &window, const window_fit::Room &room, const QSize &wanted, bool fixed)
{
    QStringList out;
    const QSize border(room.frame.left() + room.frame.right(), room.frame.top() + room.frame.bottom());
    const QRect outer(window.pos(), window.size() + border);
    const QSize fullSize = wanted + border;
    auto *area = qobject_cast<QScrollArea *>(window.centralWidget());
    if (fullSize.width() <= room.available.width() && fullSize.height() <= room.available.height()) {
        if (window.size() != wanted || (fixed && (window.minimumSize() != wanted || window.maximumSize() != wanted)))
            out << QStringLiteral("not the working size");
        if (area && (area->verticalScrollBar()->isVisible() || area->horizontalScrollBar()->isVisible()))
            out << QStringLiteral("a scroll bar at the working size");
    } else if (!room.available.contains(outer)) {
        out << QStringLiteral("the window with its frame outside the available area");
    }
    for (QWidget *w : window.findChildren<QWidget *>()) {
        const QList<QWidget *> inner = w->findChildren<QWidget *>();
        if (!formWidget(w, window)
            || std::any_of(inner.begin(), inner.end(), [&](QWidget *c) { return formWidget(c, window); }))
            continue; // a group is seen piece by piece
        QRect shown = window.rect();
        if (area && area->isAncestorOf(w)) {
            // Scrolled to as with the scroll bars.
            const QRect c = rectIn(w, area->widget());
            area->ensureVisible(c.center().x(), c.center().y(), c.width() / 2 + 1, c.height() / 2 + 1);
            shown &= rectIn(area->viewport(), &window);
        }
        if (!shown.contains(rectIn(w, &window)))
            out << w->objectName() + QStringLiteral(" out of sight");
    }
    return out;
}

QStringList tabWalk(QWidget *first)
{
    QStringList names;
    first->setFocus(Qt::TabFocusReason);
    for (QWidget *at = first; at && names.size() < 50; at = QApplication::focusWidget()) {
        if (at == first && !names.isEmpty())
            break;
        names << at->objectName();
        QTest::keyClick(at, Qt::Key_Tab);
    }
    return names;
}
