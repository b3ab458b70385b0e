#include "board/board.h"
#include "bus/quarnBus.h"
#include "screens/homescreen.h"
#include "settings/adminOptionsSettings.h"
#include "settings/modelUserSetting.h"
#include "settings/muteUserSetting.h"
#include "settings/operatingModeUserSetting.h"
#include "settings/regionUserSetting.h"
#include "settings/startupParametersSetting.h"
#include "settings/userSettingsService.h"
#include "settings/userSettingsStore.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>

namespace {
QByteArray fromMst(QuarnBusMsgType type, const QByteArray& body, char param = 0)
{
    return QuarnBusMsg(type, BusId::Tsc, param, body).serializeFrom(BusId::Mst);
}

QString readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).trimmed() : QString();
}
} // namespace

class TestHomeScreen : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

private slots:
    void initTestCase()
    {
        UserSettingsStore::Configure();
        m_line = new FakeDevice;
        QuarnBus::Install(m_line);
        QDir().mkpath(QFileInfo(Board::Get().BacklightPowerFile()).path());
        // A synchronised settings service sends nothing of its own during the tests.
        UserSettingsService::Get();
        m_line->feed(fromMst(eGetSystemDataMsgResp, QByteArray("VEK0") + QByteArray(24, 0)));
    }

    void init() { m_line->takeWritten(); }

    void startUpQueries_goOutInOrder_500msAfterCreation()
    {
        QElapsedTimer clock;
        clock.start();
        HomeScreen screen;
        QVERIFY(BusTraffic::split(m_line->takeWritten()).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!m_line->written().isEmpty(), 2000);
        QVERIFY(clock.elapsed() >= 500);
        QList<int> types;
        for (const QuarnBusMsg& msg : BusTraffic::split(m_line->takeWritten())) {
            types.append(msg.type);
            QCOMPARE(int(msg.destId), 0x48);
            QVERIFY(msg.body.isEmpty());
        }
        QCOMPARE(types, (QList<int>{108, 100, 48, 140, 160}));
    }

    void headType_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("headType");
        QTest::newRow("bit 6 of byte 2 wins") << QByteArray::fromHex("1300400000") << 1;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("id 19") << QByteArray::fromHex("1300000000") << 3;
        QTest::newRow("id 17 short") << QByteArray::fromHex("11") << 3;
        QTest::newRow("id 1") << QByteArray::fromHex("0100000001") << 0;
        QTest::newRow("id 5 byte 4 set") << QByteArray::fromHex("0500000001") << 2;
        QTest::newRow("id 5 four bytes") << QByteArray::fromHex("05000000") << 0;
        QTest::newRow("two bytes, bit 6 absent") << QByteArray::fromHex("0540") << 0;
    }

    void headType()
    {
        QFETCH(QByteArray, payload);
        QFETCH(int, headType);
        HomeScreen screen;
        QSignalSpy spy(&screen, &HomeScreen::headTypeAttached);
        m_line->feed(fromMst(eGetSysInformationMsgResp, payload));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(int(spy.at(0).at(0).value<eHeadTypeIdT>()), headType);
    }

    void sysInformation_storesAdminOptions()
    {
        HomeScreen screen;
        m_line->feed(fromMst(eGetSysInformationMsgResp, QByteArray::fromHex("0100341200")));
        QCOMPARE(int(AdminOptionsSettings().Get()), 0x1234);
        m_line->feed(fromMst(eGetSysInformationMsgResp, QByteArray::fromHex("010056")));
        QCOMPARE(int(AdminOptionsSettings().Get()), 0x56);
        m_line->feed(fromMst(eGetSysInformationMsgResp, QByteArray::fromHex("01")));
        QCOMPARE(int(AdminOptionsSettings().Get()), 0);
    }

    void country_setsRegion_andModelIn14to31_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("model");
        QTest::newRow("13") << 13 << false;
        QTest::newRow("14") << 14 << true;
        QTest::newRow("31") << 31 << true;
        QTest::newRow("32") << 32 << false;
    }

    void country_setsRegion_andModelIn14to31()
    {
        QFETCH(int, code);
        QFETCH(bool, model);
        ModelUserSetting().SyncWithMasterValue((unsigned char)15);
        HomeScreen screen;
        m_line->feed(fromMst(eGetCountryMsgResp, QByteArray(1, char(code))));
        QCOMPARE(int(RegionUserSetting().Get()), code);
        QCOMPARE(int(ModelUserSetting().Get()), model ? code : 15);
    }

    void operatingModeReport_isDecodedOn35Only()
    {
        OperatingModeUserSetting().SyncWithMasterValue((unsigned char)0);
        HomeScreen screen;
        m_line->feed(fromMst(eGetOperatingModeMsgResp, "\x06"));
        QCOMPARE(int(OperatingModeUserSetting().Get()), 0);
        m_line->feed(fromMst(eGetOperatingModeMsgRespToSet, "\x06"));
        QCOMPARE(int(OperatingModeUserSetting().Get()), 1); // ambient
    }

    void backlight_switchesOnChangesOnly()
    {
        HomeScreen screen;
        const QString power = Board::Get().BacklightPowerFile();
        QFile::remove(power);
        const QByteArray dark = QByteArray::fromHex("56454b3000");
        const QByteArray lit = QByteArray::fromHex("56454b3004");
        m_line->feed(fromMst(eGetSystemDataMsgResp, dark));
        QCOMPARE(readFile(power), QStringLiteral("1"));
        QFile::remove(power);
        m_line->feed(fromMst(eGetSystemDataMsgResp, dark));
        QVERIFY(!QFileInfo::exists(power)); // already dark: no second command
        m_line->feed(fromMst(eGetSystemDataMsgResp, lit));
        QCOMPARE(readFile(power), QStringLiteral("0"));
        QVERIFY(!screen.isBacklightOff());
    }

    void userFlags_setStartupSetting()
    {
        HomeScreen screen;
        m_line->feed(fromMst(eGetUflagsMsgResp, "\x03"));
        QCOMPARE(int(StartupParametersSetting().Get()), 1);
        m_line->feed(fromMst(eGetUflagsMsgResp, "\x02"));
        QCOMPARE(int(StartupParametersSetting().Get()), 0);
    }

    void zoneFlags_hideSpectralButton_forCurrentRegionOnly()
    {
        HomeScreen screen;
        screen.show();
        RegionUserSetting().SyncWithMasterValue((unsigned char)33);
        auto* spectral = screen.findChild<QAbstractButton*>(QStringLiteral("btnKeypad"));
        QVERIFY(spectral && spectral->isVisible());
        QByteArray zone(14, 0);
        zone[13] = 0x04;
        m_line->feed(fromMst(eGetZoneMsgResp, zone, 20));
        QVERIFY(spectral->isVisible());
        m_line->feed(fromMst(eGetZoneMsgResp, zone, 33));
        QVERIFY(!spectral->isVisible());
        m_line->feed(fromMst(eGetZoneMsgResp, zone.left(13), 33));
        QVERIFY(spectral->isVisible());
    }

    void muteButton_togglesTwiceBackToStart()
    {
        MuteUserSetting().SyncWithMasterValue((unsigned char)0);
        HomeScreen screen;
        auto* mute = screen.findChild<QAbstractButton*>(QStringLiteral("btnMute"));
        const qint64 unmutedIcon = mute->icon().cacheKey();
        QTest::mouseClick(mute, Qt::LeftButton);
        QCOMPARE(int(MuteUserSetting().Get()), 1);
        QVERIFY(mute->icon().cacheKey() != unmutedIcon);
        QTest::mouseClick(mute, Qt::LeftButton);
        QCOMPARE(int(MuteUserSetting().Get()), 0);
    }

    void navigationButtons_raiseTheirSignals()
    {
        HomeScreen screen;
        const QList<QPair<const char*, void (HomeScreen::*)()>> buttons = {
            {"btnBarGraph", &HomeScreen::barSelected},
            {"btnChartRec", &HomeScreen::chartSelected},
            {"btnFreqScan", &HomeScreen::scanSelected},
            {"btnKeypad", &HomeScreen::spectralSelected},
            {"btnSetup", &HomeScreen::setupSelected}};
        for (const auto& [name, signal] : buttons) {
            QSignalSpy spy(&screen, signal);
            QTest::mouseClick(screen.findChild<QAbstractButton*>(QLatin1String(name)),
                              Qt::LeftButton);
            QCOMPARE(spy.count(), 1);
        }
    }
};

QUARN_GUI_TEST_MAIN(TestHomeScreen)
#include "tst_homescreen.moc"
