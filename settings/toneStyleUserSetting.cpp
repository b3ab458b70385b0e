#include "settings/toneStyleUserSetting.h"

#include "bus/settingMsgs.h"

ToneStyleUserSetting::ToneStyleUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/toneStyle"),
                     eToneStyleUserSetting::SecondThirdDiff, {0, 3})
{}

void ToneStyleUserSetting::Set(eToneStyleUserSetting value)
{
    StoreAndSend<SetToneStyleMsg>(value);
}
