#pragma once

#include "settings/userSettingInt.h"

enum class eAutoPowerOff : int
{
    Disabled = 0,
    FiveMins = 1,
    TenMins = 2,
    FifteenMins = 3,
    TwentyMins = 4,
    ThirtyMins = 5
};

// Idle time before the instrument switches itself off. Every Set is sent to the head.
class AutoPowerOffUserSetting : public UserSettingInt<eAutoPowerOff>
{
public:
    AutoPowerOffUserSetting();
    void Set(eAutoPowerOff value) override;
};
