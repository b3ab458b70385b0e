#include "update/touchScreenCalibrate.h"

#include <QLabel>
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
    // A label, so that the style sheet gives it its colour; taps go through it.
    m_step = new QLabel(this);
    m_step->setObjectName(QStringLiteral("stepLabel"));
    m_step->setAlignment(Qt::AlignCenter);
    m_step->setAttribute(Qt::WA_TransparentForMouseEvents);
    showStep();
}

void TouchScreenCalibrate::showStep()
{
    m_step->setText(QStringLiteral("%1 of %2").arg(qMin(m_taps.size() + 1, kPoints)).arg(kPoints));
    m_step->setGeometry(0, height() / 4, width(), height() / 8);
}

void TouchScreenCalibrate::resizeEvent(QResizeEvent*)
{
    showStep();
}

QVector<QPointF> TouchScreenCalibrate::ScreenPoints(const QSize& size)
{
    // Whole pixels: a tenth of the size in from each edge, and the centre.
    const int w = size.width();
    const int h = size.height();
    const int left = w / 10;
    const int top = h / 10;
    const int right = w - left;
    const int bottom = h - top;
    const int centreX = w / 2;
    const int centreY = h / 2;
    return {{qreal(left), qreal(top)},
            {qreal(left), qreal(bottom)},
            {qreal(right), qreal(bottom)},
            {qreal(right), qreal(top)},
            {qreal(centreX), qreal(centreY)}};
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
}

void TouchScreenCalibrate::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_taps.size() >= kPoints)
        return;
    // The panel's own coordinates: the dialog covers it, so they are the screen's.
    m_targets.append(CurrentTarget());
    m_taps.append(event->localPos());
    if (m_taps.size() == kPoints) {
        accept();
    } else {
        showStep();
        update();
    }
}
