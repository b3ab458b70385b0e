#include "settings/audioModeUserSetting.h"

#include "bus/settingMsgs.h"

#include <QDebug>

AudioModeUserSetting::AudioModeUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/audioMode"), eAudioModeUserSetting::Tone, {0, 5})
{}

void AudioModeUserSetting::Set(eAudioModeUserSetting value)
{
    if (StoreAndCheckChanged(value))
        QuarnBus::Get()->sendMsg(SetOperatingModeMsg(GetValueMappedToMasterOpMode()));
}

QString AudioModeUserSetting::toString() const
{
    switch (Get()) {
    case 0:
        return QStringLiteral("Off");
    case 1:
        return QStringLiteral("Tone");
    case 2:
        return QStringLiteral("2nd AM");
    case 3:
        return QStringLiteral("2nd FM");
    case 4:
        return QStringLiteral("3rd AM");
    case 5:
        return QStringLiteral("3rd FM");
    default:
        return QStringLiteral("unknown-error");
    }
}

quint8 AudioModeUserSetting::GetValueMappedToMasterOpMode() const
{
    const int mode = Get();
    switch (eAudioModeUserSetting(mode)) {
    case eAudioModeUserSetting::Rx2Am:
    case eAudioModeUserSetting::Rx2Fm:
    case eAudioModeUserSetting::Rx3Am:
    case eAudioModeUserSetting::Rx3Fm:
        return quint8(mode);
    case eAudioModeUserSetting::Off:
        // The head has no silent search mode.
        qDebug() << "TODO ERROR: TODO. What to do about Audio Mode Off!!";
        return quint8(eAudioModeUserSetting::Tone);
    case eAudioModeUserSetting::Tone:
        break;
    }
    return quint8(eAudioModeUserSetting::Tone);
}
