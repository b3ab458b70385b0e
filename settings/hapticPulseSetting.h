#pragma once

#include "settings/userSettingInt.h"

enum class ePulseWidth : int
{
    Short = 1,
    Long = 2
};

// Length of the head's vibration pulse on target; sent in the target-vibration byte.
class HapticPulseSetting : public UserSettingInt<ePulseWidth>
{
public:
    HapticPulseSetting();
    void Set(ePulseWidth value) override;
    void SetDefault();
};
