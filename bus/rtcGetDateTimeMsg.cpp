#include "bus/rtcGetDateTimeMsg.h"

#include "services/rtcMsgUtil.h"

QDateTime RtcGetDateTimeMsg::GetDateTime() const
{
    return RtcMsgUtilParseDateTimeFromRtcMsgBody(body);
}
