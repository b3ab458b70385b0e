#include "bus/quarnBus.h"
#include "screens/homescreen.h"
#include "settings/powerOnScreenSetting.h"
#include "settings/userSettingsStore.h"
#include "shell/iconStatusBar.h"
#include "shell/quarn24ex.h"
#include "shell/slidingstackedwidget.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStackedWidget>

class TestQuarn24EX : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        UserSettingsStore::Configure();
        QuarnBus::Install(new FakeDevice);
    }

    void powerOnScreen_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("page");
        QTest::newRow("0: bar graph") << 0 << int(Quarn24EX::eBarGraphPage);
        QTest::newRow("1: home") << 1 << int(Quarn24EX::eHomePage);
        QTest::newRow("2: chart") << 2 << int(Quarn24EX::eChartPage);
        QTest::newRow("3: spectral") << 3 << int(Quarn24EX::eSpectralPage);
        QTest::newRow("4: bar graph") << 4 << int(Quarn24EX::eBarGraphPage);
    }

    void powerOnScreen()
    {
        QFETCH(int, setting);
        QFETCH(int, page);
        PowerOnScreenSetting().SyncWithMasterValue((unsigned char)setting);
        Quarn24EX window;
        auto* stack = window.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
        if (page != 0) {
            QSignalSpy done(stack, &SlidingStackedWidget::animationFinished);
            QVERIFY(done.wait(3000));
        }
        QCOMPARE(window.currentPage(), page);
    }

    void pagesAreInTheirOrder()
    {
        Quarn24EX window;
        const QStringList names = {"HomeScreen",         "Bargraph",    "ChartDisplay",    "Keypad",
                                   "FrequencyHistogram", "SetupScreen", "SpectralAnalysis"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(
                QString::fromLatin1(window.page(Quarn24EX::Page(i))->metaObject()->className()),
                names.at(i));
    }

    void statusBar_liesOverTheTopOfTheStack()
    {
        Quarn24EX window;
        auto* bar = window.findChild<IconStatusBar*>(QStringLiteral("widget"));
        QVERIFY(bar);
        QCOMPARE(bar->geometry(), QRect(0, 0, 240, 60));
        auto* stack = window.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
        QCOMPARE(stack->geometry(), QRect(0, 40, 240, 280));
        const QObjectList& siblings = bar->parent()->children();
        QVERIFY(siblings.indexOf(bar) > siblings.indexOf(stack)); // painted on top
    }

    void navigation_setsLowerBackgroundExceptForSetup()
    {
        PowerOnScreenSetting().SyncWithMasterValue((unsigned char)1);
        Quarn24EX window;
        auto* stack = window.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
        QVERIFY(stack->styleSheet().contains("main_backgrd_lower"));
        stack->setStyleSheet(QString());
        window.doSetupScreen();
        QVERIFY(stack->styleSheet().isEmpty());
        window.doBarGraph();
        QVERIFY(stack->styleSheet().contains("main_backgrd_lower"));
    }

    void homeScreenSignals_driveThePages()
    {
        PowerOnScreenSetting().SyncWithMasterValue((unsigned char)1);
        Quarn24EX window;
        auto* stack = window.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
        auto* home = qobject_cast<HomeScreen*>(window.page(Quarn24EX::eHomePage));
        QSignalSpy done(stack, &SlidingStackedWidget::animationFinished);
        emit home->barSelected();
        QVERIFY(done.wait(3000));
        QCOMPARE(window.currentPage(), int(Quarn24EX::eBarGraphPage));
        window.doHomeScreen();
        QVERIFY(done.wait(3000));
        QCOMPARE(window.currentPage(), int(Quarn24EX::eHomePage));
    }
};

QUARN_GUI_TEST_MAIN(TestQuarn24EX)
#include "tst_quarn24ex.moc"
