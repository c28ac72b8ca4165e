#include "startup.h"

#include "mainwindow.h"
#include "window_fit.h"

void prepareMainWindow(MainWindow &window)
{
    window_fit::setFixedSize(window, QSize(754, 550));
}
