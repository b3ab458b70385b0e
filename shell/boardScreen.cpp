#include "shell/boardScreen.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

namespace BoardScreen {

void HideCursor(QApplication& app)
{
    app.setOverrideCursor(QCursor(Qt::BlankCursor));
}

QPixmap GrabScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0) : QPixmap();
}

} // namespace BoardScreen
