#pragma once

#include "bus/quarnBusMsg.h"

#include <QDateTime>

// RTC read: the empty request to the battery board and its 7-byte BCD answer.
class RtcGetDateTimeMsg : public QuarnBusMsg
{
public:
    RtcGetDateTimeMsg() : QuarnBusMsg(eRtcGetDateTimeMsg, BusId::Bbm) {}
    explicit RtcGetDateTimeMsg(const QByteArray& frame) : QuarnBusMsg(frame) {}
    // A received message as the bus broadcasts it.
    explicit RtcGetDateTimeMsg(const QuarnBusMsg& msg) : QuarnBusMsg(msg) {}

    QDateTime GetDateTime() const;
    // Bit 7 of the seconds byte: the clock's oscillator stopped at some time.
    bool DidOscillatorStop() const { return bodyByte(0) & 0x80; }
};
