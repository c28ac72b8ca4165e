#include "startup.h"

#include "mainwindow.h"

void prepareMainWindow(MainWindow &window)
{
    window.setFixedSize(754, 550);
}
