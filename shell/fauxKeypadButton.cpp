#include "shell/fauxKeypadButton.h"

#include "bus/quarnBus.h"
#include "settings/userSettingsService.h"

#include <QTimer>

FauxKeypadButton::FauxKeypadButton(quint8 keyCode, QWidget* parent)
    : HapticPushButton(parent), m_repeatTimer(new QTimer(this)), m_pressMsg(keyCode)
{
    connect(m_repeatTimer, &QTimer::timeout, this, &FauxKeypadButton::KeyRepeatEvent);
    // After the owner's wiring, as the other haptic widgets do.
    QTimer::singleShot(0, this, &FauxKeypadButton::ConnectPressedAndReleased);
}

FauxKeypadButton::FauxKeypadButton(QWidget* parent) : FauxKeypadButton(0, parent) {}

void FauxKeypadButton::ConnectPressedAndReleased()
{
    connect(this, &QAbstractButton::pressed, this, &FauxKeypadButton::KeyPressed,
            Qt::UniqueConnection);
    connect(this, &QAbstractButton::released, this, &FauxKeypadButton::KeyReleased,
            Qt::UniqueConnection);
}

void FauxKeypadButton::KeyPressed()
{
    m_repeatTimer->start(kRepeatMs);
    QuarnBus::Get()->sendMsg(m_pressMsg);
}

void FauxKeypadButton::KeyRepeatEvent()
{
    QuarnBus::Get()->sendMsg(m_pressMsg);
}

void FauxKeypadButton::KeyReleased()
{
    m_repeatTimer->stop();
    QuarnBus::Get()->sendMsg(m_releaseMsg);
}

void AssignKeypadKeyCodes(FauxKeypadButton* up, FauxKeypadButton* down, FauxKeypadButton* left,
                          FauxKeypadButton* right, FauxKeypadButton* audio, FauxKeypadButton* set,
                          FauxKeypadButton* menu, FauxKeypadButton* power)
{
    up->setKeyCode(KeypadKey::Up);
    down->setKeyCode(KeypadKey::Down);
    left->setKeyCode(KeypadKey::Left);
    right->setKeyCode(KeypadKey::Right);
    audio->setKeyCode(KeypadKey::Audio);
    set->setKeyCode(KeypadKey::Set);
    menu->setKeyCode(KeypadKey::Menu);
    power->setKeyCode(KeypadKey::Power);
}

void LeaveKeypad()
{
    UserSettingsService::Get()->Refresh();
    QuarnBus* bus = QuarnBus::Get();
    bus->sendMsg(SetOperatingModeMsg(SetOperatingModeMsg::kNormalSearch));
    bus->sendMsg(SetKeypadExitMsg());
}
