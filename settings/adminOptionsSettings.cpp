#include "settings/adminOptionsSettings.h"

#include "bus/deviceMsgs.h"

AdminOptionsSettings::AdminOptionsSettings()
    : UserSettingInt(QStringLiteral("userSettings/adminOptions"), 0x2003, {0, 0xFFFF})
{}

bool AdminOptionsSettings::Accepts(qint64 value) const
{
    return UserSettingInt::Accepts(value) && (value & ~qint64(kKnownBits)) == 0;
}

void AdminOptionsSettings::Set(unsigned short value)
{
    StoreAndSend<SetAdminOptionsMsg, quint16>(value);
}
