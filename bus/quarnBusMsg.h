#pragma once

#include <QByteArray>
#include <QMetaType>

// Bus ids of the devices on the serial line.
namespace BusId {
constexpr char Tsc = 0x45; // this controller
constexpr char Bbm = 0x46;
constexpr char Key = 0x47;
constexpr char Mst = 0x48;
constexpr char Hcc = 0x4A;
constexpr char Rad = 0x4B;
} // namespace BusId

// Message type codes. A request with code c is answered with c + 1; the query and the
// change of one head setting use neighbouring even codes and share one answer class
// ("...ToSet" names the answer to the change). Device-level codes 17..32 answer with
// the same code.
enum QuarnBusMsgType : int
{
    eStatusRequestMsg = 0,
    eGetSelectIdMsg = 1,
    eSetAdminOptionsMsg = 2,
    eGetAdminOptionsMsgResp = 3,
    eGetPingMsg = 17,
    eMasterResetRequest = 18,
    eGetSmbMsg = 19,
    eSetBBMFlashMsg = 20,
    eSetLEDFlashMsg = 21,
    eRtcSetDateTimeMsg = 22,
    eRtcGetDateTimeMsg = 23,
    eSetEepromMsg = 32,
    eGetOperatingModeMsgResp = 33,
    eSetOperatingModeMsg = 34,
    eGetOperatingModeMsgRespToSet = 35,
    eGetPowerLevelMsgResp = 37,
    eSetPowerLevelMsg = 38,
    eGetPowerLevelMsgRespToSet = 39,
    eGetTxPowerModeMsgResp = 41,
    eSetTxPowerModeMsg = 42,
    eGetTxPowerModeMsgRespToSet = 43,
    eGetFreqModeMsgResp = 45,
    eSetFreqModeMsg = 46,
    eGetFreqModeMsgRespToSet = 47,
    eGetFreqValueMsg = 48,
    eGetFreqValueMsgResp = 49,
    eSetFreqValueMsg = 50,
    eGetFreqValueMsgRespToSet = 51,
    eGetFreqRangeMsgResp = 53,
    eGetFreqRangeMsgRespToSet = 55,
    eGetVolumeMsgResp = 61,
    eSetVolumeMsg = 62,
    eGetVolumeMsgRespToSet = 63,
    eGetAudioOutputMsgResp = 69,
    eSetAudioOutputMsg = 70,
    eGetAudioOutputMsgRespToSet = 71,
    eGetDspGainLevelMsgResp = 73,
    eSetDspGainLevelMsg = 74,
    eGetDspGainLevelMsgRespToSet = 75,
    eGetTripLevelMsgResp = 81,
    eSetTripLevelMsg = 82,
    // Same code as the trip level; the destination (KEY) tells them apart.
    eQuarnActivateHapticRequest = eSetTripLevelMsg,
    eGetTripLevelMsgRespToSet = 83,
    eSetTargetHapticMsg = 86,
    eSetTargetHapticMsgAck = 87,
    eGetHeadlightMsgResp = 89,
    eSetHeadlightMsg = 90,
    eGetHeadlightMsgRespToSet = 91,
    eGetStandbyTimeMsgResp = 93,
    eSetStandbyTimeMsg = 94,
    eGetStandbyTimeMsgRespToSet = 95,
    eSetAutoOffMsg = 98,
    eGetAutoOffMsgResp = 99,
    eGetCountryMsg = 100,
    eGetCountryMsgResp = 101,
    eSetCountryMsg = 102,
    eGetCountryMsgRespToSet = 103,
    eSetKeyPressEventMsg = 106,
    eSetKeyPressEventMsgAck = 107,
    eGetSysInformationMsg = 108,
    eGetSysInformationMsgResp = 109,
    eFftCorrelatedDataRequestMsg = 112,
    eFftCorrelatedDataRespMsg = 113,
    eLoadUserSettingsMsg = 116,
    eLoadUserSettingsMsgResp = 117,
    eSaveUserSettingsMsg = 118,
    eSaveUserSettingsMsgAck = 119,
    eGetSystemDataMsg = 120,
    eGetSystemDataMsgResp = 121,
    eSetSystemDataMsg = 122,
    eGetSystemDataMsgRespToSet = 123,
    eGetBrightnessMsgResp = 125,
    eSetBrightnessMsg = 126,
    eGetBrightnessMsgRespToSet = 127,
    eGetToneStyleMsgResp = 129,
    eSetToneStyleMsg = 130,
    eGetToneStyleMsgRespToSet = 131,
    eGetUflagsMsg = 140,
    eGetUflagsMsgResp = 141,
    eSetUflagsMsg = 142,
    eGetUflagsMsgRespToSet = 143,
    eQuarnGetAmbientResponseMsg = 145,
    eQuarnGetResultRequestMsg = 148,
    eQuarnGetResultResponseMsg = 149,
    eBusSendGateMsg = 153,
    eSetKeypadExitMsg = 154,
    eSetKeypadExitMsgAck = 155,
    eGetZoneMsg = 156,
    eGetZoneMsgResp = 157,
    eGetZoneListMsg = 160,
    eGetZoneListMsgResp = 161,
};

// One bus frame as a value. Derived message classes only name the type and add typed
// construction and accessors; slicing one to this class loses nothing.
class QuarnBusMsg
{
public:
    static constexpr char kSync0 = char(0x82);
    static constexpr char kSync1 = char(0x8A);
    static constexpr int kHeaderSize = 8;
    static constexpr int kOverhead = 10; // header plus checksum

    QuarnBusMsg() = default;
    QuarnBusMsg(QuarnBusMsgType type, char destId, char param = 0, QByteArray body = {});
    // Parses a complete received frame; missing bytes of a short frame read as 0.
    explicit QuarnBusMsg(const QByteArray& frame);

    // The wire frame, sent with this controller's bus id as source.
    virtual QByteArray serialize() const;
    // The same frame with any source id: the simulated head speaks for five devices.
    QByteArray serializeFrom(char srcId) const;

    // Byte i of the body as unsigned, 0 beyond its end.
    quint8 bodyByte(int i) const;

    QuarnBusMsgType type = eStatusRequestMsg;
    quint8 destId = 0;
    quint8 param = 0;
    quint8 srcId = 0;
    QByteArray body;
};

// Additive checksum over header and body (the bytes after the sync pair), modulo 65536.
quint16 quarnChecksum(const char* data, int size);

Q_DECLARE_METATYPE(QuarnBusMsg)
