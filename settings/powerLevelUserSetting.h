#pragma once

#include "settings/userSettingInt.h"

// Transmit power step 0 to 20. Every Set is sent to the head.
class PowerLevelUserSetting : public UserSettingInt<unsigned char>
{
public:
    static constexpr int kMaxLevel = 20;

    PowerLevelUserSetting();
    void Set(unsigned char value) override;
    // Both send also at the limit, so the head hears the level again.
    void Increment();
    void Decrement();
};
