#include "board/board.h"
#include "bus/msgShapes.h"
#include "bus/quarnBus.h"
#include "bus/rtcSetDateTimeMsg.h"
#include "screens/bargraph.h"
#include "screens/frequencyhistogram.h"
#include "services/timeService.h"
#include "settings/hapticUserSetting.h"
#include "settings/volumeUserSetting.h"
#include "setup/dateAndTimeSettingSubscreen.h"
#include "shell/hapticPushButton.h"
#include "shell/hapticRadioButton.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QApplication>
#include <QSignalSpy>

#include <memory>

namespace {
constexpr quint32 kMHz = 1000000;

// The head's band 2400..2483 MHz in one-MHz steps, as range and zone answers.
void feedBand(FakeDevice* line)
{
    QByteArray range;
    appendLe32(range, 2400 * kMHz);
    appendLe32(range, 2483 * kMHz);
    appendLe16(range, 2400);
    range.append(char(84));
    line->feed(QuarnBusMsg(eGetFreqRangeMsgResp, BusId::Tsc, 0, range).serializeFrom(BusId::Mst));
}

std::unique_ptr<QWidget> screenWithHeldButton(const QString& screen)
{
    if (screen == QLatin1String("bargraph")) {
        auto bargraph = std::make_unique<Bargraph>();
        // Only volume mode steps: the first touch of "up" enters it.
        bargraph->on_btnVolUp_clicked();
        return bargraph;
    }
    if (screen == QLatin1String("freqscan"))
        return std::make_unique<FrequencyHistogram>();
    return std::make_unique<DateAndTimeSettingSubscreen>();
}
} // namespace

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
        m_line = QuarnTest::InstallSettledLine();
        // The clock answers at once: the time service's start-up requests stop.
        TimeService::Get();
        m_line->feed(QuarnBusMsg(eRtcGetDateTimeMsg, BusId::Tsc, 0,
                                 RtcSetDateTimeMsg(Board::Get().Now(), BusId::Tsc).body)
                         .serializeFrom(BusId::Bbm));
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

    // Qt ends a hold of an auto-repeating button with one more click on release: a step
    // that reached the head after the finger had left.
    void heldStep_repeats_andStopsAtRelease_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("button");
        QTest::newRow("bar graph volume down") << "bargraph"
                                               << "btnVolDown";
        QTest::newRow("bar graph volume up") << "bargraph"
                                             << "btnVolUp";
        QTest::newRow("hour +") << "dateAndTime"
                                << "hourIncrementButton";
        QTest::newRow("minute -") << "dateAndTime"
                                  << "minuteDecrement";
        QTest::newRow("scan left") << "freqscan"
                                   << "btnLeft";
        QTest::newRow("scan right") << "freqscan"
                                    << "btnRight";
    }

    void heldStep_repeats_andStopsAtRelease()
    {
        QFETCH(QString, screen);
        QFETCH(QString, button);
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        HapticUserSetting().SyncWithMasterValue((unsigned char)0);
        VolumeUserSetting().SyncWithMasterValue((unsigned char)25);
        std::unique_ptr<QWidget> page = screenWithHeldButton(screen);
        page->resize(240, 280);
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.get()));
        feedBand(m_line);
        auto* held = page->findChild<QAbstractButton*>(button);
        QVERIFY(held);
        const QPushButton volumeStep;
        QCOMPARE(held->autoRepeatDelay(), volumeStep.autoRepeatDelay());
        QCOMPARE(held->autoRepeatInterval(), volumeStep.autoRepeatInterval());
        QSignalSpy steps(held, &QAbstractButton::clicked);

        QTest::mouseClick(held, Qt::LeftButton); // a tap is one step
        QCOMPARE(steps.count(), 1);
        QTest::mousePress(held, Qt::LeftButton);
        QTRY_VERIFY(steps.count() >= 4);
        QVERIFY(!m_line->takeWritten().isEmpty()); // the steps went to the head
        const int stepped = steps.count();
        QTest::mouseRelease(held, Qt::LeftButton);
        QVERIFY(!steps.wait(3 * held->autoRepeatInterval()));
        QCOMPARE(steps.count(), stepped);
        QCOMPARE(m_line->takeWritten(), QByteArray());
    }
};

QUARN_GUI_TEST_MAIN(TestHaptic)
#include "tst_haptic.moc"
