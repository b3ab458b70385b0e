#include "settings/userSettingsStore.h"

#include "board/board.h"

namespace {
QString s_file;

// The store file for the organisation and application, in the folder set for them.
QString storeFile()
{
    if (s_file.isEmpty()) {
        s_file = QSettings(QSettings::NativeFormat, QSettings::UserScope,
                           QLatin1String(UserSettingsStore::kOrganisation),
                           QLatin1String(UserSettingsStore::kApplication))
                     .fileName();
    }
    return s_file;
}
} // namespace

void UserSettingsStore::Configure()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Board::Get().SettingsRoot());
    s_file.clear();
}

QString UserSettingsStore::FileName()
{
    return storeFile();
}

// Opened by its file name, the store is this one file: a handle for the organisation and
// application would also check the system-wide and organisation-wide files on every
// opening, and every setting read opens a handle.
UserSettingsStore::UserSettingsStore() : QSettings(storeFile(), QSettings::NativeFormat) {}
