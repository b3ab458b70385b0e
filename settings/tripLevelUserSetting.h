#pragma once

#include "settings/userSettingInt.h"

// Detection trip level 0 to 10 (threshold 127 × level / 10). Every Set is sent to the head.
class TripLevelUserSetting : public UserSettingInt<unsigned char>
{
public:
    static constexpr int kMaxLevel = 10;

    TripLevelUserSetting();
    void Set(unsigned char value) override;
    // Both do nothing at the limit.
    void Increment();
    void Decrement();
};
