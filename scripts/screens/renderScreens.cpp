// Renders every finished screen offscreen at the panel's size, with live readings played
// over a fake line, into the folder given as argument.

#include "board/board.h"
#include "bus/quarnBus.h"
#include "bus/rtcSetDateTimeMsg.h"
#include "resources/quarnResources.h"
#include "screens/chartrecorder.h"
#include "screens/freqscan.h"
#include "screens/frequencyhistogram.h"
#include "screens/homescreen.h"
#include "screens/spectralAnalysis.h"
#include "services/metaScreenShot.h"
#include "services/sdCardMonitor.h"
#include "services/timeService.h"
#include "services/versionInfo.h"
#include "settings/adminOptionsSettings.h"
#include "settings/userSettingsService.h"
#include "settings/userSettingsStore.h"
#include "setup/clockNotice.h"
#include "setup/countrySettingSubscreenNew.h"
#include "setup/informationSubscreen.h"
#include "setup/setupscreen.h"
#include "setup/toolsSubscreen.h"
#include "setup/userSettingsManagementSubscreen.h"
#include "shell/iconStatusBar.h"
#include "shell/panelDialogs.h"
#include "shell/quarn24ex.h"
#include "shell/slidingstackedwidget.h"
#include "shell/startup.h"
#include "sim/headSettings.h"
#include "sim/mstController.h"
#include "sim/radController.h"
#include "sim/simScenario.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "update/colorBarDisplayDialog.h"
#include "update/diagnostics.h"
#include "update/diagnosticsDialog.h"
#include "update/sdCardUpdate.h"
#include "update/touchScreenCalibrate.h"
#include "update/tscSDCardUpdateDialog.h"

#include <QAbstractButton>
#include <QDialog>
#include <QPainter>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

QByteArray fromHead(char src, QuarnBusMsgType type, const QByteArray& body, char param = 0)
{
    return QuarnBusMsg(type, BusId::Tsc, param, body).serializeFrom(src);
}

QByteArray systemData()
{
    QByteArray block("VEK0");
    // Search with tone, automatic frequency, power 15, automatic power; 2404000000 Hz.
    block.append(QByteArray::fromHex("01010f01"));
    block.append(QByteArray::fromHex("00214a8f"));
    block.append(QByteArray::fromHex("01"
                                     "01"
                                     "00"
                                     "14"
                                     "07"
                                     "02"
                                     "00"
                                     "01"
                                     "00"
                                     "05"
                                     "02"
                                     "00"
                                     "00"
                                     "03"
                                     "00"));
    return block;
}

QByteArray result(int tx, int rx2, int rx3)
{
    QByteArray body(51, 0);
    body[47] = char(tx);
    body[49] = char(rx2);
    body[50] = char(rx3);
    return fromHead(BusId::Rad, eQuarnGetResultResponseMsg, body);
}

// The battery board's status record with the charge in byte 16.
QByteArray batteryStatus(int percent)
{
    QByteArray body(17, 0);
    body[16] = char(percent);
    return fromHead(BusId::Bbm, eGetPingMsg, body);
}

QByteArray systemDataInMode(quint8 mode)
{
    QByteArray block = systemData();
    block[4] = char(mode);
    return fromHead(BusId::Mst, eGetSystemDataMsgResp, block);
}

QByteArray ambient(quint8 mode, int channel, const QByteArray& levels)
{
    QByteArray body;
    body.append(char(mode));
    body.append(char(channel));
    body.append(levels);
    return fromHead(BusId::Rad, eQuarnGetAmbientResponseMsg, body);
}

// Answers the spectral view's latest block request the way the simulated head's radio does.
// Requests of cycles that ran out unanswered are dropped: answering them now would fill the
// wrong block.
void answerFftRequest(FakeDevice* line, SimScenario& scenario, double t, int powerLevel)
{
    int harmonic = 0;
    for (const QuarnBusMsg& request : BusTraffic::split(line->takeWritten())) {
        if (request.type == eFftCorrelatedDataRequestMsg)
            harmonic = request.bodyByte(0);
    }
    if (harmonic == 0)
        return;
    const QByteArray block =
        RadController::encodeFftBlock(scenario.fftBlock(harmonic, t, powerLevel));
    const int piece = RadController::kFftBlockBytes / RadController::kFftPieces;
    for (int i = 0; i < RadController::kFftPieces; ++i)
        line->feed(
            fromHead(BusId::Rad, eFftCorrelatedDataRespMsg, block.mid(i * piece, piece), char(i)));
}

// Swallows the timer events of the objects it filters.
class TimerBlocker : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Timer; }
};

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screens");
    QDir().mkpath(out);

    QTemporaryDir sandbox;
    Board::UseSandbox(sandbox.path(), sandbox.path() + QStringLiteral("/dev/ttyO1"));
    Board::Get().PrepareSandbox();
    QuarnResources::Init();
    QCoreApplication::setOrganizationName(QStringLiteral("VEK"));
    QCoreApplication::setApplicationName(QStringLiteral("QUARN_2_4"));
    auto* line = new FakeDevice;
    QuarnBus::Install(line);
    ApplyPanelStyle(app);
    UserSettingsStore::Configure();
    UserSettingsService::Get();

    Quarn24EX window;
    window.setFixedSize(240, 320);
    window.show();
    line->feed(batteryStatus(87));
    auto* stack = window.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
    settle(800);

    const auto shoot = [&](const char* name) {
        settle(50);
        window.grab().save(out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
    };
    // A modal dialog over the panel: shot once it is up and fitted, then closed.
    // A page below the status bar stands in for the stack's page when the screen that will
    // hold it is not there.
    const auto shootDialog = [&](const char* name, const std::function<void()>& open,
                                 QWidget* page = nullptr) {
        QTimer::singleShot(300, [&, name, page] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            QPixmap panel = window.grab();
            QPainter painter(&panel);
            if (page)
                painter.drawPixmap(0, 40, page->grab());
            painter.drawPixmap(dialog->geometry().topLeft() - window.geometry().topLeft(),
                               dialog->grab());
            painter.end();
            panel.save(out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
            dialog->done(0);
        });
        open();
    };
    const auto show = [&](void (Quarn24EX::*slot)()) {
        (window.*slot)();
        settle(stack ? 700 : 50);
    };

    // Before the master has answered (scripts/demo -- --silent MST): the bar graph has the
    // radio's readings but no level markers, the frequency scan no band.
    auto* home = window.findChild<HomeScreen*>();
    show(&Quarn24EX::doBarGraph);
    line->feed(result(15, 182, 46));
    shoot("bargraph_no_answer");
    emit home->scanSelected();
    settle(700);
    shoot("freqscan_no_answer");
    window.findChild<FrequencyHistogram*>()->on_btnHome_clicked();
    line->feed(fromHead(BusId::Mst, eGetSystemDataMsgResp, systemData()));

    show(&Quarn24EX::doHomeScreen);
    shoot("home");
    // No card in the slot: the camera button asks for one.
    auto* camera = window.findChild<QAbstractButton*>(QStringLiteral("screenShotButton"));
    shootDialog("message_box", [camera] { camera->click(); });

    // The analysis views, each with the simulated head's data: the sweep passes over a
    // semiconductor, then a corrosive target.
    constexpr int kPower = 15;
    SimScenario sweep(SimScenario::Kind::Sweep, 1);

    emit home->chartSelected();
    settle(700);
    auto* recorder = window.findChild<ChartRecorder*>();
    // The samples are fed here, one per step: the recorder's own tick would add more the
    // slower this runs (under qemu-arm, say), and no two renders would agree.
    TimerBlocker noTicks;
    recorder->installEventFilter(&noTicks);
    for (int i = 0; i < ChartRecorder::kHistory; ++i) {
        const double t = 2.5 + i * 0.06;
        const SimScenario::Reading r = sweep.reading(quint64(i), t, kPower);
        line->feed(result(r.txPower, r.harm2nd, r.harm3rd));
        QCoreApplication::processEvents();
        recorder->advance();
    }
    shoot("chart");
    recorder->removeEventFilter(&noTicks);

    // An automatic scan: the head reports scanning, sends the three channels' levels and
    // goes back to search; the screen picks the quietest bar.
    emit home->scanSelected();
    settle(700);
    const Zone zone = zonesFor(false).at(1); // code 33, the default region
    line->feed(fromHead(BusId::Mst, eGetZoneMsgResp, zone.record(), char(zone.code)));
    line->feed(fromHead(BusId::Mst, eGetFreqRangeMsgResp, zone.range()));
    window.findChild<QAbstractButton*>(QStringLiteral("btnAutoScan"))->click();
    line->feed(systemDataInMode(FreqScan::kHeadAutoScanning));
    for (int sweepPass = 0; sweepPass < 2; ++sweepPass) {
        for (int channel = 0; channel < 3; ++channel)
            line->feed(ambient(FreqScan::kAmbientAutoMode, channel,
                               sweep.ambientLevels(channel, zone.steps)));
    }
    line->feed(systemDataInMode(1));
    shoot("freqscan");

    emit home->spectralSelected();
    settle(700 + SpectralAnalysis::kEntryDelayMs);
    answerFftRequest(line, sweep, SimScenario::kSemiconductorAt, kPower);
    settle(20);
    answerFftRequest(line, sweep, SimScenario::kSemiconductorAt, kPower);
    shoot("spectral");

    // Side by side: the curves move over with the next cycle.
    window.findChild<SpectralAnalysis*>()
        ->findChild<QAbstractButton*>(QStringLiteral("pushButton"))
        ->click();
    settle(SpectralAnalysis::kFirstCycleMs + 100);
    answerFftRequest(line, sweep, SimScenario::kCorrosiveAt, kPower);
    settle(20);
    answerFftRequest(line, sweep, SimScenario::kCorrosiveAt, kPower);
    shoot("spectral_split");
    window.findChild<SpectralAnalysis*>()
        ->findChild<QAbstractButton*>(QStringLiteral("pushButton"))
        ->click();
    window.findChild<SpectralAnalysis*>()->on_btnHome_clicked();
    settle(700);

    // The keypad page, with the head's keys.
    show(&Quarn24EX::doKeypad);
    shoot("keypad");

    show(&Quarn24EX::doBarGraph);
    line->feed(result(15, 182, 46));
    shoot("bargraph");

    // The annotated screenshot of the bar graph with its semiconductor reading.
    MetaScreenShot sheet;
    sheet.RenderSheet(Board::Get().Now()).save(out + QStringLiteral("/screenshot_sheet.png"));

    // The volume face: the bar graph's volume button brings the bar up over the icons.
    auto* volumeUp = window.findChild<QAbstractButton*>(QStringLiteral("btnVolUp"));
    volumeUp->click();
    settle(400);
    volumeUp->click();
    shoot("statusbar_volume");

    // The setup screen: its three pages, a few subscreens, then the clock notice and the
    // date and time subscreen it leads to.
    // The simulated head's options: region change, sweep and hop, the harmonic audio modes.
    AdminOptionsSettings().SyncWithMasterValue(0x3423u);
    show(&Quarn24EX::doSetupScreen);
    settle(IconStatusBar::kFaceMs); // the volume face of the bar graph's shot goes first
    auto* setup = window.findChild<SetupScreen*>();
    const auto press = [&](const char* name) {
        setup->findChild<QAbstractButton*>(QLatin1String(name))->click();
        settle(700);
    };
    shoot("setup_page1");
    press("volumeMuteButton");
    shoot("setup_volume");
    press("leftArrowButton");
    press("audioModeButton");
    shoot("setup_audio_mode");
    press("leftArrowButton");
    press("rightArrowButton");
    shoot("setup_page2");
    press("hapticButton");
    shoot("setup_haptic");
    press("leftArrowButton");
    press("autoPowerOffButton");
    shoot("setup_auto_power_off");
    press("leftArrowButton");
    press("rightArrowButton");
    shoot("setup_page3");
    press("homeButton");

    // A box the window opened over itself, shot where it stands on the panel.
    const auto shootBox = [&](QWidget* box, const char* name) {
        QPixmap panel = window.grab();
        QPainter painter(&panel);
        painter.drawPixmap(box->geometry().topLeft() - window.geometry().topLeft(), box->grab());
        painter.end();
        panel.save(out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
    };

    // The battery board's clock stopped last evening: the notice, the date and time
    // subscreen with its "Set", and the subscreen once the clock runs again. The time
    // service sets the picture's time, so that the status bar shows it at once.
    TimeService::Get()->SetDateTime(QDateTime(QDate(2026, 12, 9), QTime(9, 41, 0)));
    const auto clockBody = [](const QDateTime& time, bool stopped) {
        QByteArray body = RtcSetDateTimeMsg(time, BusId::Tsc).body;
        if (stopped)
            body[0] = char(body.at(0) | 0x80);
        return body;
    };
    line->feed(fromHead(BusId::Bbm, eRtcGetDateTimeMsg,
                        clockBody(QDateTime(QDate(2026, 12, 8), QTime(17, 5, 0)), true)));
    auto* notice = window.findChild<ClockNotice*>();
    settle(300);
    if (QMessageBox* box = notice->box()) {
        shootBox(box, "clock_notice");
        box->defaultButton()->click();
        settle(700);
        shoot("clock_set");
        setup->findChild<QAbstractButton*>(QStringLiteral("setClockButton"))->click();
        line->feed(fromHead(BusId::Bbm, eRtcSetDateTimeMsg, clockBody(Board::Get().Now(), false)));
        shoot("setup_date_time");
    }

    // The update dialog at the panel's size: the first prompt, a section being written and
    // a failed transfer.
    TscSDCardUpdateDialog update;
    update.setFixedSize(240, 320);
    update.show();
    const auto shootUpdate = [&](const char* name) {
        settle(50);
        update.grab().save(out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
    };
    shootUpdate("update_prompt");
    update.updateProgress(55);
    update.DisplayErase(QStringLiteral("MST"));
    update.DisplayWrite(QStringLiteral("MST"));
    shootUpdate("update_progress");
    // A controller that failed once erased, as the dialog names it (the worker that would
    // report it is not run here).
    update.ErrorHandler(SDCardUpdate::eBadChecksum);
    update.findChild<QTextBrowser*>()->setPlainText(TscSDCardUpdateDialog::ErrorText(
        SDCardUpdate::eBadChecksum, {QStringLiteral("MST"), SDCardUpdate::Erased::Yes}));
    shootUpdate("update_error");
    update.hide();

    // The notice at start after an update that stopped part-way.
    SDCardUpdate::RecordFailedUpdate(
        QStringLiteral("Update to 2.5.1 failed at MST (erased, not written)."));
    TscSDCardUpdateDialog::ShowFailedUpdateNotice(&window);
    settle(300);
    if (auto* box = window.findChild<QMessageBox*>(QStringLiteral("failedUpdateNotice"))) {
        shootBox(box, "update_failed_notice");
        box->close();
    }
    QFile::remove(SDCardUpdate::FailedUpdateRecordPath());

    // The notice while the serial line to the head cannot be opened.
    window.showLineUnavailable(QStringLiteral("/tmp/quarn/ttyHEAD: No such file or directory"));
    settle(300);
    if (auto* box = window.findChild<QMessageBox*>(QStringLiteral("lineUnavailableNotice"))) {
        shootBox(box, "line_missing");
    }
    window.closeLineUnavailable();

    // Subscreens at their place in the setup screen's stack (240 x 230 over the lower
    // background), with two profiles on the card and the simulated head's zone list.
    QuarnTest::SetCard("rw");
    SdCardMonitor::Get()->PollForCardStatus();
    UserSettingsService::Get()->ExportCurrentSettingsToExternalSet(eExternalUserSettingsSet::Set2);
    UserSettingsService::Get()->ExportCurrentSettingsToExternalSet(eExternalUserSettingsSet::Set5);
    VersionInfo::Get();
    for (quint8 cpu : {0, 1, 2, 3, 5, 4})
        line->feed(fromHead(BusId::Mst, eGetSelectIdMsg, MstController::versionText(cpu) + '\0',
                            char(cpu)));

    QWidget setupArea;
    setupArea.setObjectName(QStringLiteral("SetupScreen"));
    setupArea.setStyleSheet(QStringLiteral(
        "#SetupScreen{background-image: url(:/:/images/images/main_backgrd_lower.png);}"));
    setupArea.setAttribute(Qt::WA_StyledBackground);
    setupArea.setFixedSize(240, 230);
    setupArea.show();
    const auto shootSubscreen = [&](SettingSubscreenWidget* subscreen, const char* name) {
        subscreen->setParent(&setupArea);
        subscreen->setGeometry(0, 0, 240, 230);
        subscreen->show();
        settle(100);
        setupArea.grab().save(out + QLatin1Char('/') + QLatin1String(name) +
                              QStringLiteral(".png"));
        subscreen->hide();
    };
    auto* profiles = new UserSettingsManagementSubscreen;
    shootSubscreen(profiles, "setup_profiles");
    auto* regions = new CountrySettingSubscreenNew;
    line->feed(fromHead(BusId::Mst, eGetZoneListMsgResp, MstController::zoneList(false), 34));
    shootSubscreen(regions, "setup_region");
    auto* information = new InformationSubscreen;
    line->feed(batteryStatus(87));
    // The smart battery's identity as the simulated battery board reports it.
    const QByteArray word = QByteArray::fromHex("2a00e3446712"); // 42, 2014-07-03, 4711
    const QList<QPair<int, QByteArray>> registers = {
        {0x17, word.mid(0, 2)},          {0x1B, word.mid(2, 2)},
        {0x1C, word.mid(4, 2)},          {0x20, QByteArray("VEKPOWER", 9)},
        {0x21, QByteArray("QB2S2P", 7)}, {0x22, QByteArray("LION", 5)}};
    for (const auto& reg : registers)
        line->feed(fromHead(BusId::Bbm, eGetSmbMsg, reg.second, char(reg.first)));
    shootSubscreen(information, "setup_information");
    information->findChild<QTabWidget*>()->setCurrentIndex(1);
    shootSubscreen(information, "setup_information_battery");
    information->findChild<QTabWidget*>()->setCurrentIndex(2);
    shootSubscreen(information, "setup_information_contact");

    // The save dialog as the profile page opens it, maximised over the panel.
    profiles->setParent(&window);
    profiles->setGeometry(0, 40, 240, 230);
    profiles->show();
    const auto clickOnProfiles = [profiles](const char* button) {
        return [profiles, button] {
            profiles->findChild<QAbstractButton*>(QLatin1String(button))->click();
        };
    };
    const auto setCard = [](bool in) {
        QFile::remove(Board::Get().CardPresenceMarker());
        QFile mounts(Board::Get().MountTable());
        mounts.open(QIODevice::WriteOnly);
        if (in) {
            QFile(Board::Get().CardPresenceMarker()).open(QIODevice::WriteOnly);
            mounts.write("/dev/mmcblk1p1 /media/mmcblk1p1 vfat rw 0 0\n");
        }
        mounts.close();
        SdCardMonitor::Get()->PollForCardStatus();
    };
    const bool cardWasIn = SdCardMonitor::Get()->IsCardReady();
    setCard(false);
    shootDialog("setup_profile_save", clickOnProfiles("saveButton"));
    // A tap on a card profile without a card says why.
    QTimer::singleShot(100, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        QTimer::singleShot(600, dialog, [dialog] { qobject_cast<QDialog*>(dialog)->done(0); });
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 10), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(dialog->findChild<QWidget*>(QStringLiteral("sdCard1Button")),
                                &release);
    });
    shootDialog("setup_profile_no_card", clickOnProfiles("saveButton"));
    shootDialog("setup_profile_recall_missing", clickOnProfiles("selectButton"));
    UserSettingsService::Get()->SaveToInternalUserSettings();
    shootDialog("setup_profile_recalled", clickOnProfiles("selectButton"));
    QDir().mkpath(Board::Get().CardRoot());
    setCard(true);
    shootDialog("setup_profile_save_card", clickOnProfiles("saveButton"));
    setCard(cardWasIn);
    profiles->hide();

    // The tools page where the setup screen shows it: on the setup ground below the status
    // bar, above the setup screen's arrow row.
    QWidget setupGround;
    setupGround.setObjectName(QStringLiteral("SetupScreen"));
    setupGround.setStyleSheet(QStringLiteral(
        "#SetupScreen{background-image: url(:/:/images/images/main_backgrd_lower.png);}"));
    setupGround.setFixedSize(240, 280);
    ToolsSubscreen tools(&setupGround);
    tools.setGeometry(0, 0, 240, 230);
    setupGround.show();
    settle(50);
    setupGround.grab().save(out + QStringLiteral("/tools.png"));
    // The calibration's instructions over the panel, once the volume face has gone again;
    // closing the box starts nothing.
    window.show();
    settle(IconStatusBar::kFaceMs + IconStatusBar::kSlideInMs + 300);
    shootDialog(
        "tools_instructions", [&tools] { tools.on_tsCalibrationButton_clicked(); }, &setupGround);
    // The question before a factory reset; the shot closes it unanswered, so nothing resets.
    shootDialog(
        "tools_reset_question", [&tools] { tools.on_factoryResetButton_clicked(); }, &setupGround);
    setupGround.close();

    const auto shootPanelDialog = [&](QDialog& dialog, const char* name) {
        dialog.setWindowState(Qt::WindowNoState);
        dialog.setFixedSize(240, 320);
        dialog.show();
        settle(50);
        dialog.grab().save(out + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
        dialog.close();
    };
    // The self-test with a card in the slot: every controller answers; then a run in which
    // MST stays silent, as the watchdog reports it.
    QDir().mkpath(Board::Get().CardRoot());
    QFile(Board::Get().CardPresenceMarker()).open(QIODevice::WriteOnly);
    {
        QFile mounts(Board::Get().MountTable());
        mounts.open(QIODevice::Append);
        mounts.write("/dev/mmcblk1p1 /media/mmcblk1p1 vfat rw 0 0\n");
    }
    settle(1200);
    const auto answerProbes = [&](bool mstAnswers) {
        line->feed(fromHead(BusId::Bbm, eGetPingMsg, QByteArray(8, '\0')));
        if (mstAnswers)
            line->feed(fromHead(BusId::Mst, eGetSystemDataMsgResp, systemData()));
        line->feed(fromHead(BusId::Rad, eGetSelectIdMsg, "RAD 1.0"));
        line->feed(fromHead(BusId::Key, eGetTripLevelMsgRespToSet, QByteArray("\x04\x01", 2)));
    };
    {
        DiagnosticsDialog diagnostics;
        answerProbes(true);
        shootPanelDialog(diagnostics, "diagnostics_pass");
    }
    {
        DiagnosticsDialog diagnostics;
        answerProbes(false);
        diagnostics.diagnostics()->Timeout();
        shootPanelDialog(diagnostics, "diagnostics_timeout");
    }

    // The calibration waiting for its second tap, and the colour bars with their caption.
    TouchScreenCalibrate calibrate;
    calibrate.setWindowState(Qt::WindowNoState);
    calibrate.setFixedSize(240, 320);
    QTest::mouseClick(&calibrate, Qt::LeftButton, {}, calibrate.CurrentTarget());
    shootPanelDialog(calibrate, "calibration");
    ColorBarDisplayDialog bars;
    bars.setWindowState(Qt::WindowNoState);
    bars.setFixedSize(240, 320);
    bars.TimerExpired();
    shootPanelDialog(bars, "color_bars");

    // The low-battery notice as the charge falls to 4 % on battery power.
    line->feed(batteryStatus(50));
    line->feed(batteryStatus(4));
    settle(300);
    if (QMessageBox* box = window.findChild<IconStatusBar*>()->lowBatteryNotice()) {
        shootBox(box, "battery_low");
        box->accept();
    }

    // The master stops answering on the bar graph: the crossed antenna in the status bar
    // and the notice naming it.
    line->feed(batteryStatus(87));
    show(&Quarn24EX::doBarGraph);
    line->feed(result(15, 182, 46)); // the radio still sends its results
    window.findChild<IconStatusBar*>()->IndicateHeadSilent();
    window.showHeadSilent({QStringLiteral("MST")});
    settle(300);
    if (auto* box = window.findChild<QMessageBox*>(QStringLiteral("headSilentNotice"))) {
        shootBox(box, "head_silent");
    }
    return 0;
}
