#pragma once

class MainWindow;

// Fixes the converter window to its working size; the form's design size is
// larger and the window must not be resized by the user.
void prepareMainWindow(MainWindow &window);
