// Every page, subscreen and dialog of the panel as the program shows it, held to what a
// gloved finger at arm's length needs (see PanelInspector for the rules).

#include "board/board.h"
#include "bus/quarnBus.h"
#include "screens/bargraph.h"
#include "screens/chartdisplay.h"
#include "screens/headType.h"
#include "screens/powerBarScreen.h"
#include "screens/spectralAnalysis.h"
#include "services/sdCardMonitor.h"
#include "settings/adminOptionsSettings.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/tripLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"
#include "setup/clockNotice.h"
#include "setup/setupscreen.h"
#include "setup/toolsSubscreen.h"
#include "setup/userSettingsManagementSubscreen.h"
#include "shell/middleMan.h"
#include "shell/panelDialogs.h"
#include "shell/quarn24ex.h"
#include "shell/slidingstackedwidget.h"
#include "shell/startup.h"
#include "tests/ergonomics/panelInspector.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"
#include "update/colorBarDisplayDialog.h"
#include "update/diagnostics.h"
#include "update/diagnosticsDialog.h"
#include "update/sdCardUpdate.h"
#include "update/touchScreenCalibrate.h"
#include "update/tscSDCardUpdateDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <functional>
#include <memory>

using PanelInspector::Inspect;

namespace {

// Lists every finding, one a line, and says how many there are.
QByteArray findings(const QStringList& lines)
{
    for (const QString& line : lines)
        qInfo().noquote() << line;
    return QByteArray::number(lines.size()) + " offenders";
}

// The text of the pictures' SVG sources, where the figures drawn into them are.
QString pictureSource(const QString& resourceName)
{
    QString base = resourceName.section(QLatin1Char('/'), -1);
    base.chop(base.endsWith(QLatin1String(".png")) ? 4 : 0);
    return QStringLiteral(QUARN_SOURCE_DIR "/resources/images/images/") + base +
           QStringLiteral(".svg");
}

// A painted view's pictures, in painting order: no picture may cover a figure drawn into
// one painted before it.
template <typename View> QStringList coveredFigures(const QString& page, const View& view)
{
    QStringList out;
    const auto placed = view.placements();
    for (int i = 0; i < placed.size(); ++i) {
        const QString under = QString::fromLatin1(View::imageFile(placed[i].image));
        for (const PanelInspector::PictureText& figure :
             PanelInspector::PictureTexts(pictureSource(under))) {
            const QRect box = figure.box.translated(placed[i].x, placed[i].y).toAlignedRect();
            for (int j = i + 1; j < placed.size(); ++j) {
                const QString over = QString::fromLatin1(View::imageFile(placed[j].image));
                const QImage picture(QStringLiteral(":/:/images/images/") + over);
                const QRect inside = box.translated(-placed[j].x, -placed[j].y) & picture.rect();
                bool covers = false;
                for (int y = inside.top(); y <= inside.bottom() && !covers; ++y)
                    for (int x = inside.left(); x <= inside.right() && !covers; ++x)
                        covers = qAlpha(picture.pixel(x, y)) > 64;
                if (covers)
                    out.append(QStringLiteral("%1 | %2 | covers \"%3\" of %4 at (%5, %6)")
                                   .arg(page, over, figure.text, under)
                                   .arg(placed[j].x)
                                   .arg(placed[j].y));
            }
        }
    }
    out.removeDuplicates();
    return out;
}

} // namespace

class TestErgonomics : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;
    std::unique_ptr<Quarn24EX> m_window;
    QStringList m_found;

    QRect panel() const { return QRect(m_window->mapToGlobal(QPoint()), QSize(240, 320)); }

    void inspect(const QString& page, QWidget* top = nullptr)
    {
        QCoreApplication::processEvents();
        m_found += Inspect(page, top ? top : m_window.get(), panel());
    }

    void settleStacks()
    {
        for (auto* stack : m_window->findChildren<SlidingStackedWidget*>())
            QTRY_VERIFY(!stack->isSliding());
        QTest::qWait(20);
    }

    template <typename T> T* child(QObject* in, const char* name)
    {
        auto* c = in->findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("no %s", name);
        return c;
    }

    // Runs open, which shows a modal dialog; inspects the dialog once it is up and fitted,
    // then closes it unanswered.
    void inspectModal(const QString& page, const std::function<void()>& open)
    {
        bool seen = false;
        int ticks = 0;
        QTimer poll;
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || ++ticks < 3)
                return;
            poll.stop();
            seen = true;
            inspect(page, dialog);
            dialog->done(0);
        });
        poll.start();
        open();
        QTRY_VERIFY2(seen, qPrintable(page));
    }

    void inspectShown(const QString& page, QDialog& dialog)
    {
        dialog.setWindowState(Qt::WindowMaximized);
        dialog.show();
        QTest::qWait(100);
        inspect(page, &dialog);
        dialog.hide();
    }

private slots:
    void init()
    {
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        m_found.clear();
    }

    void initTestCase()
    {
        init();
        ApplyPanelStyle(*qApp);
        m_line = QuarnTest::InstallSettledLine();
        // The head's options: region change, sweep and hop, the harmonic audio modes;
        // automatic power, so that its badge shows.
        AdminOptionsSettings().SyncWithMasterValue(0x3423u);
        TxPowerModeUserSetting().Set(eTxPowerModeUserSetting::Auto);
        m_window = std::make_unique<Quarn24EX>();
        m_window->setFixedSize(240, 320);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        for (auto* stack : m_window->findChildren<SlidingStackedWidget*>())
            stack->setSpeed(10);
        settleStacks();
    }

    void cleanupTestCase() { m_window.reset(); }

    // The rules find what they are there for: each row breaks one of them once.
    void inspector_findsEachFault_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("finding");
        QTest::newRow("none") << "none"
                              << "";
        QTest::newRow("small button") << "small button"
                                      << "touch area 30 x 30";
        QTest::newRow("long text") << "long text"
                                   << "needs";
        QTest::newRow("text at the edge") << "text at the edge"
                                          << "needs";
        QTest::newRow("faint text") << "faint text"
                                    << "contrast";
        QTest::newRow("small text") << "small text"
                                    << "9 px, under 11";
        QTest::newRow("overlap") << "overlap"
                                 << "overlaps";
        QTest::newRow("word broken") << "word broken"
                                     << "inside the word";
        QTest::newRow("odd font") << "odd font"
                                  << "font 20 px bold beside 14 px";
        QTest::newRow("cut") << "cut"
                             << "cut to";
    }

    void inspector_findsEachFault()
    {
        QFETCH(QString, fault);
        QFETCH(QString, finding);
        QWidget page;
        page.setObjectName(QStringLiteral("page"));
        page.setStyleSheet(QStringLiteral("#page { background-color: #1e1e1e; }"));
        page.setAttribute(Qt::WA_StyledBackground);
        page.setFixedSize(240, 320);
        const auto button = [&](const QString& text, const QRect& at) {
            auto* b = new QPushButton(text, &page);
            b->setObjectName(text);
            b->setGeometry(at);
            b->setStyleSheet(QStringLiteral("color: #e6e6e6; font-size: 14px;"));
            return b;
        };
        button(QStringLiteral("One"), QRect(10, 10, 100, 50));
        button(QStringLiteral("Two"), QRect(120, 10, 100, 50));
        auto* label = new QLabel(QStringLiteral("Ready"), &page);
        label->setObjectName(QStringLiteral("label"));
        label->setGeometry(10, 100, 220, 20);
        label->setStyleSheet(QStringLiteral("color: #e6e6e6; font-size: 14px;"));
        if (fault == QLatin1String("small button"))
            button(QStringLiteral("OK"), QRect(10, 200, 30, 30));
        else if (fault == QLatin1String("long text"))
            label->setText(QStringLiteral("Frequency Operating Mode, and more"));
        else if (fault == QLatin1String("text at the edge"))
            button(QStringLiteral("Speaker/HP"), QRect(10, 200, 80, 50));
        else if (fault == QLatin1String("faint text"))
            label->setStyleSheet(QStringLiteral("color: #555555; font-size: 14px;"));
        else if (fault == QLatin1String("small text"))
            label->setStyleSheet(QStringLiteral("color: #e6e6e6; font-size: 9px;"));
        else if (fault == QLatin1String("overlap"))
            button(QStringLiteral("Three"), QRect(60, 40, 50, 50));
        else if (fault == QLatin1String("word broken")) {
            label->setWordWrap(true);
            label->setText(QStringLiteral("micro SD card is read-only"));
            // "read-" fits on the first line, "read-only" does not.
            label->ensurePolished();
            const int width =
                label->fontMetrics().horizontalAdvance(QStringLiteral("micro SD card is read-"));
            label->setGeometry(10, 100, width + 2, 40);
        } else if (fault == QLatin1String("odd font"))
            button(QStringLiteral("Three"), QRect(10, 200, 100, 50))
                ->setStyleSheet(QStringLiteral("font: bold 20px;"));
        else if (fault == QLatin1String("cut"))
            button(QStringLiteral("Three"), QRect(200, 200, 100, 50));
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const QStringList found =
            Inspect(QStringLiteral("test"), &page, QRect(page.mapToGlobal(QPoint()), page.size()));
        if (finding.isEmpty())
            QVERIFY2(found.isEmpty(), findings(found).constData());
        else
            QVERIFY2(found.filter(finding).size() == 1, findings(found).constData());
    }

    void mainPages_pass()
    {
        const struct
        {
            const char* name;
            void (Quarn24EX::*show)();
        } pages[] = {{"home", &Quarn24EX::doHomeScreen},     {"bar graph", &Quarn24EX::doBarGraph},
                     {"chart", &Quarn24EX::doChartRecorder}, {"keypad", &Quarn24EX::doKeypad},
                     {"freq scan", &Quarn24EX::doFreqScan},  {"spectrum", &Quarn24EX::doSpectral},
                     {"setup", &Quarn24EX::doSetupScreen}};
        for (const auto& page : pages) {
            (m_window.get()->*page.show)();
            settleStacks();
            inspect(QLatin1String(page.name));
        }
        // The status bar's other faces: the volume and a saved screenshot.
        m_window->doBarGraph();
        settleStacks();
        emit MiddleMan::Get()->volumeBarStart();
        QTest::qWait(300);
        inspect(QStringLiteral("status bar: volume"));
        auto* camera = child<QAbstractButton>(m_window.get(), "screenShotButton");
        QMetaObject::invokeMethod(camera, "ScreenShotComplete");
        QTest::qWait(100);
        inspect(QStringLiteral("status bar: saved"));
        QVERIFY2(m_found.isEmpty(), findings(m_found).constData());
    }

    // Every page of the setup screen, and every subscreen its buttons lead to.
    void setupPages_pass()
    {
        m_window->doSetupScreen();
        settleStacks();
        auto* setup = m_window->findChild<SetupScreen*>();
        auto* stack = child<SlidingStackedWidget>(setup, "stackedSetupWidget");
        auto* right = child<QAbstractButton>(setup, "rightArrowButton");
        auto* left = child<QAbstractButton>(setup, "leftArrowButton");
        auto* pageLabel = child<QLabel>(setup, "pageLabel");
        for (eHeadTypeIdT head : {eHeadTypeStandard, eHeadType900, eHeadTypeZoned}) {
            setup->matchCountryScreenToHeadType(head);
            settleStacks();
        }
        for (int page = 1; page <= 3; ++page) {
            QTRY_COMPARE(pageLabel->text(), QStringLiteral("%1/3").arg(page));
            const QString pageName = QStringLiteral("setup page %1").arg(page);
            inspect(pageName);
            QWidget* shown = stack->currentWidget();
            QList<QAbstractButton*> buttons;
            for (auto* b : shown->findChildren<QAbstractButton*>())
                if (b->isVisible())
                    buttons.append(b);
            for (QAbstractButton* b : buttons) {
                b->click();
                settleStacks();
                QTRY_VERIFY(stack->currentWidget() != shown);
                QWidget* sub = stack->currentWidget();
                const QString subName = pageName + QStringLiteral(" > ") + b->text().simplified();
                if (auto* tabs = sub->findChild<QTabWidget*>()) {
                    for (int t = 0; t < tabs->count(); ++t) {
                        tabs->setCurrentIndex(t);
                        inspect(subName + QStringLiteral(" > ") + tabs->tabText(t));
                    }
                    tabs->setCurrentIndex(0);
                } else {
                    inspect(subName);
                }
                left->click();
                settleStacks();
                QTRY_COMPARE(stack->currentWidget(), shown);
            }
            right->click();
            settleStacks();
        }
        QVERIFY2(m_found.isEmpty(), findings(m_found).constData());
    }

    void dialogs_pass()
    {
        m_window->doSetupScreen();
        settleStacks();
        auto* setup = m_window->findChild<SetupScreen*>();
        auto* tools = qobject_cast<ToolsSubscreen*>(setup->subScreen(eToolsSub));
        auto* profiles =
            qobject_cast<UserSettingsManagementSubscreen*>(setup->subScreen(eUserSettingsSub));
        QVERIFY(tools && profiles);

        inspectModal(QStringLiteral("calibration instructions"),
                     [tools] { tools->on_tsCalibrationButton_clicked(); });
        inspectModal(QStringLiteral("factory reset question"),
                     [tools] { tools->on_factoryResetButton_clicked(); });
        inspectModal(QStringLiteral("keypad dialog"), [tools] { tools->on_pushButton_clicked(); });
        inspectModal(QStringLiteral("screenshot without a card"), [this] {
            child<QAbstractButton>(m_window.get(), "screenShotButton")->click();
        });
        inspectModal(QStringLiteral("save dialog, no card"),
                     [this, profiles] { child<QAbstractButton>(profiles, "saveButton")->click(); });
        inspectModal(QStringLiteral("recall, profile missing"), [this, profiles] {
            child<QAbstractButton>(profiles, "selectButton")->click();
        });
        QuarnTest::SetCard("rw");
        QTRY_VERIFY(SdCardMonitor::Get()->IsCardReady());
        inspectModal(QStringLiteral("save dialog, card"),
                     [this, profiles] { child<QAbstractButton>(profiles, "saveButton")->click(); });

        // The self-test on a write-protected card, once all answered and once timed out.
        QuarnTest::SetCard("ro");
        QTRY_VERIFY(SdCardMonitor::Get()->IsCardReady() && !SdCardMonitor::Get()->IsCardWritable());
        {
            DiagnosticsDialog diagnostics;
            const auto answer = [](char src, QuarnBusMsgType type, const QByteArray& body) {
                return QuarnBusMsg(type, BusId::Tsc, 0, body).serializeFrom(src);
            };
            for (const QByteArray& frame :
                 {answer(BusId::Bbm, eGetPingMsg, QByteArray(8, '\0')),
                  answer(BusId::Mst, eGetSystemDataMsgResp, QByteArray(28, '\0')),
                  answer(BusId::Rad, eGetSelectIdMsg, "RAD 1.0"),
                  answer(BusId::Key, eGetTripLevelMsgRespToSet, QByteArray("\x04\x01", 2))})
                m_line->feed(frame);
            inspectShown(QStringLiteral("diagnostics, passed"), diagnostics);
        }
        {
            DiagnosticsDialog diagnostics;
            diagnostics.diagnostics()->Timeout();
            inspectShown(QStringLiteral("diagnostics, timed out"), diagnostics);
        }
        QuarnTest::SetCard("");

        {
            TscSDCardUpdateDialog update;
            inspectShown(QStringLiteral("update offered"), update);
            update.updateProgress(65);
            update.DisplayErase(QStringLiteral("MST"));
            update.DisplayWrite(QStringLiteral("MST"));
            inspectShown(QStringLiteral("update writing"), update);
            update.ErrorHandler(SDCardUpdate::eBadChecksum);
            inspectShown(QStringLiteral("update failed"), update);
        }
        {
            TouchScreenCalibrate calibrate;
            inspectShown(QStringLiteral("calibration"), calibrate);
            // The caption comes while the bars are shown.
            ColorBarDisplayDialog bars;
            bars.setWindowState(Qt::WindowMaximized);
            bars.show();
            QTest::qWait(100);
            bars.TimerExpired();
            inspectShown(QStringLiteral("colour bars"), bars);
        }

        // Notices that do not block.
        auto* notice = m_window->findChild<ClockNotice*>();
        notice->Show();
        QTRY_VERIFY(notice->box() && notice->box()->isVisible());
        QTest::qWait(100);
        inspect(QStringLiteral("clock notice"), notice->box());
        notice->box()->done(0);
        m_window->showLineUnavailable(QStringLiteral("/dev/ttyO1: No such file or directory"));
        QMessageBox* line = nullptr;
        QTRY_VERIFY((line = m_window->findChild<QMessageBox*>("lineUnavailableNotice")) &&
                    line->isVisible());
        QTest::qWait(100);
        inspect(QStringLiteral("no connection notice"), line);
        m_window->closeLineUnavailable();
        QVERIFY2(m_found.isEmpty(), findings(m_found).constData());
    }

    // The markers that move over the scales never hide the scales' figures, at any level.
    void markers_leaveScaleFiguresClear()
    {
        auto* bars = m_window->findChild<Bargraph*>();
        auto* chart = m_window->findChild<ChartDisplay*>();
        auto* spectrum = m_window->findChild<SpectralAnalysis*>();
        for (int mode : {0, 1}) {
            TxPowerModeUserSetting().Set(eTxPowerModeUserSetting(mode));
            for (int level = 0; level <= 20; ++level) {
                PowerLevelUserSetting().Set(static_cast<unsigned char>(level));
                TripLevelUserSetting().Set(static_cast<unsigned char>(level / 2));
                m_found += coveredFigures(QStringLiteral("bar graph"), *bars);
                m_found += coveredFigures(QStringLiteral("chart"),
                                          static_cast<const PowerBarScreen&>(*chart));
                m_found += coveredFigures(QStringLiteral("spectrum"),
                                          static_cast<const PowerBarScreen&>(*spectrum));
            }
        }
        TxPowerModeUserSetting().Set(eTxPowerModeUserSetting::Auto);
        m_found.removeDuplicates();
        QVERIFY2(m_found.isEmpty(), findings(m_found).constData());
    }

    void pictureTexts_areLargeEnough()
    {
        QDirIterator svgs(QStringLiteral(QUARN_SOURCE_DIR "/resources/images"),
                          {QStringLiteral("*.svg")}, QDir::Files, QDirIterator::Subdirectories);
        int seen = 0;
        while (svgs.hasNext()) {
            const QString path = svgs.next();
            for (const auto& t : PanelInspector::PictureTexts(path)) {
                ++seen;
                if (t.pixelSize < PanelInspector::kMinPictureTextPx)
                    m_found.append(QStringLiteral("picture | %1 | text \"%2\" is %3 px, under %4")
                                       .arg(QFileInfo(path).baseName(), t.text)
                                       .arg(t.pixelSize)
                                       .arg(PanelInspector::kMinPictureTextPx));
            }
        }
        QVERIFY(seen > 10);
        QVERIFY2(m_found.isEmpty(), findings(m_found).constData());
    }
};

QUARN_GUI_TEST_MAIN(TestErgonomics)
#include "tst_ergonomics.moc"
