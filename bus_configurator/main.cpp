#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MainWindow window;
    window.setFixedSize(580, 330);
    window.show();
    return app.exec();
}
