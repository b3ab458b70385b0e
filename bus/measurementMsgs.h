#pragma once

// Measurement traffic: results, ambient scan data, FFT blocks, frequency range, zones and
// the head's system information. Consumers decode the bodies.

#include "bus/msgShapes.h"

// Result request to RAD; the head normally sends results on its own.
class QuarnGetResultRequestMsg : public QuarnBusMsg
{
public:
    QuarnGetResultRequestMsg() : QuarnBusMsg(eQuarnGetResultRequestMsg, BusId::Rad) {}
};

// Result record: transmit power, 2nd and 3rd harmonic levels.
class QuarnGetResultResponseMsg : public HeadAnswerMsg<eQuarnGetResultResponseMsg>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};

// Mode, channel, then one ambient level per scan step.
class QuarnGetAmbientResponseMsg : public HeadAnswerMsg<eQuarnGetAmbientResponseMsg>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
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

// Lower and upper frequency, base and step count of the band.
class GetFreqValueMsgResp : public HeadAnswerMsg<eGetFreqValueMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
    quint32 frequencyHz() const { return le32At(*this, 0); }
};

class GetFreqRangeMsgResp : public HeadAnswerMsg<eGetFreqRangeMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};

// Options word and head type.
class GetSysInformationMsgResp : public HeadAnswerMsg<eGetSysInformationMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};

// Zone record of the region or model named in param.
class GetZoneMsgResp : public HeadAnswerMsg<eGetZoneMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};

// The list of zones, with the current zone in param.
class GetZoneListMsgResp : public HeadAnswerMsg<eGetZoneListMsgResp>
{
public:
    using HeadAnswerMsg::HeadAnswerMsg;
};
