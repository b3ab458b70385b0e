#pragma once

#include <QMetaType>

// The codes with which the setup pages select a subscreen.
enum SetupSubScreenT : int
{
    eAudioModesSub = 3,
    eFreqModeSub = 4,
    eTxPowerModeSub = 5,
    eVolumeMuteSub = 6,
    eAutoPowerOffSub = 7,
    eStandbyTimeSub = 8,
    eDspGainSub = 9,
    eVibrateSub = 10,
    eBrightnessSub = 11,
    eHeadlightSub = 12,
    eDateAndTimeSub = 13,
    eRegionSub = 14,
    eUserSettingsSub = 15,
    eToolsSub = 16,
    eInformationSub = 17,
    ePowerOnScreenSub = 19,
    eChartTimeSub = 20,
    eToneStyleSub = 21,
};
Q_DECLARE_METATYPE(SetupSubScreenT)
