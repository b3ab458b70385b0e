#pragma once

// The head's operating settings: one-byte changes, queries and their answers.

#include "bus/msgShapes.h"

// Body: operating mode: 6 auto scan, 7 TX1, 8 RX2, 9 RX3 scan, 0xFF normal search, or a mapped
// setting value.
class SetOperatingModeMsg : public ByteSettingMsg<eSetOperatingModeMsg>
{
public:
    static constexpr quint8 kNormalSearch = 0xFF;
    using ByteSettingMsg::ByteSettingMsg;
};

class SetPowerLevelMsg : public ByteSettingMsg<eSetPowerLevelMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetTxPowerModeMsg : public ByteSettingMsg<eSetTxPowerModeMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetFreqModeMsg : public ByteSettingMsg<eSetFreqModeMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

// Body: volume with bit 7 set while muted.
class SetVolumeMsg : public ByteSettingMsg<eSetVolumeMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetAudioOutputMsg : public ByteSettingMsg<eSetAudioOutputMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetDspGainLevelMsg : public ByteSettingMsg<eSetDspGainLevelMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetTripLevelMsg : public ByteSettingMsg<eSetTripLevelMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetTargetHapticMsg : public ByteSettingMsg<eSetTargetHapticMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetHeadlightMsg : public ByteSettingMsg<eSetHeadlightMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetStandbyTimeMsg : public ByteSettingMsg<eSetStandbyTimeMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetAutoOffMsg : public ByteSettingMsg<eSetAutoOffMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

// Body: region or model code.
class SetCountryMsg : public ByteSettingMsg<eSetCountryMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetBrightnessMsg : public ByteSettingMsg<eSetBrightnessMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

class SetToneStyleMsg : public ByteSettingMsg<eSetToneStyleMsg>
{
public:
    using ByteSettingMsg::ByteSettingMsg;
};

// Body: frequency value, unsigned 32-bit, low byte first.
class SetFreqValueMsg : public QuarnBusMsg
{
public:
    explicit SetFreqValueMsg(quint32 value) : QuarnBusMsg(eSetFreqValueMsg, BusId::Mst)
    {
        appendLe32(body, value);
    }
};

// Body: 1 if the start-up parameters are to be loaded, else 0; then 0xFF.
class SetUflagsMsg : public QuarnBusMsg
{
public:
    explicit SetUflagsMsg(bool startupParameters) : QuarnBusMsg(eSetUflagsMsg, BusId::Mst)
    {
        body.append(char(startupParameters ? 1 : 0));
        body.append(char(0xFF));
    }
};

// A key of the on-screen keypad: the key code rides in param (0 = released), no body.
class SetKeyPressEventMsg : public QuarnBusMsg
{
public:
    explicit SetKeyPressEventMsg(quint8 keyCode = 0)
        : QuarnBusMsg(eSetKeyPressEventMsg, BusId::Mst, char(keyCode))
    {}
};

// Body: 0x00, the head leaves keypad control.
class SetKeypadExitMsg : public ByteSettingMsg<eSetKeypadExitMsg>
{
public:
    static constexpr quint8 kExit = 0x00;
    SetKeypadExitMsg() : ByteSettingMsg(kExit) {}
    using ByteSettingMsg::ByteSettingMsg;
};

// Zone record query: param = region or model index.
class GetZoneMsg : public MstQueryMsg<eGetZoneMsg>
{
public:
    using MstQueryMsg::MstQueryMsg;
};

class GetZoneListMsg : public MstQueryMsg<eGetZoneListMsg>
{
public:
    using MstQueryMsg::MstQueryMsg;
};

class GetFreqValueMsg : public MstQueryMsg<eGetFreqValueMsg>
{
public:
    using MstQueryMsg::MstQueryMsg;
};

class GetCountryMsg : public MstQueryMsg<eGetCountryMsg>
{
public:
    using MstQueryMsg::MstQueryMsg;
};

class GetSysInformationMsg : public MstQueryMsg<eGetSysInformationMsg>
{
public:
    using MstQueryMsg::MstQueryMsg;
};

class GetUflagsMsg : public MstQueryMsg<eGetUflagsMsg>
{
public:
    using MstQueryMsg::MstQueryMsg;
};

class GetOperatingModeMsgResp : public SettingAnswerMsg<eGetOperatingModeMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetPowerLevelMsgResp : public SettingAnswerMsg<eGetPowerLevelMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetTxPowerModeMsgResp : public SettingAnswerMsg<eGetTxPowerModeMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetFreqModeMsgResp : public SettingAnswerMsg<eGetFreqModeMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetVolumeMsgResp : public SettingAnswerMsg<eGetVolumeMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetAudioOutputMsgResp : public SettingAnswerMsg<eGetAudioOutputMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetDspGainLevelMsgResp : public SettingAnswerMsg<eGetDspGainLevelMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetTripLevelMsgResp : public SettingAnswerMsg<eGetTripLevelMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetHeadlightMsgResp : public SettingAnswerMsg<eGetHeadlightMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetStandbyTimeMsgResp : public SettingAnswerMsg<eGetStandbyTimeMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetAutoOffMsgResp : public SettingAnswerMsg<eGetAutoOffMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

// The value is the region code.
class GetCountryMsgResp : public SettingAnswerMsg<eGetCountryMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetBrightnessMsgResp : public SettingAnswerMsg<eGetBrightnessMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetToneStyleMsgResp : public SettingAnswerMsg<eGetToneStyleMsgResp>
{
public:
    using SettingAnswerMsg::SettingAnswerMsg;
};

class GetUflagsMsgResp : public HeadAnswerMsg<eGetUflagsMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
    // Byte 0 bit 0: power on with the internal profile.
    bool startsWithInternalProfile() const { return bodyByte(0) & 0x01; }
};
