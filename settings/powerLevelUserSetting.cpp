#include "settings/powerLevelUserSetting.h"

#include "bus/settingMsgs.h"

PowerLevelUserSetting::PowerLevelUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/powerLevel"), 0, {0, kMaxLevel})
{}

void PowerLevelUserSetting::Set(unsigned char value)
{
    StoreAndSend<SetPowerLevelMsg>(value);
}

void PowerLevelUserSetting::Increment()
{
    const int level = Get();
    Set(static_cast<unsigned char>(level < kMaxLevel ? level + 1 : level));
}

void PowerLevelUserSetting::Decrement()
{
    const int level = Get();
    Set(static_cast<unsigned char>(level > 0 ? level - 1 : 0));
}
