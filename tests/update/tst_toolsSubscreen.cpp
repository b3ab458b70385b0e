// The tools page against the simulated head on a pseudo-terminal: each button's dialog,
// the calibration from the instructions to the saved record, and the factory reset on the
// head and in the store.

#include "board/board.h"
#include "board/touchCalibration.h"
#include "bus/systemDataMsgs.h"
#include "settings/chartTimeUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/powerOnScreenSetting.h"
#include "settings/userSettingsService.h"
#include "setup/toolsSubscreen.h"
#include "shell/keypad.h"
#include "shell/panelDialogs.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"
#include "update/colorBarDisplayDialog.h"
#include "update/diagnostics.h"
#include "update/diagnosticsDialog.h"
#include "update/touchScreenCalibrate.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

// Acts on each modal dialog from inside its own event loop, one step at a time: a step
// returns true when it has dealt with the dialog in front.
class ModalScript
{
public:
    using Step = std::function<bool(QWidget* modal)>;
    explicit ModalScript(QList<Step> steps) : m_steps(std::move(steps))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!done() && modal && m_steps[m_next](modal))
                ++m_next;
        });
        m_timer.start(20);
    }
    bool done() const { return m_next == m_steps.size(); }

private:
    QList<Step> m_steps;
    int m_next = 0;
    QTimer m_timer;
};

// Answers a message box of this title with a button.
ModalScript::Step answerBox(const QString& title, QMessageBox::StandardButton button,
                            QString* text = nullptr)
{
    return [=](QWidget* modal) {
        auto* box = qobject_cast<PanelMessageBox*>(modal);
        if (!box || box->windowTitle() != title || !box->button(button))
            return false;
        if (text)
            *text = box->text();
        box->button(button)->click();
        return true;
    };
}

using Step = ModalScript::Step;

void click(ToolsSubscreen& page, const QString& button)
{
    page.findChild<QPushButton*>(button)->click();
}

} // namespace

Q_DECLARE_METATYPE(Step)

class TestToolsSubscreen : public QObject
{
    Q_OBJECT
private:
    HeadSim* m_sim = nullptr;
    QList<QuarnBusMsg> m_heard;

private slots:
    void initTestCase()
    {
        m_sim = SimHarness::StartProgramOnSim(this, &m_heard);
        QVERIFY(m_sim);
        QTRY_VERIFY(UserSettingsService::Get()->IsInitialSyncDone());
    }

    void init()
    {
        // The offscreen platform says so when a dialog with a layout is shown.
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        m_heard.clear();
    }

    void calibration_fiveTaps_saveTheRecordForTheNextStart()
    {
        ToolsSubscreen page;
        QString instructions;
        QString done;
        QVector<QPointF> taps;
        QVector<QPointF> targets;
        ModalScript script({answerBox("Instructions", QMessageBox::Ok, &instructions),
                            [&](QWidget* modal) {
                                auto* dialog = qobject_cast<TouchScreenCalibrate*>(modal);
                                if (!dialog)
                                    return false;
                                // Every tap a pixel right of and above its target.
                                targets.append(dialog->CurrentTarget());
                                const QPoint tap = targets.last().toPoint() + QPoint(1, -1);
                                taps.append(tap);
                                QTest::mouseClick(dialog, Qt::LeftButton, {}, tap);
                                return dialog->TapsTaken() == TouchScreenCalibrate::kPoints;
                            },
                            answerBox("Done!", QMessageBox::Ok, &done)});
        click(page, "tsCalibrationButton");
        QTRY_VERIFY(script.done());

        QCOMPARE(TouchScreenCalibrate::ScreenPoints({240, 320}),
                 (QVector<QPointF>{{24, 32}, {24, 288}, {216, 288}, {216, 32}, {120, 160}}));
        QVERIFY(instructions.startsWith("Carefully and briefly tap") &&
                !instructions.contains('<'));
        QVERIFY(done.startsWith("Touch screen calibration is complete!") &&
                done.contains("next starts"));
        QFile file(Board::Get().TouchCalibrationFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const std::optional<TouchCalibration> saved = TouchCalibration::FromRecord(file.readAll());
        QVERIFY(saved && taps.size() == 5);
        for (int i = 0; i < taps.size(); ++i) {
            const QPointF miss = saved->Map(taps[i]) - targets[i];
            QVERIFY(qAbs(miss.x()) < 0.5 && qAbs(miss.y()) < 0.5);
        }
    }

    void calibration_cancel_startsNone()
    {
        ToolsSubscreen page;
        bool calibrationShown = false;
        ModalScript script({answerBox("Instructions", QMessageBox::Cancel), [&](QWidget* modal) {
                                if (auto* dialog = qobject_cast<TouchScreenCalibrate*>(modal)) {
                                    calibrationShown = true;
                                    dialog->reject();
                                }
                                return false;
                            }});
        click(page, "tsCalibrationButton");
        QTest::qWait(ToolsSubscreen::kCalibrationDelayMs + 300);
        QVERIFY(!calibrationShown);
    }

    // Cancel keeps every setting; the program's own ones change at once on a reset.
    void factoryReset_cancel_keepsEverySetting()
    {
        ChartTimeUserSetting().Set(eChartTime::OneMinute);
        PowerOnScreenSetting().Set(ePowerOnScreen::Spectral);
        ToolsSubscreen page;
        QString question;
        ModalScript script({answerBox("Factory Reset", QMessageBox::Cancel, &question)});
        click(page, "factoryResetButton");
        QVERIFY(script.done());
        QCOMPARE(question, QStringLiteral("Reset all settings to factory defaults?"));
        QCOMPARE(ChartTimeUserSetting().Get(), int(eChartTime::OneMinute));
        QCOMPARE(PowerOnScreenSetting().Get(), int(ePowerOnScreen::Spectral));
    }

    // Asked first, then reset on the head (its load-defaults request, then the block it
    // reports) and of the settings only the program holds, and said so.
    void factoryReset_headAndStoreBackToDefaults()
    {
        PowerLevelUserSetting().Set(7);
        ChartTimeUserSetting().Set(eChartTime::OneMinute);
        PowerOnScreenSetting().Set(ePowerOnScreen::Spectral);
        QTRY_COMPARE(m_sim->mst()->settings().powerLevel, quint8(7));
        m_heard.clear();

        ToolsSubscreen page;
        QString done;
        ModalScript script({answerBox("Factory Reset", QMessageBox::Reset),
                            answerBox("Factory Reset", QMessageBox::Ok, &done)});
        click(page, "factoryResetButton");
        QVERIFY(script.done());
        QCOMPARE(done, QStringLiteral("All settings are back to their factory defaults."));
        QTRY_COMPARE(PowerLevelUserSetting().Get(), 15);
        QCOMPARE(m_sim->mst()->settings().powerLevel, quint8(15));
        QCOMPARE(ChartTimeUserSetting().Get(), 1);
        QCOMPARE(PowerOnScreenSetting().Get(), 1);
        QVERIFY(m_heard.size() >= 2);
        QCOMPARE(int(m_heard.first().type), int(eLoadUserSettingsMsg));
        QCOMPARE(m_heard.first().param, quint8(LoadUserSettingsMsg::kRestoreDefaults));
        // Other settings' messages may follow, as fast as the machine runs: the block
        // request is among them.
        QVERIFY(std::any_of(m_heard.begin() + 1, m_heard.end(), [](const QuarnBusMsg& m) {
            return int(m.type) == int(eGetSystemDataMsg);
        }));
    }

    void button_runsItsDialog_data()
    {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<Step>("close");
        QTest::newRow("colour bars") << "colorBarsButton" << Step([](QWidget* modal) {
            auto* bars = qobject_cast<ColorBarDisplayDialog*>(modal);
            if (!bars)
                return false;
            QTest::mouseClick(bars, Qt::LeftButton, {}, QPoint(30, 30));
            return bars->caption() == nullptr && !bars->isVisible();
        });
        // The simulated head answers every probe; there is no card.
        QTest::newRow("diagnostics") << "diagButton" << Step([](QWidget* modal) {
            auto* dialog = qobject_cast<DiagnosticsDialog*>(modal);
            if (!dialog || dialog->diagnostics()->IsWatchdogRunning())
                return false;
            dialog->accept();
            return dialog->diagnostics()->IsComplete() && dialog->isMaximized();
        });
        QTest::newRow("keypad") << "pushButton" << Step([](QWidget* modal) {
            auto* dialog = qobject_cast<KeypadDialog*>(modal);
            if (!dialog)
                return false;
            dialog->reject();
            return dialog->isMaximized();
        });
    }
    void button_runsItsDialog()
    {
        QFETCH(QString, buttonName);
        QFETCH(Step, close);
        ToolsSubscreen page;
        ModalScript script({close});
        click(page, buttonName);
        QVERIFY(script.done());
    }
};

QUARN_GUI_TEST_MAIN(TestToolsSubscreen)
#include "tst_toolsSubscreen.moc"
