#pragma once

#include "settings/userSettingInt.h"

enum class eStandbyTime : int
{
    Disabled = 0,
    OneMin = 1,
    TwoMins = 2,
    ThreeMins = 3,
    FourMins = 4,
    FiveMins = 5
};

// Idle time before the head goes to standby. Every Set is sent to the head.
class StandbyTimeUserSetting : public UserSettingInt<eStandbyTime>
{
public:
    StandbyTimeUserSetting();
    void Set(eStandbyTime value) override;
};
