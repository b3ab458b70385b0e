#include "settings/standbyTimeUserSetting.h"

#include "bus/settingMsgs.h"

StandbyTimeUserSetting::StandbyTimeUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/standbyTime"), eStandbyTime::FiveMins)
{}

void StandbyTimeUserSetting::Set(eStandbyTime value)
{
    StoreAndSend<SetStandbyTimeMsg>(value);
}
