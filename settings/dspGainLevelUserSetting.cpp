#include "settings/dspGainLevelUserSetting.h"

#include "bus/settingMsgs.h"

DspGainLevelUserSetting::DspGainLevelUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/dspGainLevel"), eDspGainLevel::Medium, {0, 2})
{}

void DspGainLevelUserSetting::Set(eDspGainLevel value)
{
    StoreAndSend<SetDspGainLevelMsg>(value);
}
