#pragma once

#include "bus/quarnBusMsg.h"

#include <QDateTime>

// RTC write: the request carries the new date and time as 7 BCD bytes, 24-hour form.
class RtcSetDateTimeMsg : public QuarnBusMsg
{
public:
    RtcSetDateTimeMsg(const QDateTime& dateTime, char destId);
    explicit RtcSetDateTimeMsg(const QByteArray& frame) : QuarnBusMsg(frame) {}
    // A received message as the bus broadcasts it.
    explicit RtcSetDateTimeMsg(const QuarnBusMsg& msg) : QuarnBusMsg(msg) {}

    QDateTime GetDateTime() const;
};
