#include "settings/powerOnScreenSetting.h"

PowerOnScreenSetting::PowerOnScreenSetting()
    : UserSettingInt(QStringLiteral("userSettings/powerOnScreen"), ePowerOnScreen::HomeScreen,
                     {0, 3})
{}

void PowerOnScreenSetting::SetDefault()
{
    Set(ePowerOnScreen::HomeScreen);
}
