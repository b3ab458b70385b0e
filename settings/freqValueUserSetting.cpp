#include "settings/freqValueUserSetting.h"

#include "bus/settingMsgs.h"

FreqValueUserSetting::FreqValueUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/freqValue"), 2404000000u,
                     {kMinFrequency, kMaxFrequency})
{}

void FreqValueUserSetting::Set(unsigned int value)
{
    StoreAndSend<SetFreqValueMsg, quint32>(value);
}
