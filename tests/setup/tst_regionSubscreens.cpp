#include "bus/quarnBus.h"
#include "settings/regionListProcessing.h"
#include "settings/regionUserSetting.h"
#include "settings/userSettingsService.h"
#include "settings/userSettingsStore.h"
#include "setup/countrySettingSubscreen.h"
#include "setup/countrySettingSubscreenNew.h"
#include "setup/regionSettingSubscreen.h"
#include "shell/slidingstackedwidget.h"
#include "sim/mstController.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>

#include <functional>
#include <memory>

using SubscreenMaker = std::function<RegionListSubscreen*()>;
Q_DECLARE_METATYPE(SubscreenMaker)

class TestRegionSubscreens : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

    void feedList(const QByteArray& codes, quint8 current)
    {
        m_line->feed(BusTraffic::frameFromHead(eGetZoneListMsgResp, current, codes));
    }

    static QString shown(RegionListSubscreen& screen)
    {
        auto* stack = screen.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
        return stack->currentWidget() ? stack->currentWidget()->findChild<QLabel*>()->text()
                                      : QString();
    }

    static void press(RegionListSubscreen& screen, const char* arrow)
    {
        screen.findChild<QAbstractButton*>(QLatin1String(arrow))->click();
        auto* stack = screen.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
        QTRY_VERIFY(!stack->isSliding());
    }

private slots:
    void initTestCase()
    {
        m_line = QuarnTest::InstallSettledLine();
        RegionListProcessing::Get();
    }

    void init()
    {
        // Top-level windows with a layout, which the offscreen platform cannot size.
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        m_line->takeWritten();
    }

    void eachHeadType_stepsThroughItsHeadsList_data()
    {
        QTest::addColumn<SubscreenMaker>("make");
        QTest::addColumn<QByteArray>("codes");
        QTest::addColumn<QStringList>("names");
        const QStringList regions = {"EUROPE-CE", "USA - FCC", "FULL SPAN", "RUSSIA", "BRAZIL"};
        QTest::newRow("head type 0 or 3")
            << SubscreenMaker([] { return new CountrySettingSubscreen; })
            << MstController::zoneList(false) << regions;
        QTest::newRow("head type 1") << SubscreenMaker([] { return new RegionSettingSubscreen; })
                                     << MstController::zoneList(true) << regions;
        QTest::newRow("head type 2")
            << SubscreenMaker([] { return new CountrySettingSubscreenNew; })
            << MstController::zoneList(false) << regions;
        QTest::newRow("short list with a code of no name")
            << SubscreenMaker([] { return new CountrySettingSubscreenNew; })
            << QByteArray::fromHex("21 14 22") << QStringList{"USA - FCC", "Unknown", "FULL SPAN"};
    }

    // The head's current zone shows first; each arrow selects the next zone at once and
    // tells the head, wrapping at both ends.
    void eachHeadType_stepsThroughItsHeadsList()
    {
        QFETCH(SubscreenMaker, make);
        QFETCH(QByteArray, codes);
        QFETCH(QStringList, names);
        feedList(codes, quint8(codes.at(1)));
        std::unique_ptr<RegionListSubscreen> screen(make());
        screen->resize(240, 230);
        screen->show();
        QCOMPARE(m_line->takeWritten(), QByteArray());
        QCOMPARE(screen->pageOfListIndex().size(), names.size());
        QCOMPARE(shown(*screen), names.at(1));

        const int last = names.size() - 1;
        for (int step = 2; step <= last + 1; ++step) {
            press(*screen, "rightButton");
            const int index = step % names.size();
            QCOMPARE(shown(*screen), names.at(index));
            QCOMPARE(BusTraffic::take(m_line).first(),
                     QStringLiteral("102 p0 [%1]")
                         .arg(quint8(codes.at(index)), 2, 16, QLatin1Char('0')));
        }
        QCOMPARE(RegionListProcessing::Get()->getCurrentListIndex(), 0);
        press(*screen, "leftButton");
        QCOMPARE(shown(*screen), names.at(last));
        QCOMPARE(
            BusTraffic::take(m_line).first(),
            QStringLiteral("102 p0 [%1]").arg(quint8(codes.at(last)), 2, 16, QLatin1Char('0')));
    }

    // The head type usually comes before the zone list: the subscreen asks for the list and
    // shows it when it comes.
    void listAfterTheSubscreen_isAskedFor_andShown()
    {
        feedList(QByteArray(), 0);
        RegionSettingSubscreen screen;
        screen.show();
        QCOMPARE(BusTraffic::take(m_line), QStringList{"160 p0 []"});
        press(screen, "rightButton");
        QCOMPARE(m_line->takeWritten(), QByteArray());

        feedList(QByteArray::fromHex("21 22 24"), 0x22);
        QCOMPARE(screen.pageOfListIndex().size(), 3);
        QCOMPARE(shown(screen), QStringLiteral("FULL SPAN"));
    }

    // A zone changed elsewhere makes the subscreen ask for the list, which marks the head's
    // zone; the list is the same, so the pages stay.
    void zoneChangedElsewhere_isShownAfterTheHeadsNextList()
    {
        feedList(QByteArray::fromHex("21 22 24"), 0x22);
        CountrySettingSubscreen screen;
        screen.show();
        QWidget* firstPage =
            screen.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"))->widget(0);
        RegionUserSetting().SyncWithMasterValue(quint8(0x24));
        QTRY_VERIFY(!m_line->written().isEmpty());
        QCOMPARE(BusTraffic::take(m_line), QStringList{"160 p0 []"});
        feedList(QByteArray::fromHex("21 22 24"), 0x24);
        QCOMPARE(shown(screen), QStringLiteral("BRAZIL"));
        QCOMPARE(
            screen.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"))->widget(0),
            firstPage);
    }
};

QUARN_GUI_TEST_MAIN(TestRegionSubscreens)
#include "tst_regionSubscreens.moc"
