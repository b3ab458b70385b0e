#include "settings/hapticPulseSetting.h"

#include "bus/settingMsgs.h"
#include "settings/hapticUserSetting.h"

HapticPulseSetting::HapticPulseSetting()
    : UserSettingInt(QStringLiteral("userSettings/pulseWidth"), ePulseWidth::Short, {0, 2})
{}

void HapticPulseSetting::Set(ePulseWidth value)
{
    UserSettingInt::Set(value);
    QuarnBus::Get()->sendMsg(SetTargetHapticMsg(HapticUserSetting().GetMappedToMaster()));
}

void HapticPulseSetting::SetDefault()
{
    Set(ePulseWidth::Short);
}
