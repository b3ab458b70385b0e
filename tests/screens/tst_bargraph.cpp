#include "screens/bargraph.h"
#include "settings/hapticUserSetting.h"
#include "settings/muteUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/tripLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"
#include "settings/volumeUserSetting.h"
#include "shell/middleMan.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/screenCompare.h"
#include "tests/support/settledLine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSignalSpy>

using P = Bargraph::Placement;

namespace {
int countOf(const QVector<P>& placements, Bargraph::Image image)
{
    return int(std::count_if(placements.begin(), placements.end(),
                             [image](const P& p) { return p.image == image; }));
}

QImage iconImage(const QAbstractButton* button)
{
    return button->icon().pixmap(40, 40).toImage();
}

int countSent(const QList<QuarnBusMsg>& msgs, int type, int dest)
{
    return int(std::count_if(msgs.begin(), msgs.end(), [=](const QuarnBusMsg& m) {
        return int(m.type) == type && int(m.destId) == dest;
    }));
}

// Counts the paints a widget gets.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QImage resourceImage(const char* name)
{
    return QIcon(QStringLiteral(":/:/images/images/") + QLatin1String(name))
        .pixmap(40, 40)
        .toImage();
}
} // namespace

class TestBargraph : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;
    Bargraph* m_view = nullptr;

    QAbstractButton* button(const char* name)
    {
        return m_view->findChild<QAbstractButton*>(QLatin1String(name));
    }

private slots:
    void initTestCase()
    {
        // The markers show the head's levels once it has reported them.
        m_line = QuarnTest::InstallSettledLine();
        HapticUserSetting().SyncWithMasterValue((unsigned char)2); // vibrate on touch
        m_view = new Bargraph;
        m_view->resize(240, 280);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowActive(m_view));
    }

    void cleanupTestCase() { delete m_view; }

    void init()
    {
        PowerLevelUserSetting().SyncWithMasterValue((unsigned char)5);
        TripLevelUserSetting().SyncWithMasterValue((unsigned char)5);
        m_line->takeWritten();
    }

    void heights_data()
    {
        QTest::addColumn<int>("rx");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("top");
        QTest::newRow("255") << 255 << 166 << true;
        QTest::newRow("239") << 239 << 166 << true;
        QTest::newRow("238") << 238 << 165 << false;
        QTest::newRow("1") << 1 << 0 << false;
        QTest::newRow("2") << 2 << 1 << false;
    }

    void heights()
    {
        QFETCH(int, rx);
        QFETCH(int, height);
        QFETCH(bool, top);
        m_view->NewHarmonicData(20, rx, 0);
        QCOMPARE(m_view->rx2BarHeight(), height);
        QCOMPARE(m_view->powerBarHeight(), 166);
        const QVector<P> placements = m_view->placements();
        QCOMPARE(countOf(placements, Bargraph::eRx2Top), top ? 1 : 0);
        QCOMPARE(countOf(placements, Bargraph::eRx2Fill), (height + 1) / 2);
        QCOMPARE(countOf(placements, Bargraph::eRx3Fill), 0);
        QCOMPARE(countOf(placements, Bargraph::eRx3Bottom), 1);
    }

    void txAboveFullScale_fillsTheBarAndNoMore_data()
    {
        QTest::addColumn<int>("tx");
        QTest::addColumn<int>("height");
        QTest::newRow("20") << 20 << 166;
        QTest::newRow("21") << 21 << 166;
        QTest::newRow("100") << 100 << 166;
        QTest::newRow("255") << 255 << 166;
    }

    void txAboveFullScale_fillsTheBarAndNoMore()
    {
        QFETCH(int, tx);
        QFETCH(int, height);
        m_view->NewHarmonicData(tx, 0, 0);
        QCOMPARE(m_view->powerBarHeight(), height);
        const QVector<P> placements = m_view->placements();
        QCOMPARE(countOf(placements, Bargraph::ePowerFill), height / 2);
        for (const P& p : placements)
            QVERIFY2(p.y >= 30, qPrintable(QStringLiteral("drawn at y = %1").arg(p.y)));
    }

    void transmitterOff_drawsNoBarsButMarkers()
    {
        m_view->NewHarmonicData(0, 200, 200);
        const QVector<P> placements = m_view->placements();
        for (auto image : {Bargraph::ePowerBottom, Bargraph::eRx2Bottom, Bargraph::eRx3Bottom,
                           Bargraph::eRx2Fill})
            QCOMPARE(countOf(placements, image), 0);
        QVERIFY(placements.contains(P{Bargraph::ePowerRule, 30, 206 - 41}));
        QVERIFY(placements.contains(P{Bargraph::eTripRule, 110, 202 - 41}));
    }

    void onePowerUnit_isEightPixelsOfStrips()
    {
        m_view->NewHarmonicData(1, 0, 0);
        QCOMPARE(m_view->powerBarHeight(), 8);
        const QVector<P> placements = m_view->placements();
        QVector<P> power;
        for (const P& p : placements)
            if (p.image == Bargraph::ePowerBottom || p.image == Bargraph::ePowerFill)
                power.append(p);
        QCOMPARE(power, (QVector<P>{{Bargraph::ePowerBottom, 40, 208},
                                    {Bargraph::ePowerFill, 40, 206},
                                    {Bargraph::ePowerFill, 40, 204},
                                    {Bargraph::ePowerFill, 40, 202},
                                    {Bargraph::ePowerFill, 40, 200}}));
        QCOMPARE(countOf(placements, Bargraph::eRx2Bottom), 1);
        QCOMPARE(countOf(placements, Bargraph::eRx3Bottom), 1);
    }

    void autoPowerMarker_followsTxPowerMode()
    {
        PowerLevelUserSetting().SyncWithMasterValue((unsigned char)20);
        TxPowerModeUserSetting().SyncWithMasterValue((unsigned char)1);
        QVERIFY(m_view->placements().contains(P{Bargraph::eAutoPower, 10, 199 - 166}));
        TxPowerModeUserSetting().SyncWithMasterValue((unsigned char)0);
        QCOMPARE(countOf(m_view->placements(), Bargraph::eAutoPower), 0);
    }

    void touchAreas_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("type");  // expected message type, -1 for none
        QTest::addColumn<int>("value"); // its body byte
        QTest::newRow("power up corner") << QPoint(87, 122) << 38 << 6;
        QTest::newRow("power up top-left") << QPoint(10, 30) << 38 << 6;
        QTest::newRow("power down") << QPoint(87, 123) << 38 << 4;
        QTest::newRow("power down bottom") << QPoint(10, 225) << 38 << 4;
        QTest::newRow("gap 88") << QPoint(88, 100) << -1 << 0;
        QTest::newRow("gap 89") << QPoint(89, 100) << -1 << 0;
        QTest::newRow("trip up corner") << QPoint(227, 164) << 82 << 6;
        QTest::newRow("trip down") << QPoint(90, 165) << 82 << 4;
        QTest::newRow("right of trip") << QPoint(228, 164) << -1 << 0;
        QTest::newRow("below areas") << QPoint(50, 226) << -1 << 0;
        QTest::newRow("above areas") << QPoint(50, 29) << -1 << 0;
        QTest::newRow("left of areas") << QPoint(9, 100) << -1 << 0;
    }

    void touchAreas()
    {
        QFETCH(QPoint, at);
        QFETCH(int, type);
        QFETCH(int, value);
        QTest::mousePress(m_view, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(m_view, Qt::LeftButton, Qt::NoModifier, at);
        const QList<QuarnBusMsg> msgs = BusTraffic::split(m_line->takeWritten());
        if (type < 0) {
            QVERIFY(msgs.isEmpty());
            return;
        }
        QCOMPARE(msgs.size(), 2);
        QCOMPARE(int(msgs.at(0).type), 82); // the haptic pulse
        QCOMPARE(int(msgs.at(0).destId), 0x47);
        QCOMPARE(int(msgs.at(1).type), type);
        QCOMPARE(int(msgs.at(1).destId), 0x48);
        QCOMPARE(int(msgs.at(1).bodyByte(0)), value);
    }

    void idleTouch_repaintsAtOnce_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::newRow("power up") << QPoint(50, 50);
        QTest::newRow("power down") << QPoint(50, 200);
        QTest::newRow("trip up") << QPoint(150, 50);
        QTest::newRow("trip down") << QPoint(150, 200);
    }

    void idleTouch_repaintsAtOnce()
    {
        QFETCH(QPoint, at);
        m_view->NewHarmonicData(0, 0, 0); // transmitter off: no results repaint the view
        m_view->repaint();                // nothing left pending
        QCoreApplication::processEvents();
        PaintCounter counter;
        m_view->installEventFilter(&counter);
        QTest::mousePress(m_view, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(m_view, Qt::LeftButton, Qt::NoModifier, at);
        QTRY_VERIFY(counter.paints > 0);
        m_view->removeEventFilter(&counter);
    }

    // A result repaints only the bars it moved: what is on the screen afterwards must be
    // what a whole repaint would give.
    void resultRepaint_matchesAWholePaint_data()
    {
        QTest::addColumn<QVector<int>>("before");
        QTest::addColumn<QVector<int>>("after");
        QTest::newRow("all lower") << QVector<int>{20, 239, 239} << QVector<int>{10, 100, 50};
        QTest::newRow("transmitter on") << QVector<int>{0, 0, 0} << QVector<int>{20, 239, 239};
        QTest::newRow("transmitter off") << QVector<int>{20, 239, 239} << QVector<int>{0, 80, 80};
        QTest::newRow("3rd only") << QVector<int>{20, 100, 0} << QVector<int>{20, 100, 200};
        QTest::newRow("power off full") << QVector<int>{20, 239, 239} << QVector<int>{19, 239, 239};
    }

    void resultRepaint_matchesAWholePaint()
    {
        QFETCH(QVector<int>, before);
        QFETCH(QVector<int>, after);
        m_view->NewHarmonicData(before[0], before[1], before[2]);
        m_view->repaint();
        m_view->NewHarmonicData(after[0], after[1], after[2]);
        QVERIFY(QuarnTest::ScreenMatchesWholePaint(m_view));
    }

    // The marker moves outside the bar's column: a touch while results arrive repaints it.
    void touchWhileTransmitting_movesTheWholeMarker()
    {
        m_view->NewHarmonicData(20, 100, 100);
        m_view->repaint();
        QTest::mousePress(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QTest::mouseRelease(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QCOMPARE(int(PowerLevelUserSetting().Get()), 6);
        QVERIFY(QuarnTest::ScreenMatchesWholePaint(m_view));
    }

    void tripAtTen_staysTen_andSendsNothing()
    {
        TripLevelUserSetting().SyncWithMasterValue((unsigned char)10);
        QTest::mouseClick(m_view, Qt::LeftButton, Qt::NoModifier, QPoint(150, 40));
        const QList<QuarnBusMsg> msgs = BusTraffic::split(m_line->takeWritten());
        QCOMPARE(msgs.size(), 1); // the pulse only
        QCOMPARE(int(TripLevelUserSetting().Get()), 10);
    }

    void volumeMode_roundTripThroughTheRelay()
    {
        MuteUserSetting().SyncWithMasterValue((unsigned char)0);
        VolumeUserSetting().SyncWithMasterValue((unsigned char)10);
        QSignalSpy barStart(MiddleMan::Get(), &MiddleMan::volumeBarStart);
        QAbstractButton* down = button("btnVolDown");
        QAbstractButton* up = button("btnVolUp");

        QTest::mouseClick(up, Qt::LeftButton);
        QVERIFY(m_view->isVolumeMode());
        QCOMPARE(barStart.count(), 1);
        QCOMPARE(iconImage(up), resourceImage("audio_up.png"));
        QCOMPARE(iconImage(down), resourceImage("audio_down.png"));

        QTest::mouseClick(up, Qt::LeftButton);
        QTest::mouseClick(up, Qt::LeftButton);
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(int(VolumeUserSetting().Get()), 11);
        QCOMPARE(int(MuteUserSetting().Get()), 0);
        m_view->repaint(); // painting in volume mode must keep the volume icons
        QCOMPARE(iconImage(down), resourceImage("audio_down.png"));

        MiddleMan::Get()->passIconBarStatus(); // the overlay closed
        QVERIFY(!m_view->isVolumeMode());
        QCOMPARE(iconImage(up), resourceImage("audio_change.png"));
        QCOMPARE(iconImage(down), resourceImage("audio_on.png"));

        QTest::mouseClick(down, Qt::LeftButton); // normal mode: mute
        QCOMPARE(int(MuteUserSetting().Get()), 1);
        QCOMPARE(iconImage(down), resourceImage("audio_off.png"));
    }

    // Held with a real press: only the volume steps repeat.
    void heldButtons_repeatOnlyInVolumeMode()
    {
        MuteUserSetting().SyncWithMasterValue((unsigned char)0);
        VolumeUserSetting().SyncWithMasterValue((unsigned char)10);
        MiddleMan::Get()->passIconBarStatus();
        QCoreApplication::processEvents(); // the buttons wire their pulse one pass late
        QSignalSpy barStart(MiddleMan::Get(), &MiddleMan::volumeBarStart);
        QAbstractButton* down = button("btnVolDown");
        QAbstractButton* up = button("btnVolUp");
        m_line->takeWritten();

        for (QAbstractButton* held : {down, up}) {
            QSignalSpy clicks(held, &QAbstractButton::clicked);
            QTest::mousePress(held, Qt::LeftButton);
            QVERIFY(!clicks.wait(900)); // far past the repeat delay
            QTest::mouseRelease(held, Qt::LeftButton);
            QCOMPARE(clicks.count(), 1);
        }
        QCOMPARE(int(MuteUserSetting().Get()), 1); // toggled once
        QVERIFY(m_view->isVolumeMode());           // entered once
        QCOMPARE(barStart.count(), 1);
        QCOMPARE(int(VolumeUserSetting().Get()), 10);
        m_line->takeWritten();

        QTest::mousePress(up, Qt::LeftButton);
        QTRY_VERIFY(VolumeUserSetting().Get() >= 17);
        QTest::mouseRelease(up, Qt::LeftButton);
        const int steps = VolumeUserSetting().Get() - 10;
        const QList<QuarnBusMsg> sent = BusTraffic::split(m_line->takeWritten());
        QCOMPARE(countSent(sent, 82, 0x47), (steps + 4) / 5); // a pulse on every 5th press

        MiddleMan::Get()->passIconBarStatus(); // overlay closed: a held mute is one toggle again
        const int muted = int(MuteUserSetting().Get());
        QSignalSpy clicks(down, &QAbstractButton::clicked);
        QTest::mousePress(down, Qt::LeftButton);
        QVERIFY(!clicks.wait(900));
        QTest::mouseRelease(down, Qt::LeftButton);
        QCOMPARE(int(MuteUserSetting().Get()), 1 - muted);
    }
};

QUARN_GUI_TEST_MAIN(TestBargraph)
#include "tst_bargraph.moc"
