#pragma once

#include "settings/userSettingInt.h"

enum class eHapticUserSetting : int
{
    Off = 0,
    OnTarget = 1,
    OnTouch = 2,
    OnBoth = 3
};

// Vibration mode. Vibration on target is the head's and travels as the target-vibration
// byte; vibration on touch is this screen's alone.
class HapticUserSetting : public UserSettingInt<eHapticUserSetting>
{
public:
    HapticUserSetting();
    void Set(eHapticUserSetting value) override;
    void SetDefault();

    // The target-vibration byte: the pulse width while the target vibrates, else 0. A pulse
    // width of 0 is first repaired to short.
    quint8 GetMappedToMaster() const;
};
