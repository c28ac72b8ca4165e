#include "mainwindow.h"
#include "qt_russian.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qt_russian::install(app);
    MainWindow window;
    prepareMainWindow(window);
    window.show();
    return app.exec();
}
