#pragma once

#include "settings/userSettingInt.h"

// Last: the settings in effect stay at power-on; Internal: the internal profile is loaded.
enum class eStartParameterUserSetting : int
{
    Last = 0,
    Internal = 1
};

// Start-up flag, kept by the head in its user flags. Every Set is sent to the head.
class StartupParametersSetting : public UserSettingInt<eStartParameterUserSetting>
{
public:
    StartupParametersSetting();
    void Set(eStartParameterUserSetting value) override;
};
