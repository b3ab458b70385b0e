#include "settings/powerOnScreenSetting.h"

PowerOnScreenSetting::PowerOnScreenSetting()
    : UserSettingInt(QStringLiteral("userSettings/powerOnScreen"), ePowerOnScreen::HomeScreen)
{}

void PowerOnScreenSetting::SetDefault()
{
    Set(ePowerOnScreen::HomeScreen);
}
