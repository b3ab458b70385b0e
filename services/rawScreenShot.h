#pragma once

#include <QPixmap>
#include <QWidget>

// A grab of the whole screen, kept until the next grab. Never shown.
class RawScreenShot : public QWidget
{
    Q_OBJECT
public:
    explicit RawScreenShot(QWidget* parent = nullptr);

    // Grabs the full screen, keeps it and returns a copy.
    QPixmap GetScreenShot();

private:
    QPixmap m_screen;
};
