#include "sim/simPort.h"

#include "bus/quarnBusMsgReceiver.h"
#include "sim/frameLog.h"
#include "sim/ptyDevice.h"

#include <QIODevice>

SimPort::SimPort(QIODevice* line, const FaultPlan& faults, quint32 seed, QObject* parent)
    : QObject(parent), m_line(line),
      m_receiver(new QuarnBusMsgReceiver(
          this, {BusId::Mst, BusId::Rad, BusId::Hcc, BusId::Key, BusId::Bbm})),
      m_faults(faults), m_random(seed), m_lineFaults(faults.line, seed)
{
    m_line->setParent(this);
    connect(m_line, &QIODevice::readyRead, this, &SimPort::onReadyRead);
    connect(m_receiver, &QuarnBusMsgReceiver::newMsgReady, this, &SimPort::onFrame);
    m_clock.start();
    m_delayTimer.setSingleShot(true);
    m_delayTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_delayTimer, &QTimer::timeout, this, &SimPort::writeDue);
}

SimPort::~SimPort() = default;

void SimPort::onReadyRead()
{
    m_receiver->giveAllFrom(m_line);
}

void SimPort::onFrame(const QByteArray& frame)
{
    const QuarnBusMsg msg(frame);
    ++m_counters.received;
    if (m_log)
        m_log->frame(msg);
    emit received(msg);
}

bool SimPort::chance(double percent)
{
    if (percent <= 0)
        return false;
    return std::uniform_real_distribution<double>(0, 100)(m_random) < percent;
}

void SimPort::send(char srcId, const QuarnBusMsg& msg)
{
    if (m_held)
        return;
    if (m_faults.isSilent(srcId)) {
        ++m_counters.silenced;
        return;
    }
    // Both draws happen for every frame, so one fault's share does not shift the other's
    // pattern for a given seed.
    const bool drop = chance(m_faults.dropPercent);
    const bool corrupt = chance(m_faults.corruptPercent);
    if (drop) {
        ++m_counters.dropped;
        return;
    }
    QByteArray frame = msg.serializeFrom(srcId);
    if (corrupt) {
        frame[frame.size() - 2] = char(frame.at(frame.size() - 2) ^ 0xFF);
        ++m_counters.corrupted;
    }
    ++m_counters.sent;
    emit sent(srcId, msg);
    const LineFaults::Outcome out = m_lineFaults.apply(frame);
    const bool intact = out.frameIntact && !corrupt;
    const qint64 now = m_clock.elapsed();
    const qint64 due = qMax(now + m_faults.delayMs, m_quietUntilMs);
    if (out.reset)
        m_quietUntilMs = due + LineFaults::kResetQuietMs;
    if (due <= now && m_delayed.empty()) {
        write(out.bytes, intact);
        return;
    }
    m_delayed.push_back({due, out.bytes, intact});
    if (!m_delayTimer.isActive())
        m_delayTimer.start(int(due - now));
}

void SimPort::dropHeldBack()
{
    m_delayed.clear();
    m_delayTimer.stop();
    m_quietUntilMs = 0;
}

void SimPort::writeDue()
{
    const qint64 now = m_clock.elapsed();
    while (!m_delayed.empty() && m_delayed.front().dueMs <= now) {
        write(m_delayed.front().frame, m_delayed.front().intact);
        m_delayed.pop_front();
    }
    if (!m_delayed.empty())
        m_delayTimer.start(int(m_delayed.front().dueMs - now));
}

void SimPort::write(const QByteArray& bytes, bool intact)
{
    if (!m_line->isOpen())
        return; // the power is off
    const auto* pty = qobject_cast<PtyDevice*>(m_line);
    const int unheard = pty ? pty->unheardWrites() : 0;
    m_line->write(bytes);
    if (intact && (!pty || pty->unheardWrites() == unheard))
        ++m_counters.intact;
}
