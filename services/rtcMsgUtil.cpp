#include "services/rtcMsgUtil.h"

#include "services/bcd.h"

namespace {
unsigned char byteAt(const QByteArray& body, int i)
{
    return i < body.size() ? static_cast<unsigned char>(body.at(i)) : 0;
}

int hourFrom(unsigned char hourByte)
{
    const bool twelveHourForm = hourByte & 0x40;
    if (!twelveHourForm)
        return BCDToBin(hourByte & 0x3F);
    const int hour = BCDToBin(hourByte & 0x1F);
    const bool pm = hourByte & 0x20;
    if (hour == 12)
        return pm ? 12 : 0;
    return pm ? hour + 12 : hour;
}
} // namespace

QDateTime RtcMsgUtilParseDateTimeFromRtcMsgBody(const QByteArray& body)
{
    if (body.isEmpty())
        return QDateTime();
    const QDate date(2000 + BCDToBin(byteAt(body, 6)), BCDToBin(byteAt(body, 5)),
                     BCDToBin(byteAt(body, 4)));
    const QTime time(hourFrom(byteAt(body, 2)), BCDToBin(byteAt(body, 1)),
                     BCDToBin(byteAt(body, 0) & 0x7F));
    return QDateTime(date, time, Qt::LocalTime);
}
