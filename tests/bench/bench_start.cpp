// The start of one program up to its first shown window: the window made and
// prepared as the program's main() does, or, given "form", the bare form of
// that window on a plain QMainWindow. The process ends with the window's
// first paint, so that tests/bench/bench_start.sh, which runs both under
// callgrind, counts the start alone.

#include "mainwindow.h"
#include "qt_russian.h"
#include "ui_mainwindow.h"
#include "window_fit.h"
#ifdef BENCH_GATEWAY
#include "startup.h"
#endif

#include <QApplication>
#include <QWindow>

#include <cstdlib>
#include <cstring>

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
    window->show();
    // The pass of the event loop that exposes the window paints it: the
    // process ends there, before anything the window leaves for later.
    while (!window->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::_Exit(window->isVisible() ? 0 : 1);
}
