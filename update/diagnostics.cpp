#include "update/diagnostics.h"

#include "board/board.h"
#include "bus/deviceMsgs.h"
#include "bus/quarnBus.h"
#include "bus/systemDataMsgs.h"
#include "services/sdCardMonitor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kBbm = QStringLiteral("BBM Response");
const QString kRad = QStringLiteral("RAD Response");
const QString kMst = QStringLiteral("MST Response");
const QString kKey = QStringLiteral("KEY Response");
const QString kNvm = QStringLiteral("NVM Test");
const QString kCard = QStringLiteral("micro SD Test");

// The probe pulse the keypad controller is asked for.
constexpr quint8 kProbePulseMs = 1;
// Less room than a cluster of a large card: a write that failed there failed for room.
constexpr quint64 kRoomNeeded = 64 * 1024;

QString reason(Diagnostics::FileResult result, const QString& medium)
{
    switch (result) {
    case Diagnostics::FileResult::ReadOnly:
        return medium + QStringLiteral(" is read-only");
    case Diagnostics::FileResult::Full:
        return medium + QStringLiteral(" is full");
    case Diagnostics::FileResult::NotWritten:
        return QStringLiteral("test file cannot be written");
    case Diagnostics::FileResult::Differs:
        return QStringLiteral("read-back differs");
    case Diagnostics::FileResult::Passed:
        break;
    }
    return {};
}

// An open test at a time-out is a controller that did not answer.
QString statusWord(Diagnostics::Outcome outcome)
{
    switch (outcome) {
    case Diagnostics::Outcome::Passed:
        return QStringLiteral("Pass: ");
    case Diagnostics::Outcome::Skipped:
        return QStringLiteral("SKIP: ");
    case Diagnostics::Outcome::Open:
    case Diagnostics::Outcome::Failed:
        break;
    }
    return QStringLiteral("FAIL: ");
}

} // namespace

const QStringList& Diagnostics::TestNames()
{
    static const QStringList names{kBbm, kRad, kMst, kKey, kNvm, kCard};
    return names;
}

Diagnostics::FileResult Diagnostics::RunFileTest(const QString& path, bool readOnly)
{
    if (readOnly)
        return FileResult::ReadOnly;
    const QByteArray text(kFileText);
    QFile file(path);
    // Truncated: a longer file left by an earlier run must not decide the read-back.
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                   file.write(text) == text.size() && file.flush();
    file.close();
    written = written && file.error() == QFileDevice::NoError;
    Board::Get().SyncFileSystems();

    FileResult result = FileResult::Passed;
    if (!written) {
        result = Board::Get().FreeBytes(QFileInfo(path).path()) < kRoomNeeded
                     ? FileResult::Full
                     : FileResult::NotWritten;
    } else {
        QFile back(path);
        if (!back.open(QIODevice::ReadOnly) || back.readAll() != text)
            result = FileResult::Differs;
    }
    QFile::remove(path);
    return result;
}

Diagnostics::Diagnostics(QObject* parent) : QObject(parent)
{
    for (const QString& name : TestNames())
        m_tests.insert(name, Outcome::Open);
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(kWatchdogMs);
    connect(&m_watchdog, &QTimer::timeout, this, &Diagnostics::Timeout);
}

void Diagnostics::Start()
{
    emit LineWritten(QStringLiteral("Starting diagnostic tests..."));
    m_watchdog.start();
    QuarnBus* bus = QuarnBus::Get();
    connect(bus, &QuarnBus::newMsg, this, &Diagnostics::RxQuarnBusMsg);
    bus->sendMsg(GetPingMsg());
    bus->sendMsg(GetSystemDataMsg());
    bus->sendMsg(StatusRequestMsg(BusId::Rad));
    bus->sendMsg(QuarnActivateHapticRequest(kProbePulseMs));
    runFlashTest();
    runCardTest();
}

void Diagnostics::runFlashTest()
{
    const QString folder = Board::Get().FlashTestFolder();
    QDir().mkpath(folder);
    recordFileTest(kNvm, QStringLiteral("flash"),
                   RunFileTest(folder + QLatin1String(kTestFileName), false));
}

void Diagnostics::runCardTest()
{
    SdCardMonitor* card = SdCardMonitor::Get();
    if (!card->IsCardReady()) {
        emit LineWritten(QStringLiteral("SKIP: Micro SD Card Test - no card detected"));
        m_tests[kCard] = Outcome::Skipped;
        return;
    }
    const QString path = card->GetSdCardRootFolder() + QLatin1String(kTestFileName);
    recordFileTest(kCard, QStringLiteral("card"), RunFileTest(path, !card->IsCardWritable()));
}

void Diagnostics::recordFileTest(const QString& name, const QString& medium, FileResult result)
{
    if (result == FileResult::Passed) {
        pass(name);
        return;
    }
    m_tests[name] = Outcome::Failed;
    emit LineWritten(QStringLiteral("FAIL: %1 - %2").arg(name, reason(result, medium)));
    m_watchdog.start();
}

void Diagnostics::pass(const QString& name)
{
    m_tests[name] = Outcome::Passed;
    emit LineWritten(QStringLiteral("Pass: ") + name);
    m_watchdog.start();
}

void Diagnostics::recordOnce(const QString& name)
{
    // Regular traffic (battery polls, haptic pulses, results) answers again and again; a
    // second pass line would only restart the watchdog, after completion as well.
    if (m_tests.value(name) != Outcome::Passed)
        pass(name);
}

void Diagnostics::RxQuarnBusMsg(QuarnBusMsg msg)
{
    const int type = msg.type;
    switch (char(msg.srcId)) {
    case BusId::Rad:
        if (type == eGetSelectIdMsg)
            recordOnce(kRad);
        break;
    case BusId::Bbm:
        if (type == eGetPingMsg)
            recordOnce(kBbm);
        break;
    case BusId::Mst:
        if (type == eGetSystemDataMsgResp || type == eQuarnGetResultResponseMsg)
            recordOnce(kMst);
        break;
    case BusId::Key:
        if (type != eGetSelectIdMsg && type != eGetPingMsg && type != eGetSystemDataMsgResp &&
            type != eQuarnGetResultResponseMsg)
            recordOnce(kKey);
        break;
    default:
        break;
    }
    checkComplete();
}

void Diagnostics::checkComplete()
{
    if (m_complete || m_tests.values().contains(Outcome::Open))
        return;
    // A failed file test never passes later: waiting for the watchdog would only add a
    // time-out report for a run that has all its answers.
    m_watchdog.stop();
    emit LineWritten(QStringLiteral("Diagnostics Complete"));
    if (m_tests.values().contains(Outcome::Failed))
        emit LineWritten(failedCount());
    m_complete = true;
    emit Finished();
}

QString Diagnostics::failedCount() const
{
    return QStringLiteral("%1 of %2 failed")
        .arg(m_tests.size() - m_tests.values().count(Outcome::Passed) -
             m_tests.values().count(Outcome::Skipped))
        .arg(m_tests.size());
}

void Diagnostics::Timeout()
{
    emit LineWritten(QStringLiteral("TIMEOUT FAILURE!"));
    emit LineWritten(QStringLiteral("Status at timeout:"));
    for (auto it = m_tests.cbegin(); it != m_tests.cend(); ++it)
        emit LineWritten(statusWord(it.value()) + it.key());
    emit LineWritten(failedCount());
    m_watchdog.stop();
    m_timedOut = true;
    emit Finished();
}
