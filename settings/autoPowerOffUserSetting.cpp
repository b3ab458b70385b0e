#include "settings/autoPowerOffUserSetting.h"

#include "bus/settingMsgs.h"

AutoPowerOffUserSetting::AutoPowerOffUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/autoPowerOff"), eAutoPowerOff::TenMins)
{}

void AutoPowerOffUserSetting::Set(eAutoPowerOff value)
{
    StoreAndSend<SetAutoOffMsg>(value);
}
