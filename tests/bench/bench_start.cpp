// The start of one program up to its first shown window: the window made and
// prepared as the program's main() does, or, given "form", the bare form of
// that window on a plain QMainWindow. The process ends as soon as the window
// is painted, so that tests/bench/bench_start.sh, which runs both under
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
#include <memory>

namespace start_bench {

// Shows `window` and handles events until it is on the screen and painted.
void showFirst(QMainWindow &window)
{
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

std::unique_ptr<QMainWindow> program()
{
    auto window = std::make_unique<MainWindow>();
#ifdef BENCH_RS485
    window_fit::fitResizable(*window);
#else
    prepareMainWindow(*window);
#endif
    showFirst(*window);
    return window;
}

std::unique_ptr<QMainWindow> form(Ui_MainWindow &ui)
{
    auto window = std::make_unique<QMainWindow>();
    ui.setupUi(window.get());
    showFirst(*window);
    return window;
}

} // namespace start_bench

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qt_russian::install(app);
    Ui_MainWindow ui;
    const bool formAlone = argc > 1 && std::strcmp(argv[1], "form") == 0;
    const std::unique_ptr<QMainWindow> window = formAlone ? start_bench::form(ui) : start_bench::program();
    std::_Exit(window->isVisible() ? 0 : 1);
}
