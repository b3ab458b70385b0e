#include "board/board.h"
#include "bus/quarnBus.h"
#include "bus/rtcSetDateTimeMsg.h"
#include "screens/harmonicsAnalyzer.h"
#include "services/batteryStatusMonitor.h"
#include "services/metaScreenShotButton.h"
#include "services/sdCardMonitor.h"
#include "settings/audioSourceUserSetting.h"
#include "settings/headlightUserSetting.h"
#include "settings/userSettingsService.h"
#include "settings/userSettingsStore.h"
#include "settings/volumeUserSetting.h"
#include "shell/iconStatusBar.h"
#include "shell/middleMan.h"
#include "shell/panelDialogs.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

namespace {
QImage image(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage resourceImage(const QString& name)
{
    return image(QPixmap(QStringLiteral(":/:/images/images/") + name));
}

QByteArray batteryStatus(int percent, bool mains)
{
    QByteArray body(17, 0);
    body[7] = char(mains ? 0x80 : 0x00);
    body[16] = char(percent);
    return QuarnBusMsg(eGetPingMsg, BusId::Tsc, 0, body).serializeFrom(BusId::Bbm);
}
} // namespace

class TestIconStatusBar : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;
    IconStatusBar* m_bar = nullptr;

    template <typename T = QWidget> T* child(const char* name)
    {
        return m_bar->findChild<T*>(QLatin1String(name));
    }
    QTimer* faceTimer() { return child<QTimer>("faceTimer"); }
    MetaScreenShotButton* camera() { return child<MetaScreenShotButton>("screenShotButton"); }

    // Visibility of camera, time, battery, headlight, status, volume bar, message.
    QString shown()
    {
        QString out;
        for (const char* name : {"screenShotButton", "timeLabel", "batteryLabel",
                                 "flashLightButton", "statusLabel", "volumeBar", "messageLabel"})
            out += child(name)->isVisible() ? QLatin1Char('1') : QLatin1Char('0');
        return out;
    }
    static QString iconsShown() { return QStringLiteral("1111100"); }
    static QString volumeShown() { return QStringLiteral("0000010"); }
    static QString messageShown() { return QStringLiteral("1000001"); }

private slots:
    void initTestCase()
    {
        m_line = QuarnTest::InstallFakeLine();
        m_bar = new IconStatusBar;
        m_bar->resize(240, 60);
        m_bar->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_bar));
        QTRY_COMPARE(m_bar->currentFace(), IconStatusBar::eIconsFace);
    }

    void cleanupTestCase() { delete m_bar; }

    void init()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!faceTimer()->isActive(), 5000);
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eIconsFace);
    }

    void startsWithTheIconsAndTheTime()
    {
        QCOMPARE(shown(), iconsShown());
        QVERIFY(m_bar->volumeBarRect().bottom() < IconStatusBar::kStripHeight);
        QCOMPARE(child<QLabel>("timeLabel")->text(),
                 Board::Get().Now().toString(QStringLiteral("hh:mm")));
        QCOMPARE(m_bar->volumeBarStartRect().top(), IconStatusBar::kStripHeight);
        QCOMPARE(m_bar->volumeBarStartRect().height(), m_bar->volumeBarRect().height());
    }

    void clock_followsTheBatteryBoardsClock()
    {
        // Hours away from the host's clock: the instrument takes the board's time.
        QDateTime rtc = Board::Get().Now().addSecs(3 * 3600 + 17 * 60);
        rtc.setTime(QTime(rtc.time().hour(),
                          rtc.time().minute())); // on the minute: the label cannot roll over
        const QByteArray body = RtcSetDateTimeMsg(rtc, BusId::Tsc).body;
        m_line->feed(
            QuarnBusMsg(eRtcGetDateTimeMsg, BusId::Tsc, 0, body).serializeFrom(BusId::Bbm));
        QCOMPARE(child<QLabel>("timeLabel")->text(), rtc.toString(QStringLiteral("hh:mm")));
    }

    // Before the battery board answers: not the flat battery's icon, and no notice.
    void noBatteryData_isNotALowBattery()
    {
        QVERIFY(!BatteryStatusMonitor::Get()->HasBatteryData());
        const QImage noData = image(child<QLabel>("batteryLabel")->pixmap(Qt::ReturnByValue));
        QCOMPARE(noData, image(IconStatusBar::NoBatteryDataIcon()));
        QVERIFY(!m_bar->lowBatteryNotice());
        QVERIFY(noData != image(IconStatusBar::BatteryIcon(3, false)));
        QVERIFY(noData != image(IconStatusBar::BatteryIcon(0, false)));
        QVERIFY(noData != resourceImage(QStringLiteral("battery_0.png")));
    }

    void lowBattery_noticeOnceAtEachThreshold_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<QString>("notice"); // empty: none
        QTest::newRow("50") << 50 << "";
        QTest::newRow("11") << 11 << "";
        QTest::newRow("10") << 10 << "Battery low: 10 %";
        QTest::newRow("9") << 9 << "";
        QTest::newRow("5") << 5 << "Battery low: 5 %";
        QTest::newRow("4") << 4 << "";
    }

    void lowBattery_noticeOnceAtEachThreshold()
    {
        QFETCH(int, percent);
        QFETCH(QString, notice);
        // The offscreen platform remarks on the box's fixed size.
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        m_line->feed(batteryStatus(percent, false));
        PanelMessageBox* box = m_bar->lowBatteryNotice();
        QCOMPARE(box ? box->text() : QString(), notice);
        if (!box)
            return;
        QTRY_VERIFY(box->isVisible());
        QCOMPARE(box->windowModality(), Qt::WindowModal); // open(), not exec()
        box->accept();
        QTRY_VERIFY(!m_bar->lowBatteryNotice());
    }

    void batteryIcon_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<bool>("mains");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<bool>("red");
        QTest::newRow("95") << 95 << false << "battery_100.png" << false;
        QTest::newRow("94") << 94 << false << "battery_88.png" << false;
        QTest::newRow("82") << 82 << false << "battery_88.png" << false;
        QTest::newRow("81") << 81 << false << "battery_75.png" << false;
        QTest::newRow("70") << 70 << false << "battery_75.png" << false;
        QTest::newRow("69") << 69 << false << "battery_63.png" << false;
        QTest::newRow("57") << 57 << false << "battery_63.png" << false;
        QTest::newRow("56") << 56 << false << "battery_50.png" << false;
        QTest::newRow("45") << 45 << false << "battery_50.png" << false;
        QTest::newRow("44") << 44 << false << "battery_38.png" << false;
        QTest::newRow("33") << 33 << false << "battery_38.png" << false;
        QTest::newRow("32") << 32 << false << "battery_25.png" << false;
        QTest::newRow("22") << 22 << false << "battery_25.png" << false;
        QTest::newRow("21") << 21 << false << "battery_13.png" << false;
        QTest::newRow("11") << 11 << false << "battery_13.png" << false;
        QTest::newRow("10") << 10 << false << "battery_0.png" << false;
        QTest::newRow("6") << 6 << false << "battery_0.png" << false;
        QTest::newRow("5") << 5 << false << "battery_0.png" << true;
        QTest::newRow("mains at 5") << 5 << true << "ac_power.png" << false;
    }

    void batteryIcon()
    {
        QFETCH(int, percent);
        QFETCH(bool, mains);
        QFETCH(QString, icon);
        QFETCH(bool, red);
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        m_line->feed(batteryStatus(percent, mains));
        if (PanelMessageBox* notice = m_bar->lowBatteryNotice())
            notice->close(); // the notices have their own test
        const QImage shown = image(child<QLabel>("batteryLabel")->pixmap(Qt::ReturnByValue));
        const QImage expected = resourceImage(icon);
        QCOMPARE(shown.size(), expected.size());
        // The icons leave their corners clear; only the critical one fills them red.
        QCOMPARE(shown.pixelColor(0, 0) == QColor(Qt::red), red);
        if (!red) {
            QCOMPARE(shown, expected);
            return;
        }
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                if (expected.pixelColor(x, y).alpha() == 255)
                    QCOMPARE(shown.pixelColor(x, y), expected.pixelColor(x, y));
            }
        }
    }

    void headlight_followsTheSettingAndTheButtonTogglesIt()
    {
        auto* button = child<QAbstractButton>("flashLightButton");
        const auto showing = [button] { return image(button->icon().pixmap(34, 34)); };
        HeadlightUserSetting().SyncWithMasterValue((unsigned char)1);
        QTRY_COMPARE(showing(), resourceImage(QStringLiteral("headlamp_on.png")));

        m_line->takeWritten();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(int(HeadlightUserSetting().Get()), 0);
        const QuarnBusMsg sent(m_line->takeWritten());
        QCOMPARE(sent.type, eSetHeadlightMsg);
        QCOMPARE(sent.body, QByteArray(1, '\0'));
        QTRY_COMPARE(showing(), resourceImage(QStringLiteral("headlamp_off.png")));

        // A value that is neither off nor on leaves the icon as it is.
        HeadlightUserSetting().SyncWithMasterValue((unsigned char)2);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(int(HeadlightUserSetting().Get()), 2);
        m_bar->UpdateSettingsIcons();
        QCOMPARE(showing(), resourceImage(QStringLiteral("headlamp_off.png")));
    }

    void classificationIcon()
    {
        HarmonicsAnalyzer* analyzer = HarmonicsAnalyzer::Get();
        auto* status = child<QLabel>("statusLabel");
        const auto showing = [status] { return image(status->pixmap(Qt::ReturnByValue)); };
        emit analyzer->SemiconductorDetected();
        QCOMPARE(showing(), resourceImage(QStringLiteral("semi_conductor_on.png")));
        emit analyzer->CorrosiveDetected();
        QCOMPARE(showing(), resourceImage(QStringLiteral("corrosive_yellow.png")));
        emit analyzer->IndeterminateStateDetected();
        QVERIFY(status->pixmap(Qt::ReturnByValue).isNull());
        emit analyzer->EnteredFreqScanMode();
        QCOMPARE(showing(), resourceImage(QStringLiteral("frequency.png")));
        emit analyzer->ExitedFreqScanMode();
        QVERIFY(status->pixmap(Qt::ReturnByValue).isNull());
    }

    void volumeStart_showsTheBarForTwoSeconds()
    {
        VolumeUserSetting().SyncWithMasterValue((unsigned char)17);
        AudioSourceUserSetting().SyncWithMasterValue((unsigned char)0);
        auto* bar = child<QProgressBar>("volumeBar");
        QSignalSpy done(MiddleMan::Get(), &MiddleMan::volumeBarDone);
        QElapsedTimer elapsed;
        elapsed.start();
        MiddleMan::Get()->passVolumeBarStart();

        QCOMPARE(m_bar->currentFace(), IconStatusBar::eVolumeFace);
        QCOMPARE(shown(), volumeShown());
        QCOMPARE(bar->value(), 17);
        QCOMPARE(bar->format(), QStringLiteral("Volume: HP only"));
        QCOMPARE(bar->geometry().height(), m_bar->volumeBarRect().height());
        QTRY_COMPARE(bar->geometry(), m_bar->volumeBarRect()); // slid into place

        QVERIFY(done.wait(4000));
        QVERIFY(elapsed.elapsed() >= IconStatusBar::kFaceMs - 100);
        QCOMPARE(done.count(), 1);
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eIconsFace);
        QCOMPARE(shown(), iconsShown());
    }

    // Drawn with the style sheet at the designed size: every step shows, over the full height.
    void volumeLevel_readsAtAGlance()
    {
        QFile qss(QStringLiteral(":/:/qss/QuarnStyle.qss"));
        QVERIFY(qss.open(QIODevice::ReadOnly));
        QProgressBar bar;
        bar.setObjectName(QStringLiteral("volumeBar"));
        bar.setStyleSheet(QString::fromUtf8(qss.readAll()));
        bar.setRange(0, VolumeUserSetting::kMaxVolume);
        bar.setFormat(QString());
        bar.resize(m_bar->volumeBarRect().size());
        const auto drawn = [&bar](int volume) {
            bar.setValue(volume);
            return image(bar.grab());
        };
        const QImage empty = drawn(0);
        const QImage twenty = drawn(20);
        QVERIFY(drawn(21) != twenty);
        // Inside the filled part, near its top and its bottom: not the empty trough.
        const int x = bar.width() * 15 / 50;
        for (int y : {bar.height() / 4, bar.height() * 3 / 4})
            QVERIFY2(twenty.pixel(x, y) != empty.pixel(x, y), qPrintable(QString::number(y)));
    }

    void repeatedVolumeChanges_keepTheBarUp()
    {
        QSignalSpy done(MiddleMan::Get(), &MiddleMan::volumeBarDone);
        QElapsedTimer elapsed;
        elapsed.start();
        MiddleMan::Get()->passVolumeBarStart();
        const int restartAt = 1200;
        QTimer::singleShot(restartAt, [] {
            VolumeUserSetting().SyncWithMasterValue((unsigned char)30);
            emit UserSettingsService::Get()->VolumeSettingChanged();
        });
        QVERIFY(done.wait(5000));
        QVERIFY(elapsed.elapsed() >= restartAt + IconStatusBar::kFaceMs - 100);
        QCOMPARE(done.count(), 1);
        QCOMPARE(child<QProgressBar>("volumeBar")->value(), 30);
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eIconsFace);
    }

    void volumeSettingAlone_updatesTheValueButKeepsTheIcons()
    {
        VolumeUserSetting().SyncWithMasterValue((unsigned char)42);
        AudioSourceUserSetting().SyncWithMasterValue((unsigned char)1);
        QSignalSpy done(MiddleMan::Get(), &MiddleMan::volumeBarDone);
        emit UserSettingsService::Get()->VolumeSettingChanged();

        QCOMPARE(m_bar->currentFace(), IconStatusBar::eIconsFace);
        QVERIFY(faceTimer()->isActive());
        auto* bar = child<QProgressBar>("volumeBar");
        QCOMPARE(bar->value(), 42);
        QCOMPARE(bar->format(), QStringLiteral("Volume"));
        QVERIFY(done.wait(4000));
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eIconsFace);
        QCOMPARE(shown(), iconsShown());
    }

    void screenshotDuringVolume_savedThenBackToTheBar()
    {
        QSignalSpy done(MiddleMan::Get(), &MiddleMan::volumeBarDone);
        MiddleMan::Get()->passVolumeBarStart();
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eVolumeFace);

        emit camera()->ScreenShotComplete();
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eSavedFace);
        QCOMPARE(shown(), messageShown());
        QCOMPARE(child<QLabel>("messageLabel")->text(), QStringLiteral("Save Complete"));

        emit UserSettingsService::Get()->VolumeSettingChanged();
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eVolumeFace);
        QCOMPARE(shown(), volumeShown());
        QTRY_COMPARE(child("volumeBar")->geometry(), m_bar->volumeBarRect());

        QVERIFY(done.wait(4000));
        QCOMPARE(done.count(), 1);
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eIconsFace);
        QCOMPARE(shown(), iconsShown());
    }

    void failedScreenshot_saysSo()
    {
        QSignalSpy done(MiddleMan::Get(), &MiddleMan::volumeBarDone);
        emit camera()->ScreenShotFailed();
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eSaveFailedFace);
        QCOMPARE(shown(), messageShown());
        QCOMPARE(child<QLabel>("messageLabel")->text(), QStringLiteral("Save Failed"));

        // A start from a data screen leaves the notice for the bar.
        MiddleMan::Get()->passVolumeBarStart();
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eVolumeFace);
        QVERIFY(done.wait(4000));
        QCOMPARE(shown(), iconsShown());
    }

    void settingsThatCannotBeSaved_saySoOnce()
    {
        QSignalSpy done(MiddleMan::Get(), &MiddleMan::volumeBarDone);
        emit UserSettingsService::Get()->SettingsCannotBeSaved();
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eUnsavedSettingsFace);
        QCOMPARE(shown(), QStringLiteral("0000001"));
        auto* message = child<QLabel>("messageLabel");
        QCOMPARE(message->text(), QStringLiteral("Settings not saved"));
        QVERIFY(message->fontMetrics().horizontalAdvance(message->text()) <= message->width());
        QVERIFY(done.wait(4000));
        QCOMPARE(shown(), iconsShown());
    }

    void cameraButton_savesAndShowsSaveComplete()
    {
        const Board& board = Board::Get();
        QDir().mkpath(board.CardRoot());
        QDir().mkpath(QFileInfo(board.CardPresenceMarker()).path());
        QDir().mkpath(QFileInfo(board.MountTable()).path());
        QFile(board.CardPresenceMarker()).open(QIODevice::WriteOnly);
        QFile mounts(board.MountTable());
        QVERIFY(mounts.open(QIODevice::WriteOnly));
        mounts.write("/dev/mmcblk1p1 /media/mmcblk1p1 vfat rw 0 0\n");
        mounts.close();
        SdCardMonitor::Get()->PollForCardStatus();

        QSignalSpy done(MiddleMan::Get(), &MiddleMan::volumeBarDone);
        QTest::mouseClick(camera(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_bar->currentFace(), IconStatusBar::eSavedFace, 10000);
        QCOMPARE(QDir(board.CardRoot()).entryList(QDir::Files).size(), 1);
        QVERIFY(done.wait(4000));
        QCOMPARE(m_bar->currentFace(), IconStatusBar::eIconsFace);
    }
};

QUARN_GUI_TEST_MAIN(TestIconStatusBar)
#include "tst_iconStatusBar.moc"
