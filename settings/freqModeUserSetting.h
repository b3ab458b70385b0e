#pragma once

#include "settings/userSettingInt.h"

enum class eFreqMode : int
{
    Manual = 0,
    Auto = 1,
    Sweep = 2,
    Hop = 3
};

// How the head picks its transmit frequency. Every Set is sent to the head.
class FreqModeUserSetting : public UserSettingInt<eFreqMode>
{
public:
    FreqModeUserSetting();
    void Set(eFreqMode value) override;
};
