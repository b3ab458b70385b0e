#include "settings/systemDataBlock.h"

#include "bus/systemDataMsgs.h"
#include "settings/audioSourceUserSetting.h"
#include "settings/autoPowerOffUserSetting.h"
#include "settings/brightnessUserSetting.h"
#include "settings/dspGainLevelUserSetting.h"
#include "settings/freqModeUserSetting.h"
#include "settings/freqValueUserSetting.h"
#include "settings/hapticUserSetting.h"
#include "settings/headlightUserSetting.h"
#include "settings/operatingModeUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/regionUserSetting.h"
#include "settings/standbyTimeUserSetting.h"
#include "settings/toneStyleUserSetting.h"
#include "settings/tripLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"
#include "settings/volumeUserSetting.h"

namespace SystemDataBlock {

QByteArray BuildFromCurrentSettings()
{
    QByteArray block(kSize, '\0');
    auto put = [&block](int offset, int value) { block[offset] = char(value & 0xFF); };

    block.replace(0, 4, kSignature, 4);
    put(kOperatingMode, OperatingModeUserSetting().GetValueMappedToMasterOpModeValue());
    put(kFreqMode, FreqModeUserSetting().Get());
    put(kPowerLevel, PowerLevelUserSetting().Get());
    put(kTxPowerMode, TxPowerModeUserSetting().Get());
    const quint32 frequency = FreqValueUserSetting().Get();
    for (int i = 0; i < 4; ++i)
        put(kFrequency + i, int(frequency >> (8 * i)));
    put(kAudioSource, AudioSourceUserSetting().Get());
    put(kDspGainLevel, DspGainLevelUserSetting().Get());
    put(kVolumeMute, GetVolumeMuteForMasterBasedOnCurrentSettings());
    put(kTripLevel, TripLevelUserSetting().Get());
    put(kBrightness, BrightnessUserSetting().Get());
    put(kHeadlight, HeadlightUserSetting().Get());
    put(kTargetHaptic, HapticUserSetting().GetMappedToMaster());
    put(kStandbyTime, StandbyTimeUserSetting().Get());
    put(kAutoPowerOff, AutoPowerOffUserSetting().Get());
    put(kToneStyle, ToneStyleUserSetting().Get());
    put(kRegion, RegionUserSetting().Get());
    return block;
}

} // namespace SystemDataBlock

SetSystemDataMsg::SetSystemDataMsg()
    : QuarnBusMsg(eSetSystemDataMsg, BusId::Mst, 0, SystemDataBlock::BuildFromCurrentSettings())
{}
