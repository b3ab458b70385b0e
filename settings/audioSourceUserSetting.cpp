#include "settings/audioSourceUserSetting.h"

#include "bus/settingMsgs.h"

AudioSourceUserSetting::AudioSourceUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/audioSource"), eAudioSource::SpeakerHp, {0, 1})
{}

void AudioSourceUserSetting::Set(eAudioSource value)
{
    StoreAndSend<SetAudioOutputMsg>(value);
}
