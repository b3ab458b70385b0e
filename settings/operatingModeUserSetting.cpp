#include "settings/operatingModeUserSetting.h"

#include "bus/settingMsgs.h"
#include "settings/audioModeUserSetting.h"

#include <QDebug>

namespace {
// Head operating-mode codes besides the audio codes 1 to 5 of the search mode.
constexpr quint8 kHeadStandby = 0;
constexpr quint8 kHeadAmbientFirst = 6;
constexpr quint8 kHeadAmbientLast = 9;
constexpr quint8 kHeadEcho = 10;
constexpr quint8 kHeadCw = 13;
} // namespace

OperatingModeUserSetting::OperatingModeUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/operatingMode"), eOperatingMode::Standby, {0, 4})
{}

void OperatingModeUserSetting::Set(eOperatingMode value)
{
    if (StoreAndCheckChanged(value))
        QuarnBus::Get()->sendMsg(SetOperatingModeMsg(GetValueMappedToMasterOpModeValue()));
}

void OperatingModeUserSetting::SyncWithMasterValue(unsigned char code)
{
    if (code == kHeadStandby) {
        UserSettingInt::Set(eOperatingMode::Standby);
    } else if (code <= quint8(eAudioModeUserSetting::Rx3Fm)) {
        UserSettingInt::Set(eOperatingMode::Search);
        AudioModeUserSetting().Set(eAudioModeUserSetting(code));
    } else if (code >= kHeadAmbientFirst && code <= kHeadAmbientLast) {
        UserSettingInt::Set(eOperatingMode::Ambient);
    } else if (code == kHeadEcho) {
        UserSettingInt::Set(eOperatingMode::Echo);
    } else if (code == kHeadCw) {
        UserSettingInt::Set(eOperatingMode::CW);
    }
}

quint8 OperatingModeUserSetting::GetValueMappedToMasterOpModeValue() const
{
    switch (eOperatingMode(Get())) {
    case eOperatingMode::Standby:
        return kHeadStandby;
    case eOperatingMode::Ambient:
        return kHeadAmbientFirst;
    case eOperatingMode::CW:
        qDebug() << "TODO ERROR:  TODO:  CW? What to do?";
        return AudioModeUserSetting().GetValueMappedToMasterOpMode();
    case eOperatingMode::Echo:
        return kHeadEcho;
    case eOperatingMode::Search:
        return AudioModeUserSetting().GetValueMappedToMasterOpMode();
    }
    return kHeadStandby;
}
