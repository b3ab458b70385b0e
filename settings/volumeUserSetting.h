#pragma once

#include "settings/userSettingInt.h"

// Volume 0 to 50. It travels to the head in one byte with the mute setting.
class VolumeUserSetting : public UserSettingInt<unsigned char>
{
public:
    static constexpr int kMaxVolume = 50;

    VolumeUserSetting();
    // Values above the maximum are refused: nothing is stored or sent.
    void Set(unsigned char value) override;
    // Both unmute first, then step within the limits.
    void Increment();
    void Decrement();
};

// The head's volume byte: the stored volume, bit 7 set while muted.
quint8 GetVolumeMuteForMasterBasedOnCurrentSettings();
void SetVolumeMuteToMasterBasedOnCurrentSettings();
