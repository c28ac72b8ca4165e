#pragma once

class MainWindow;

// Fixes the converter window to its working size; the form's design size is
// larger and the window must not be resized by the user. On a screen too
// small for it the window takes what the screen leaves and its content
// scrolls.
void prepareMainWindow(MainWindow &window);
