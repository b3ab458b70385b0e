#include "settings/userSettingsService.h"

#include "board/board.h"
#include "bus/quarnBus.h"
#include "bus/systemDataMsgs.h"
#include "services/sdCardMonitor.h"
#include "settings/adminOptionsSettings.h"
#include "settings/hapticUserSetting.h"
#include "settings/powerOnScreenSetting.h"
#include "settings/settingsCatalogue.h"
#include "settings/storeWatch.h"
#include "settings/systemDataBlock.h"

#include <QDebug>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>

namespace {
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

    m_storeWatch = new StoreWatch(m_store, this);
    connect(m_storeWatch, &StoreWatch::Changed, this, &UserSettingsService::SettingFileWatchChange);

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
    m_store.setValue(QLatin1String(UserSettingsStore::kInitFileKey), 1);
    m_store.sync();
    UserSettingsStore::TakeDamaged();
    Board::Get().SyncFileSystems();
    m_storeCheckTimer->start();

    m_storeWatch->Start();

    refreshCaches();
    m_storeWatch->Remember();
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
    m_storeWatch->ChangeSoon();
}

void UserSettingsService::rewriteIfDamaged()
{
    if (!UserSettingsStore::TakeDamaged())
        return;
    m_store.setValue(QLatin1String(UserSettingsStore::kInitFileKey), 1);
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

void UserSettingsService::SettingFileWatchChange()
{
    // A lost store is put back before anything reads it.
    const bool intact = m_storeWatch->EnsureIntact();
    // Flushed first: this also takes in what another writer put into the file.
    m_store.sync();
    UserSettingsStore::NoteValuesChanged();
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
        m_storeWatch->Remember();
    Board::Get().SyncFileSystems();
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
        if (SettingsProfiles::IsReadable(GetFilenameForExternalSet(eExternalUserSettingsSet(n))))
            sets.append(eExternalUserSettingsSet(n));
    }
    return sets;
}

eProfileImport UserSettingsService::ImportAllSettingsFromExternalFile(const QString& path)
{
    const eProfileImport result = SettingsProfiles::Import(m_store, path);
    QuarnBus::Get()->sendMsg(SetSystemDataMsg());
    return result;
}

bool UserSettingsService::ExportAllSettingsToExternalFile(const QString& path)
{
    return SettingsProfiles::Export(m_store, path);
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
