#pragma once

#include <QByteArray>
#include <QDateTime>

// Reads the 7-byte RTC body (both the get and the set answer): 12- or 24-hour form, the
// oscillator-stop bit masked off. Missing bytes read as 0; an empty body gives a null
// date-time.
QDateTime RtcMsgUtilParseDateTimeFromRtcMsgBody(const QByteArray& body);
