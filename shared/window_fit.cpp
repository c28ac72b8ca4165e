#include "window_fit.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWindow>

namespace window_fit {
namespace {

RoomSource currentSource = nullptr;

QScreen *screenOf(const QWidget &window)
{
    if (QWindow *handle = window.windowHandle())
        if (QScreen *screen = handle->screen())
            return screen;
    if (QScreen *screen = QGuiApplication::screenAt(window.geometry().center()))
        return screen;
    return QGuiApplication::primaryScreen();
}

// The window's screen and the frame the window manager drew around it (none
// is known before the window is first shown).
Room systemRoom(const QWidget &window)
{
    Room room;
    if (QScreen *screen = screenOf(window))
        room.available = screen->availableGeometry();
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    room.frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                          outer.bottom() - inner.bottom());
    return room;
}

QSize clientRoom(const Room &room)
{
    return QSize(room.available.width() - room.frame.left() - room.frame.right(),
                 room.available.height() - room.frame.top() - room.frame.bottom());
}

// A scroll area that asks for as much room as its content needs, but never
// for more than the screen leaves: a resizable window keeps its smallest
// size where it can, and may be made smaller where it must.
class FitScrollArea : public QScrollArea
{
public:
    void setLimit(const QSize &limit)
    {
        if (limit == m_limit)
            return;
        m_limit = limit;
        updateGeometry();
    }

    QSize minimumSizeHint() const override
    {
        const QWidget *content = widget();
        if (!content)
            return QScrollArea::minimumSizeHint();
        QSize size = content->minimumSizeHint().expandedTo(QSize(0, 0));
        if (content->minimumWidth() > 0)
            size.setWidth(content->minimumWidth());
        if (content->minimumHeight() > 0)
            size.setHeight(content->minimumHeight());
        return size.boundedTo(m_limit.expandedTo(QSize(0, 0)));
    }

private:
    QSize m_limit{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
};

} // namespace

// Keeps one window fitted to its room. A child of the window; the first time
// the room is too small for the window it puts the window's central widget
// into a scroll area, which stays. A window whose screen holds it never gets
// one and is laid out once, as its form alone.
class Fitter : public QObject
{
    Q_OBJECT

public:
    explicit Fitter(QMainWindow &window)
        : QObject(&window)
        , m_window(window)
    {
        m_window.installEventFilter(this);
    }

    void setWorkingSize(const QSize &size, bool fixed)
    {
        m_wanted = size;
        m_fixed = fixed;
        refit(false);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_content) {
            // The content's smallest size changed: so may the window's.
            if (event->type() == QEvent::LayoutRequest && m_area)
                m_area->updateGeometry();
        } else if (watched == &m_window) {
            switch (event->type()) {
            case QEvent::Show:
                watchHandle();
                refit(true);
                break;
            case QEvent::Move:
            case QEvent::Resize:
                // The window manager tells the frame once it has drawn it.
                refit(false);
                break;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void makeScrollArea()
    {
        // Moving the content hides it and takes the focus from its fields.
        QPointer<QWidget> focus = QApplication::focusWidget();
        m_content = m_window.takeCentralWidget();
        if (!m_content)
            return;
        m_area = new FitScrollArea;
        m_area->setFrameShape(QFrame::NoFrame);
        m_area->setWidgetResizable(true);
        m_area->setFocusPolicy(Qt::NoFocus); // Tab goes to the fields, not to the area
        m_area->setWidget(m_content);
        m_window.setCentralWidget(m_area);
        m_contentPolicy = m_content->sizePolicy();
        m_content->installEventFilter(this);
        if (focus && m_content->isAncestorOf(focus))
            focus->setFocus();
    }

    void watchHandle()
    {
        QWindow *handle = m_window.windowHandle();
        if (!handle || handle == m_handle)
            return;
        m_handle = handle;
        connect(handle, &QWindow::screenChanged, this, [this] { refit(true); });
    }

    void watchScreen(QScreen *screen)
    {
        if (screen == m_screen)
            return;
        disconnect(m_screenConnection);
        m_screen = screen;
        if (screen)
            m_screenConnection = connect(screen, &QScreen::availableGeometryChanged, this, [this] { refit(true); });
    }

    // Fits the window to its room; `place` also brings a window that had to
    // shrink wholly into the available area.
    void refit(bool place)
    {
        if (m_busy || !m_wanted.isValid())
            return;
        m_busy = true;
        watchScreen(screenOf(m_window));
        const Room room = currentSource ? currentSource(m_window) : systemRoom(m_window);
        const QSize client = room.available.isValid() ? clientRoom(room) : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        const QSize before = m_window.size();
        const QSize asked = m_fixed ? m_wanted : before;
        if (!m_area && fittedSize(asked, room, 0) != asked)
            makeScrollArea();

        int extent = 0;
        if (m_area) {
            extent = m_area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_area->verticalScrollBar());
            // What the menu and status bars take beside the scroll area.
            const int bars = m_window.minimumSizeHint().height() - m_area->minimumSizeHint().height();
            m_area->setLimit(QSize(client.width(), client.height() - qMax(bars, 0)));
            // The window's smallest size follows at once, before it is resized.
            if (QLayout *layout = m_window.layout())
                layout->activate();
        }

        const QSize size = fittedSize(asked, room, extent);
        if (m_area && m_fixed) {
            // A fixed window at its working size lays its content out as it
            // always has, squeezed into the window if a larger system font
            // asks a few pixels more, never with scroll bars on a screen that
            // holds the window.
            const bool whole = size == m_wanted;
            const Qt::ScrollBarPolicy bars = whole ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
            m_area->setHorizontalScrollBarPolicy(bars);
            m_area->setVerticalScrollBarPolicy(bars);
            m_content->setSizePolicy(whole ? QSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored) : m_contentPolicy);
        }
        if (m_fixed) {
            if (m_window.minimumSize() != size || m_window.maximumSize() != size)
                m_window.setFixedSize(size);
        } else if (size != before) {
            m_window.resize(size);
        }

        if ((place || size != before) && size != asked && m_window.isVisible()) {
            const QSize framed(size.width() + room.frame.left() + room.frame.right(),
                               size.height() + room.frame.top() + room.frame.bottom());
            const QRect outer(m_window.pos(), framed);
            const QRect &area = room.available;
            const QPoint at(qMax(area.left(), qMin(outer.left(), area.right() + 1 - outer.width())),
                            qMax(area.top(), qMin(outer.top(), area.bottom() + 1 - outer.height())));
            if (at != outer.topLeft())
                m_window.move(at);
        }
        m_busy = false;
    }

    QMainWindow &m_window;
    QWidget *m_content = nullptr;
    FitScrollArea *m_area = nullptr;
    QSizePolicy m_contentPolicy;
    QSize m_wanted;
    bool m_fixed = true;
    bool m_busy = false;
    QPointer<QWindow> m_handle;
    QPointer<QScreen> m_screen;
    QMetaObject::Connection m_screenConnection;
};

namespace {

Fitter &fitterOf(QMainWindow &window)
{
    auto *fitter = window.findChild<Fitter *>(QString(), Qt::FindDirectChildrenOnly);
    return fitter ? *fitter : *new Fitter(window);
}

} // namespace

QSize fittedSize(const QSize &wanted, const Room &room, int scrollBarExtent)
{
    if (!room.available.isValid())
        return wanted;
    const QSize client = clientRoom(room);
    // A scroll bar across one direction may make the other one scroll too;
    // two rounds settle it.
    bool scrollsDown = false, scrollsAcross = false;
    for (int round = 0; round < 2; ++round) {
        scrollsDown = wanted.height() + (scrollsAcross ? scrollBarExtent : 0) > client.height();
        scrollsAcross = wanted.width() + (scrollsDown ? scrollBarExtent : 0) > client.width();
    }
    if (!scrollsDown && !scrollsAcross)
        return wanted;
    const int width = wanted.width() + (scrollsDown ? scrollBarExtent : 0);
    const int height = wanted.height() + (scrollsAcross ? scrollBarExtent : 0);
    return QSize(qMax(1, qMin(width, client.width())), qMax(1, qMin(height, client.height())));
}

void setFixedSize(QMainWindow &window, const QSize &size)
{
    fitterOf(window).setWorkingSize(size, true);
}

void fitResizable(QMainWindow &window)
{
    fitterOf(window).setWorkingSize(window.size(), false);
}

void setRoomSource(RoomSource source)
{
    currentSource = source;
}

} // namespace window_fit

#include "window_fit.moc"
