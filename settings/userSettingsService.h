#pragma once

#include "bus/quarnBusMsg.h"
#include "settings/audioSourceUserSetting.h"
#include "settings/autoPowerOffUserSetting.h"
#include "settings/brightnessUserSetting.h"
#include "settings/chartTimeUserSetting.h"
#include "settings/dspGainLevelUserSetting.h"
#include "settings/freqModeUserSetting.h"
#include "settings/freqValueUserSetting.h"
#include "settings/hapticPulseSetting.h"
#include "settings/headlightUserSetting.h"
#include "settings/muteUserSetting.h"
#include "settings/operatingModeUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/regionUserSetting.h"
#include "settings/settingsProfiles.h"
#include "settings/standbyTimeUserSetting.h"
#include "settings/startupParametersSetting.h"
#include "settings/toneStyleUserSetting.h"
#include "settings/tripLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"
#include "settings/userSettingsStore.h"
#include "settings/volumeUserSetting.h"

#include <QList>
#include <QObject>

class QTimer;
class StoreWatch;

// The settings profiles on the SD card.
enum class eExternalUserSettingsSet : int
{
    Set1 = 1,
    Set2,
    Set3,
    Set4,
    Set5,
    Set6
};

// Keeps the three copies of the settings in agreement: the live store, the head and the
// profile files. Pulls the head's settings as one system data block (retrying until the
// head answers), copies profiles to and from the store, and turns every change of the
// live store file into change signals for the screens. The profile files are
// SettingsProfiles', the watch on the store file StoreWatch's.
class UserSettingsService : public QObject
{
    Q_OBJECT
public:
    static constexpr int kInitialSyncRetryMs = 1500;
    // A profile file larger than this is not read.
    static constexpr qint64 kMaxProfileBytes = SettingsProfiles::kMaxProfileBytes;

    static UserSettingsService* Get();
    explicit UserSettingsService(QObject* parent = nullptr);
    ~UserSettingsService() override;

    // Asks the head for its system data block.
    void Refresh();
    // Takes a system data block into the store; bytes beyond a short body count as 0.
    void ProcessSystemDataResp(const QuarnBusMsg& msg);

    QString GetFilenameForInternalSet() const;
    QString GetFilenameForExternalSet(eExternalUserSettingsSet n) const;
    // The SD-card profiles that can be read, ascending; empty when the card is not ready.
    QList<eExternalUserSettingsSet> GetAvailableExternalUserSets() const;

    // Copies every key of the profile into the store (other keys stay, and the head's feature
    // bits are never taken from a file) and makes the head take the result over.
    eProfileImport ImportAllSettingsFromExternalFile(const QString& path);
    // Copies every key of the store into the profile (other keys of the profile stay). The
    // file is replaced whole or not at all; false when it was not written.
    bool ExportAllSettingsToExternalFile(const QString& path);
    eProfileImport LoadFromInternalUserSettings();
    // False when the profile was not written; the head is then not asked to save either.
    bool SaveToInternalUserSettings();
    // Both do nothing unless the SD card is ready (the import then reports the profile
    // missing); the export also fails on a card mounted read-only.
    eProfileImport ImportSettingsFromExternalSet(eExternalUserSettingsSet n);
    bool ExportCurrentSettingsToExternalSet(eExternalUserSettingsSet n);
    // The head restores its defaults; the settings that only this program holds are reset.
    void SetToDefaultUserSettings();

    // Gates VolumeSettingChanged() and MuteSettingChanged(): off while the operator sets the
    // volume on its own subscreen, so the status bar's overlay stays away.
    void SetVolumeNotificationsEnabled(bool enabled) { m_volumeNotificationsEnabled = enabled; }
    bool AreVolumeNotificationsEnabled() const { return m_volumeNotificationsEnabled; }
    bool IsInitialSyncDone() const { return m_initialSyncDone; }

signals:
    void UserSettingsChanged();
    void VolumeSettingChanged();
    void MuteSettingChanged();
    void ChartSettingChanged();
    void RegionSettingChanged();
    void PowerModeSettingChanged();
    void HeadlightSettingChanged();
    // The store could not take a change (its folder gone or a file, the partition full or
    // read-only): the change holds for this run only. Emitted once until a write succeeds.
    void SettingsCannotBeSaved();

public slots:
    void RxQuarnBusMsg(QuarnBusMsg msg);
    void SettingFileWatchChange();
    void InitialSyncRetry();

private:
    void checkStoreWritten();
    void rewriteIfDamaged();
    void refreshCaches();
    void decodeTargetHaptic(quint8 targetHaptic);

    HeadlightUserSetting m_headlight;
    StandbyTimeUserSetting m_standbyTime;
    AutoPowerOffUserSetting m_autoPowerOff;
    RegionUserSetting m_regionDecoding;
    VolumeUserSetting m_volume;
    MuteUserSetting m_mute;
    AudioSourceUserSetting m_audioSource;
    BrightnessUserSetting m_brightness;
    DspGainLevelUserSetting m_dspGain;
    FreqModeUserSetting m_freqMode;
    FreqValueUserSetting m_freqValue;
    PowerLevelUserSetting m_powerLevel;
    TripLevelUserSetting m_tripLevel;
    TxPowerModeUserSetting m_txPowerMode;
    ChartTimeUserSetting m_chartTime;
    ToneStyleUserSetting m_toneStyle;
    OperatingModeUserSetting m_operatingMode;
    HapticPulseSetting m_pulseWidth;
    RegionUserSetting m_regionWatching;
    StartupParametersSetting m_startup;
    bool m_initialSyncDone = false;
    qint32 m_cachedMute = 0;
    quint8 m_cachedVolume = 255;
    bool m_volumeNotificationsEnabled = true;
    qint32 m_cachedChartTime = 0;
    qint32 m_cachedRegion = 0;
    qint32 m_cachedTxPowerMode = 0;
    qint32 m_cachedHeadlight = 0;

    UserSettingsStore m_store;
    StoreWatch* m_storeWatch = nullptr;
    QTimer* m_initialSyncTimer = nullptr;
    // Changes made in one pass of the event loop are checked against the file once.
    QTimer* m_storeCheckTimer = nullptr;
    bool m_storeWritable = true;
};
