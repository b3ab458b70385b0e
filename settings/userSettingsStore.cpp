#include "settings/userSettingsStore.h"

#include "board/board.h"

void UserSettingsStore::Configure()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Board::Get().SettingsRoot());
}

QString UserSettingsStore::FileName()
{
    return UserSettingsStore().fileName();
}

UserSettingsStore::UserSettingsStore()
    : QSettings(QSettings::NativeFormat, QSettings::UserScope, QLatin1String(kOrganisation),
                QLatin1String(kApplication))
{
    // The store is this one file: keys of system-wide or organisation-wide files would
    // otherwise leak into reads and profile exports.
    setFallbacksEnabled(false);
}
