#pragma once

#include "settings/userSettingInt.h"

enum class eDspGainLevel : int
{
    Low = 0,
    Medium = 1,
    High = 2
};

// Gain of the head's signal processing. Every Set is sent to the head.
class DspGainLevelUserSetting : public UserSettingInt<eDspGainLevel>
{
public:
    DspGainLevelUserSetting();
    void Set(eDspGainLevel value) override;
};
