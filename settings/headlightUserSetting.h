#pragma once

#include "settings/userSettingInt.h"

enum class eHeadlightUserSetting : int
{
    Off = 0,
    On = 1
};

// The head's headlight. Sent to the head only when the stored value changes.
class HeadlightUserSetting : public UserSettingInt<eHeadlightUserSetting>
{
public:
    HeadlightUserSetting();
    void Set(eHeadlightUserSetting value) override;
    // Flips off and on; any other stored value is left alone.
    void Toggle();
};
