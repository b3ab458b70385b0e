#include "settings/regionUserSetting.h"

#include "bus/settingMsgs.h"

RegionUserSetting::RegionUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/region"), eRegion::UsaFcc, {0, 255})
{}

void RegionUserSetting::Set(eRegion value)
{
    UserSettingInt::Set(value);
    const quint8 code = quint8(Get());
    QuarnBus* bus = QuarnBus::Get();
    bus->sendMsg(SetCountryMsg(code));
    bus->sendMsg(GetZoneMsg(code));
    bus->sendMsg(GetSysInformationMsg());
}
