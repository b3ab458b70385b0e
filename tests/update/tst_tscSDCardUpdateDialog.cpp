#include "bus/quarnBus.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "update/sdCardUpdate.h"
#include "update/tscSDCardUpdateDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>

#include <functional>

using Dialog = TscSDCardUpdateDialog;
using Stage = std::function<void(Dialog&)>;
Q_DECLARE_METATYPE(Stage)

namespace {

struct View
{
    explicit View(Dialog& d)
        : text(d.findChild<QTextBrowser*>("textBrowser")),
          ok(d.findChild<QPushButton*>("okButton")),
          cancel(d.findChild<QPushButton*>("cancelButton")),
          progress(d.findChild<QProgressBar*>("progressBar"))
    {}
    QTextBrowser* text;
    QPushButton* ok;
    QPushButton* cancel;
    QProgressBar* progress;
};

// The offscreen platform says so when a dialog with a layout is shown.
void show(Dialog& dialog)
{
    QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
    dialog.show();
}

} // namespace

class TestTscSDCardUpdateDialog : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

private slots:
    void initTestCase()
    {
        m_line = new FakeDevice;
        QuarnBus::Install(m_line);
        QDir().mkpath(QFileInfo(SDCardUpdate::FailedUpdateRecordPath()).path());
    }

    void init()
    {
        m_line->takeWritten();
        QFile::remove(SDCardUpdate::FailedUpdateRecordPath());
    }

    void created_asksForConsent()
    {
        Dialog dialog;
        View view(dialog);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("SD Card Software Update"));
        QVERIFY(!dialog.windowIcon().isNull());
        QCOMPARE(
            view.text->toPlainText(),
            QStringLiteral(
                "A software update has been detected. Would you like to update the software?"));
        QVERIFY(!view.ok->isHidden());
        QVERIFY(!view.cancel->isHidden());
        QCOMPARE(view.progress->value(), 0);
        QVERIFY(!dialog.worker()->isRunning());
    }

    void stages_data()
    {
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("step");
        QTest::newRow("versions")
            << Stage([](Dialog& d) { d.DisplayVersion("2.4.0\n", "2.5.1\n"); })
            << "Here's the version info. \n\nCurrent version: 2.4.0\nUpdate version: "
               "2.5.1\n\nDo you wish to continue?"
            << true << true << 5 << int(Dialog::eWaitingForInstall);
        QTest::newRow("building") << Stage([](Dialog& d) { d.CreateFS(); })
                                  << "Building the file system image." << false << true << 10 << 0;
        QTest::newRow("erase") << Stage([](Dialog& d) { d.DisplayErase("HCC"); }) << "Erasing HCC"
                               << false << false << 5 << 0;
        QTest::newRow("write after a skip report") << Stage([](Dialog& d) {
            d.updateProgress(45);
            d.DisplayErase("KEY");
            d.DisplayWrite("KEY");
        }) << "Writing KEY\n\nSome larger sections may take a while.\nPlease be patient."
                                                   << false << false << 55 << 0;
        QTest::newRow("reboot") << Stage([](Dialog& d) {
            d.RebootingHead();
        }) << "Rebooting the head. \n\n The update process will continue after the reboot."
                                << false << false << 90 << 0;
        QTest::newRow("BBM") << Stage([](Dialog& d) { d.PushingBBM(); }) << "Sending the BBM file."
                             << false << false << 92 << 0;
        QTest::newRow("HDC") << Stage([](Dialog& d) { d.PushingLED(); }) << "Sending the HDC file."
                             << false << false << 95 << 0;
        QTest::newRow("complete") << Stage([](Dialog& d) { d.DisplayComplete(); })
                                  << "Software Update is complete. \n\nThe unit will now restart."
                                  << true << false << 100 << int(Dialog::eUpdateComplete);
        QTest::newRow("script report offers OK") << Stage([](Dialog& d) {
            d.CreateFS();
            d.UpdateErrorNotice("ExitCode = 0x3\n");
            QVERIFY(SDCardUpdate::FailedUpdateRecord().contains("the file system"));
        }) << "ExitCode = 0x3\n" << true << false << 10
                                                 << int(Dialog::eErrorShown);
    }

    void stages()
    {
        QFETCH(Stage, stage);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(bool, cancel);
        QFETCH(int, progress);
        QFETCH(int, step);
        Dialog dialog;
        View view(dialog);
        stage(dialog);
        QCOMPARE(view.text->toPlainText(), text);
        QCOMPARE(!view.ok->isHidden(), ok);
        QCOMPARE(!view.cancel->isHidden(), cancel);
        QCOMPARE(view.progress->value(), progress);
        QCOMPARE(dialog.dialogStep(), step);
    }

    void squashUpdate_runsTheScript_andCountsOnFrom25()
    {
        Dialog dialog;
        View view(dialog);
        QuarnTest::LogCapture log;
        dialog.SquashUpdate();
        QCOMPARE(view.text->toPlainText(),
                 QStringLiteral(
                     "Overwriting file system. \n\nThis may take a while.\nPlease be patient."));
        QCOMPARE(view.progress->value(), 15);
        QVERIFY(log.contains(QStringLiteral("RunUpdateScript")));
        dialog.DisplayErase(QStringLiteral("HCC"));
        QCOMPARE(view.progress->value(), 30);
    }

    void errors_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << "File Open Error. Try remaking SD card.";
        QTest::newRow("2") << 2 << "Invalid File Detected. Try creating SD card again.";
        QTest::newRow("3") << 3 << "Error: No space for file system image. Try a larger SD card.";
        QTest::newRow("4")
            << 4 << "Error: No response from micro controller. Transmission fail. Try again.";
        QTest::newRow("5") << 5 << "Error: Bad checksum. Transmission fail. Try again.";
        QTest::newRow("7") << 7
                           << "Error: The SD card is read-only, so the file system image cannot be "
                              "copied to it. Nothing was changed.\n\nUnlock the card and re-insert "
                              "it to try again.";
        QTest::newRow("8") << 8 << "Update not signed by the maker";
        QTest::newRow("99") << 99 << "Unexpected Error. Please try again.";
        QTest::newRow("0") << 0 << "Unexpected Error. Please try again.";
    }

    void errors()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        Dialog dialog;
        View view(dialog);
        dialog.DisplayErase(QStringLiteral("MST"));
        QuarnTest::LogCapture log;
        dialog.ErrorHandler(code);
        QCOMPARE(view.text->toPlainText(), text);
        QCOMPARE(log.lines(), QStringList{QLatin1Char('"') + text + QLatin1Char('"')});
        QVERIFY(!view.ok->isHidden());
        QVERIFY(view.cancel->isHidden());
        QCOMPARE(view.progress->value(), 5);

        show(dialog);
        if (qEnvironmentVariableIsSet("QUARN_RENDER")) {
            dialog.setGeometry(0, 0, 240, 320);
            dialog.grab().save(QStringLiteral("/tmp/b-error-%1.png").arg(code));
            view.text->setPlainText(Dialog::ErrorText(5, {"MST", SDCardUpdate::Erased::Yes}));
            dialog.grab().save(QStringLiteral("/tmp/b-error-%1-part.png").arg(code));
        }
        QSignalSpy finished(&dialog, &QDialog::finished);
        QTest::mouseClick(view.ok, Qt::LeftButton);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), 1);
    }

    void answers_areRoutedByTypeAndParam_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("param");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("signal");
        QTest::addColumn<quint32>("checksum");
        QTest::newRow("HDC pushed") << 21 << 0 << QByteArray() << "LedPushComplete" << 0u;
        QTest::newRow("BBM pushed") << 20 << 5 << QByteArray() << "BbmPushComplete" << 0u;
        QTest::newRow("erased") << 32 << 2 << QByteArray("x") << "EepromEraseComplete" << 0u;
        QTest::newRow("written, 4 bytes")
            << 32 << 3 << QByteArray::fromHex("78563412") << "EepromWriteComplete" << 0x12345678u;
        QTest::newRow("written, 2 bytes")
            << 32 << 3 << QByteArray::fromHex("3412") << "EepromWriteComplete" << 0x1234u;
        QTest::newRow("written, empty") << 32 << 3 << QByteArray() << "EepromWriteComplete" << 0u;
        QTest::newRow("other param") << 32 << 4 << QByteArray() << "" << 0u;
        QTest::newRow("other type") << 17 << 0 << QByteArray() << "" << 0u;
    }

    void answers_areRoutedByTypeAndParam()
    {
        QFETCH(int, type);
        QFETCH(int, param);
        QFETCH(QByteArray, body);
        QFETCH(QString, signal);
        QFETCH(quint32, checksum);
        Dialog dialog;
        QSignalSpy led(&dialog, &Dialog::LedPushComplete);
        QSignalSpy bbm(&dialog, &Dialog::BbmPushComplete);
        QSignalSpy erased(&dialog, &Dialog::EepromEraseComplete);
        QSignalSpy written(&dialog, &Dialog::EepromWriteComplete);
        m_line->feed(QuarnBusMsg(QuarnBusMsgType(type), BusId::Tsc, char(param), body)
                         .serializeFrom(BusId::Hcc));
        QCOMPARE(led.count(), signal == "LedPushComplete" ? 1 : 0);
        QCOMPARE(bbm.count(), signal == "BbmPushComplete" ? 1 : 0);
        QCOMPARE(erased.count(), signal == "EepromEraseComplete" ? 1 : 0);
        QCOMPARE(written.count(), signal == "EepromWriteComplete" ? 1 : 0);
        if (!written.isEmpty())
            QCOMPARE(written.at(0).at(0).value<quint32>(), checksum);
    }

    void okAfterCompletion_resetsHeadThenKeypad_andStaysOpen()
    {
        Dialog dialog;
        View view(dialog);
        show(dialog);
        dialog.DisplayComplete();
        QSignalSpy finished(&dialog, &QDialog::finished);
        QTest::mouseClick(view.ok, Qt::LeftButton);
        QCOMPARE(BusTraffic::take(m_line), (QStringList{"to 4a: 18 p0 [01]", "to 47: 18 p0 [01]"}));
        QVERIFY(finished.isEmpty());
    }

    void cancel_tellsTheWorker_andCloses()
    {
        Dialog dialog;
        View view(dialog);
        show(dialog);
        QSignalSpy cancelled(&dialog, &Dialog::ProcessCancel);
        QSignalSpy finished(&dialog, &QDialog::finished);
        QTest::mouseClick(view.cancel, Qt::LeftButton);
        QCOMPARE(cancelled.count(), 1);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), 1);
    }

    void strayAnswers_moveNoStep()
    {
        // Waiting for the operator: no controller answer may move the worker on.
        Dialog dialog;
        for (const auto& frame :
             {QuarnBusMsg(eSetEepromMsg, BusId::Tsc, 2), QuarnBusMsg(eSetEepromMsg, BusId::Tsc, 3),
              QuarnBusMsg(eSetBBMFlashMsg, BusId::Tsc), QuarnBusMsg(eSetLEDFlashMsg, BusId::Tsc)})
            m_line->feed(frame.serializeFrom(BusId::Hcc));
        dialog.worker()->testCard();
        dialog.worker()->parseFile();
        dialog.worker()->noMicroResponse();
        QCOMPARE(dialog.worker()->step(), int(SDCardUpdate::eStepVerify));
    }
};

QUARN_TEST_MAIN_APP(QApplication, TestTscSDCardUpdateDialog, QuarnResources::Init())
#include "tst_tscSDCardUpdateDialog.moc"
