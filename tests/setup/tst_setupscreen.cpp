#include "settings/adminOptionsSettings.h"
#include "settings/regionUserSetting.h"
#include "settings/userSettingsService.h"
#include "setup/setupscreen.h"
#include "shell/slidingstackedwidget.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>

class TestSetupScreen : public QObject
{
    Q_OBJECT
private:
    SetupScreen* m_screen = nullptr;
    SlidingStackedWidget* m_stack = nullptr;

    QAbstractButton* button(const QString& name) const
    {
        auto* b = m_screen->findChild<QAbstractButton*>(name);
        if (!b)
            qFatal("no button %s", qPrintable(name));
        return b;
    }
    QString pageLabel() const { return m_screen->findChild<QLabel*>("pageLabel")->text(); }

    // Back to the top pages, then round to page n (1 to 3).
    void goToPage(int n)
    {
        if (pageLabel().isEmpty())
            button("leftArrowButton")->click();
        QTRY_VERIFY(!pageLabel().isEmpty());
        for (int i = 0; i < 3 && pageLabel() != QStringLiteral("%1/3").arg(n); ++i) {
            const QString before = pageLabel();
            button("rightArrowButton")->click();
            QTRY_VERIFY(pageLabel() != before);
        }
        QTRY_COMPARE(m_stack->currentIndex(), n - 1);
    }

private slots:
    // The offscreen platform says so of every window with a layout.
    void init()
    {
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
    }

    void initTestCase()
    {
        init();
        QuarnTest::InstallSettledLine();
        qRegisterMetaType<SetupSubScreenT>();
        m_screen = new SetupScreen;
        m_screen->resize(240, 280);
        m_stack = m_screen->findChild<SlidingStackedWidget*>("stackedSetupWidget");
        m_stack->setSpeed(10);
        m_screen->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_screen));
        QTRY_COMPARE(pageLabel(), QStringLiteral("1/3"));
    }

    void cleanupTestCase() { delete m_screen; }

    void arrows_wrapRoundThePages_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("arrow");
        QTest::addColumn<int>("to");
        QTest::newRow("1 left") << 1 << "leftArrowButton" << 3;
        QTest::newRow("1 right") << 1 << "rightArrowButton" << 2;
        QTest::newRow("2 left") << 2 << "leftArrowButton" << 1;
        QTest::newRow("3 right") << 3 << "rightArrowButton" << 1;
        QTest::newRow("3 left") << 3 << "leftArrowButton" << 2;
    }

    void arrows_wrapRoundThePages()
    {
        QFETCH(int, from);
        QFETCH(QString, arrow);
        QFETCH(int, to);
        goToPage(from);
        button(arrow)->click();
        QTRY_COMPARE(pageLabel(), QStringLiteral("%1/3").arg(to));
        QTRY_COMPARE(m_stack->currentIndex(), to - 1);
    }

    void everySubscreen_backAndHomeReturnToItsPage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        const struct
        {
            int page;
            const char* name;
            SetupSubScreenT code;
        } rows[] = {
            {1, "volumeMuteButton", eVolumeMuteSub},
            {1, "audioModeButton", eAudioModesSub},
            {1, "txPowerButton", eTxPowerModeSub},
            {1, "freqModeButton", eFreqModeSub},
            {1, "dspGainLevelButton", eDspGainSub},
            {1, "brightnessButton", eBrightnessSub},
            {2, "toneStyleButton", eToneStyleSub},
            {2, "autoPowerOffButton", eAutoPowerOffSub},
            {2, "hapticButton", eVibrateSub},
            {2, "standbyTimeButton", eStandbyTimeSub},
            {2, "chartTimeButton", eChartTimeSub},
            {2, "headlightButton", eHeadlightSub},
            {3, "dateTimeButton", eDateAndTimeSub},
            {3, "powerOnScreenButton", ePowerOnScreenSub},
            {3, "manageUserSettingsButton", eUserSettingsSub},
            {3, "toolsButton", eToolsSub},
            {3, "infoButton", eInformationSub},
            {3, "countryButton", eRegionSub},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.page << row.name << int(row.code);
    }

    void everySubscreen_backAndHomeReturnToItsPage()
    {
        QFETCH(int, page);
        QFETCH(QString, name);
        QFETCH(int, code);
        AdminOptionsSettings().SyncWithMasterValue(0x1000u);
        m_screen->matchCountryScreenToHeadType(eHeadTypeStandard);
        QWidget* sub = m_screen->subScreen(SetupSubScreenT(code));
        QVERIFY(sub);
        QSignalSpy home(m_screen, &SetupScreen::homeSelected);

        for (const char* leave : {"leftArrowButton", "homeButton"}) {
            goToPage(page);
            button(name)->click();
            QTRY_COMPARE(m_stack->currentWidget(), sub);
            QTRY_COMPARE(pageLabel(), QString());
            QTRY_VERIFY(button("rightArrowButton")->isHidden());
            button(leave)->click();
            QTRY_COMPARE(pageLabel(), QStringLiteral("%1/3").arg(page));
            QTRY_COMPARE(m_stack->currentIndex(), page - 1);
            QTRY_VERIFY(!button("rightArrowButton")->isHidden());
        }
        QCOMPARE(home.count(), 1);
    }

    void regionSubscreen_followsTheHeadType_data()
    {
        QTest::addColumn<int>("headType");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("1") << 1 << "RegionSettingSubscreen" << true;
        QTest::newRow("2") << 2 << "CountrySettingSubscreenNew" << true;
        QTest::newRow("0") << 0 << "CountrySettingSubscreen" << true;
        QTest::newRow("3, the kind of 0") << 3 << "CountrySettingSubscreen" << false;
    }

    // Rows in order: each report of another kind replaces the subscreen.
    void regionSubscreen_followsTheHeadType()
    {
        QFETCH(int, headType);
        QFETCH(QString, expected);
        QFETCH(bool, replaced);
        QPointer<QWidget> before = m_screen->subScreen(eRegionSub);
        QWidget* tone = m_screen->subScreen(eToneStyleSub);
        m_screen->matchCountryScreenToHeadType(eHeadTypeIdT(headType));
        QWidget* now = m_screen->subScreen(eRegionSub);
        QVERIFY(now);
        QCOMPARE(now->objectName(), expected);
        if (!replaced) {
            QCOMPARE(now, before.data());
            return;
        }
        QVERIFY(now != before);
        // The one it replaced goes; the other subscreens keep their places.
        QTRY_VERIFY(!before);
        QCOMPARE(m_screen->subScreen(eToneStyleSub), tone);
        QCOMPARE(m_stack->indexOf(now), m_stack->count() - 1);
    }

    void unknownHeadType_regionButtonKeepsThePage()
    {
        AdminOptionsSettings().SyncWithMasterValue(0x1000u);
        SetupScreen fresh;
        fresh.matchCountryScreenToHeadType(eHeadTypeIdT(7));
        QVERIFY(!fresh.subScreen(eRegionSub));
        fresh.resize(240, 280);
        fresh.show();
        auto* label = fresh.findChild<QLabel*>("pageLabel");
        auto* stack = fresh.findChild<SlidingStackedWidget*>("stackedSetupWidget");
        QTRY_COMPARE(label->text(), QStringLiteral("1/3"));
        fresh.findChild<QAbstractButton*>("leftArrowButton")->click();
        QTRY_COMPARE(stack->currentIndex(), 2);
        fresh.findChild<QAbstractButton*>("countryButton")->click();
        QTRY_COMPARE(label->text(), QString());
        QTRY_VERIFY(fresh.findChild<QAbstractButton*>("rightArrowButton")->isHidden());
        QCOMPARE(stack->currentIndex(), 2);
        fresh.findChild<QAbstractButton*>("leftArrowButton")->click();
        QTRY_COMPARE(label->text(), QStringLiteral("3/3"));
        QTRY_VERIFY(!fresh.findChild<QAbstractButton*>("rightArrowButton")->isHidden());
    }

    void volumeSubscreen_holdsTheOverlayBackUntilHome()
    {
        UserSettingsService* service = UserSettingsService::Get();
        goToPage(1);
        button("volumeMuteButton")->click();
        QVERIFY(!service->AreVolumeNotificationsEnabled());
        button("homeButton")->click();
        QVERIFY(service->AreVolumeNotificationsEnabled());
        goToPage(1);
        button("volumeMuteButton")->click();
        button("leftArrowButton")->click();
        button("dspGainLevelButton")->click();
        QVERIFY(service->AreVolumeNotificationsEnabled());
        button("leftArrowButton")->click();
    }

    void pageButtons_followRegionAndAdminOptions_data()
    {
        QTest::addColumn<int>("region");
        QTest::addColumn<uint>("admin");
        QTest::addColumn<bool>("freqMode");
        QTest::addColumn<bool>("region14");
        QTest::newRow("defaults") << 33 << 0x2003u << true << false;
        QTest::newRow("EUROPE-CE") << 32 << 0x2003u << false << false;
        QTest::newRow("0x0010") << 34 << 0x0010u << true << true;
        QTest::newRow("0x1000") << 0 << 0x1000u << true << true;
    }

    void pageButtons_followRegionAndAdminOptions()
    {
        QFETCH(int, region);
        QFETCH(uint, admin);
        QFETCH(bool, freqMode);
        QFETCH(bool, region14);
        RegionUserSetting().SyncWithMasterValue((unsigned char)region);
        AdminOptionsSettings().SyncWithMasterValue(admin);
        goToPage(2);
        goToPage(1);
        QCOMPARE(button("freqModeButton")->isVisible(), freqMode);
        QCOMPARE(button("freqModeButton")->isEnabled(), freqMode);
        goToPage(3);
        QCOMPARE(button("countryButton")->isVisible(), region14);
        QCOMPARE(button("countryButton")->isEnabled(), region14);
    }
};

QUARN_GUI_TEST_MAIN(TestSetupScreen)
#include "tst_setupscreen.moc"
