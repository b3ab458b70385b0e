#include "update/colorBarDisplayDialog.h"

#include <QLabel>
#include <QPainter>

ColorBarDisplayDialog::ColorBarDisplayDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ColorBarDisplayDialog"));
    setFocusPolicy(Qt::StrongFocus);
    setModal(true);
    setWindowState(Qt::WindowMaximized);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ColorBarDisplayDialog::TimerExpired);
    m_timer.start(kCaptionDelayMs);
}

void ColorBarDisplayDialog::TimerExpired()
{
    m_caption = new QLabel(QStringLiteral("Tap to close"), this);
    // Its own sheet: the panel's style sheet sets a smaller size for every dialog label. The
    // caption sits on the blue band, where the sheet's light text reads well.
    m_caption->setStyleSheet(QStringLiteral("background: transparent; font-size: 22pt;"));
    m_caption->setGeometry(20, height() / 2, width() - 40, 40);
    m_caption->show();
}

void ColorBarDisplayDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor bands[] = {Qt::red, Qt::green, Qt::blue, Qt::white};
    const int h = height();
    for (int i = 0; i < 4; ++i)
        painter.fillRect(0, i * h / 4, width(), (i + 1) * h / 4 - i * h / 4, bands[i]);
}

void ColorBarDisplayDialog::mouseReleaseEvent(QMouseEvent*)
{
    accept();
}
