#pragma once

#include "settings/userSettingInt.h"

enum class eBrightness : int
{
    Dim = 0,
    Medium = 1,
    High = 2
};

// Display brightness, kept by the head and applied to this screen's backlight. Constructing
// one drives the backlight to the stored level.
class BrightnessUserSetting : public UserSettingInt<eBrightness>
{
public:
    BrightnessUserSetting();
    using UserSettingInt::SyncWithMasterValue;

    void Set(eBrightness value) override;
    void SyncWithMasterValue(unsigned char value) override;

    void RefreshLocalBrightness();
    // Level 0 dims to 15, level 1 to 50, anything else is full 100.
    static void ControlLocalBrightness(int level);
};
