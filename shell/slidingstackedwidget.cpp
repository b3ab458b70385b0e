#include "shell/slidingstackedwidget.h"

#include <QDebug>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

SlidingStackedWidget::SlidingStackedWidget(QWidget* parent)
    : QStackedWidget(parent), m_mainWindow(parent)
{
    if (!m_mainWindow) {
        m_mainWindow = this;
        qDebug() << "ATTENTION: untested mainwindow case !";
    }
}

void SlidingStackedWidget::setSpeed(int speed)
{
    m_speed = speed;
}

void SlidingStackedWidget::setAnimation(QEasingCurve::Type animationType)
{
    m_animationType = animationType;
}

void SlidingStackedWidget::setVerticalMode(bool vertical)
{
    m_vertical = vertical;
}

void SlidingStackedWidget::setVerticalMode()
{
    setVerticalMode(true);
}

void SlidingStackedWidget::setWrap(bool wrap)
{
    m_wrap = wrap;
}

void SlidingStackedWidget::slideInNext()
{
    const int now = currentIndex();
    if (m_wrap || now < count() - 1)
        slideInIdx(now + 1);
}

void SlidingStackedWidget::slideInPrev()
{
    const int now = currentIndex();
    if (m_wrap || now > 0)
        slideInIdx(now - 1);
}

void SlidingStackedWidget::slideInIdx(int idx)
{
    slideInIdx(idx, AUTOMATIC);
}

void SlidingStackedWidget::slideInIdx(int idx, SlidingStackedWidget::t_direction direction)
{
    const int pages = count();
    // An empty stack has nowhere to go, and the wrap below would divide by zero.
    if (pages == 0)
        return;
    if (idx >= pages) {
        idx %= pages;
        direction = m_vertical ? TOP2BOTTOM : RIGHT2LEFT;
    } else if (idx < 0) {
        // Wraps any negative index, not only those down to -count.
        idx = (idx % pages + pages) % pages;
        direction = m_vertical ? BOTTOM2TOP : LEFT2RIGHT;
    }
    slideInWgt(widget(idx), direction);
}

void SlidingStackedWidget::setCurrentSlideIndex(int idx)
{
    slideInIdx(idx, m_defaultDirection);
}

void SlidingStackedWidget::setCurrentDefaultDirectionRightToLeft()
{
    m_defaultDirection = RIGHT2LEFT;
}

void SlidingStackedWidget::setCurrentDefaultDirectionLeftToRight()
{
    m_defaultDirection = LEFT2RIGHT;
}

void SlidingStackedWidget::slideInWgt(QWidget* newWidget, t_direction direction)
{
    if (m_active && m_animGroup) {
        // Jumping to the end finishes the group, which lands the running slide on its page.
        m_animGroup->setCurrentTime(m_animGroup->totalDuration());
        if (m_active)
            animationDoneSlot();
    }
    m_active = true;

    const int now = currentIndex();
    const int next = indexOf(newWidget);
    if (now == next) {
        m_active = false;
        return;
    }

    const int w = frameRect().width();
    const int h = frameRect().height();
    newWidget->setGeometry(0, 0, w, h);

    if (direction == AUTOMATIC) {
        if (now < next)
            direction = m_vertical ? TOP2BOTTOM : RIGHT2LEFT;
        else
            direction = m_vertical ? BOTTOM2TOP : LEFT2RIGHT;
    }

    QPoint offset;
    switch (direction) {
    case LEFT2RIGHT:
        offset = QPoint(w, 0);
        break;
    case RIGHT2LEFT:
        offset = QPoint(-w, 0);
        break;
    case TOP2BOTTOM:
        offset = QPoint(0, h);
        break;
    case BOTTOM2TOP:
    case AUTOMATIC:
        offset = QPoint(0, -h);
        break;
    }

    QWidget* outgoing = widget(now);
    if (!outgoing) {
        setCurrentIndex(next);
        m_active = false;
        emit animationFinished();
        return;
    }
    m_pnow = outgoing->pos();
    const QPoint pnext = newWidget->pos();
    newWidget->move(pnext - offset);
    newWidget->show();
    newWidget->raise();

    m_animNow = new QPropertyAnimation(outgoing, "pos");
    m_animNow->setDuration(m_speed);
    m_animNow->setEasingCurve(m_animationType);
    m_animNow->setStartValue(m_pnow);
    m_animNow->setEndValue(m_pnow + offset);

    m_animNext = new QPropertyAnimation(newWidget, "pos");
    m_animNext->setDuration(m_speed);
    m_animNext->setEasingCurve(m_animationType);
    m_animNext->setStartValue(pnext - offset);
    m_animNext->setEndValue(pnext);

    m_animGroup = new QParallelAnimationGroup(this);
    m_animGroup->addAnimation(m_animNow);
    m_animGroup->addAnimation(m_animNext);
    connect(m_animGroup, &QParallelAnimationGroup::finished, this,
            &SlidingStackedWidget::animationDoneSlot);

    m_now = now;
    m_next = next;
    m_animGroup->start();
}

void SlidingStackedWidget::animationDoneSlot()
{
    if (!m_active || !m_animGroup)
        return;
    setCurrentIndex(m_next);
    if (QWidget* outgoing = widget(m_now)) {
        outgoing->hide();
        outgoing->move(m_pnow);
    }
    releaseAnimations();
    m_active = false;
    emit animationFinished();
}

void SlidingStackedWidget::releaseAnimations()
{
    // The group owns both page animations once they are added to it.
    if (m_animGroup)
        m_animGroup->deleteLater();
    m_animGroup = nullptr;
    m_animNow = nullptr;
    m_animNext = nullptr;
}
