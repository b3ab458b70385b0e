#pragma once

// The system data block (all of the head's operating settings in one body) and the
// head-side store of user settings.

#include "bus/msgShapes.h"

// Layout of the system data block: all of the head's operating settings in one 28-byte
// body, multi-byte values little-endian. Offsets not named here are reserved and sent as 0.
// The settings side builds the block from the store (settings/systemDataBlock.h).
namespace SystemDataBlock {
constexpr int kSize = 28;
constexpr char kSignature[] = "VEK0";

constexpr int kOperatingMode = 4; // head operating-mode code
constexpr int kFreqMode = 5;
constexpr int kPowerLevel = 6;
constexpr int kTxPowerMode = 7;
constexpr int kFrequency = 8; // 4 bytes
constexpr int kAudioSource = 12;
constexpr int kDspGainLevel = 13;
constexpr int kVolumeMute = 15; // bits 0 to 6 volume, bit 7 mute
constexpr int kTripLevel = 16;
constexpr int kBrightness = 17;
constexpr int kHeadlight = 19;
constexpr int kTargetHaptic = 20; // 0 no vibration on target, else the pulse width
constexpr int kStandbyTime = 21;
constexpr int kAutoPowerOff = 22;
constexpr int kToneStyle = 25;
constexpr int kFlags = 26; // bit 0: power on with the internal profile
constexpr int kRegion = 27;

constexpr quint8 kVolumeBits = 0x7F;
constexpr quint8 kFlagStartupInternal = 0x01;
} // namespace SystemDataBlock

class GetSystemDataMsg : public MstQueryMsg<eGetSystemDataMsg>
{
public:
    using MstQueryMsg::MstQueryMsg;
};

class SetSystemDataMsg : public QuarnBusMsg
{
public:
    static constexpr int kBlockSize = SystemDataBlock::kSize;
    // The whole block read from the live settings store (built by the settings side).
    SetSystemDataMsg();
    // The block as given, e.g. built by the settings service from the store.
    explicit SetSystemDataMsg(const QByteArray& block)
        : QuarnBusMsg(eSetSystemDataMsg, BusId::Mst, 0, block)
    {}
};

// The block as the head holds it. A short block reads 0 where it ends, which also covers
// a frequency cut short; where that 0 would mean something, the has...() tell.
class GetSystemDataMsgResp : public HeadAnswerMsg<eGetSystemDataMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;

    bool hasOperatingMode() const { return body.size() > SystemDataBlock::kOperatingMode; }
    quint8 operatingMode() const { return bodyByte(SystemDataBlock::kOperatingMode); }
    quint8 freqMode() const { return bodyByte(SystemDataBlock::kFreqMode); }
    quint8 powerLevel() const { return bodyByte(SystemDataBlock::kPowerLevel); }
    quint8 txPowerMode() const { return bodyByte(SystemDataBlock::kTxPowerMode); }
    quint32 frequencyHz() const { return le32At(*this, SystemDataBlock::kFrequency); }
    quint8 audioSource() const { return bodyByte(SystemDataBlock::kAudioSource); }
    quint8 dspGainLevel() const { return bodyByte(SystemDataBlock::kDspGainLevel); }
    quint8 volumeMute() const { return bodyByte(SystemDataBlock::kVolumeMute); }
    quint8 volume() const { return volumeMute() & SystemDataBlock::kVolumeBits; }
    quint8 tripLevel() const { return bodyByte(SystemDataBlock::kTripLevel); }
    quint8 brightness() const { return bodyByte(SystemDataBlock::kBrightness); }
    quint8 headlight() const { return bodyByte(SystemDataBlock::kHeadlight); }
    quint8 targetHaptic() const { return bodyByte(SystemDataBlock::kTargetHaptic); }
    quint8 standbyTime() const { return bodyByte(SystemDataBlock::kStandbyTime); }
    quint8 autoPowerOff() const { return bodyByte(SystemDataBlock::kAutoPowerOff); }
    quint8 toneStyle() const { return bodyByte(SystemDataBlock::kToneStyle); }
    bool startsWithInternalProfile() const
    {
        return body.size() > SystemDataBlock::kFlags &&
               (bodyByte(SystemDataBlock::kFlags) & SystemDataBlock::kFlagStartupInternal) != 0;
    }
    quint8 region() const { return bodyByte(SystemDataBlock::kRegion); }
};

// param 1 = load the head's stored user settings, 2 = restore the defaults.
class LoadUserSettingsMsg : public MstQueryMsg<eLoadUserSettingsMsg>
{
public:
    static constexpr quint8 kLoadStored = 1;
    static constexpr quint8 kRestoreDefaults = 2;
    using MstQueryMsg::MstQueryMsg;
};

class LoadUserSettingsMsgResp : public HeadAnswerMsg<eLoadUserSettingsMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};

class SaveUserSettingsMsg : public MstQueryMsg<eSaveUserSettingsMsg>
{
public:
    using MstQueryMsg::MstQueryMsg;
};
