#include "settings/startupParametersSetting.h"

#include "bus/settingMsgs.h"

StartupParametersSetting::StartupParametersSetting()
    : UserSettingInt(QStringLiteral("userSettings/startup"), eStartParameterUserSetting::Last,
                     {0, 1})
{}

void StartupParametersSetting::Set(eStartParameterUserSetting value)
{
    UserSettingInt::Set(value);
    QuarnBus::Get()->sendMsg(SetUflagsMsg(Get() == int(eStartParameterUserSetting::Internal)));
}
