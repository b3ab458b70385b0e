#include "settings/adminOptionsSettings.h"

#include "bus/deviceMsgs.h"

AdminOptionsSettings::AdminOptionsSettings()
    : UserSettingInt(QStringLiteral("userSettings/adminOptions"), 0x2003)
{}

void AdminOptionsSettings::Set(unsigned short value)
{
    StoreAndSend<SetAdminOptionsMsg, quint16>(value);
}
