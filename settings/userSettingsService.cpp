#include "settings/userSettingsService.h"

#include "board/board.h"
#include "bus/quarnBus.h"
#include "bus/systemDataMsgs.h"
#include "services/sdCardMonitor.h"
#include "settings/adminOptionsSettings.h"
#include "settings/hapticUserSetting.h"
#include "settings/powerOnScreenSetting.h"
#include "settings/profileFile.h"
#include "settings/settingsCatalogue.h"
#include "settings/systemDataBlock.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <QTimer>

namespace {
constexpr const char* kInitFileKey = "initFile";
constexpr const char* kInternalProfile = "vek_internal.ini";
} // namespace

UserSettingsService* UserSettingsService::Get()
{
    static UserSettingsService* const instance = new UserSettingsService;
    return instance;
}

UserSettingsService::UserSettingsService(QObject* parent) : QObject(parent)
{
    m_initialSyncTimer = new QTimer(this);
    m_initialSyncTimer->setObjectName(QStringLiteral("initialSyncRetryTimer"));
    m_initialSyncTimer->setSingleShot(true);
    m_initialSyncTimer->setInterval(kInitialSyncRetryMs);
    connect(m_initialSyncTimer, &QTimer::timeout, this, &UserSettingsService::InitialSyncRetry);

    m_fileChangeTimer = new QTimer(this);
    m_fileChangeTimer->setSingleShot(true);
    m_fileChangeTimer->setInterval(0);
    connect(m_fileChangeTimer, &QTimer::timeout, this,
            &UserSettingsService::SettingFileWatchChange);

    m_storeCheckTimer = new QTimer(this);
    m_storeCheckTimer->setSingleShot(true);
    m_storeCheckTimer->setInterval(0);
    connect(m_storeCheckTimer, &QTimer::timeout, this, &UserSettingsService::checkStoreWritten);
    // Settings are written from other threads too (the update worker lowers the output
    // power); the check runs on this one.
    UserSettingsStore::SetChangeHook(
        [this] { QMetaObject::invokeMethod(m_storeCheckTimer, qOverload<>(&QTimer::start)); });

    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &UserSettingsService::RxQuarnBusMsg);
    Refresh();
    m_initialSyncTimer->start();

    // Makes sure the store file exists, so that it can be watched.
    // This write also rewrites a damaged store whole from the values taken from it.
    m_store.setValue(QLatin1String(kInitFileKey), 1);
    m_store.sync();
    UserSettingsStore::TakeDamaged();
    Board::Get().SyncFileSystems();
    m_storeCheckTimer->start();

    connect(&m_fileWatcher, &QFileSystemWatcher::fileChanged, this,
            &UserSettingsService::onStoreFileChanged);
    connect(&m_fileWatcher, &QFileSystemWatcher::directoryChanged, this,
            &UserSettingsService::onStoreFolderChanged);
    m_fileWatcher.addPath(storeFolder());
    watchStoreFile();

    refreshCaches();
    rememberStore();
}

UserSettingsService::~UserSettingsService()
{
    UserSettingsStore::SetChangeHook(nullptr);
}

void UserSettingsService::checkStoreWritten()
{
    // A fresh handle: a handle's status stays at its first error.
    UserSettingsStore probe;
    probe.sync();
    if (probe.status() == QSettings::NoError) {
        m_storeWritable = true;
        return;
    }
    if (m_storeWritable) {
        m_storeWritable = false;
        qDebug().noquote() << "Settings store" << probe.fileName()
                           << "cannot be written: changes hold until the program ends";
        emit SettingsCannotBeSaved();
    }
    // No file change will announce it: the screens learn of it here.
    m_fileChangeTimer->start();
}

void UserSettingsService::rewriteIfDamaged()
{
    if (!UserSettingsStore::TakeDamaged())
        return;
    m_store.setValue(QLatin1String(kInitFileKey), 1);
    m_store.sync();
}

void UserSettingsService::Refresh()
{
    QuarnBus::Get()->sendMsg(GetSystemDataMsg());
}

void UserSettingsService::InitialSyncRetry()
{
    if (m_initialSyncDone)
        return;
    qDebug() << "Hit UserSettingsService::InitialSyncRetry()!";
    Refresh();
    m_initialSyncTimer->start();
}

void UserSettingsService::RxQuarnBusMsg(QuarnBusMsg msg)
{
    switch (msg.type) {
    case eGetTxPowerModeMsgResp:
    case eLoadUserSettingsMsgResp:
        Refresh();
        break;
    case eGetSystemDataMsgResp:
        ProcessSystemDataResp(msg);
        m_initialSyncDone = true;
        break;
    default:
        break;
    }
}

void UserSettingsService::ProcessSystemDataResp(const QuarnBusMsg& msg)
{
    const GetSystemDataMsgResp block(msg);
    decodeTargetHaptic(block.targetHaptic());

    m_headlight.SyncWithMasterValue(block.headlight());
    m_standbyTime.SyncWithMasterValue(block.standbyTime());
    m_autoPowerOff.SyncWithMasterValue(block.autoPowerOff());
    m_regionDecoding.SyncWithMasterValue(block.region());

    m_volume.SyncWithMasterValue(block.volume());
    m_mute.SyncWithMasterValue(block.volumeMute());

    m_audioSource.SyncWithMasterValue(block.audioSource());
    m_brightness.SyncWithMasterValue(block.brightness());
    m_dspGain.SyncWithMasterValue(block.dspGainLevel());
    m_freqMode.SyncWithMasterValue(block.freqMode());
    m_freqValue.SyncWithMasterValue(static_cast<unsigned int>(block.frequencyHz()));

    m_powerLevel.SyncWithMasterValue(block.powerLevel());
    m_tripLevel.SyncWithMasterValue(block.tripLevel());
    m_txPowerMode.SyncWithMasterValue(block.txPowerMode());
    m_toneStyle.SyncWithMasterValue(block.toneStyle());

    m_operatingMode.SyncWithMasterValue(block.operatingMode());

    m_startup.Set(block.startsWithInternalProfile() ? eStartParameterUserSetting::Internal
                                                    : eStartParameterUserSetting::Last);

    if (m_txPowerMode.Get() != m_cachedTxPowerMode)
        emit PowerModeSettingChanged();
    refreshCaches();
}

void UserSettingsService::decodeTargetHaptic(quint8 targetHaptic)
{
    m_pulseWidth.SyncWithMasterValue(targetHaptic);

    // The head knows only vibration on target; vibration on touch is kept as it was.
    HapticUserSetting haptic;
    const auto mode = eHapticUserSetting(haptic.Get());
    const bool onTouch = mode == eHapticUserSetting::OnTouch || mode == eHapticUserSetting::OnBoth;
    if (targetHaptic != 0)
        haptic.Set(onTouch ? eHapticUserSetting::OnBoth : eHapticUserSetting::OnTarget);
    else
        haptic.Set(onTouch ? eHapticUserSetting::OnTouch : eHapticUserSetting::Off);
}

void UserSettingsService::onStoreFileChanged()
{
    // The store is written by replacing the file, which ends the watch on the old one.
    watchStoreFile();
    m_fileChangeTimer->start();
}

void UserSettingsService::onStoreFolderChanged(const QString& path)
{
    if (isStoreLost() || path != storeFolder()) {
        if (recoverStore())
            m_fileChangeTimer->start();
        return;
    }
    // Only a lapsed file watch matters here: a store file that came back (or was created)
    // while nothing watched it.
    const QString file = m_store.fileName();
    if (m_fileWatcher.files().contains(file))
        return;
    watchStoreFile();
    m_fileChangeTimer->start();
}

QString UserSettingsService::storeFolder() const
{
    return QFileInfo(m_store.fileName()).absolutePath();
}

bool UserSettingsService::isStoreLost() const
{
    // A deleted folder ends its own watch; a deleted file leaves the folder watched.
    return !m_fileWatcher.directories().contains(storeFolder()) ||
           !QFileInfo::exists(m_store.fileName());
}

bool UserSettingsService::recoverStore()
{
    const QString folder = storeFolder();
    if (!QFileInfo(folder).isDir()) {
        // A file in the folder's place keeps the store away for long: the values stay in
        // memory meanwhile, where the settings library would read the store as empty.
        if (QFileInfo::exists(folder))
            putBackLastKnownValues();
        // Wait for the folder to come back, from the nearest folder that still exists.
        QDir ancestor(folder);
        while (!ancestor.exists() && ancestor.cdUp()) {
        }
        if (!m_fileWatcher.directories().contains(ancestor.absolutePath()))
            m_fileWatcher.addPath(ancestor.absolutePath());
        return false;
    }
    const QStringList watched = m_fileWatcher.directories();
    if (!watched.isEmpty())
        m_fileWatcher.removePaths(watched);
    m_fileWatcher.addPath(folder);

    putBackLastKnownValues();
    m_store.sync();
    watchStoreFile();
    const bool back = QFileInfo::exists(m_store.fileName());
    if (back)
        qDebug().noquote() << "Settings store" << m_store.fileName() << "was lost and is rewritten";
    return back;
}

void UserSettingsService::putBackLastKnownValues()
{
    // The settings library rereads a vanished file as empty and writes back only what was
    // set since: put back every value it forgot, keeping what was written meanwhile.
    m_store.sync();
    for (auto it = m_lastKnownStore.cbegin(); it != m_lastKnownStore.cend(); ++it)
        if (!m_store.contains(it.key()))
            m_store.setValue(it.key(), it.value());
}

void UserSettingsService::watchStoreFile()
{
    const QString file = m_store.fileName();
    if (m_fileWatcher.files().contains(file))
        m_fileWatcher.removePath(file);
    if (QFileInfo::exists(file))
        m_fileWatcher.addPath(file);
}

void UserSettingsService::SettingFileWatchChange()
{
    // A lost store is put back before anything reads it.
    const bool intact = !isStoreLost() || recoverStore();
    // Flushed first: this also takes in what another writer put into the file.
    m_store.sync();
    rewriteIfDamaged();
    emit UserSettingsChanged();

    if (m_initialSyncDone && m_volumeNotificationsEnabled) {
        if (m_mute.Get() != m_cachedMute)
            emit MuteSettingChanged();
        if (quint8(m_volume.Get()) != m_cachedVolume)
            emit VolumeSettingChanged();
    }
    if (m_chartTime.Get() != m_cachedChartTime)
        emit ChartSettingChanged();
    if (m_regionWatching.Get() != m_cachedRegion)
        emit RegionSettingChanged();
    if (m_txPowerMode.Get() != m_cachedTxPowerMode)
        emit PowerModeSettingChanged();
    if (m_headlight.Get() != m_cachedHeadlight)
        emit HeadlightSettingChanged();

    refreshCaches();
    if (intact)
        rememberStore();
    Board::Get().SyncFileSystems();
}

void UserSettingsService::rememberStore()
{
    m_lastKnownStore.clear();
    const QStringList keys = m_store.allKeys();
    for (const QString& key : keys)
        m_lastKnownStore.insert(key, m_store.value(key));
}

void UserSettingsService::refreshCaches()
{
    m_cachedMute = m_mute.Get();
    m_cachedVolume = quint8(m_volume.Get());
    m_cachedChartTime = m_chartTime.Get();
    m_cachedRegion = m_regionWatching.Get();
    m_cachedTxPowerMode = m_txPowerMode.Get();
    m_cachedHeadlight = m_headlight.Get();
}

QString UserSettingsService::GetFilenameForInternalSet() const
{
    return QFileInfo(m_store.fileName()).absolutePath() + QLatin1Char('/') +
           QLatin1String(kInternalProfile);
}

QString UserSettingsService::GetFilenameForExternalSet(eExternalUserSettingsSet n) const
{
    return SdCardMonitor::Get()->GetSdCardRootFolder() +
           QStringLiteral("vek_quarn_%1.ini").arg(int(n));
}

QList<eExternalUserSettingsSet> UserSettingsService::GetAvailableExternalUserSets() const
{
    QList<eExternalUserSettingsSet> sets;
    if (!SdCardMonitor::Get()->IsCardReady())
        return sets;
    for (int n = int(eExternalUserSettingsSet::Set1); n <= int(eExternalUserSettingsSet::Set6);
         ++n) {
        QByteArray content;
        if (ProfileFile::Read(GetFilenameForExternalSet(eExternalUserSettingsSet(n)),
                              kMaxProfileBytes, &content) == ProfileFile::ReadResult::Read)
            sets.append(eExternalUserSettingsSet(n));
    }
    return sets;
}

eProfileImport UserSettingsService::ImportAllSettingsFromExternalFile(const QString& path)
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
            importCheckedValues(QSettings(copy.fileName(), QSettings::IniFormat), path);
            result = eProfileImport::Recalled;
        } else {
            qDebug().noquote() << "Profile" << path << "not read:" << copy.errorString();
        }
        break;
    }
    m_store.sync();
    QuarnBus::Get()->sendMsg(SetSystemDataMsg());
    return result;
}

void UserSettingsService::importCheckedValues(const QSettings& profile, const QString& path)
{
    // A hand-edited or foreign profile must not reach the head with values the head or the
    // screens cannot take: such a value keeps the current one.
    if (profile.contains(QLatin1String(kInitFileKey)))
        m_store.setValue(QLatin1String(kInitFileKey), profile.value(QLatin1String(kInitFileKey)));
    for (const auto& setting : AllUserSettings()) {
        // The feature bits come from the head alone; a profile keeps them only as a record.
        if (dynamic_cast<const AdminOptionsSettings*>(setting.get()))
            continue;
        const QString& key = setting->Key();
        const QVariant value = profile.value(key);
        bool isNumber = false;
        const qint64 number = value.toString().trimmed().toLongLong(&isNumber);
        if (isNumber && setting->Accepts(number)) {
            m_store.setValue(key, value);
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

bool UserSettingsService::ExportAllSettingsToExternalFile(const QString& path)
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
    const QStringList keys = m_store.allKeys();
    for (const QString& key : keys)
        profile.setValue(key, m_store.value(key));
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

eProfileImport UserSettingsService::LoadFromInternalUserSettings()
{
    const eProfileImport result = ImportAllSettingsFromExternalFile(GetFilenameForInternalSet());
    QuarnBus::Get()->sendMsg(LoadUserSettingsMsg(LoadUserSettingsMsg::kLoadStored));
    return result;
}

bool UserSettingsService::SaveToInternalUserSettings()
{
    // The head keeps its copy only when ours was written, so that the two stay one profile.
    if (!ExportAllSettingsToExternalFile(GetFilenameForInternalSet()))
        return false;
    QuarnBus::Get()->sendMsg(SaveUserSettingsMsg());
    return true;
}

eProfileImport UserSettingsService::ImportSettingsFromExternalSet(eExternalUserSettingsSet n)
{
    if (!SdCardMonitor::Get()->IsCardReady())
        return eProfileImport::Missing;
    return ImportAllSettingsFromExternalFile(GetFilenameForExternalSet(n));
}

bool UserSettingsService::ExportCurrentSettingsToExternalSet(eExternalUserSettingsSet n)
{
    const QString path = GetFilenameForExternalSet(n);
    const SdCardMonitor* card = SdCardMonitor::Get();
    if (!card->IsCardReady()) {
        qDebug().noquote() << "Profile" << path << "not saved: no card";
        return false;
    }
    // A write-protected card may still take the write (root on the desktop): the mount
    // decides, as it does for every writer to the card.
    if (!card->IsCardWritable()) {
        qDebug().noquote() << "Profile" << path << "not saved: the card is read-only";
        return false;
    }
    return ExportAllSettingsToExternalFile(path);
}

void UserSettingsService::SetToDefaultUserSettings()
{
    // The head answers with a load answer, which fetches its defaults as a new block.
    QuarnBus::Get()->sendMsg(LoadUserSettingsMsg(LoadUserSettingsMsg::kRestoreDefaults));
    HapticUserSetting().SetDefault();
    HapticPulseSetting().SetDefault();
    ChartTimeUserSetting().SetDefault();
    PowerOnScreenSetting().SetDefault();
}
