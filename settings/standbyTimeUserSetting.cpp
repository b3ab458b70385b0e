#include "settings/standbyTimeUserSetting.h"

#include "bus/settingMsgs.h"

StandbyTimeUserSetting::StandbyTimeUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/standbyTime"), eStandbyTime::FiveMins, {0, 5})
{}

void StandbyTimeUserSetting::Set(eStandbyTime value)
{
    StoreAndSend<SetStandbyTimeMsg>(value);
}
