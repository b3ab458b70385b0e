#include "shell/boardScreen.h"

#include "services/board.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace BoardScreen {

void HideCursor(QApplication& app)
{
    app.setOverrideCursor(QCursor(Qt::BlankCursor));
}

void ShowMainWindow(QWidget& window)
{
    if (Board::Get().IsSandbox()) {
        window.setFixedSize(240, 320);
        window.show();
    } else {
        window.showFullScreen();
    }
}

QPixmap GrabScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0) : QPixmap();
}

} // namespace BoardScreen
