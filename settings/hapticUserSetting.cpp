#include "settings/hapticUserSetting.h"

#include "bus/settingMsgs.h"
#include "settings/hapticPulseSetting.h"

HapticUserSetting::HapticUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/haptic"), eHapticUserSetting::Off, {0, 3})
{}

void HapticUserSetting::Set(eHapticUserSetting value)
{
    UserSettingInt::Set(value);
    QuarnBus::Get()->sendMsg(SetTargetHapticMsg(GetMappedToMaster()));
}

void HapticUserSetting::SetDefault()
{
    Set(eHapticUserSetting::Off);
}

quint8 HapticUserSetting::GetMappedToMaster() const
{
    const auto mode = eHapticUserSetting(Get());
    if (mode != eHapticUserSetting::OnTarget && mode != eHapticUserSetting::OnBoth)
        return 0;
    HapticPulseSetting pulse;
    if (pulse.Get() == 0)
        pulse.Set(ePulseWidth::Short);
    return quint8(pulse.Get());
}
