#include "settings/tripLevelUserSetting.h"

#include "bus/settingMsgs.h"

TripLevelUserSetting::TripLevelUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/tripLevel"), kMaxLevel, {0, kMaxLevel})
{}

void TripLevelUserSetting::Set(unsigned char value)
{
    StoreAndSend<SetTripLevelMsg>(value);
}

void TripLevelUserSetting::Increment()
{
    const int level = Get();
    if (level < kMaxLevel)
        Set(static_cast<unsigned char>(level + 1));
}

void TripLevelUserSetting::Decrement()
{
    const int level = Get();
    if (level > 0)
        Set(static_cast<unsigned char>(level - 1));
}
