#include "window_reach.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

#include <algorithm>

namespace {

window_fit::Room overridden;

QRect rectIn(QWidget *widget, QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

QString describe(QWidget *widget, const QRect &r, const QRect &shown)
{
    return QStringLiteral("%1 at %2,%3 %4x%5 outside %6,%7 %8x%9")
        .arg(widget->objectName())
        .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
        .arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height());
}

} // namespace

RoomOverride::RoomOverride(const window_fit::Room &room)
{
    window_fit::setRoomSource(&RoomOverride::current);
    set(room);
}

RoomOverride::~RoomOverride()
{
    window_fit::setRoomSource(nullptr);
}

void RoomOverride::set(const window_fit::Room &room)
{
    overridden = room;
    // The windows listen to their screen.
    for (QScreen *screen : QGuiApplication::screens())
        emit screen->availableGeometryChanged(screen->availableGeometry());
    QCoreApplication::processEvents();
}

window_fit::Room RoomOverride::current(const QWidget &)
{
    return overridden;
}

QStringList unreachableWidgets(QMainWindow &window, const window_fit::Room &room)
{
    QStringList out;
    const QSize framed(window.width() + room.frame.left() + room.frame.right(),
                       window.height() + room.frame.top() + room.frame.bottom());
    if (framed.width() > room.available.width() || framed.height() > room.available.height())
        out << QStringLiteral("the window, %1x%2 with its frame").arg(framed.width()).arg(framed.height());
    auto *area = qobject_cast<QScrollArea *>(window.centralWidget());
    const QList<QWidget *> widgets = window.findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) || w->window() != &window
            || !w->isVisibleTo(&window))
            continue;
        // Only what the user works with: a group larger than the screen is
        // seen piece by piece.
        const QList<QWidget *> inner = w->findChildren<QWidget *>();
        if (std::any_of(inner.begin(), inner.end(), [&](QWidget *c) {
                return !c->objectName().isEmpty() && !c->objectName().startsWith(QLatin1String("qt_"))
                       && c->isVisibleTo(&window);
            }))
            continue;
        if (area && area->widget() && (w == area->widget() || area->widget()->isAncestorOf(w))) {
            // Scrolled to as the user does with the scroll bars.
            const QRect c = rectIn(w, area->widget());
            area->ensureVisible(c.center().x(), c.center().y(), c.width() / 2 + 1, c.height() / 2 + 1);
            const QRect r = rectIn(w, area->viewport());
            if (!area->viewport()->rect().contains(r))
                out << describe(w, r, area->viewport()->rect());
        }
        const QRect r = rectIn(w, &window);
        const QRect visible = area && area->isAncestorOf(w) ? rectIn(area->viewport(), &window) : window.rect();
        if (!window.rect().contains(visible) || !visible.contains(r))
            out << describe(w, r, visible) + QStringLiteral(" (in the window)");
    }
    return out;
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
    const bool holds = wanted.width() + room.frame.left() + room.frame.right() <= room.available.width()
                       && wanted.height() + room.frame.top() + room.frame.bottom() <= room.available.height();
    auto size = [](const QSize &s) { return QStringLiteral("%1x%2").arg(s.width()).arg(s.height()); };
    if (holds && window.size() != wanted)
        out << QStringLiteral("size %1, not %2").arg(size(window.size()), size(wanted));
    if (holds && fixed && (window.minimumSize() != wanted || window.maximumSize() != wanted))
        out << QStringLiteral("limits %1 to %2").arg(size(window.minimumSize()), size(window.maximumSize()));
    const QRect outer(window.pos(), QSize(window.width() + room.frame.left() + room.frame.right(),
                                          window.height() + room.frame.top() + room.frame.bottom()));
    if (!holds && !room.available.contains(outer))
        out << QStringLiteral("placed at %1,%2").arg(outer.x()).arg(outer.y());
    return out + unreachableWidgets(window, room);
}

QStringList tabWalk(QWidget *first)
{
    QStringList names;
    first->setFocus(Qt::TabFocusReason);
    QWidget *at = QApplication::focusWidget();
    for (int step = 0; at && step < 50; ++step) {
        names << at->objectName();
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
        if (at == first)
            break;
    }
    return names;
}
