#include "shell/hapticPushButton.h"

#include "shell/hapticService.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>

HapticPushButton::HapticPushButton(const QIcon& icon, const QString& text, QWidget* parent)
    : QPushButton(icon, text, parent)
{
    deferConnection();
}

HapticPushButton::HapticPushButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    deferConnection();
}

HapticPushButton::HapticPushButton(QWidget* parent) : QPushButton(parent)
{
    deferConnection();
}

void HapticPushButton::deferConnection()
{
    // One event-loop pass later, so that our reaction comes after the creator's wiring.
    QTimer::singleShot(0, this, &HapticPushButton::ConnectWithBaseSignal);
}

void HapticPushButton::ConnectWithBaseSignal()
{
    connect(this, &QPushButton::pressed, this, &HapticPushButton::VibrateOnClick,
            Qt::UniqueConnection);
}

void HapticPushButton::VibrateOnClick()
{
    if (autoRepeat() && m_repeatModulo != 0 && m_pressCount % m_repeatModulo != 0) {
        ++m_pressCount;
        return;
    }
    HapticService::Get()->OneShotVibrateIfEnabled(m_vibrateMsec);
    ++m_pressCount;
}

void HapticPushButton::mouseReleaseEvent(QMouseEvent* event)
{
    QPushButton::mouseReleaseEvent(event);
    m_pressCount = 0;
}

void HapticPushButton::paintEvent(QPaintEvent*)
{
    // A touch screen has no hover: a touched button must not stay highlighted.
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.state &= ~QStyle::State_MouseOver;
    painter.drawControl(QStyle::CE_PushButton, option);
}
