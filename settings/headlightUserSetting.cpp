#include "settings/headlightUserSetting.h"

#include "bus/settingMsgs.h"

HeadlightUserSetting::HeadlightUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/headlight"), eHeadlightUserSetting::Off, {0, 1})
{}

void HeadlightUserSetting::Set(eHeadlightUserSetting value)
{
    if (StoreAndCheckChanged(value))
        QuarnBus::Get()->sendMsg(SetHeadlightMsg(quint8(value)));
}

void HeadlightUserSetting::Toggle()
{
    switch (eHeadlightUserSetting(Get())) {
    case eHeadlightUserSetting::Off:
        Set(eHeadlightUserSetting::On);
        break;
    case eHeadlightUserSetting::On:
        Set(eHeadlightUserSetting::Off);
        break;
    }
}
