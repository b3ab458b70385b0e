#include "board/board.h"
#include "bus/headLink.h"
#include "bus/quarnBus.h"
#include "screens/homescreen.h"
#include "services/sdCardMonitor.h"
#include "settings/powerOnScreenSetting.h"
#include "settings/userSettingsStore.h"
#include "shell/iconStatusBar.h"
#include "shell/panelDialogs.h"
#include "shell/quarn24ex.h"
#include "shell/slidingstackedwidget.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "update/sdCardUpdate.h"
#include "update/tscSDCardUpdateDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>

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

    void updateOffered_runsTheUpdateDialogModally_once()
    {
        Quarn24EX window;
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        QuarnTest::LogCapture log;
        const auto dialogs = [] {
            QList<TscSDCardUpdateDialog*> found;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<TscSDCardUpdateDialog*>(widget))
                    found << dialog;
            }
            return found;
        };
        int modal = 0;
        int whileOpen = 0;
        QTimer::singleShot(0, this, [&] {
            modal = qobject_cast<TscSDCardUpdateDialog*>(QApplication::activeModalWidget()) ? 1 : 0;
            // The card offers the update again while it runs: no second dialog.
            emit SdCardMonitor::Get()->UpdateDetected();
            whileOpen = dialogs().size();
            for (TscSDCardUpdateDialog* dialog : dialogs())
                dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        emit SdCardMonitor::Get()->UpdateDetected();
        QCOMPARE(modal, 1);
        QCOMPARE(whileOpen, 1);
        QVERIFY(dialogs().isEmpty());
        QCOMPARE(log.lines().filter(QStringLiteral("sw update screen")),
                 (QStringList{"show sw update screen", "sw update screen -- finished"}));
    }

    void failedUpdate_isNoticedAtStart_untilOneCompletes_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("update failed")
            << QByteArray("Update to 2.5.1 failed at MST (erased, not written).\n");
        QTest::newRow("none on record") << QByteArray();
    }

    void failedUpdate_isNoticedAtStart_untilOneCompletes()
    {
        QFETCH(QByteArray, record);
        const QString path = SDCardUpdate::FailedUpdateRecordPath();
        QCOMPARE(QFileInfo(path).path(), QFileInfo(Board::Get().VersionRecord()).path());
        QFile::remove(path);
        if (!record.isEmpty()) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(record);
        }
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        Quarn24EX window;
        window.show();
        QCoreApplication::processEvents(); // the notice comes one pass after the window
        auto* notice = window.findChild<PanelMessageBox*>(QStringLiteral("failedUpdateNotice"));
        QCOMPARE(notice != nullptr, !record.isEmpty());
        if (notice) {
            QVERIFY(notice->text().contains(QString::fromLatin1(record.trimmed())));
            QVERIFY(notice->text().contains(QStringLiteral("Re-insert the update SD card")));
            if (qEnvironmentVariableIsSet("QUARN_RENDER"))
                notice->grab().save(QStringLiteral("/tmp/b-failed-notice.png"));
        }
        QFile::remove(path);
    }

    void lineUnavailable_noticeOncePerLoss_closesWhenTheLineOpens()
    {
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        Quarn24EX window;
        window.show();
        QuarnBus* bus = QuarnBus::Get();
        const auto notices = [&window] {
            return window.findChildren<PanelMessageBox*>(QStringLiteral("lineUnavailableNotice"));
        };
        for (int loss = 0; loss < 2; ++loss) {
            emit bus->LineUnavailable(QStringLiteral("/tmp/x/ttyHEAD: No such file or directory"));
            emit bus->LineUnavailable(QStringLiteral("/tmp/x/ttyHEAD: Permission denied"));
            QCOMPARE(notices().size(), 1);
            PanelMessageBox* notice = notices().at(0);
            QVERIFY(notice->isVisible());
            QCOMPARE(notice->text(), QStringLiteral("No connection to the head"));
            QCOMPARE(notice->informativeText(),
                     QStringLiteral("/tmp/x/ttyHEAD: Permission denied"));
            if (loss == 0 && qEnvironmentVariableIsSet("QUARN_RENDER"))
                notice->grab().save(QStringLiteral("/tmp/d-line-notice.png"));
            emit bus->LineOpened();
            QTRY_VERIFY(notices().isEmpty());
        }
        // Dismissed by the operator: not shown again for the same loss.
        emit bus->LineUnavailable(QStringLiteral("/tmp/x/ttyHEAD: No such file or directory"));
        notices().at(0)->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(notices().isEmpty());
        emit bus->LineUnavailable(QStringLiteral("/tmp/x/ttyHEAD: Permission denied"));
        QVERIFY(notices().isEmpty());
        emit bus->LineOpened();
    }

    // Nothing answers over a missing line either: its own notice says why, alone.
    void headSilent_givesWayToTheMissingLinesNotice()
    {
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        Quarn24EX window;
        window.show();
        QuarnBus* bus = QuarnBus::Get();
        const auto shown = [&window] {
            QStringList names;
            for (PanelMessageBox* box : window.findChildren<PanelMessageBox*>())
                names << box->objectName();
            return names;
        };
        emit bus->headLink()->HeadSilent({QStringLiteral("BBM")});
        QCOMPARE(shown(), QStringList{"headSilentNotice"});
        emit bus->LineUnavailable(QStringLiteral("/tmp/x/ttyHEAD: Connection lost"));
        QTRY_COMPARE(shown(), QStringList{"lineUnavailableNotice"});
        emit bus->headLink()->HeadSilent({QStringLiteral("MST"), QStringLiteral("BBM")});
        QCOMPARE(shown(), QStringList{"lineUnavailableNotice"});
        emit bus->LineOpened();
        emit bus->headLink()->HeadAnswering();
        QTRY_VERIFY(shown().isEmpty());
    }
};

QUARN_GUI_TEST_MAIN(TestQuarn24EX)
#include "tst_quarn24ex.moc"
