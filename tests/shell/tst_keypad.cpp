#include "bus/quarnBus.h"
#include "settings/muteUserSetting.h"
#include "settings/userSettingsService.h"
#include "settings/userSettingsStore.h"
#include "shell/fauxKeypadButton.h"
#include "shell/keypad.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QApplication>
#include <QSignalSpy>

#include <memory>

namespace {
// The frames of the leave sequence: system data request, normal search, keypad exit.
const QByteArray kLeaveFrames = QByteArray::fromHex("828a4845780000000501"
                                                    "828a484522000100ffaf01"
                                                    "828a48459a000100002801");
const QByteArray kReleaseFrame = QByteArray::fromHex("828a48456a000000f700");
} // namespace

class TestKeypad : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

private slots:
    void initTestCase() { m_line = QuarnTest::InstallSettledLine(); }

    void init() { m_line->takeWritten(); }

    void eachKey_sendsItsCodeThenRelease_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("press");
        QTest::newRow("up") << "btnUp" << QByteArray::fromHex("828a48456a010000f800");
        QTest::newRow("down") << "btnDown" << QByteArray::fromHex("828a48456a020000f900");
        QTest::newRow("left") << "btnLeft" << QByteArray::fromHex("828a48456a040000fb00");
        QTest::newRow("right") << "btnRight" << QByteArray::fromHex("828a48456a080000ff00");
        QTest::newRow("audio") << "btnAudio" << QByteArray::fromHex("828a48456a1000000701");
        QTest::newRow("set") << "btnSet" << QByteArray::fromHex("828a48456a2000001701");
        QTest::newRow("menu") << "pushButton" << QByteArray::fromHex("828a48456a4000003701");
        QTest::newRow("power") << "btnPower" << QByteArray::fromHex("828a48456a8000007701");
    }

    // Released before the first repeat: one press, one release, nothing on entering.
    void eachKey_sendsItsCodeThenRelease()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, press);
        Keypad keypad;
        QCoreApplication::processEvents();
        QCOMPARE(m_line->takeWritten(), QByteArray());
        auto* button = keypad.findChild<FauxKeypadButton*>(key);
        QVERIFY(button);
        emit button->pressed();
        emit button->released();
        QCOMPARE(m_line->takeWritten().toHex(), (press + kReleaseFrame).toHex());
    }

    void heldKey_repeatsEvery10ms_andEndsWithOneRelease()
    {
        FauxKeypadButton key(0x01, nullptr);
        QCoreApplication::processEvents();
        QTest::mousePress(&key, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(BusTraffic::split(m_line->written()).size() >= 10, 2000);
        QTest::mouseRelease(&key, Qt::LeftButton);
        const QStringList sent = BusTraffic::take(m_line);
        QCOMPARE(sent.last(), QStringLiteral("106 p0 []"));
        QCOMPARE(sent.count(QStringLiteral("106 p0 []")), 1);
        QCOMPARE(sent.count(QStringLiteral("106 p1 []")), sent.size() - 1);
    }

    void pressBeforeTheEventLoopRan_sendsNothing()
    {
        FauxKeypadButton key(0x20, nullptr);
        emit key.pressed();
        emit key.released();
        QCOMPARE(m_line->takeWritten(), QByteArray());
    }

    void leaving_handsTheHeadBack_andHidesTheMenuKey_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("toSetup");
        QTest::newRow("home") << "btnHome" << false;
        QTest::newRow("menu") << "btnMenu" << true;
    }

    void leaving_handsTheHeadBack_andHidesTheMenuKey()
    {
        QFETCH(QString, button);
        QFETCH(bool, toSetup);
        Keypad keypad;
        keypad.show();
        QSignalSpy home(&keypad, &Keypad::homeSelected);
        QSignalSpy setup(&keypad, &Keypad::setupSelected);
        auto* menuKey = keypad.findChild<QWidget*>(QStringLiteral("pushButton"));
        auto* mute = keypad.findChild<QAbstractButton*>(QStringLiteral("btnHeadlight"));
        const int muted = MuteUserSetting().Get();
        for (int press = 1; press <= Keypad::kMenuKeyRevealPresses; ++press) {
            QCOMPARE(menuKey->isVisible(), false);
            mute->click();
        }
        QVERIFY(menuKey->isVisible());
        QCOMPARE(MuteUserSetting().Get(), Keypad::kMenuKeyRevealPresses % 2 ? 1 - muted : muted);
        m_line->takeWritten();

        keypad.findChild<QAbstractButton*>(button)->click();
        QCOMPARE(m_line->takeWritten().toHex(), kLeaveFrames.toHex());
        QCOMPARE(home.count(), toSetup ? 0 : 1);
        QCOMPARE(setup.count(), toSetup ? 1 : 0);
        QVERIFY(!menuKey->isVisible());
        // The count starts again: one press does not bring the key back.
        mute->click();
        QVERIFY(!menuKey->isVisible());
    }

    void dialog_closedAnyWay_handsTheHeadBack()
    {
        auto dialog = std::make_unique<KeypadDialog>();
        QVERIFY(dialog->findChild<FauxKeypadButton*>(QStringLiteral("btnMenu"))
                    ->isVisibleTo(dialog.get()));
        dialog->reject();
        dialog.reset();
        QCOMPARE(m_line->takeWritten().toHex(), kLeaveFrames.toHex());
    }
};

QUARN_GUI_TEST_MAIN(TestKeypad)
#include "tst_keypad.moc"
