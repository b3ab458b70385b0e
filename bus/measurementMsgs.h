#pragma once

// Measurement traffic: results, ambient scan data, FFT blocks, frequency range, zones and
// the head's system information. The answers decode their bodies here; a byte beyond a
// short body reads as 0.

#include "bus/msgShapes.h"

// Result request to RAD; the head normally sends results on its own.
class QuarnGetResultRequestMsg : public QuarnBusMsg
{
public:
    QuarnGetResultRequestMsg() : QuarnBusMsg(eQuarnGetResultRequestMsg, BusId::Rad) {}
};

// Result record: transmit power, 2nd and 3rd harmonic levels (byte 48 is not used).
class QuarnGetResultResponseMsg : public HeadAnswerMsg<eQuarnGetResultResponseMsg>
{
public:
    static constexpr int kTxPowerByte = 47;
    static constexpr int kHarmonic2ndByte = 49;
    static constexpr int kHarmonic3rdByte = 50;

    using HeadAnswerMsg::HeadAnswerMsg;
    quint8 txPower() const { return bodyByte(kTxPowerByte); }
    quint8 harmonic2nd() const { return bodyByte(kHarmonic2ndByte); }
    quint8 harmonic3rd() const { return bodyByte(kHarmonic3rdByte); }
};

// Mode, channel, then one ambient level per scan step.
class QuarnGetAmbientResponseMsg : public HeadAnswerMsg<eQuarnGetAmbientResponseMsg>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
    // Mode and channel are there; without them the record holds nothing.
    bool hasHeader() const { return body.size() >= 2; }
    quint8 mode() const { return bodyByte(0); }
    quint8 channel() const { return bodyByte(1); }
    int levelCount() const { return qMax(0, body.size() - 2); }
    quint8 level(int step) const { return bodyByte(2 + step); }
};

// Asks RAD for one correlated FFT block: body 2 = 2nd harmonic, 3 = 3rd harmonic.
class FftCorrelatedDataRequestMsg : public QuarnBusMsg
{
public:
    explicit FftCorrelatedDataRequestMsg(quint8 harmonic)
        : QuarnBusMsg(eFftCorrelatedDataRequestMsg, BusId::Rad)
    {
        body.append(char(harmonic));
    }
};

// One of the sixteen pieces of a 4096-byte block of 512 complex values.
class FftCorrelatedDataRespMsg : public HeadAnswerMsg<eFftCorrelatedDataRespMsg>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};

// The head's transmit frequency.
class GetFreqValueMsgResp : public HeadAnswerMsg<eGetFreqValueMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
    quint32 frequencyHz() const { return le32At(*this, 0); }
};

// The limits of a band, shared by the range and the zone record.
template <QuarnBusMsgType Type> class BandLimitsMsg : public HeadAnswerMsg<Type>
{
public:
    using HeadAnswerMsg<Type>::HeadAnswerMsg;
    quint32 lowerHz() const { return le32At(*this, 0); }
    quint32 upperHz() const { return le32At(*this, 4); }
};

// Lower and upper frequency, base and step count of the band.
class GetFreqRangeMsgResp : public BandLimitsMsg<eGetFreqRangeMsgResp>
{
public:
    using BandLimitsMsg::BandLimitsMsg;
    quint16 baseMHz() const { return le16At(*this, 8); } // of bar 0
    quint8 steps() const { return bodyByte(10); }
};

// Options word (bytes 2 and 3) and what tells the head type (HomeScreen).
class GetSysInformationMsgResp : public HeadAnswerMsg<eGetSysInformationMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
    quint16 options() const { return le16At(*this, 2); }
};

// Zone record of the region or model named in param.
class GetZoneMsgResp : public BandLimitsMsg<eGetZoneMsgResp>
{
public:
    // Flag bit: a narrow marker on the scan, and no spectral display.
    static constexpr quint8 kNarrowZone = 0x04;

    using BandLimitsMsg::BandLimitsMsg;
    quint32 stepHz() const { return le32At(*this, 8); }
    quint8 flags() const { return bodyByte(13); }
    bool isNarrow() const { return flags() & kNarrowZone; }
    quint16 baseMHz() const { return le16At(*this, 14); }             // of bar 0
    quint8 steps() const { return quint8(le16At(*this, 16) & 0xFF); } // a 16-bit field
};

// The list of zones, with the current zone in param.
class GetZoneListMsgResp : public HeadAnswerMsg<eGetZoneListMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};
