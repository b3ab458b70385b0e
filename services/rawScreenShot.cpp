#include "services/rawScreenShot.h"

#include "board/boardScreen.h"

RawScreenShot::RawScreenShot(QWidget* parent) : QWidget(parent) {}

QPixmap RawScreenShot::GetScreenShot()
{
    m_screen = BoardScreen::GrabScreen();
    return m_screen;
}
