#include "bus/quarnBus.h"
#include "shell/headRestartWatch.h"
#include "shell/panelDialogs.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"
#include "update/tscSDCardUpdateDialog.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>

// The desktop program's end of an update, against the simulated head on a real line.
class TestHeadRestartWatch : public QObject
{
    Q_OBJECT
private:
    HeadSim* m_sim = nullptr;
    QList<QuarnBusMsg> m_heard;

    static void show(QDialog& dialog)
    {
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        dialog.show();
    }

private slots:
    void initTestCase()
    {
        m_sim = SimHarness::StartProgramOnSim(this, &m_heard);
        QVERIFY(m_sim);
    }

    void headThatDoesNotRestart_isReported_andQuitEndsNormally()
    {
        HeadRestartWatch watch;
        watch.setRestartLimit(50);
        QSignalSpy ended(&watch, &HeadRestartWatch::programEnd);
        TscSDCardUpdateDialog dialog;
        show(dialog);
        // The resets never went out: the line stays up.
        watch.watch(&dialog);
        PanelMessageBox* box = nullptr;
        QTRY_VERIFY((box = dialog.findChild<PanelMessageBox*>("restartOverdueNotice")));
        QVERIFY(box->text().startsWith("The head did not restart"));
        QVERIFY(ended.isEmpty());
        QTest::mouseClick(box->buttons().value(0), Qt::LeftButton);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0).at(0).toInt(), 0);
    }

    void okAfterCompletion_headRestarts_programEndsWithTheRestartStatus()
    {
        HeadRestartWatch watch;
        watch.install();
        QSignalSpy ended(&watch, &HeadRestartWatch::programEnd);
        QSignalSpy cut(m_sim, &HeadSim::powerCut);
        QuarnTest::LogCapture log;
        TscSDCardUpdateDialog dialog;
        show(dialog);
        dialog.DisplayComplete();
        QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QVERIFY(ended.wait(5000));
        QCOMPARE(cut.count(), 1);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.at(0).at(0).toInt(), HeadRestartWatch::kRestartStatus);
        QVERIFY(log.contains("The head restarted after the update; the program ends with "
                             "status 3 to be started again."));
        QVERIFY(!dialog.findChild<PanelMessageBox*>("restartOverdueNotice"));
        // The hung-up port would report for ever.
        QuarnBus::Get()->device()->close();
    }
};

QUARN_GUI_TEST_MAIN(TestHeadRestartWatch)
#include "tst_headRestartWatch.moc"
