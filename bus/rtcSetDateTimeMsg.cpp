#include "bus/rtcSetDateTimeMsg.h"

#include "services/bcd.h"
#include "services/rtcMsgUtil.h"

RtcSetDateTimeMsg::RtcSetDateTimeMsg(const QDateTime& dateTime, char destId)
    : QuarnBusMsg(eRtcSetDateTimeMsg, destId)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    body.reserve(7);
    body.append(char(BinToBCD(time.second())));
    body.append(char(BinToBCD(time.minute())));
    body.append(char(BinToBCD(time.hour())));
    body.append(char(BinToBCD(date.dayOfWeek())));
    body.append(char(BinToBCD(date.day())));
    body.append(char(BinToBCD(date.month())));
    body.append(char(BinToBCD(date.year() % 100)));
}

QDateTime RtcSetDateTimeMsg::GetDateTime() const
{
    return RtcMsgUtilParseDateTimeFromRtcMsgBody(body);
}
