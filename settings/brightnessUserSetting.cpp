#include "settings/brightnessUserSetting.h"

#include "board/board.h"
#include "bus/settingMsgs.h"

BrightnessUserSetting::BrightnessUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/brightness"), eBrightness::High, {0, 2})
{
    RefreshLocalBrightness();
}

void BrightnessUserSetting::Set(eBrightness value)
{
    UserSettingInt::Set(value);
    ControlLocalBrightness(int(value));
    SendStored<SetBrightnessMsg>();
}

void BrightnessUserSetting::SyncWithMasterValue(unsigned char value)
{
    UserSettingInt::SyncWithMasterValue(value);
    RefreshLocalBrightness();
}

void BrightnessUserSetting::RefreshLocalBrightness()
{
    ControlLocalBrightness(Get());
}

void BrightnessUserSetting::ControlLocalBrightness(int level)
{
    const int backlight = level == 0 ? 15 : level == 1 ? 50 : 100;
    const Board& board = Board::Get();
    board.WriteValue(board.BacklightBrightnessFile(), backlight);
}
