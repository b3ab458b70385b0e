#pragma once

#include "settings/userSettingInt.h"

// Tone, or listening to one receiver's demodulated signal.
enum class eAudioModeUserSetting : int
{
    Off = 0,
    Tone = 1,
    Rx2Am = 2,
    Rx2Fm = 3,
    Rx3Am = 4,
    Rx3Fm = 5
};

// Audio mode. It travels to the head as an operating-mode code and only when it changes.
class AudioModeUserSetting : public UserSettingInt<eAudioModeUserSetting>
{
public:
    AudioModeUserSetting();
    void Set(eAudioModeUserSetting value) override;
    // Labels of the screenshots; "unknown-error" for values out of the table.
    QString toString() const override;

    // The head's operating-mode code of the stored audio mode: the listening modes as
    // themselves, everything else as tone.
    quint8 GetValueMappedToMasterOpMode() const;
};
