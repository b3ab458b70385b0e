#include "settings/volumeUserSetting.h"

#include "bus/settingMsgs.h"
#include "settings/muteUserSetting.h"

namespace {
constexpr quint8 kMuteBit = 0x80;
}

VolumeUserSetting::VolumeUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/volume"), 0, {0, kMaxVolume})
{}

void VolumeUserSetting::Set(unsigned char value)
{
    if (value > kMaxVolume)
        return;
    UserSettingInt::Set(value);
    SetVolumeMuteToMasterBasedOnCurrentSettings();
}

void VolumeUserSetting::Increment()
{
    MuteUserSetting().Set(eMuteUserSetting::SoundOn);
    const int volume = Get();
    if (volume < kMaxVolume)
        Set(static_cast<unsigned char>(volume + 1));
}

void VolumeUserSetting::Decrement()
{
    MuteUserSetting().Set(eMuteUserSetting::SoundOn);
    const int volume = Get();
    if (volume > 0)
        Set(static_cast<unsigned char>(volume - 1));
}

quint8 GetVolumeMuteForMasterBasedOnCurrentSettings()
{
    const quint8 volume = quint8(VolumeUserSetting().Get() & 0xFF);
    return MuteUserSetting().Get() != 0 ? quint8(volume | kMuteBit) : volume;
}

void SetVolumeMuteToMasterBasedOnCurrentSettings()
{
    QuarnBus::Get()->sendMsg(SetVolumeMsg(GetVolumeMuteForMasterBasedOnCurrentSettings()));
}
