// The start of one program up to its first shown window: the window made and
// prepared as the program's main() does, or, given "form", the bare form of
// that window on a plain QMainWindow. The process ends with the pass of the
// event loop that paints the window, so that tests/bench/bench_start.sh, which runs both under
// callgrind, counts the start alone.

#include "mainwindow.h"
#include "qt_russian.h"
#include "ui_mainwindow.h"
#include "window_fit.h"
#ifdef BENCH_GATEWAY
#include "startup.h"
#endif

#include <QApplication>
#include <QEvent>

#include <cstdlib>
#include <cstring>

namespace {

// Sees the window's first paint; the pass of the event loop that delivers it
// also puts the painted window on the screen.
struct FirstPaint : QObject
{
    bool seen = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        seen = seen || event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qt_russian::install(app);
    QMainWindow *window;
    if (argc > 1 && std::strcmp(argv[1], "form") == 0) {
        window = new QMainWindow;
        Ui_MainWindow().setupUi(window);
    } else {
        auto *programWindow = new MainWindow;
#ifdef BENCH_RS485
        window_fit::fitResizable(*programWindow);
#else
        prepareMainWindow(*programWindow);
#endif
        window = programWindow;
    }
    FirstPaint paint;
    window->installEventFilter(&paint);
    window->show();
    while (!paint.seen)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::_Exit(window->isVisible() ? 0 : 1);
}
