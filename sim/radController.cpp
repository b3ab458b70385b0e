#include "sim/radController.h"

#include "bus/msgShapes.h"
#include "sim/mstController.h"
#include "sim/simScenario.h"

#include <cstring>

namespace {
// After a stall (a debugger, a loaded machine) the radio skips what it missed rather
// than flooding the line.
constexpr qint64 kMaxBurst = 5;

quint32 floatBits(float value)
{
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
} // namespace

RadController::RadController(SimPort* port, SimScenario* scenario, const MstController* mst,
                             int resultsPerSecond, QObject* parent)
    : SimController(BusId::Rad, port, parent), m_scenario(scenario), m_mst(mst),
      m_rate(qMax(0, resultsPerSecond))
{
    m_clock.start();
    if (m_rate > 0) {
        m_resultTimer.setTimerType(Qt::PreciseTimer);
        m_resultTimer.setInterval(qMax(1, 500 / m_rate));
        connect(&m_resultTimer, &QTimer::timeout, this, &RadController::sendDueResults);
        m_resultTimer.start();
    }
}

QByteArray RadController::statusText()
{
    return QByteArray("RAD 2.2.9  HWID: 00 RUN");
}

void RadController::handle(const QuarnBusMsg& r)
{
    switch (r.type) {
    case eStatusRequestMsg:
        send(eGetSelectIdMsg, 0, statusText() + '\0');
        break;
    case eFftCorrelatedDataRequestMsg:
        if (r.body.size() != 1)
            refuse(r, 1);
        else if (r.bodyByte(0) == 2 || r.bodyByte(0) == 3)
            sendFftBlock(r.bodyByte(0));
        break;
    case eQuarnGetResultRequestMsg:
        sendResult(m_nextResult, m_clock.elapsed() / 1000.0);
        break;
    default:
        break;
    }
}

void RadController::sendDueResults()
{
    // Result k is due k / rate seconds after start: the pace holds however late a tick is.
    const qint64 due = m_clock.elapsed() * m_rate / 1000 + 1;
    if (due - m_nextResult > kMaxBurst)
        m_nextResult = due - kMaxBurst;
    for (; m_nextResult < due; ++m_nextResult) {
        // The receivers serve the scan while it runs.
        if (!m_mst->isScanning())
            sendResult(m_nextResult, double(m_nextResult) / m_rate);
    }
}

void RadController::sendResult(qint64 index, double seconds)
{
    const HeadSettings& s = m_mst->settings();
    const bool transmitting = s.operatingMode != 0;
    const SimScenario::Reading reading =
        m_scenario->reading(quint64(index), seconds, transmitting ? s.powerLevel : 0);

    QByteArray body;
    body.reserve(kResultSize);
    appendLe32(body, quint32(index));
    appendLe32(body, quint32(seconds * 1000));
    body.append(kTxPowerAt - body.size(), '\0');
    body.append(char(reading.txPower));
    body.append(char(s.operatingMode));
    body.append(char(reading.harm2nd));
    body.append(char(reading.harm3rd));
    send(eQuarnGetResultResponseMsg, 0, body);
}

QByteArray RadController::encodeFftBlock(const std::vector<std::complex<float>>& samples)
{
    QByteArray block;
    block.reserve(int(samples.size()) * 8);
    for (const std::complex<float>& x : samples) {
        appendLe32(block, floatBits(x.real()));
        appendLe32(block, floatBits(x.imag()));
    }
    return block;
}

void RadController::sendFftBlock(int harmonic)
{
    const HeadSettings& s = m_mst->settings();
    const QByteArray block = encodeFftBlock(m_scenario->fftBlock(
        harmonic, m_clock.elapsed() / 1000.0, s.operatingMode != 0 ? s.powerLevel : 0));
    const int piece = kFftBlockBytes / kFftPieces;
    for (int i = 0; i < kFftPieces; ++i)
        send(eFftCorrelatedDataRespMsg, quint8(i), block.mid(i * piece, piece));
}
