#pragma once

#include "settings/userSettingInt.h"

enum class eTxPowerModeUserSetting : int
{
    Manual = 0,
    Auto = 1
};

// Transmit power by hand or automatic. Every Set is sent to the head.
class TxPowerModeUserSetting : public UserSettingInt<eTxPowerModeUserSetting>
{
public:
    TxPowerModeUserSetting();
    void Set(eTxPowerModeUserSetting value) override;
};
