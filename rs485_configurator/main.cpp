#include "mainwindow.h"
#include "qt_russian.h"
#include "window_fit.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qt_russian::install(app);
    MainWindow window;
    window_fit::fitResizable(window); // the form's 537 x 299, or what a small screen leaves
    window.show();
    return app.exec();
}
