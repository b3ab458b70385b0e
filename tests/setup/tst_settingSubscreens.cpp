#include "settings/adminOptionsSettings.h"
#include "settings/audioModeUserSetting.h"
#include "settings/audioSourceUserSetting.h"
#include "settings/hapticPulseSetting.h"
#include "settings/hapticUserSetting.h"
#include "settings/powerOnScreenSetting.h"
#include "settings/userSettingsService.h"
#include "setup/autoPowerOffSettingSubscreen.h"
#include "setup/chartTimeSettingSubscreen.h"
#include "setup/dspGainSettingSubscreen.h"
#include "setup/freqModeSettingSubscreen.h"
#include "setup/headlightSettingSubscreen.h"
#include "setup/powerOnScreenSettingSubscreen.h"
#include "setup/setupAudioModesSubScreen.h"
#include "setup/setupBrightnessSettingSubScreen.h"
#include "setup/setupVibrateSettingSubScreen.h"
#include "setup/standbyTimeSettingSubscreen.h"
#include "setup/toneStyleSettingSubscreen.h"
#include "setup/txPowerModeSettingSubscreen.h"
#include "setup/volumeMuteSettingSubscreen.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QProgressBar>
#include <QSignalSpy>

#include <functional>
#include <memory>

namespace {

QString frame(QuarnBusMsgType type, const char* hexBody)
{
    return QStringLiteral("%1 p0 [%2]").arg(int(type)).arg(QLatin1String(hexBody));
}

// One option of one subscreen: the press, what the store and the head then hold, and a
// change made elsewhere that the next show must check.
struct Option
{
    const char* tag;
    std::function<SettingSubscreenWidget*()> make;
    const char* button;
    std::function<int()> stored;
    int value;
    QStringList frames;
    std::function<void(unsigned char)> syncFromHead;
    int outsideValue;
    const char* outsideButton;
};

template <typename Screen, typename Setting>
Option option(const char* tag, const char* button, int value, QStringList frames, int outsideValue,
              const char* outsideButton)
{
    return {tag,
            [] { return new Screen; },
            button,
            [] { return int(Setting().Get()); },
            value,
            std::move(frames),
            [](unsigned char v) { Setting().SyncWithMasterValue(v); },
            outsideValue,
            outsideButton};
}

QList<Option> options()
{
    return {
        option<DspGainSettingSubscreen, DspGainLevelUserSetting>(
            "dsp gain", "highButton", 2, {frame(eSetDspGainLevelMsg, "02")}, 1, "mediumButton"),
        option<AutoPowerOffSettingSubscreen, AutoPowerOffUserSetting>(
            "auto off", "time30minButton", 5, {frame(eSetAutoOffMsg, "05")}, 0, "disabledButton"),
        option<StandbyTimeSettingSubscreen, StandbyTimeUserSetting>(
            "standby", "time3minButton", 3, {frame(eSetStandbyTimeMsg, "03")}, 9, "disabledButton"),
        option<SetupBrightnessSettingSubScreen, BrightnessUserSetting>(
            "brightness", "dimButton", 0, {frame(eSetBrightnessMsg, "00")}, 7, "highButton"),
        option<HeadlightSettingSubscreen, HeadlightUserSetting>(
            "headlight", "onButton", 1, {frame(eSetHeadlightMsg, "01")}, 0, "offButton"),
        option<TxPowerModeSettingSubscreen, TxPowerModeUserSetting>(
            "tx power", "manualButton", 0, {frame(eSetTxPowerModeMsg, "00")}, 1, "autoButton"),
        option<ChartTimeSettingSubscreen, ChartTimeUserSetting>("chart time", "btnChartTime2min", 3,
                                                                {}, 1, "btnChartTime30sec"),
        option<ToneStyleSettingSubscreen, ToneStyleUserSetting>("tone style", "btnToneStyleDiff", 3,
                                                                {frame(eSetToneStyleMsg, "03")}, 1,
                                                                "btnToneStyle3rd"),
        option<FreqModeSettingSubscreen, FreqModeUserSetting>(
            "freq mode", "hopButton", 3, {frame(eSetFreqModeMsg, "03")}, 0, "manualButton"),
        option<SetupVibrateSettingSubScreen, HapticUserSetting>("haptic", "radioButtonOff", 0,
                                                                {frame(eSetTargetHapticMsg, "00")},
                                                                3, "radioButtonOnBoth"),
        option<SetupVibrateSettingSubScreen, HapticPulseSetting>("pulse", "radioButtonLong", 2,
                                                                 {frame(eSetTargetHapticMsg, "02")},
                                                                 0, "radioButtonShort"),
        option<PowerOnScreenSettingSubscreen, PowerOnScreenSetting>(
            "power-on screen", "keypadButton", 3, {}, 2, "chartButton"),
        option<PowerOnScreenSettingSubscreen, StartupParametersSetting>(
            "startup", "internalButton", 1, {frame(eSetUflagsMsg, "01 ff")}, 0, "lastButton"),
        option<SetupAudioModesSubScreen, AudioModeUserSetting>(
            "audio mode", "audioListen2ndHarmonicFM", 3, {frame(eSetOperatingModeMsg, "03")}, 5,
            "audioListen3rdHarmonicFM"),
        option<SetupAudioModesSubScreen, AudioSourceUserSetting>(
            "audio source", "btnHpOnly", 0, {frame(eSetAudioOutputMsg, "00")}, 1, "btnSpeaker"),
    };
}

QAbstractButton* button(QWidget* screen, const char* name)
{
    return screen->findChild<QAbstractButton*>(QLatin1String(name));
}

} // namespace

class TestSettingSubscreens : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

    std::unique_ptr<SettingSubscreenWidget> shown(SettingSubscreenWidget* screen)
    {
        screen->resize(240, 222);
        screen->show();
        m_line->takeWritten();
        return std::unique_ptr<SettingSubscreenWidget>(screen);
    }

private slots:
    // The offscreen platform warns of every window with a layout. Vibration on target only:
    // the head's byte carries the pulse, and a touch sends nothing.
    void init()
    {
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        HapticUserSetting().SyncWithMasterValue((unsigned char)1);
    }

    void initTestCase()
    {
        m_line = QuarnTest::InstallSettledLine();
        init();
        AdminOptionsSettings().SyncWithMasterValue(
            (unsigned int)(AdminOptionsSettings::kNonRegulatedFreqModes |
                           AdminOptionsSettings::kHarmonicListening));
    }

    void option_reachesStoreAndHead_andOutsideChangeShowsNextTime_data()
    {
        QTest::addColumn<int>("row");
        const QList<Option> all = options();
        for (int i = 0; i < all.size(); ++i)
            QTest::newRow(all.at(i).tag) << i;
    }

    void option_reachesStoreAndHead_andOutsideChangeShowsNextTime()
    {
        QFETCH(int, row);
        const Option o = options().at(row);
        auto screen = shown(o.make());
        QAbstractButton* pressed = button(screen.get(), o.button);
        QVERIFY(pressed && pressed->isVisible());
        QTest::mouseClick(pressed, Qt::LeftButton);
        QVERIFY(pressed->isChecked());
        QCOMPARE(o.stored(), o.value);
        QCOMPARE(BusTraffic::take(m_line), o.frames);

        o.syncFromHead((unsigned char)o.outsideValue);
        screen->hide();
        screen->show();
        QVERIFY(button(screen.get(), o.outsideButton)->isChecked());
        QVERIFY(!pressed->isChecked() || pressed == button(screen.get(), o.outsideButton));
    }

    void headChangesPowerModeAndHeadlight_whileShown()
    {
        auto tx = shown(new TxPowerModeSettingSubscreen);
        auto light = shown(new HeadlightSettingSubscreen);
        // The service tells of the head's changes by these signals (its own tests show when).
        UserSettingsService* service = UserSettingsService::Get();
        TxPowerModeUserSetting().SyncWithMasterValue((unsigned char)0);
        HeadlightUserSetting().SyncWithMasterValue((unsigned char)1);
        emit service->PowerModeSettingChanged();
        emit service->HeadlightSettingChanged();
        QVERIFY(button(tx.get(), "manualButton")->isChecked());
        QVERIFY(button(light.get(), "onButton")->isChecked());
        TxPowerModeUserSetting().SyncWithMasterValue((unsigned char)1);
        emit service->PowerModeSettingChanged();
        QVERIFY(button(tx.get(), "autoButton")->isChecked());
    }

    void nonRegulatedModes_needTheAdminBit_data()
    {
        QTest::addColumn<uint>("admin");
        QTest::addColumn<int>("storedMode");
        QTest::addColumn<int>("modeAfter");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<bool>("offered");
        QTest::newRow("hop, no bit")
            << 0x2003u << 3 << 1 << QStringList{frame(eSetFreqModeMsg, "01")} << false;
        QTest::newRow("sweep, no bit")
            << 0x2003u << 2 << 1 << QStringList{frame(eSetFreqModeMsg, "01")} << false;
        QTest::newRow("manual, no bit") << 0x2003u << 0 << 0 << QStringList() << false;
        QTest::newRow("hop, bit") << 0x0020u << 3 << 3 << QStringList() << true;
    }

    void nonRegulatedModes_needTheAdminBit()
    {
        QFETCH(uint, admin);
        QFETCH(int, storedMode);
        QFETCH(int, modeAfter);
        QFETCH(QStringList, frames);
        QFETCH(bool, offered);
        AdminOptionsSettings().SyncWithMasterValue(admin);
        FreqModeUserSetting().SyncWithMasterValue((unsigned char)storedMode);
        m_line->takeWritten();
        auto screen = std::make_unique<FreqModeSettingSubscreen>();
        screen->show();
        QCOMPARE(FreqModeUserSetting().Get(), modeAfter);
        QCOMPARE(BusTraffic::take(m_line), frames);
        for (const char* name : {"hopButton", "sweepButton"}) {
            QCOMPARE(button(screen.get(), name)->isVisible(), offered);
            QCOMPARE(button(screen.get(), name)->isCheckable(), offered);
        }
        const char* checked[] = {"manualButton", "autoButton", "sweepButton", "hopButton"};
        QVERIFY(button(screen.get(), checked[modeAfter])->isChecked());
    }

    void harmonicListening_needsTheAdminBit_data()
    {
        QTest::addColumn<uint>("admin");
        QTest::addColumn<int>("storedMode");
        QTest::addColumn<int>("modeAfter");
        QTest::addColumn<QString>("checked");
        QTest::newRow("RX3 FM, no bit") << 0x2003u << 5 << 1 << "audioToneButton";
        QTest::newRow("RX3 FM, bit") << 0x0400u << 5 << 5 << "audioListen3rdHarmonicFM";
        QTest::newRow("off, bit") << 0x0400u << 0 << 0 << "";
        QTest::newRow("off, no bit") << 0x2003u << 0 << 1 << "audioToneButton";
    }

    void harmonicListening_needsTheAdminBit()
    {
        QFETCH(uint, admin);
        QFETCH(int, storedMode);
        QFETCH(int, modeAfter);
        QFETCH(QString, checked);
        AdminOptionsSettings().SyncWithMasterValue(admin);
        AudioModeUserSetting().SyncWithMasterValue((unsigned char)storedMode);
        auto screen = shown(new SetupAudioModesSubScreen);
        QCOMPARE(AudioModeUserSetting().Get(), modeAfter);
        const bool listening = admin & AdminOptionsSettings::kHarmonicListening;
        for (const char* name : {"audioListen2ndHarmonicAM", "audioListen2ndHarmonicFM",
                                 "audioListen3rdHarmonicAM", "audioListen3rdHarmonicFM"})
            QCOMPARE(button(screen.get(), name)->isVisible(), listening);
        for (const char* name : {"audioToneButton", "audioListen3rdHarmonicFM"})
            QCOMPARE(button(screen.get(), name)->isChecked(), checked == QLatin1String(name));
    }

    void volumeWhileMuted_unmutesAndSteps()
    {
        VolumeUserSetting().SyncWithMasterValue((unsigned char)20);
        MuteUserSetting().SyncWithMasterValue((unsigned char)0x80);
        auto screen = shown(new VolumeMuteSettingSubscreen);
        auto* bar = screen->findChild<QProgressBar*>("progressBar");
        QAbstractButton* mute = button(screen.get(), "muteButton");
        QVERIFY(mute->isChecked());
        QVERIFY(!bar->isEnabled());
        QTest::mouseClick(button(screen.get(), "volUpButton"), Qt::LeftButton);
        QVERIFY(!mute->isChecked());
        QVERIFY(bar->isEnabled());
        QCOMPARE(bar->value(), 21);
        QCOMPARE(BusTraffic::take(m_line),
                 QStringList({frame(eSetVolumeMsg, "14"), frame(eSetVolumeMsg, "15")}));
        QTest::mouseClick(mute, Qt::LeftButton);
        QVERIFY(mute->isChecked());
        QVERIFY(!bar->isEnabled());
        QCOMPARE(MuteUserSetting().Get(), 1);
    }
};

QUARN_GUI_TEST_MAIN(TestSettingSubscreens)
#include "tst_settingSubscreens.moc"
