#include "board/board.h"
#include "settings/adminOptionsSettings.h"
#include "settings/audioModeUserSetting.h"
#include "settings/audioSourceUserSetting.h"
#include "settings/autoPowerOffUserSetting.h"
#include "settings/brightnessUserSetting.h"
#include "settings/chartTimeUserSetting.h"
#include "settings/dspGainLevelUserSetting.h"
#include "settings/freqModeUserSetting.h"
#include "settings/freqValueUserSetting.h"
#include "settings/hapticPulseSetting.h"
#include "settings/hapticUserSetting.h"
#include "settings/headlightUserSetting.h"
#include "settings/modelUserSetting.h"
#include "settings/muteUserSetting.h"
#include "settings/operatingModeUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/powerOnScreenSetting.h"
#include "settings/regionUserSetting.h"
#include "settings/standbyTimeUserSetting.h"
#include "settings/startupParametersSetting.h"
#include "settings/toneStyleUserSetting.h"
#include "settings/tripLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"
#include "settings/volumeUserSetting.h"
#include "tests/support/busTraffic.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

namespace {

// A setting's Set with a new value, and what reaches the head. The same call is then made
// again: settings that send always send the same again, those that send on change send
// nothing, store-only settings never send.
struct SetCase
{
    const char* name;
    std::function<void()> set;
    QStringList msgs;
    bool sendsAlways;
};

const QList<SetCase>& setCases()
{
    // clang-format off
    static const QList<SetCase> cases = {
        {"freqMode", [] { FreqModeUserSetting().Set(eFreqMode::Sweep); }, {"46 p0 [02]"}, true},
        {"freqValue", [] { FreqValueUserSetting().Set(2450000123u); }, {"50 p0 [fb 08 08 92]"}, true},
        {"powerLevel", [] { PowerLevelUserSetting().Set(7); }, {"38 p0 [07]"}, true},
        {"txPowerMode", [] { TxPowerModeUserSetting().Set(eTxPowerModeUserSetting::Auto); }, {"42 p0 [01]"}, true},
        {"dspGainLevel", [] { DspGainLevelUserSetting().Set(eDspGainLevel::High); }, {"74 p0 [02]"}, true},
        {"tripLevel", [] { TripLevelUserSetting().Set(4); }, {"82 p0 [04]"}, true},
        {"audioSource", [] { AudioSourceUserSetting().Set(eAudioSource::HpOnly); }, {"70 p0 [00]"}, true},
        {"toneStyle", [] { ToneStyleUserSetting().Set(eToneStyleUserSetting::SecondOnly); }, {"130 p0 [00]"}, true},
        {"brightness", [] { BrightnessUserSetting().Set(eBrightness::Dim); }, {"126 p0 [00]"}, true},
        {"standbyTime", [] { StandbyTimeUserSetting().Set(eStandbyTime::OneMin); }, {"94 p0 [01]"}, true},
        {"autoPowerOff", [] { AutoPowerOffUserSetting().Set(eAutoPowerOff::ThirtyMins); }, {"98 p0 [05]"}, true},
        {"haptic on target", [] { HapticUserSetting().Set(eHapticUserSetting::OnTarget); }, {"86 p0 [01]"}, true},
        {"haptic on touch", [] { HapticUserSetting().Set(eHapticUserSetting::OnTouch); }, {"86 p0 [00]"}, true},
        {"pulseWidth while off", [] { HapticPulseSetting().Set(ePulseWidth::Long); }, {"86 p0 [00]"}, true},
        {"startup internal", [] { StartupParametersSetting().Set(eStartParameterUserSetting::Internal); }, {"142 p0 [01 ff]"}, true},
        {"startup 2", [] { StartupParametersSetting().Set(eStartParameterUserSetting(2)); }, {"142 p0 [00 ff]"}, true},
        {"adminOptions", [] { AdminOptionsSettings().Set(0x1234); }, {"2 p0 [34 12]"}, true},
        {"region", [] { RegionUserSetting().Set(eRegion::FullSpan); }, {"102 p0 [22]", "156 p34 []", "108 p0 []"}, true},
        {"model", [] { ModelUserSetting().Set(Model::EuropeCe); }, {"102 p0 [0e]", "156 p14 []"}, true},
        {"volume", [] { VolumeUserSetting().Set(5); }, {"62 p0 [05]"}, true},
        {"mute", [] { MuteUserSetting().Set(eMuteUserSetting::Muted); }, {"62 p0 [80]"}, true},
        {"operatingMode", [] { OperatingModeUserSetting().Set(eOperatingMode::Echo); }, {"34 p0 [0a]"}, false},
        {"audioMode", [] { AudioModeUserSetting().Set(eAudioModeUserSetting::Rx3Am); }, {"34 p0 [04]"}, false},
        {"headlight", [] { HeadlightUserSetting().Set(eHeadlightUserSetting::On); }, {"90 p0 [01]"}, false},
        {"chartTime", [] { ChartTimeUserSetting().Set(eChartTime::OneMinute); }, {}, false},
        {"powerOnScreen", [] { PowerOnScreenSetting().Set(ePowerOnScreen::Spectral); }, {}, false},
    };
    // clang-format on
    return cases;
}

QByteArray backlight()
{
    QFile file(Board::Get().BacklightBrightnessFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettingsCatalogue : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

    QStringList sent() { return BusTraffic::take(m_line); }

    template <typename Setting> void checkEntry(const char* key, qint64 defaultValue)
    {
        const Setting setting;
        QCOMPARE(setting.Key(), QString::fromLatin1(key));
        QCOMPARE(qint64(setting.Get()), defaultValue);
    }

private slots:
    void initTestCase()
    {
        m_line = QuarnTest::InstallFakeLine();
        QVERIFY(QDir().mkpath(QFileInfo(Board::Get().BacklightBrightnessFile()).path()));
    }

    void init()
    {
        UserSettingsStore store;
        store.clear();
        store.sync();
        m_line->takeWritten();
    }

    void catalogue_keysAndDefaults()
    {
        checkEntry<OperatingModeUserSetting>("userSettings/operatingMode", 0);
        checkEntry<AudioModeUserSetting>("userSettings/audioMode", 1);
        checkEntry<FreqModeUserSetting>("userSettings/freqMode", 1);
        checkEntry<FreqValueUserSetting>("userSettings/freqValue", 2404000000);
        checkEntry<PowerLevelUserSetting>("userSettings/powerLevel", 0);
        checkEntry<TxPowerModeUserSetting>("userSettings/txPowerMode", 1);
        checkEntry<DspGainLevelUserSetting>("userSettings/dspGainLevel", 1);
        checkEntry<TripLevelUserSetting>("userSettings/tripLevel", 10);
        checkEntry<AudioSourceUserSetting>("userSettings/audioSource", 1);
        checkEntry<VolumeUserSetting>("userSettings/volume", 0);
        checkEntry<MuteUserSetting>("userSettings/mute", 0);
        checkEntry<ToneStyleUserSetting>("userSettings/toneStyle", 3);
        checkEntry<HeadlightUserSetting>("userSettings/headlight", 0);
        checkEntry<BrightnessUserSetting>("userSettings/brightness", 2);
        checkEntry<StandbyTimeUserSetting>("userSettings/standbyTime", 5);
        checkEntry<AutoPowerOffUserSetting>("userSettings/autoPowerOff", 2);
        checkEntry<HapticUserSetting>("userSettings/haptic", 0);
        checkEntry<HapticPulseSetting>("userSettings/pulseWidth", 1);
        checkEntry<ChartTimeUserSetting>("userSettings/chartTime", 1);
        checkEntry<PowerOnScreenSetting>("userSettings/powerOnScreen", 1);
        checkEntry<StartupParametersSetting>("userSettings/startup", 0);
        checkEntry<RegionUserSetting>("userSettings/region", 33);
        checkEntry<ModelUserSetting>("userSettings/model", 15);
        checkEntry<AdminOptionsSettings>("userSettings/adminOptions", 8195);
        QCOMPARE(sent(), QStringList());
    }

    void set_sendsByItsPattern_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < setCases().size(); ++i)
            QTest::newRow(setCases().at(i).name) << i;
    }

    void set_sendsByItsPattern()
    {
        QFETCH(int, index);
        const SetCase& c = setCases().at(index);
        QuarnTest::LogCapture log;
        c.set();
        QCOMPARE(sent(), c.msgs);
        c.set();
        QCOMPARE(sent(), c.sendsAlways ? c.msgs : QStringList());
    }

    void powerLevel_stepsAndResendsAtTheLimits_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("expected");
        QTest::newRow("up from 19") << 19 << true << 20;
        QTest::newRow("up at 20") << 20 << true << 20;
        QTest::newRow("down from 5") << 5 << false << 4;
        QTest::newRow("down at 0") << 0 << false << 0;
    }

    void powerLevel_stepsAndResendsAtTheLimits()
    {
        QFETCH(int, start);
        QFETCH(bool, up);
        QFETCH(int, expected);
        PowerLevelUserSetting power;
        power.SyncWithMasterValue(quint8(start));
        up ? power.Increment() : power.Decrement();
        QCOMPARE(power.Get(), expected);
        QCOMPARE(sent(),
                 QStringList{QStringLiteral("38 p0 [%1]").arg(expected, 2, 16, QChar('0'))});
    }

    void tripLevel_stopsAtTheLimits_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("msgs");
        QTest::newRow("up from 9") << 9 << true << 10 << QStringList{"82 p0 [0a]"};
        QTest::newRow("up at 10") << 10 << true << 10 << QStringList{};
        QTest::newRow("down from 1") << 1 << false << 0 << QStringList{"82 p0 [00]"};
        QTest::newRow("down at 0") << 0 << false << 0 << QStringList{};
    }

    void tripLevel_stopsAtTheLimits()
    {
        QFETCH(int, start);
        QFETCH(bool, up);
        QFETCH(int, expected);
        QFETCH(QStringList, msgs);
        TripLevelUserSetting trip;
        trip.SyncWithMasterValue(quint8(start));
        up ? trip.Increment() : trip.Decrement();
        QCOMPARE(trip.Get(), expected);
        QCOMPARE(sent(), msgs);
    }

    void volume_unmutesThenSteps_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("msgs");
        QTest::newRow("up while muted")
            << 5 << true << 6 << QStringList{"62 p0 [05]", "62 p0 [06]"};
        QTest::newRow("up at 50") << 50 << true << 50 << QStringList{"62 p0 [32]"};
        QTest::newRow("down from 1") << 1 << false << 0 << QStringList{"62 p0 [01]", "62 p0 [00]"};
        QTest::newRow("down at 0") << 0 << false << 0 << QStringList{"62 p0 [00]"};
    }

    void volume_unmutesThenSteps()
    {
        QFETCH(int, start);
        QFETCH(bool, up);
        QFETCH(int, expected);
        QFETCH(QStringList, msgs);
        VolumeUserSetting volume;
        volume.SyncWithMasterValue(quint8(start));
        MuteUserSetting().SyncWithMasterValue(quint8(0x80));
        up ? volume.Increment() : volume.Decrement();
        QCOMPARE(volume.Get(), expected);
        QCOMPARE(MuteUserSetting().Get(), 0);
        QCOMPARE(sent(), msgs);
    }

    void volume_above50_isRefused()
    {
        VolumeUserSetting volume;
        volume.Set(20);
        sent();
        volume.Set(51);
        QCOMPARE(volume.Get(), 20);
        QCOMPARE(sent(), QStringList());
        QCOMPARE(GetVolumeMuteForMasterBasedOnCurrentSettings(), quint8(20));
    }

    void mute_togglesOnlyItsTwoValues_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("msgs");
        QTest::newRow("sound on") << 0 << 1 << QStringList{"62 p0 [87]"};
        QTest::newRow("muted") << 1 << 0 << QStringList{"62 p0 [07]"};
        QTest::newRow("other") << 2 << 2 << QStringList{};
    }

    void mute_togglesOnlyItsTwoValues()
    {
        QFETCH(int, start);
        QFETCH(int, expected);
        QFETCH(QStringList, msgs);
        VolumeUserSetting().SyncWithMasterValue(quint8(7));
        UserSettingsStore().setValue(MuteUserSetting().Key(), start);
        MuteUserSetting().Toggle();
        QCOMPARE(MuteUserSetting().Get(), expected);
        QCOMPARE(sent(), msgs);
    }

    void mute_fromTheHeadsVolumeByte_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("mute");
        QTest::newRow("0x85") << 0x85 << 1;
        QTest::newRow("0x05") << 0x05 << 0;
        QTest::newRow("0x80") << 0x80 << 1;
    }

    void mute_fromTheHeadsVolumeByte()
    {
        QFETCH(int, byte);
        QFETCH(int, mute);
        MuteUserSetting setting;
        setting.SyncWithMasterValue(quint8(byte));
        QCOMPARE(setting.Get(), mute);
        QCOMPARE(sent(), QStringList());
    }

    void headlight_togglesOnlyItsTwoValues()
    {
        HeadlightUserSetting headlight;
        headlight.Toggle();
        QCOMPARE(headlight.Get(), 1);
        headlight.Toggle();
        QCOMPARE(headlight.Get(), 0);
        QCOMPARE(sent(), (QStringList{"90 p0 [01]", "90 p0 [00]"}));
        headlight.SyncWithMasterValue(quint8(4));
        headlight.Toggle();
        QCOMPARE(headlight.Get(), 4);
        QCOMPARE(sent(), QStringList());
    }

    void chartTime_cyclesAndLeavesOthersAlone()
    {
        ChartTimeUserSetting chart;
        chart.SyncWithMasterValue(quint8(0));
        QList<int> seen;
        for (int i = 0; i < 5; ++i) {
            chart.Increment();
            seen.append(chart.Get());
        }
        QCOMPARE(seen, (QList<int>{1, 2, 3, 0, 1}));
        chart.SyncWithMasterValue(quint8(7));
        chart.Increment();
        QCOMPARE(chart.Get(), 7);
        chart.SetDefault();
        QCOMPARE(chart.Get(), 1);
    }

    void operatingMode_decodesTheHeadsCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("audio");
        QTest::addColumn<QStringList>("msgs");
        // Starts from Echo with the audio mode at tone.
        QTest::newRow("0 standby") << 0 << 0 << 1 << QStringList{};
        QTest::newRow("1 search, tone unchanged") << 1 << 4 << 1 << QStringList{};
        QTest::newRow("3 search RX2 FM") << 3 << 4 << 3 << QStringList{"34 p0 [03]"};
        QTest::newRow("5 search RX3 FM") << 5 << 4 << 5 << QStringList{"34 p0 [05]"};
        QTest::newRow("6 ambient") << 6 << 1 << 1 << QStringList{};
        QTest::newRow("9 ambient") << 9 << 1 << 1 << QStringList{};
        QTest::newRow("10 echo") << 10 << 3 << 1 << QStringList{};
        QTest::newRow("13 cw") << 13 << 2 << 1 << QStringList{};
        QTest::newRow("11 ignored") << 11 << 3 << 1 << QStringList{};
        QTest::newRow("12 ignored") << 12 << 3 << 1 << QStringList{};
        QTest::newRow("14 ignored") << 14 << 3 << 1 << QStringList{};
        QTest::newRow("255 ignored") << 255 << 3 << 1 << QStringList{};
    }

    void operatingMode_decodesTheHeadsCode()
    {
        QFETCH(int, code);
        QFETCH(int, mode);
        QFETCH(int, audio);
        QFETCH(QStringList, msgs);
        OperatingModeUserSetting setting;
        setting.SyncWithMasterValue(quint8(10));
        setting.SyncWithMasterValue(quint8(code));
        QCOMPARE(setting.Get(), mode);
        QCOMPARE(AudioModeUserSetting().Get(), audio);
        QCOMPARE(sent(), msgs);
    }

    void operatingMode_mapsToTheHeadsCode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("audio");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("debug");
        const QString audioOff =
            QStringLiteral("TODO ERROR: TODO. What to do about Audio Mode Off!!");
        const QString cw = QStringLiteral("TODO ERROR:  TODO:  CW? What to do?");
        QTest::newRow("standby") << 0 << 4 << 0 << QStringList{};
        QTest::newRow("ambient") << 1 << 4 << 6 << QStringList{};
        QTest::newRow("cw") << 2 << 4 << 4 << QStringList{cw};
        QTest::newRow("echo") << 3 << 4 << 10 << QStringList{};
        QTest::newRow("search RX2 AM") << 4 << 2 << 2 << QStringList{};
        QTest::newRow("search RX3 FM") << 4 << 5 << 5 << QStringList{};
        QTest::newRow("search tone") << 4 << 1 << 1 << QStringList{};
        QTest::newRow("search off") << 4 << 0 << 1 << QStringList{audioOff};
        QTest::newRow("search unknown audio") << 4 << 9 << 1 << QStringList{};
        QTest::newRow("unknown mode") << 7 << 2 << 0 << QStringList{};
    }

    void operatingMode_mapsToTheHeadsCode()
    {
        QFETCH(int, mode);
        QFETCH(int, audio);
        QFETCH(int, code);
        QFETCH(QStringList, debug);
        OperatingModeUserSetting().SyncWithMasterValue(quint8(0));
        UserSettingsStore store;
        store.setValue(OperatingModeUserSetting().Key(), mode);
        store.setValue(AudioModeUserSetting().Key(), audio);
        QuarnTest::LogCapture log;
        QCOMPARE(int(OperatingModeUserSetting().GetValueMappedToMasterOpModeValue()), code);
        QCOMPARE(log.lines(), debug);
    }

    void audioMode_labels()
    {
        const QStringList expected = {"Off",    "Tone",   "2nd AM",       "2nd FM",
                                      "3rd AM", "3rd FM", "unknown-error"};
        for (int value = 0; value <= 6; ++value) {
            UserSettingsStore().setValue(AudioModeUserSetting().Key(), value);
            QCOMPARE(AudioModeUserSetting().toString(), expected.at(value));
        }
        UserSettingsStore().setValue(AudioModeUserSetting().Key(), -1);
        QCOMPARE(AudioModeUserSetting().toString(), QStringLiteral("unknown-error"));
    }

    void targetVibrationByte_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("pulse");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("pulseAfter");
        QTest::addColumn<QStringList>("msgs");
        QTest::newRow("off") << 0 << 2 << 0 << 2 << QStringList{};
        QTest::newRow("on target, long") << 1 << 2 << 2 << 2 << QStringList{};
        QTest::newRow("on touch, long") << 2 << 2 << 0 << 2 << QStringList{};
        QTest::newRow("on both, short") << 3 << 1 << 1 << 1 << QStringList{};
        QTest::newRow("on both, width 0 repaired") << 3 << 0 << 1 << 1 << QStringList{"86 p0 [01]"};
        QTest::newRow("on touch, width 0 left") << 2 << 0 << 0 << 0 << QStringList{};
    }

    void targetVibrationByte()
    {
        QFETCH(int, mode);
        QFETCH(int, pulse);
        QFETCH(int, byte);
        QFETCH(int, pulseAfter);
        QFETCH(QStringList, msgs);
        HapticUserSetting().SyncWithMasterValue(quint8(mode));
        HapticPulseSetting().SyncWithMasterValue(quint8(pulse));
        QCOMPARE(int(HapticUserSetting().GetMappedToMaster()), byte);
        QCOMPARE(HapticPulseSetting().Get(), pulseAfter);
        QCOMPARE(sent(), msgs);
    }

    void hapticPulse_sendsTheByteOfTheStoredMode()
    {
        HapticUserSetting().SyncWithMasterValue(quint8(eHapticUserSetting::OnBoth));
        HapticPulseSetting().Set(ePulseWidth::Long);
        HapticPulseSetting().SetDefault();
        HapticUserSetting().SetDefault();
        QCOMPARE(sent(), (QStringList{"86 p0 [02]", "86 p0 [01]", "86 p0 [00]"}));
    }

    void brightness_drivesTheBacklight_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("dim") << 0 << QByteArray("15\n");
        QTest::newRow("medium") << 1 << QByteArray("50\n");
        QTest::newRow("high") << 2 << QByteArray("100\n");
        QTest::newRow("other") << 7 << QByteArray("100\n");
    }

    void brightness_drivesTheBacklight()
    {
        QFETCH(int, level);
        QFETCH(QByteArray, file);
        BrightnessUserSetting brightness;
        brightness.Set(eBrightness(level));
        QCOMPARE(backlight(), file);
        QCOMPARE(sent(), QStringList{QStringLiteral("126 p0 [%1]").arg(level, 2, 16, QChar('0'))});

        QFile::remove(Board::Get().BacklightBrightnessFile());
        BrightnessUserSetting constructed;
        QCOMPARE(backlight(), file);
    }

    void brightness_fromTheHead_appliesLocallyOnly()
    {
        BrightnessUserSetting brightness;
        brightness.SyncWithMasterValue(quint8(1));
        QCOMPARE(brightness.Get(), 1);
        QCOMPARE(backlight(), QByteArray("50\n"));
        QCOMPARE(sent(), QStringList());
    }

    void adminOptions_featureBits()
    {
        AdminOptionsSettings options;
        QVERIFY(!options.IsRegionChangeAllowed());
        QVERIFY(!options.IsHeadVariant900());
        options.Set(0x0010 | 0x0020 | 0x0400);
        QVERIFY(options.IsRegionChangeAllowed());
        QVERIFY(options.AreNonRegulatedFreqModesAllowed());
        QVERIFY(options.IsHarmonicListeningAllowed());
        QVERIFY(!options.IsHeadVariant900());
        options.Set(0x1000 | 0x0040);
        QVERIFY(options.IsRegionChangeAllowed());
        QVERIFY(options.IsHeadVariant900());
    }
};

QUARN_TEST_MAIN(TestSettingsCatalogue)
#include "tst_settingsCatalogue.moc"
