#include "settings/freqModeUserSetting.h"

#include "bus/settingMsgs.h"

FreqModeUserSetting::FreqModeUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/freqMode"), eFreqMode::Auto, {0, 3})
{}

void FreqModeUserSetting::Set(eFreqMode value)
{
    StoreAndSend<SetFreqModeMsg>(value);
}
