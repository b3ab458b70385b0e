#pragma once

#include "settings/userSettingInt.h"

enum class eToneStyleUserSetting : int
{
    SecondOnly = 0,
    ThirdOnly = 1,
    SecondThirdSame = 2,
    SecondThirdDiff = 3
};

// Which harmonics the detection tone follows. Every Set is sent to the head.
class ToneStyleUserSetting : public UserSettingInt<eToneStyleUserSetting>
{
public:
    ToneStyleUserSetting();
    void Set(eToneStyleUserSetting value) override;
};
