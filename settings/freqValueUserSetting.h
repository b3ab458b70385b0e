#pragma once

#include "settings/userSettingInt.h"

// Transmit frequency in Hz. Every Set is sent to the head as 32 bits, low byte first.
class FreqValueUserSetting : public UserSettingInt<unsigned int>
{
public:
    FreqValueUserSetting();
    void Set(unsigned int value) override;
};
