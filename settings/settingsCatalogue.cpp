#include "settings/settingsCatalogue.h"

#include "settings/adminOptionsSettings.h"
#include "settings/audioModeUserSetting.h"
#include "settings/audioSourceUserSetting.h"
#include "settings/autoPowerOffUserSetting.h"
#include "settings/brightnessUserSetting.h"
#include "settings/chartTimeUserSetting.h"
#include "settings/dspGainLevelUserSetting.h"
#include "settings/freqModeUserSetting.h"
#include "settings/freqValueUserSetting.h"
#include "settings/hapticPulseSetting.h"
#include "settings/hapticUserSetting.h"
#include "settings/headlightUserSetting.h"
#include "settings/modelUserSetting.h"
#include "settings/muteUserSetting.h"
#include "settings/operatingModeUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/powerOnScreenSetting.h"
#include "settings/regionUserSetting.h"
#include "settings/standbyTimeUserSetting.h"
#include "settings/startupParametersSetting.h"
#include "settings/toneStyleUserSetting.h"
#include "settings/tripLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"
#include "settings/volumeUserSetting.h"

namespace {
template <typename... Settings> std::vector<std::unique_ptr<UserSettingBase>> make()
{
    std::vector<std::unique_ptr<UserSettingBase>> all;
    all.reserve(sizeof...(Settings));
    (all.push_back(std::make_unique<Settings>()), ...);
    return all;
}
} // namespace

std::vector<std::unique_ptr<UserSettingBase>> AllUserSettings()
{
    return make<OperatingModeUserSetting, AudioModeUserSetting, FreqModeUserSetting,
                FreqValueUserSetting, PowerLevelUserSetting, TxPowerModeUserSetting,
                DspGainLevelUserSetting, TripLevelUserSetting, AudioSourceUserSetting,
                VolumeUserSetting, MuteUserSetting, ToneStyleUserSetting, HeadlightUserSetting,
                BrightnessUserSetting, StandbyTimeUserSetting, AutoPowerOffUserSetting,
                HapticUserSetting, HapticPulseSetting, ChartTimeUserSetting, PowerOnScreenSetting,
                StartupParametersSetting, RegionUserSetting, ModelUserSetting,
                AdminOptionsSettings>();
}
