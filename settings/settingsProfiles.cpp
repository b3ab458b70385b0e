#include "settings/settingsProfiles.h"

#include "board/board.h"
#include "settings/adminOptionsSettings.h"
#include "settings/profileFile.h"
#include "settings/settingsCatalogue.h"
#include "settings/userSettingsStore.h"

#include <QDebug>
#include <QFile>
#include <QSettings>
#include <QTemporaryFile>

namespace {

void importCheckedValues(UserSettingsStore& store, const QSettings& profile, const QString& path)
{
    // A hand-edited or foreign profile must not reach the head with values the head or the
    // screens cannot take: such a value keeps the current one.
    if (profile.contains(QLatin1String(UserSettingsStore::kInitFileKey)))
        store.setValue(QLatin1String(UserSettingsStore::kInitFileKey),
                       profile.value(QLatin1String(UserSettingsStore::kInitFileKey)));
    for (const auto& setting : AllUserSettings()) {
        // The feature bits come from the head alone; a profile keeps them only as a record.
        if (dynamic_cast<const AdminOptionsSettings*>(setting.get()))
            continue;
        const QString& key = setting->Key();
        const QVariant value = profile.value(key);
        bool isNumber = false;
        const qint64 number = value.toString().trimmed().toLongLong(&isNumber);
        if (isNumber && setting->Accepts(number)) {
            store.setValue(key, value);
            UserSettingsStore::NoteValuesChanged();
            continue;
        }
        QDebug line = qDebug().noquote() << "Profile" << path;
        if (value.isValid())
            line << key << QLatin1Char('"') + value.toString() + QLatin1Char('"') << "refused,";
        else
            line << "has no" << key << "-";
        line << "keeping" << setting->StoredValue();
    }
}

} // namespace

namespace SettingsProfiles {

eProfileImport Import(UserSettingsStore& store, const QString& path)
{
    // QSettings reads a file whole and follows links: the file is read here, without
    // following a link and only up to a profile's size (a profile is under 1 kB), and
    // parsed from a private copy.
    eProfileImport result = eProfileImport::Unreadable;
    QByteArray content;
    QTemporaryFile copy;
    switch (ProfileFile::Read(path, kMaxProfileBytes, &content)) {
    case ProfileFile::ReadResult::Missing:
        qDebug().noquote() << "Profile" << path << "not found";
        result = eProfileImport::Missing;
        break;
    case ProfileFile::ReadResult::Refused:
        qDebug().noquote() << "Profile" << path << "refused: not a profile file";
        break;
    case ProfileFile::ReadResult::Read:
        if (copy.open() && copy.write(content) == content.size() && copy.flush()) {
            copy.close();
            importCheckedValues(store, QSettings(copy.fileName(), QSettings::IniFormat), path);
            result = eProfileImport::Recalled;
        } else {
            qDebug().noquote() << "Profile" << path << "not read:" << copy.errorString();
        }
        break;
    }
    store.sync();
    return result;
}

bool Export(UserSettingsStore& store, const QString& path)
{
    // The profile is put together in a private copy and then replaces the old file in one
    // step: a full or read-only card, or a card pulled mid-write, leaves the old profile
    // whole and the export reports the failure.
    const auto failed = [&path](const QString& why) {
        qDebug().noquote() << "Profile" << path << "not saved:" << why;
        return false;
    };
    QByteArray oldProfile;
    if (ProfileFile::Read(path, kMaxProfileBytes, &oldProfile) == ProfileFile::ReadResult::Refused)
        return failed(QStringLiteral("not a profile file"));
    QTemporaryFile scratch;
    if (!scratch.open() || scratch.write(oldProfile) != oldProfile.size() || !scratch.flush())
        return failed(scratch.errorString());
    scratch.close();

    QSettings profile(scratch.fileName(), QSettings::IniFormat);
    const QStringList keys = store.allKeys();
    for (const QString& key : keys)
        profile.setValue(key, store.value(key));
    profile.sync();
    QFile built(scratch.fileName());
    if (profile.status() != QSettings::NoError || !built.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("cannot build it"));

    QString why;
    if (!ProfileFile::Replace(path, built.readAll(), &why))
        return failed(why);
    // A profile on the card must be on the card before the card can be pulled.
    Board::Get().SyncFileSystems();
    return true;
}

bool IsReadable(const QString& path)
{
    QByteArray content;
    return ProfileFile::Read(path, kMaxProfileBytes, &content) == ProfileFile::ReadResult::Read;
}

} // namespace SettingsProfiles
