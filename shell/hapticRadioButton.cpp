#include "shell/hapticRadioButton.h"

#include "shell/hapticService.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>

HapticRadioButton::HapticRadioButton(const QString& text, QWidget* parent)
    : QRadioButton(text, parent)
{
    QTimer::singleShot(0, this, &HapticRadioButton::ConnectWithBaseSignal);
}

HapticRadioButton::HapticRadioButton(QWidget* parent) : QRadioButton(parent)
{
    QTimer::singleShot(0, this, &HapticRadioButton::ConnectWithBaseSignal);
}

void HapticRadioButton::ConnectWithBaseSignal()
{
    connect(this, &QRadioButton::pressed, this, &HapticRadioButton::VibrateOnClick,
            Qt::UniqueConnection);
}

void HapticRadioButton::VibrateOnClick()
{
    HapticService::Get()->OneShotVibrateIfEnabled(m_vibrateMsec);
}

void HapticRadioButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.state &= ~QStyle::State_MouseOver;
    painter.drawControl(QStyle::CE_RadioButton, option);
}
