#include "board/board.h"
#include "bus/quarnBus.h"
#include "services/sdCardMonitor.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "update/diagnostics.h"
#include "update/diagnosticsDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>

namespace {

enum class Card
{
    None,
    Ready,
    ReadOnly
};
} // namespace
Q_DECLARE_METATYPE(Card)
namespace {

void setCard(Card card)
{
    QuarnTest::SetCard(card == Card::None ? "" : card == Card::Ready ? "rw" : "ro,noatime");
    QTRY_COMPARE(SdCardMonitor::Get()->IsCardReady(), card != Card::None);
}

QByteArray answer(char src, QuarnBusMsgType type, const QByteArray& body = {})
{
    return QuarnBusMsg(type, BusId::Tsc, 0, body).serializeFrom(src);
}

// One answer from each probed controller, the way each answers its probe.
const QList<QByteArray> kAnswers{
    answer(BusId::Bbm, eGetPingMsg, QByteArray(8, '\0')),
    answer(BusId::Mst, eGetSystemDataMsgResp, QByteArray(28, '\0')),
    answer(BusId::Rad, eGetSelectIdMsg, "RAD 1.0\0"),
    answer(BusId::Key, eGetTripLevelMsgRespToSet, QByteArray("\x04\x01", 2)),
};

QStringList lines(DiagnosticsDialog& dialog)
{
    // Hyphens inside words are shown as non-breaking ones.
    return dialog.findChild<QPlainTextEdit*>("plainTextEdit")
        ->toPlainText()
        .replace(QChar(0x2011), '-')
        .split('\n');
}

// The lines written in the fail colour.
QStringList failColoured(DiagnosticsDialog& dialog)
{
    QStringList coloured;
    const QTextDocument* text = dialog.findChild<QPlainTextEdit*>("plainTextEdit")->document();
    for (QTextBlock block = text->begin(); block.isValid(); block = block.next()) {
        const QTextCharFormat format = block.begin().fragment().charFormat();
        if (format.hasProperty(QTextFormat::ForegroundBrush) &&
            format.foreground().color() == dialog.failColor())
            coloured << block.text().replace(QChar(0x2011), '-');
    }
    return coloured;
}

// The buttons a finger can tap.
QStringList buttons(DiagnosticsDialog& dialog)
{
    QStringList shown;
    for (QAbstractButton* button : dialog.findChild<QDialogButtonBox*>("buttonBox")->buttons()) {
        if (!button->isHidden())
            shown << button->text().remove('&');
    }
    return shown;
}

} // namespace

class TestDiagnosticsDialog : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

    QString flashTestFile() const { return Board::Get().FlashTestFolder() + "test.txt"; }

private slots:
    void initTestCase()
    {
        m_line = new FakeDevice;
        QuarnBus::Install(m_line);
        Board::Get().PrepareSandbox();
    }

    void init() { m_line->takeWritten(); }

    void run_data()
    {
        QTest::addColumn<Card>("card");
        QTest::addColumn<QStringList>("expected");
        const QStringList answered{"Pass: BBM Response", "Pass: MST Response", "Pass: RAD Response",
                                   "Pass: KEY Response"};
        QTest::newRow("card") << Card::Ready
                              << QStringList{"Starting diagnostic tests...", "Pass: NVM Test",
                                             "Pass: micro SD Test"} +
                                     answered + QStringList{"Diagnostics Complete"};
        QTest::newRow("no card") << Card::None
                                 << QStringList{"Starting diagnostic tests...", "Pass: NVM Test",
                                                "SKIP: Micro SD Card Test - no card detected"} +
                                        answered + QStringList{"Diagnostics Complete"};
        QTest::newRow("read-only card")
            << Card::ReadOnly
            << QStringList{"Starting diagnostic tests...", "Pass: NVM Test",
                           "FAIL: micro SD Test - card is read-only"} +
                   answered + QStringList{"Diagnostics Complete", "1 of 6 failed"};
    }
    // Every controller answers, twice over: one pass line each, and nothing after the end,
    // which comes once every test has its result. A longer file left by an earlier run
    // neither spoils the flash test nor stays.
    void run()
    {
        QFETCH(Card, card);
        QFETCH(QStringList, expected);
        setCard(card);
        {
            QFile leftover(flashTestFile());
            QVERIFY(leftover.open(QIODevice::WriteOnly));
            leftover.write("Testing...1...2...3...4...5...6");
        }

        DiagnosticsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Diagnostics"));
        QVERIFY(dialog.findChild<QPlainTextEdit*>("plainTextEdit")->isReadOnly());
        QCOMPARE(BusTraffic::take(m_line), (QStringList{"to 46: 17 p0 []", "120 p0 []",
                                                        "to 4b: 0 p0 []", "to 47: 82 p0 [04 01]"}));
        QVERIFY(!QFile::exists(flashTestFile()));
        QVERIFY(!QFile::exists(Board::Get().CardRoot() + "test.txt"));
        QCOMPARE(buttons(dialog), QStringList{"Cancel"});

        for (int round = 0; round < 2; ++round) {
            for (const QByteArray& frame : kAnswers)
                m_line->feed(frame);
        }
        QCOMPARE(lines(dialog), expected);
        QVERIFY(!dialog.diagnostics()->IsWatchdogRunning());
        QVERIFY(dialog.failColor().isValid());
        QCOMPARE(failColoured(dialog), expected.filter(QRegularExpression("^FAIL")));
        QCOMPARE(buttons(dialog), QStringList{"OK"});

        auto* box = dialog.findChild<QDialogButtonBox*>("buttonBox");
        box->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        setCard(Card::None);
    }

    // MST never answers and there is no card: 5 s after the last result the report names
    // MST, keeps the card test skipped and counts; a late answer still completes the run.
    void silentController_watchdogReportNamesIt()
    {
        DiagnosticsDialog dialog;
        for (const QByteArray& frame : kAnswers) {
            if (frame != kAnswers[1])
                m_line->feed(frame);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.diagnostics()->IsWatchdogRunning(),
                                 Diagnostics::kWatchdogMs + 2000);
        QCOMPARE(lines(dialog).mid(6),
                 (QStringList{"TIMEOUT FAILURE!", "Status at timeout:", "Pass: BBM Response",
                              "Pass: KEY Response", "FAIL: MST Response", "Pass: NVM Test",
                              "Pass: RAD Response", "SKIP: micro SD Test", "1 of 6 failed"}));
        QCOMPARE(failColoured(dialog), (QStringList{"TIMEOUT FAILURE!", "FAIL: MST Response"}));
        QCOMPARE(buttons(dialog), QStringList{"OK"});
        m_line->feed(kAnswers[1]);
        QCOMPARE(lines(dialog).mid(15),
                 (QStringList{"Pass: MST Response", "Diagnostics Complete"}));
        QVERIFY(!dialog.diagnostics()->IsWatchdogRunning());
    }
};

QUARN_GUI_TEST_MAIN(TestDiagnosticsDialog)
#include "tst_diagnosticsDialog.moc"
