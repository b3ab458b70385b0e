#include "settings/dspGainLevelUserSetting.h"

#include "bus/settingMsgs.h"

DspGainLevelUserSetting::DspGainLevelUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/dspGainLevel"), eDspGainLevel::Medium)
{}

void DspGainLevelUserSetting::Set(eDspGainLevel value)
{
    StoreAndSend<SetDspGainLevelMsg>(value);
}
