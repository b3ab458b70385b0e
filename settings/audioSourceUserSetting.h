#pragma once

#include "settings/userSettingInt.h"

enum class eAudioSource : int
{
    HpOnly = 0,
    SpeakerHp = 1
};

// Audio output: headphones only, or speaker and headphones. Every Set is sent to the head.
class AudioSourceUserSetting : public UserSettingInt<eAudioSource>
{
public:
    AudioSourceUserSetting();
    void Set(eAudioSource value) override;
};
