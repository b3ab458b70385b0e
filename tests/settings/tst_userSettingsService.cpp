#include "board/board.h"
#include "bus/systemDataMsgs.h"
#include "services/sdCardMonitor.h"
#include "settings/adminOptionsSettings.h"
#include "settings/audioModeUserSetting.h"
#include "settings/hapticUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/powerOnScreenSetting.h"
#include "settings/systemDataBlock.h"
#include "settings/userSettingsService.h"
#include "tests/support/busTraffic.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"
#include "tests/support/smallFileSystem.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>

#include <memory>
#include <thread>

#include <sys/stat.h>

namespace {

// Search with RX2 FM, sweep, power 12, manual power mode, 2450000123 Hz, headphones, high
// gain, volume 5 muted, trip 7, medium brightness, headlight on, long pulse on target,
// standby 3, auto off 4, tone style 1, start with the internal profile, region 34.
QByteArray fullBlock()
{
    return QByteArray::fromHex("56454b30"
                               "03020c00"
                               "fb080892"
                               "00020085"
                               "07010001"
                               "02030400"
                               "00010122");
}

constexpr char kGetSystemData[] = "120 p0 []";

} // namespace

class TestUserSettingsService : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;
    std::unique_ptr<UserSettingsService> m_service;

    QStringList sent() { return BusTraffic::take(m_line); }

    void feed(QuarnBusMsgType type, const QByteArray& body = {}, quint8 param = 0)
    {
        m_line->feed(BusTraffic::frameFromHead(type, param, body));
    }

    UserSettingsService* start()
    {
        m_service = std::make_unique<UserSettingsService>();
        sent();
        return m_service.get();
    }

    // Started and answered, with the change signals of the answer already delivered.
    UserSettingsService* startSynced()
    {
        UserSettingsService* service = start();
        QSignalSpy changed(service, &UserSettingsService::UserSettingsChanged);
        feed(eGetSystemDataMsgResp, fullBlock());
        [&] { QVERIFY(changed.wait(3000)); }();
        sent();
        return service;
    }

    static void setCard(bool ready) { QuarnTest::SetCard(ready ? "rw" : ""); }

private slots:
    void initTestCase() { m_line = QuarnTest::InstallFakeLine(); }

    void init()
    {
        UserSettingsStore store;
        store.clear();
        store.sync();
        m_line->takeWritten();
    }

    void cleanup()
    {
        m_service.reset();
        // A test that broke the store's folder leaves it to the next one whole.
        const QString folder = QFileInfo(UserSettingsStore::FileName()).path();
        if (!QFileInfo(folder).isDir()) {
            QFile::remove(folder);
            QDir().mkpath(folder);
        }
    }

    void startup_requestsTheBlockEvery1500msUntilAnswered()
    {
        QuarnTest::LogCapture log;
        QElapsedTimer clock;
        clock.start();
        m_service = std::make_unique<UserSettingsService>();
        QCOMPARE(sent(), QStringList{kGetSystemData});
        QVERIFY(QFile::exists(UserSettingsStore::FileName()));
        QCOMPARE(UserSettingsStore().value("initFile").toInt(), 1);

        for (int retry = 1; retry <= 2; ++retry) {
            QTRY_VERIFY_WITH_TIMEOUT(!m_line->written().isEmpty(), 3000);
            // Coarse timers may fire up to 5 % early.
            QVERIFY2(clock.elapsed() >= retry * 1425, qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(sent(), QStringList{kGetSystemData});
        }
        QCOMPARE(log.lines().count("Hit UserSettingsService::InitialSyncRetry()!"), 2);

        feed(eGetSystemDataMsgResp, fullBlock());
        QVERIFY(m_service->IsInitialSyncDone());
        sent();
        auto* retry = m_service->findChild<QTimer*>(QStringLiteral("initialSyncRetryTimer"));
        QVERIFY(retry && retry->isActive());
        QSignalSpy fired(retry, &QTimer::timeout);
        QVERIFY(fired.wait(2000));
        QCOMPARE(sent(), QStringList());
        QVERIFY(!retry->isActive());
        QCOMPARE(log.lines().count("Hit UserSettingsService::InitialSyncRetry()!"), 2);
    }

    void fullBlock_isDecodedIntoTheStore()
    {
        start();
        feed(eGetSystemDataMsgResp, fullBlock());
        // Vibration on target, the audio mode the head reported, the start-up flag.
        QCOMPARE(sent(), (QStringList{"86 p0 [02]", "34 p0 [03]", "142 p0 [01 ff]"}));

        QCOMPARE(OperatingModeUserSetting().Get(), int(eOperatingMode::Search));
        QCOMPARE(AudioModeUserSetting().Get(), int(eAudioModeUserSetting::Rx2Fm));
        QCOMPARE(FreqModeUserSetting().Get(), 2);
        QCOMPARE(PowerLevelUserSetting().Get(), 12);
        QCOMPARE(TxPowerModeUserSetting().Get(), 0);
        QCOMPARE(FreqValueUserSetting().Get(), 2450000123u);
        QCOMPARE(AudioSourceUserSetting().Get(), 0);
        QCOMPARE(DspGainLevelUserSetting().Get(), 2);
        QCOMPARE(VolumeUserSetting().Get(), 5);
        QCOMPARE(MuteUserSetting().Get(), 1);
        QCOMPARE(TripLevelUserSetting().Get(), 7);
        QCOMPARE(BrightnessUserSetting().Get(), 1);
        QCOMPARE(HeadlightUserSetting().Get(), 1);
        QCOMPARE(HapticPulseSetting().Get(), 2);
        QCOMPARE(HapticUserSetting().Get(), int(eHapticUserSetting::OnTarget));
        QCOMPARE(StandbyTimeUserSetting().Get(), 3);
        QCOMPARE(AutoPowerOffUserSetting().Get(), 4);
        QCOMPARE(ToneStyleUserSetting().Get(), 1);
        QCOMPARE(StartupParametersSetting().Get(), 1);
        QCOMPARE(RegionUserSetting().Get(), 34);
    }

    // The head reports every setting in each block; the store file (rewritten whole on a
    // write, so a new inode) is left alone when nothing changed.
    void repeatedBlock_leavesTheStoreFileAlone()
    {
        startSynced();
        const auto inode = [] {
            UserSettingsStore().sync();
            QCoreApplication::processEvents();
            struct stat info = {};
            return ::stat(QFile::encodeName(UserSettingsStore::FileName()).constData(), &info) == 0
                       ? info.st_ino
                       : ino_t(0);
        };
        const ino_t before = inode();
        QVERIFY(before != 0);
        feed(eGetSystemDataMsgResp, fullBlock());
        QCOMPARE(inode(), before);
        QByteArray louder = fullBlock();
        louder[SystemDataBlock::kVolumeMute] = char(louder[SystemDataBlock::kVolumeMute] ^ 0x01);
        feed(eGetSystemDataMsgResp, louder);
        QVERIFY(inode() != before);
    }

    void shortBlock_storesZerosBeyondItsEnd()
    {
        start();
        VolumeUserSetting().SyncWithMasterValue(quint8(20));
        ToneStyleUserSetting().SyncWithMasterValue(quint8(2));
        HapticUserSetting().SyncWithMasterValue(quint8(eHapticUserSetting::OnBoth));
        sent();

        feed(eGetSystemDataMsgResp, QByteArray::fromHex("56454b30"
                                                        "06030901"
                                                        "3412"));
        QCOMPARE(sent(), (QStringList{"86 p0 [00]", "142 p0 [00 ff]"}));
        QCOMPARE(FreqValueUserSetting().Get(), 0x1234u);
        QCOMPARE(OperatingModeUserSetting().Get(), int(eOperatingMode::Ambient));
        QCOMPARE(FreqModeUserSetting().Get(), 3);
        QCOMPARE(PowerLevelUserSetting().Get(), 9);
        QCOMPARE(TxPowerModeUserSetting().Get(), 1);
        QCOMPARE(VolumeUserSetting().Get(), 0);
        QCOMPARE(ToneStyleUserSetting().Get(), 0);
        QCOMPARE(TripLevelUserSetting().Get(), 0);
        QCOMPARE(RegionUserSetting().Get(), 0);
        QCOMPARE(HapticPulseSetting().Get(), 0);
        QCOMPARE(HapticUserSetting().Get(), int(eHapticUserSetting::OnTouch));
        QCOMPARE(StartupParametersSetting().Get(), 0);
    }

    void targetVibration_keepsTheTouchPart_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("expected");
        QTest::newRow("off, vibrating") << 0 << 1 << 1;
        QTest::newRow("target, vibrating") << 1 << 1 << 1;
        QTest::newRow("touch, vibrating") << 2 << 1 << 3;
        QTest::newRow("both, vibrating") << 3 << 2 << 3;
        QTest::newRow("off, still") << 0 << 0 << 0;
        QTest::newRow("target, still") << 1 << 0 << 0;
        QTest::newRow("touch, still") << 2 << 0 << 2;
        QTest::newRow("both, still") << 3 << 0 << 2;
    }

    void targetVibration_keepsTheTouchPart()
    {
        QFETCH(int, mode);
        QFETCH(int, byte);
        QFETCH(int, expected);
        start();
        HapticUserSetting().SyncWithMasterValue(quint8(mode));
        QByteArray block = fullBlock();
        block[20] = char(byte);
        feed(eGetSystemDataMsgResp, block);
        QCOMPARE(HapticUserSetting().Get(), expected);
        QCOMPARE(sent().first(), QStringLiteral("86 p0 [%1]").arg(byte, 2, 16, QChar('0')));
    }

    void otherAnswers_refreshOrAreIgnored()
    {
        UserSettingsService* service = start();
        feed(eGetSystemDataMsgRespToSet, fullBlock());
        QCOMPARE(sent(), QStringList());
        QCOMPARE(VolumeUserSetting().Get(), 0);
        QVERIFY(!service->IsInitialSyncDone());

        feed(eGetTxPowerModeMsgResp, QByteArray(1, '\1'));
        feed(eLoadUserSettingsMsgResp);
        feed(eGetTxPowerModeMsgRespToSet, QByteArray(1, '\1'));
        QCOMPARE(sent(), (QStringList{kGetSystemData, kGetSystemData}));
    }

    void block_isBuiltFromTheStoreByteForByte()
    {
        const QByteArray defaults = QByteArray::fromHex("56454b30"
                                                        "00010001"
                                                        "00214a8f"
                                                        "01010000"
                                                        "0a020000"
                                                        "00050200"
                                                        "00030021");
        QCOMPARE(SetSystemDataMsg().body, defaults);

        start();
        feed(eGetSystemDataMsgResp, fullBlock());
        sent();
        const SetSystemDataMsg msg;
        QCOMPARE(int(msg.type), 122);
        QCOMPARE(msg.destId, quint8(BusId::Mst));
        QByteArray expected = fullBlock();
        expected[26] = 0; // the start-up flag is not sent back
        QCOMPARE(msg.body.toHex(' '), expected.toHex(' '));
    }

    void changes_eachReachTheChangeSignals()
    {
        UserSettingsService* service = startSynced();
        QSignalSpy changed(service, &UserSettingsService::UserSettingsChanged);
        QSignalSpy volume(service, &UserSettingsService::VolumeSettingChanged);
        QSignalSpy mute(service, &UserSettingsService::MuteSettingChanged);
        QSignalSpy chart(service, &UserSettingsService::ChartSettingChanged);
        QSignalSpy region(service, &UserSettingsService::RegionSettingChanged);
        QSignalSpy power(service, &UserSettingsService::PowerModeSettingChanged);
        QSignalSpy headlight(service, &UserSettingsService::HeadlightSettingChanged);

        // The store file is replaced on every write; each change must still be seen.
        for (int level = 10; level < 15; ++level) {
            VolumeUserSetting().Set(quint8(level));
            QVERIFY2(volume.wait(3000), qPrintable(QString::number(level)));
        }
        QCOMPARE(volume.count(), 5);
        QCOMPARE(mute.count(), 0);
        MuteUserSetting().Toggle();
        QVERIFY(mute.wait(3000));

        ChartTimeUserSetting().Set(eChartTime::OneMinute);
        QVERIFY(chart.wait(3000));
        RegionUserSetting().Set(eRegion::Russia);
        QVERIFY(region.wait(3000));
        TxPowerModeUserSetting().Set(eTxPowerModeUserSetting::Auto);
        QVERIFY(power.wait(3000));
        HeadlightUserSetting().Set(eHeadlightUserSetting::Off);
        QVERIFY(headlight.wait(3000));

        QVERIFY(changed.count() >= 10);
        QCOMPARE(volume.count(), 5);
        QCOMPARE(mute.count(), 1);
        QCOMPARE(chart.count(), 1);
        QCOMPARE(region.count(), 1);
        QCOMPARE(power.count(), 1);
        QCOMPARE(headlight.count(), 1);
    }

    void storeFileRecreated_isWatchedAgain()
    {
        UserSettingsService* service = startSynced();
        QSignalSpy changed(service, &UserSettingsService::UserSettingsChanged);
        QSignalSpy chart(service, &UserSettingsService::ChartSettingChanged);
        QVERIFY(QFile::remove(UserSettingsStore::FileName()));
        QVERIFY(changed.wait(3000));
        ChartTimeUserSetting().Set(eChartTime::TenSeconds);
        QVERIFY(chart.wait(3000));
        ChartTimeUserSetting().Set(eChartTime::ThirtySeconds);
        QVERIFY(chart.wait(3000));
    }

    void storeLost_isRewrittenWholeAndStillWatched_data()
    {
        QTest::addColumn<QString>("removed"); // below the sandbox root
        QTest::addColumn<bool>("recreated");
        QTest::newRow("store file") << "media/mmcblk0p4/Settings/VEK/QUARN_2_4.conf" << false;
        QTest::newRow("store folder") << "media/mmcblk0p4/Settings/VEK" << true;
        QTest::newRow("settings folder") << "media/mmcblk0p4/Settings" << true;
    }

    void storeLost_isRewrittenWholeAndStillWatched()
    {
        QFETCH(QString, removed);
        QFETCH(bool, recreated);
        UserSettingsService* service = startSynced();
        QSignalSpy chart(service, &UserSettingsService::ChartSettingChanged);
        const QString path = QuarnTest::SandboxRoot() + "/" + removed;
        const int chartTime = (ChartTimeUserSetting().Get() + int(recreated)) % 4;
        if (recreated) {
            QVERIFY(QDir(path).removeRecursively());
            QVERIFY(QDir().mkpath(path));
            ChartTimeUserSetting().Increment(); // the one key written next
        } else {
            QVERIFY(QFile::remove(path));
        }
        const auto onDisk = [](const char* key) {
            return QSettings(UserSettingsStore::FileName(), QSettings::IniFormat)
                .value(QStringLiteral("userSettings/") + key);
        };
        QTRY_COMPARE(onDisk("region").toInt(), 34);
        QCOMPARE(onDisk("volume").toInt(), 5);
        QCOMPARE(onDisk("freqValue").toUInt(), 2450000123u);
        if (recreated) // and what was written meanwhile stays
            QCOMPARE(onDisk("chartTime").toInt(), chartTime);

        chart.clear();
        ChartTimeUserSetting().Increment();
        QVERIFY(chart.wait(3000));
        ChartTimeUserSetting().Increment();
        QVERIFY(chart.wait(3000));
        QCOMPARE(onDisk("region").toInt(), 34);
    }

    void settingWrittenFromAnotherThread_isCheckedOnTheServicesThread()
    {
        // The update worker lowers the output power from its own thread.
        startSynced();
        std::thread worker([] { PowerLevelUserSetting().Set(quint8(3)); });
        worker.join();
        QCOMPARE(PowerLevelUserSetting().Get(), 3);
        // The frame was handed over before the join: one pass of the loop writes it.
        QCoreApplication::processEvents();
        QCOMPARE(sent().size(), 1);
    }

    void hugeStore_isRewrittenFromItsKnownValues()
    {
        {
            QFile file(UserSettingsStore::FileName());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("[General]\ninitFile=1\n\n[userSettings]\nchartTime=2\ntoneStyle=1\njunk=");
            file.write(QByteArray(UserSettingsStore::kMaxStoreBytes, 'x'));
            file.write("\nvolume=9\n");
        }
        QuarnTest::LogCapture log;
        start();
        QCOMPARE(log.lines().filter("far larger than any real one").size(), 1);
        QVERIFY(QFileInfo(UserSettingsStore::FileName()).size() < 1024);
        const QSettings onDisk(UserSettingsStore::FileName(), QSettings::IniFormat);
        QCOMPARE(onDisk.value("userSettings/chartTime").toInt(), 2);
        QCOMPARE(onDisk.value("userSettings/toneStyle").toInt(), 1);
        QVERIFY(!onDisk.contains("userSettings/junk"));
        QCOMPARE(VolumeUserSetting().Get(), VolumeUserSetting().DefaultValue());
    }

    void storeThatCannotBeWritten_stillChangesHeadAndScreens_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("folder replaced by a file") << "file";
        QTest::newRow("partition full") << "full";
        QTest::newRow("partition read-only") << "read-only";
    }

    void storeThatCannotBeWritten_stillChangesHeadAndScreens()
    {
        QFETCH(QString, fault);
        const QString folder = QFileInfo(UserSettingsStore::FileName()).path();
        // The store on a partition of its own, for as long as the test runs.
        std::unique_ptr<SmallFileSystem> partition;
        if (fault != QLatin1String("file")) {
            partition = std::make_unique<SmallFileSystem>(folder, 16);
            if (!partition->isMounted())
                QSKIP("this machine does not let the test mount a small file system");
        }
        UserSettingsService* service = startSynced();
        QSignalSpy unsaved(service, &UserSettingsService::SettingsCannotBeSaved);
        QSignalSpy headlight(service, &UserSettingsService::HeadlightSettingChanged);
        if (fault == QLatin1String("file")) {
            QVERIFY(QDir(folder).removeRecursively());
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else if (fault == QLatin1String("full")) {
            QVERIFY(partition->fill());
        } else {
            QVERIFY(partition->remountReadOnly());
        }
        // The values stay as the head reported them.
        QTRY_COMPARE(HeadlightUserSetting().Get(), 1);
        QCOMPARE(RegionUserSetting().Get(), 34);
        sent();

        HeadlightUserSetting().Toggle();
        QCOMPARE(sent().size(), 1);
        QVERIFY(headlight.wait(3000));
        QCOMPARE(HeadlightUserSetting().Get(), 0);
        QCOMPARE(unsaved.count(), 1);
        HeadlightUserSetting().Toggle();
        QCOMPARE(sent().size(), 1);
        QVERIFY(headlight.wait(3000));
        QCOMPARE(HeadlightUserSetting().Get(), 1);
        QCOMPARE(unsaved.count(), 1);

        m_service.reset();
        if (!partition)
            QVERIFY(QFile::remove(folder));
    }

    void fileWrittenByAnotherWriter_isTakenIn()
    {
        UserSettingsService* service = startSynced();
        QSignalSpy headlight(service, &UserSettingsService::HeadlightSettingChanged);
        QFile file(UserSettingsStore::FileName());
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QByteArray text = file.readAll();
        file.close();
        QVERIFY(text.contains("headlight=1\n"));
        // A different size: the settings library tells file versions apart by size and
        // modification time, which can repeat within one clock tick.
        text.replace("headlight=1\n", "headlight=00\n");
        // Readers that keep a value (the analyzer's trip level) see the store move on.
        const quint64 generation = UserSettingsStore::Generation();
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
        file.write(text);
        file.close();
        QVERIFY(headlight.wait(3000));
        QCOMPARE(HeadlightUserSetting().Get(), 0);
        QVERIFY(UserSettingsStore::Generation() != generation);
    }

    void volumeSignals_waitForTheFirstBlock()
    {
        UserSettingsService* service = start();
        QSignalSpy changed(service, &UserSettingsService::UserSettingsChanged);
        QSignalSpy volume(service, &UserSettingsService::VolumeSettingChanged);
        QSignalSpy mute(service, &UserSettingsService::MuteSettingChanged);
        VolumeUserSetting().Set(30);
        MuteUserSetting().Set(eMuteUserSetting::Muted);
        QVERIFY(changed.wait(3000));
        QCOMPARE(volume.count(), 0);
        QCOMPARE(mute.count(), 0);
    }

    void volumeGateOff_suppressesWithoutALateSignal()
    {
        UserSettingsService* service = startSynced();
        QSignalSpy changed(service, &UserSettingsService::UserSettingsChanged);
        QSignalSpy volume(service, &UserSettingsService::VolumeSettingChanged);
        QSignalSpy mute(service, &UserSettingsService::MuteSettingChanged);
        QSignalSpy chart(service, &UserSettingsService::ChartSettingChanged);

        service->SetVolumeNotificationsEnabled(false);
        VolumeUserSetting().Increment();
        QVERIFY(changed.wait(3000));
        QCOMPARE(volume.count(), 0);
        QCOMPARE(mute.count(), 0);

        service->SetVolumeNotificationsEnabled(true);
        ChartTimeUserSetting().Set(eChartTime::TenSeconds);
        QVERIFY(chart.wait(3000));
        QCOMPARE(volume.count(), 0);
        QCOMPARE(mute.count(), 0);

        VolumeUserSetting().Increment();
        QVERIFY(volume.wait(3000));
    }

    void profile_exportAndImportRoundTrip()
    {
        UserSettingsService* service = start();
        const QString path = QuarnTest::SandboxRoot() + "/profiles/roundTrip.ini";
        QDir().mkpath(QFileInfo(path).path());
        VolumeUserSetting().Set(12);
        RegionUserSetting().Set(eRegion::Russia);
        ChartTimeUserSetting().Set(eChartTime::OneMinute);
        service->ExportAllSettingsToExternalFile(path);
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("userSettings/volume").toInt(), 12);

        VolumeUserSetting().Set(20);
        RegionUserSetting().Set(eRegion::UsaFcc);
        ChartTimeUserSetting().Set(eChartTime::TenSeconds);
        sent();
        service->ImportAllSettingsFromExternalFile(path);
        QCOMPARE(VolumeUserSetting().Get(), 12);
        QCOMPARE(RegionUserSetting().Get(), 35);
        QCOMPARE(ChartTimeUserSetting().Get(), 3);

        const QList<QuarnBusMsg> msgs = BusTraffic::split(m_line->takeWritten());
        QCOMPARE(msgs.size(), 1);
        QCOMPARE(msgs.at(0).type, eSetSystemDataMsg);
        QCOMPARE(msgs.at(0).body, SetSystemDataMsg().body);
        QCOMPARE(msgs.at(0).bodyByte(15), quint8(12));
        QCOMPARE(msgs.at(0).bodyByte(27), quint8(35));
    }

    void profile_keysItLacksStayAsTheyWere()
    {
        UserSettingsService* service = start();
        const QString path = QuarnTest::SandboxRoot() + "/profiles/partial.ini";
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[userSettings]\nvolume=7\n");
        file.close();
        RegionUserSetting().Set(eRegion::FullSpan);
        VolumeUserSetting().Set(40);
        sent();

        service->ImportAllSettingsFromExternalFile(path);
        QCOMPARE(VolumeUserSetting().Get(), 7);
        QCOMPARE(RegionUserSetting().Get(), 34);

        // Missing, a folder, or too large to be a profile: nothing is read.
        service->ImportAllSettingsFromExternalFile(path + ".missing");
        QVERIFY(QDir().mkpath(path + ".folder"));
        service->ImportAllSettingsFromExternalFile(path + ".folder");
        QFile large(path + ".large");
        QVERIFY(large.open(QIODevice::WriteOnly | QIODevice::Truncate));
        large.write("[userSettings]\nvolume=3\n");
        large.write(QByteArray(UserSettingsService::kMaxProfileBytes, '#'));
        large.close();
        service->ImportAllSettingsFromExternalFile(large.fileName());
        QCOMPARE(VolumeUserSetting().Get(), 7);
        const QStringList msgs = sent();
        QCOMPARE(msgs.size(), 4);
        QVERIFY(msgs.at(3).startsWith("122 p0 [56 45 4b 30"));
    }

    void profile_valuesTheSettingsCannotTake_keepTheCurrentOnes()
    {
        UserSettingsService* service = start();
        const QString path = QuarnTest::SandboxRoot() + "/profiles/foreign.ini";
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[userSettings]\nvolume=999\npowerLevel=300\nfreqValue=-5\nregion=abc\n"
                   "adminOptions=65535\ntripLevel=\ntoneStyle=1\nmute=1\n");
        file.close();
        VolumeUserSetting().Set(20);
        MuteUserSetting().Set(eMuteUserSetting::SoundOn);
        PowerLevelUserSetting().Set(5);
        FreqValueUserSetting().Set(2450000000u);
        RegionUserSetting().Set(eRegion::UsaFcc);
        AdminOptionsSettings().Set(0x2003);
        TripLevelUserSetting().Set(4);
        sent();

        QuarnTest::LogCapture log;
        service->ImportAllSettingsFromExternalFile(path);
        QCOMPARE(VolumeUserSetting().Get(), 20);
        QCOMPARE(PowerLevelUserSetting().Get(), 5);
        QCOMPARE(FreqValueUserSetting().Get(), 2450000000u);
        QCOMPARE(RegionUserSetting().Get(), 33);
        QCOMPARE(AdminOptionsSettings().Get(), 0x2003);
        QCOMPARE(TripLevelUserSetting().Get(), 4);
        QCOMPARE(ToneStyleUserSetting().Get(), 1); // valid values still come in
        QCOMPARE(MuteUserSetting().Get(), 1);
        for (const char* key : {"volume", "powerLevel", "freqValue", "region", "tripLevel"}) {
            const QString name = QStringLiteral("userSettings/") + key;
            QCOMPARE(log.lines().filter(name + " ").size(), 1);
        }

        const QList<QuarnBusMsg> msgs = BusTraffic::split(m_line->takeWritten());
        QCOMPARE(msgs.size(), 1);
        QCOMPARE(msgs.at(0).bodyByte(6), quint8(5));
        QCOMPARE(msgs.at(0).bodyByte(15), quint8(0x80 | 20));
        QCOMPARE(msgs.at(0).bodyByte(16), quint8(4));
        QCOMPARE(msgs.at(0).bodyByte(27), quint8(33));
        QCOMPARE(msgs.at(0).body.mid(8, 4), QByteArray::fromHex("80 08 08 92"));
    }

    void profile_neverChangesTheHeadsFeatureBits_data()
    {
        QTest::addColumn<bool>("internal");
        QTest::newRow("card profile") << false;
        QTest::newRow("internal profile") << true;
    }

    void profile_neverChangesTheHeadsFeatureBits()
    {
        QFETCH(bool, internal);
        UserSettingsService* service = start();
        setCard(true);
        SdCardMonitor::Get()->PollForCardStatus();
        const QString path =
            internal ? service->GetFilenameForInternalSet()
                     : service->GetFilenameForExternalSet(eExternalUserSettingsSet::Set4);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[userSettings]\nadminOptions=5232\ntoneStyle=2\n");
        file.close();
        AdminOptionsSettings().SyncWithMasterValue(8195u);

        if (internal)
            service->LoadFromInternalUserSettings();
        else
            service->ImportSettingsFromExternalSet(eExternalUserSettingsSet::Set4);
        QCOMPARE(AdminOptionsSettings().Get(), 8195);
        QCOMPARE(ToneStyleUserSetting().Get(), 2);
        for (const QuarnBusMsg& msg : BusTraffic::split(m_line->takeWritten()))
            QVERIFY(msg.type == eSetSystemDataMsg || msg.type == eLoadUserSettingsMsg);
        // Still written out, so that saved profiles keep their form.
        QVERIFY(service->ExportAllSettingsToExternalFile(path));
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("userSettings/adminOptions").toInt(),
                 8195);
        QFile::remove(path);
    }

    void profileNamedByALink_isNeitherReadNorWritten()
    {
        UserSettingsService* service = start();
        setCard(true);
        SdCardMonitor::Get()->PollForCardStatus();
        const QString outside = QuarnTest::SandboxRoot() + "/outside.ini";
        const QByteArray kept = "[userSettings]\nvolume=3\n";
        QFile file(outside);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(kept);
        file.close();
        const QString link = service->GetFilenameForExternalSet(eExternalUserSettingsSet::Set1);
        QFile::remove(link);
        QVERIFY(QFile::link(outside, link));
        VolumeUserSetting().Set(20);
        sent();

        QVERIFY(!service->GetAvailableExternalUserSets().contains(eExternalUserSettingsSet::Set1));
        QCOMPARE(service->ImportSettingsFromExternalSet(eExternalUserSettingsSet::Set1),
                 eProfileImport::Unreadable);
        QCOMPARE(VolumeUserSetting().Get(), 20);
        QVERIFY(!service->ExportCurrentSettingsToExternalSet(eExternalUserSettingsSet::Set1));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), kept);
        QFile::remove(link);
    }

    void internalProfile_savesAndLoadsWithTheHead()
    {
        UserSettingsService* service = start();
        QCOMPARE(service->GetFilenameForInternalSet(),
                 QuarnTest::SandboxRoot() + "/media/mmcblk0p4/Settings/VEK/vek_internal.ini");
        ToneStyleUserSetting().Set(eToneStyleUserSetting::ThirdOnly);
        sent();
        service->SaveToInternalUserSettings();
        QCOMPARE(sent(), QStringList{"118 p0 []"});
        QVERIFY(QFile::exists(service->GetFilenameForInternalSet()));

        ToneStyleUserSetting().Set(eToneStyleUserSetting::SecondOnly);
        sent();
        service->LoadFromInternalUserSettings();
        QCOMPARE(ToneStyleUserSetting().Get(), 1);
        const QStringList msgs = sent();
        QCOMPARE(msgs.size(), 2);
        QVERIFY(msgs.at(0).startsWith("122 p0 ["));
        QCOMPARE(msgs.at(1), QStringLiteral("116 p1 []"));
    }

    void cardProfiles_onlyWhileTheCardIsReady()
    {
        UserSettingsService* service = start();
        setCard(false);
        QTRY_VERIFY(!SdCardMonitor::Get()->IsCardInserted());
        service->ExportCurrentSettingsToExternalSet(eExternalUserSettingsSet::Set2);
        QVERIFY(!QFile::exists(service->GetFilenameForExternalSet(eExternalUserSettingsSet::Set2)));
        QCOMPARE(service->GetAvailableExternalUserSets(), {});
        service->ImportSettingsFromExternalSet(eExternalUserSettingsSet::Set2);
        QCOMPARE(sent(), QStringList());

        setCard(true);
        QTRY_VERIFY(SdCardMonitor::Get()->IsCardReady());
        QCOMPARE(service->GetFilenameForExternalSet(eExternalUserSettingsSet::Set3),
                 QuarnTest::SandboxRoot() + "/media/mmcblk1p1/vek_quarn_3.ini");
        PowerLevelUserSetting().Set(17);
        service->ExportCurrentSettingsToExternalSet(eExternalUserSettingsSet::Set5);
        PowerLevelUserSetting().Set(3);
        service->ExportCurrentSettingsToExternalSet(eExternalUserSettingsSet::Set2);
        QCOMPARE(service->GetAvailableExternalUserSets(),
                 (QList<eExternalUserSettingsSet>{eExternalUserSettingsSet::Set2,
                                                  eExternalUserSettingsSet::Set5}));
        sent();
        service->ImportSettingsFromExternalSet(eExternalUserSettingsSet::Set5);
        QCOMPARE(PowerLevelUserSetting().Get(), 17);
        QCOMPARE(BusTraffic::split(m_line->takeWritten()).at(0).bodyByte(6), quint8(17));

        setCard(false);
        QTRY_VERIFY(!SdCardMonitor::Get()->IsCardReady());
        QCOMPARE(service->GetAvailableExternalUserSets(), {});
    }

    void defaults_headRestoresAndLocalSettingsReset()
    {
        UserSettingsService* service = start();
        HapticUserSetting().SyncWithMasterValue(quint8(eHapticUserSetting::OnBoth));
        HapticPulseSetting().SyncWithMasterValue(quint8(ePulseWidth::Long));
        ChartTimeUserSetting().Set(eChartTime::OneMinute);
        PowerOnScreenSetting().Set(ePowerOnScreen::Spectral);

        service->SetToDefaultUserSettings();
        QCOMPARE(sent(), (QStringList{"116 p2 []", "86 p0 [00]", "86 p0 [00]"}));
        QCOMPARE(HapticUserSetting().Get(), 0);
        QCOMPARE(HapticPulseSetting().Get(), 1);
        QCOMPARE(ChartTimeUserSetting().Get(), 1);
        QCOMPARE(PowerOnScreenSetting().Get(), 1);
    }
};

QUARN_TEST_MAIN(TestUserSettingsService)
#include "tst_userSettingsService.moc"
