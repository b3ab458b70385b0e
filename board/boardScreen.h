#pragma once

#include <QPixmap>
#include <QRect>

class QApplication;
class QWidget;

// The display side of the board layer: what the embedded window server did for the
// program: cursor, window placement and screen grab.
namespace BoardScreen {
void HideCursor(QApplication& app);
// A single-touch screen comes in through Qt's evdev tablet handler, whose events no
// widget takes, and the framebuffer platform makes no mouse presses of them: this makes
// every tablet event the mouse event the screens understand, on every platform.
void TakeTabletAsMouse(QApplication& app);
// Full screen on the board; a window of the panel's size on a desktop.
void ShowMainWindow(QWidget& window);
// Where the 240 x 320 panel lies in screen coordinates: the whole screen on the board, the
// program's main window on a desktop. Dialogs are fitted to it.
QRect PanelGeometry();
// Maximised on the board; over the program's window, at the panel's size, on a desktop.
// Leaves the showing to the caller, so that a dialog can be run modally.
void PlaceMaximizedDialog(QWidget& dialog);
// The whole screen on the board; the program's window on a desktop, and wherever the
// platform cannot grab the screen.
QPixmap GrabScreen();
} // namespace BoardScreen
