#pragma once

#include "settings/userSettingInt.h"

enum class eOperatingMode : int
{
    Standby = 0,
    Ambient = 1,
    CW = 2,
    Echo = 3,
    Search = 4
};

// What the head is doing. The head knows it by its own operating-mode codes, in which the
// search mode carries the audio mode; it is sent only when it changes.
class OperatingModeUserSetting : public UserSettingInt<eOperatingMode>
{
public:
    OperatingModeUserSetting();
    using UserSettingInt::SyncWithMasterValue;

    void Set(eOperatingMode value) override;
    // Adopts a head operating-mode code; a search code also sets the audio mode.
    void SyncWithMasterValue(unsigned char code) override;

    quint8 GetValueMappedToMasterOpModeValue() const;
};
