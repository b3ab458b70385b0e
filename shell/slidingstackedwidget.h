#pragma once

#include <QEasingCurve>
#include <QPoint>
#include <QStackedWidget>

class QParallelAnimationGroup;
class QPropertyAnimation;

// A stacked widget that changes page by sliding: the current page moves out of the frame
// while the new one moves in from the opposite side, both on one curve and one duration.
class SlidingStackedWidget : public QStackedWidget
{
    Q_OBJECT
    Q_PROPERTY(int currentSlideIndex READ currentIndex WRITE setCurrentSlideIndex)

public:
    // Where the new page enters from is the opposite side of the direction's start:
    // RIGHT2LEFT brings it in from the right.
    enum t_direction
    {
        LEFT2RIGHT,
        RIGHT2LEFT,
        TOP2BOTTOM,
        BOTTOM2TOP,
        AUTOMATIC
    };
    Q_ENUM(t_direction)

    explicit SlidingStackedWidget(QWidget* parent = nullptr);

    int speed() const { return m_speed; }
    QEasingCurve::Type animation() const { return m_animationType; }
    bool verticalMode() const { return m_vertical; }
    bool wrap() const { return m_wrap; }
    bool isSliding() const { return m_active; }
    t_direction defaultDirection() const { return m_defaultDirection; }
    QWidget* mainWindow() const { return m_mainWindow; }

public slots:
    void setSpeed(int speed);
    void setAnimation(QEasingCurve::Type animationType);
    void setVerticalMode(bool vertical);
    void setVerticalMode();
    void setWrap(bool wrap);

    void slideInNext();
    void slideInPrev();
    void slideInIdx(int idx, SlidingStackedWidget::t_direction direction);
    void slideInIdx(int idx);

    void setCurrentSlideIndex(int idx);
    void setCurrentDefaultDirectionRightToLeft();
    void setCurrentDefaultDirectionLeftToRight();

    void animationDoneSlot();

signals:
    void animationFinished();

private:
    void slideInWgt(QWidget* newWidget, t_direction direction);
    void releaseAnimations();

    QWidget* m_mainWindow = nullptr;
    int m_speed = 250;
    QEasingCurve::Type m_animationType = QEasingCurve::InCirc;
    bool m_vertical = false;
    int m_now = 0;
    int m_next = 0;
    bool m_wrap = false;
    QPoint m_pnow;
    bool m_active = false;
    t_direction m_defaultDirection = RIGHT2LEFT;

    QPropertyAnimation* m_animNow = nullptr;
    QPropertyAnimation* m_animNext = nullptr;
    QParallelAnimationGroup* m_animGroup = nullptr;
};
