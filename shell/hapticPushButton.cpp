#include "shell/hapticPushButton.h"

#include "shell/hapticService.h"

#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>

HapticPushButton::HapticPushButton(const QIcon& icon, const QString& text, QWidget* parent)
    : QPushButton(icon, text, parent)
{
    connectSignals();
}

HapticPushButton::HapticPushButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    connectSignals();
}

HapticPushButton::HapticPushButton(QWidget* parent) : QPushButton(parent)
{
    connectSignals();
}

void HapticPushButton::connectSignals()
{
    // A click while the button is still down is an auto-repeat step; the click of a release
    // or of click() comes after the button went up.
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (isDown())
            m_repeatedThisHold = true;
    });
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

void HapticPushButton::mousePressEvent(QMouseEvent* event)
{
    m_repeatedThisHold = false;
    QPushButton::mousePressEvent(event);
}

void HapticPushButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool endsRepeat = m_repeatedThisHold && isDown() && event->button() == Qt::LeftButton;
    if (endsRepeat) {
        // Up before the base class sees the release: it then clicks no more.
        setDown(false);
        emit released();
    }
    QPushButton::mouseReleaseEvent(event);
    if (endsRepeat)
        event->accept();
    m_repeatedThisHold = false;
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
