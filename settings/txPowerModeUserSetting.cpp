#include "settings/txPowerModeUserSetting.h"

#include "bus/settingMsgs.h"

TxPowerModeUserSetting::TxPowerModeUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/txPowerMode"), eTxPowerModeUserSetting::Auto,
                     {0, 1})
{}

void TxPowerModeUserSetting::Set(eTxPowerModeUserSetting value)
{
    StoreAndSend<SetTxPowerModeMsg>(value);
}
