#include "settings/userSettingInt.h"
#include "settings/userSettingsStore.h"
#include "tests/support/busTraffic.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QFile>

namespace {
enum class eSample : int
{
    A = 0,
    B = 1,
    C = 2
};
const SettingRange kAny{0, 0xFFFFFFFF};
} // namespace

class TestUserSettingInt : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

private slots:
    void initTestCase() { m_line = QuarnTest::InstallFakeLine(); }

    void init()
    {
        UserSettingsStore store;
        store.clear();
        store.sync();
        m_line->takeWritten();
    }

    void store_isTheIniFileInTheBoardsSettingsFolder()
    {
        QCOMPARE(UserSettingsStore::FileName(),
                 QuarnTest::SandboxRoot() + "/media/mmcblk0p4/Settings/VEK/QUARN_2_4.conf");
        {
            UserSettingInt<unsigned char> volume(QStringLiteral("userSettings/sample"), 0, kAny);
            volume.Set(42);
        }
        QFile file(UserSettingsStore::FileName());
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QCOMPARE(file.readAll(), QByteArray("[userSettings]\nsample=42\n"));
    }

    void neverWritten_readsTheDefault()
    {
        const UserSettingInt<eSample> setting(QStringLiteral("userSettings/never"), eSample::C,
                                              kAny);
        QCOMPARE(setting.Get(), 2);
        QCOMPARE(setting.toString(), QStringLiteral("2"));
        QVERIFY(!UserSettingsStore().contains(setting.Key()));
    }

    void twoInstances_seeEachOthersWritesAtOnce()
    {
        UserSettingInt<eSample> first(QStringLiteral("userSettings/shared"), eSample::A, kAny);
        const UserSettingInt<eSample> second(QStringLiteral("userSettings/shared"), eSample::A,
                                             kAny);
        first.Set(eSample::B);
        QCOMPARE(second.Get(), 1);
        first.Set(eSample::C);
        QCOMPARE(second.Get(), 2);
    }

    void outOfRangeValue_isPassedThrough()
    {
        UserSettingInt<unsigned char> setting(QStringLiteral("userSettings/byte"), 0, kAny);
        UserSettingsStore().setValue(setting.Key(), 300);
        QCOMPARE(setting.Get(), 300);
        QCOMPARE(setting.toString(), QStringLiteral("300"));
    }

    void unsigned32_keepsTheFullRange()
    {
        UserSettingInt<unsigned int> setting(QStringLiteral("userSettings/wide"), 2404000000u,
                                             kAny);
        QCOMPARE(setting.Get(), 2404000000u);
        setting.Set(4294967295u);
        QCOMPARE(setting.Get(), 4294967295u);
        QCOMPARE(setting.toString(), QStringLiteral("4294967295"));
    }

    void syncWithMasterValue_storesWithoutTellingTheHead()
    {
        UserSettingInt<unsigned int> setting(QStringLiteral("userSettings/master"), 0, kAny);
        setting.SyncWithMasterValue(static_cast<unsigned char>(200));
        QCOMPARE(setting.Get(), 200u);
        setting.SyncWithMasterValue(3000000000u);
        QCOMPARE(setting.Get(), 3000000000u);
        setting.Set(5);
        QCOMPARE(m_line->takeWritten(), QByteArray());
    }
};

QUARN_TEST_MAIN(TestUserSettingInt)
#include "tst_userSettingInt.moc"
