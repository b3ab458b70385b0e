#pragma once

#include <QPixmap>

class QApplication;

// The display side of the board layer: what the embedded window server did for the
// program (cursor hiding, touch calibration, full-screen grab).
namespace BoardScreen {
void HideCursor(QApplication& app);
QPixmap GrabScreen();
} // namespace BoardScreen
