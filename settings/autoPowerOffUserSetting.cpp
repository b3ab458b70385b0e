#include "settings/autoPowerOffUserSetting.h"

#include "bus/settingMsgs.h"

AutoPowerOffUserSetting::AutoPowerOffUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/autoPowerOff"), eAutoPowerOff::TenMins, {0, 5})
{}

void AutoPowerOffUserSetting::Set(eAutoPowerOff value)
{
    StoreAndSend<SetAutoOffMsg>(value);
}
