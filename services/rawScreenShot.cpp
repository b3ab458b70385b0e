#include "services/rawScreenShot.h"

#include "shell/boardScreen.h"

RawScreenShot::RawScreenShot(QWidget* parent) : QWidget(parent) {}

QPixmap RawScreenShot::GetScreenShot()
{
    m_screen = BoardScreen::GrabScreen();
    return m_screen;
}
