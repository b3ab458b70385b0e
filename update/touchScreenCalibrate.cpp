#include "update/touchScreenCalibrate.h"

#include <QMouseEvent>
#include <QPainter>

TouchScreenCalibrate::TouchScreenCalibrate(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TouchScreenCalibrate"));
    setFocusPolicy(Qt::StrongFocus);
    setModal(true);
    // Covering the panel as the only window of a modal run, the dialog gets every tap
    // without a mouse grab (which Qt's framebuffer platforms do not offer).
    setWindowState(Qt::WindowMaximized);
}

QVector<QPointF> TouchScreenCalibrate::ScreenPoints(const QSize& size)
{
    const int w = size.width();
    const int h = size.height();
    return {{qreal(w / 10), qreal(h / 10)},
            {qreal(w / 10), qreal(h - h / 10)},
            {qreal(w - w / 10), qreal(h - h / 10)},
            {qreal(w - w / 10), qreal(h / 10)},
            {qreal(w / 2), qreal(h / 2)}};
}

QPoint TouchScreenCalibrate::CurrentTarget() const
{
    return ScreenPoints(size()).at(qMin(m_taps.size(), kPoints - 1)).toPoint();
}

void TouchScreenCalibrate::accept()
{
    m_result = Board::Get().SaveTouchCalibration(m_targets, m_taps);
    QDialog::accept();
}

void TouchScreenCalibrate::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QPoint target = CurrentTarget();
    painter.fillRect(target.x() - kBarLength / 2, target.y() - kBarWidth / 2, kBarLength, kBarWidth,
                     Qt::black);
    painter.fillRect(target.x() - kBarWidth / 2, target.y() - kBarLength / 2, kBarWidth, kBarLength,
                     Qt::black);
    // Which tap this is, away from every target.
    painter.setPen(Qt::darkGray);
    painter.drawText(QRect(0, height() / 4, width(), height() / 8), Qt::AlignCenter,
                     QStringLiteral("%1 of %2").arg(m_taps.size() + 1).arg(kPoints));
}

void TouchScreenCalibrate::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_taps.size() >= kPoints)
        return;
    // The panel's own coordinates: the dialog covers it, so they are the screen's.
    m_targets.append(CurrentTarget());
    m_taps.append(event->localPos());
    if (m_taps.size() == kPoints)
        accept();
    else
        update();
}
