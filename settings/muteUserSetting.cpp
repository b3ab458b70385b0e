#include "settings/muteUserSetting.h"

#include "settings/volumeUserSetting.h"

MuteUserSetting::MuteUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/mute"), eMuteUserSetting::SoundOn, {0, 1})
{}

void MuteUserSetting::Set(eMuteUserSetting value)
{
    UserSettingInt::Set(value);
    SetVolumeMuteToMasterBasedOnCurrentSettings();
}

void MuteUserSetting::SyncWithMasterValue(unsigned char value)
{
    UserSettingInt::Set((value & 0x80) ? eMuteUserSetting::Muted : eMuteUserSetting::SoundOn);
}

void MuteUserSetting::Toggle()
{
    switch (eMuteUserSetting(Get())) {
    case eMuteUserSetting::SoundOn:
        Set(eMuteUserSetting::Muted);
        break;
    case eMuteUserSetting::Muted:
        Set(eMuteUserSetting::SoundOn);
        break;
    }
}
