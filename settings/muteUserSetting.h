#pragma once

#include "settings/userSettingInt.h"

enum class eMuteUserSetting : int
{
    SoundOn = 0,
    Muted = 1
};

// Audio mute. It travels to the head in the volume byte (bit 7).
class MuteUserSetting : public UserSettingInt<eMuteUserSetting>
{
public:
    MuteUserSetting();
    using UserSettingInt::SyncWithMasterValue;

    void Set(eMuteUserSetting value) override;
    // Takes the mute bit of the head's volume byte.
    void SyncWithMasterValue(unsigned char value) override;
    // Flips sound on and muted; any other stored value is left alone.
    void Toggle();
};
