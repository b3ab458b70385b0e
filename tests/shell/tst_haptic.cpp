#include "bus/quarnBus.h"
#include "settings/hapticUserSetting.h"
#include "settings/userSettingsStore.h"
#include "shell/hapticPushButton.h"
#include "shell/hapticRadioButton.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QApplication>

class TestHaptic : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

    // Number of pulses sent, each checked to be the 50 ms pulse to the keypad controller.
    int pulses()
    {
        QByteArray bytes = m_line->takeWritten();
        const QByteArray pulse =
            QuarnBusMsg(eQuarnActivateHapticRequest, BusId::Key, 0, QByteArray::fromHex("0432"))
                .serialize();
        int n = 0;
        while (bytes.startsWith(pulse)) {
            bytes.remove(0, pulse.size());
            ++n;
        }
        return bytes.isEmpty() ? n : -1;
    }

private slots:
    void initTestCase()
    {
        UserSettingsStore::Configure();
        m_line = new FakeDevice;
        QuarnBus::Install(m_line);
    }

    void init() { m_line->takeWritten(); }

    void pushButton_followsTheSetting_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("pulses");
        QTest::newRow("off") << 0 << 0;
        QTest::newRow("target only") << 1 << 0;
        QTest::newRow("touch") << 2 << 1;
        QTest::newRow("both") << 3 << 1;
    }

    void pushButton_followsTheSetting()
    {
        QFETCH(int, mode);
        QFETCH(int, pulses);
        HapticUserSetting().SyncWithMasterValue((unsigned char)mode);
        HapticPushButton button;
        QCoreApplication::processEvents(); // the deferred connection
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(this->pulses(), pulses);
    }

    void pressBeforeEventLoopRan_givesNoPulse()
    {
        HapticUserSetting().SyncWithMasterValue((unsigned char)2);
        HapticPushButton button;
        QTest::mouseClick(&button, Qt::LeftButton);
        HapticRadioButton radio(QStringLiteral("Option"));
        const QPoint onRadio(8, radio.sizeHint().height() / 2);
        radio.resize(radio.sizeHint());
        QTest::mouseClick(&radio, Qt::LeftButton, {}, onRadio);
        QCOMPARE(pulses(), 0);
        QCoreApplication::processEvents();
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&radio, Qt::LeftButton, {}, onRadio);
        QCOMPARE(pulses(), 2);
    }

    void ownersWiringComesFirst()
    {
        HapticUserSetting().SyncWithMasterValue((unsigned char)3);
        HapticPushButton button;
        QStringList order;
        connect(&button, &QPushButton::pressed, this,
                [&] { order << (m_line->written().isEmpty() ? "owner first" : "owner second"); });
        QCoreApplication::processEvents();
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(order, QStringList{"owner first"});
        QCOMPARE(pulses(), 1);
    }

    void autoRepeatModulo_vibratesEveryNthPress()
    {
        HapticUserSetting().SyncWithMasterValue((unsigned char)2);
        HapticPushButton button;
        button.setAutoRepeat(true);
        button.setVibrateModuloWhenAutoRepeat(4);
        QCoreApplication::processEvents();
        // One hold: the first press and each repeat emit pressed().
        QList<int> vibrated;
        for (int press = 1; press <= 10; ++press) {
            button.VibrateOnClick();
            if (pulses() == 1)
                vibrated << press;
        }
        QCOMPARE(vibrated, (QList<int>{1, 5, 9}));
        QTest::mouseRelease(&button, Qt::LeftButton); // release starts a new count
        button.VibrateOnClick();
        QCOMPARE(pulses(), 1);
    }
};

QUARN_GUI_TEST_MAIN(TestHaptic)
#include "tst_haptic.moc"
