#pragma once

#include "bus/settingMsgs.h"
#include "shell/hapticPushButton.h"

class QTimer;

// One key of the head's keypad on the touch screen: while held it sends the key's code to
// the head every 10 ms, and a release (code 0) when let go.
class FauxKeypadButton : public HapticPushButton
{
    Q_OBJECT
public:
    static constexpr int kRepeatMs = 10;

    FauxKeypadButton(quint8 keyCode, QWidget* parent);
    explicit FauxKeypadButton(QWidget* parent = nullptr);

    quint8 keyCode() const { return m_pressMsg.param; }
    void setKeyCode(quint8 keyCode) { m_pressMsg.param = keyCode; }

public slots:
    void ConnectPressedAndReleased();
    void KeyPressed();
    void KeyRepeatEvent();
    void KeyReleased();

private:
    QTimer* m_repeatTimer = nullptr;
    SetKeyPressEventMsg m_pressMsg;
    SetKeyPressEventMsg m_releaseMsg{0};
};

// Key codes of the head's keypad, one bit per key.
namespace KeypadKey {
constexpr quint8 Up = 0x01;
constexpr quint8 Down = 0x02;
constexpr quint8 Left = 0x04;
constexpr quint8 Right = 0x08;
constexpr quint8 Audio = 0x10;
constexpr quint8 Set = 0x20;
constexpr quint8 Menu = 0x40;
constexpr quint8 Power = 0x80;
} // namespace KeypadKey

// Gives the eight keys of a keypad form their codes.
void AssignKeypadKeyCodes(FauxKeypadButton* up, FauxKeypadButton* down, FauxKeypadButton* left,
                          FauxKeypadButton* right, FauxKeypadButton* audio, FauxKeypadButton* set,
                          FauxKeypadButton* menu, FauxKeypadButton* power);
// Hands the head back to normal search when a keypad is left.
void LeaveKeypad();
