#pragma once

#include "settings/userSettingInt.h"

// Transmit frequency in Hz. Every Set is sent to the head as 32 bits, low byte first.
class FreqValueUserSetting : public UserSettingInt<unsigned int>
{
public:
    // The transmit range of both head variants.
    static constexpr qint64 kMinFrequency = 840000000;
    static constexpr qint64 kMaxFrequency = 2472000000;

    FreqValueUserSetting();
    void Set(unsigned int value) override;
};
