#include "settings/modelUserSetting.h"

#include "bus/settingMsgs.h"

ModelUserSetting::ModelUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/model"), Model::QuarnHp, {0, 255})
{}

void ModelUserSetting::Set(Model value)
{
    UserSettingInt::Set(value);
    const quint8 code = quint8(Get());
    QuarnBus* bus = QuarnBus::Get();
    bus->sendMsg(SetCountryMsg(code));
    bus->sendMsg(GetZoneMsg(code));
}
