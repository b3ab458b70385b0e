#include "sim/lineFaults.h"

#include "sim/simPort.h"

LineFaults::LineFaults(const LineFaultPlan& plan, quint32 seed)
    : m_plan(plan), m_random(seed ^ 0x9E3779B9u)
{}

bool LineFaults::chance(double percent)
{
    if (percent <= 0)
        return false;
    return std::uniform_real_distribution<double>(0, 100)(m_random) < percent;
}

int LineFaults::between(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(m_random);
}

LineFaults::Outcome LineFaults::apply(const QByteArray& frame)
{
    Outcome out;
    // Every draw happens for every frame, so one fault's share leaves the others' pattern.
    const bool noise = chance(m_plan.noisePercent);
    const bool truncate = chance(m_plan.truncatePercent);
    const bool length = chance(m_plan.lengthPercent);
    const bool reset = chance(m_plan.resetPercent);
    const int cut = between(1, qMax(1, frame.size() - 1));
    const int noiseBytes = between(1, kMaxNoiseBytes);

    if (noise) {
        ++m_counters.noiseBursts;
        // Biased towards the sync and id bytes, which make the false headers that hurt.
        static const char kLikely[] = {char(0x82), char(0x8A), char(0x45), char(0x00)};
        for (int i = 0; i < noiseBytes; ++i)
            out.bytes.append(between(0, 3) == 0 ? kLikely[between(0, 3)] : char(between(0, 255)));
    }
    if (reset) {
        ++m_counters.resets;
        out.bytes.append(frame.left(cut));
        out.bytes.append(char(0x00)); // the line glitch as the controller's pin resets
        out.frameIntact = false;
        out.reset = true;
    } else if (truncate) {
        ++m_counters.truncated;
        out.bytes.append(frame.left(cut));
        out.frameIntact = false;
    } else if (length) {
        ++m_counters.lengthDamaged;
        QByteArray damaged = frame;
        damaged[6] = char(quint8(damaged.at(6)) ^ quint8(between(1, 255)));
        out.bytes.append(damaged);
        out.frameIntact = false;
    } else {
        out.bytes.append(frame);
    }
    return out;
}

GateCycler::GateCycler(SimPort* port, int cycleSeconds, QObject* parent)
    : QObject(parent), m_port(port), m_cycleMs(cycleSeconds * 1000)
{
    if (m_cycleMs <= 0)
        return;
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &GateCycler::toggle);
    m_timer.start(m_cycleMs);
}

void GateCycler::toggle()
{
    m_closed = !m_closed;
    if (m_closed)
        ++m_closings;
    m_port->send(BusId::Mst, QuarnBusMsg(eBusSendGateMsg, BusId::Tsc, m_closed ? 1 : 0));
    // Closed for a fifth of the cycle (at most 2 s): long enough for requests to go unsent.
    const int closedMs = qMin(2000, qMax(100, m_cycleMs / 5));
    m_timer.start(m_closed ? closedMs : m_cycleMs - closedMs);
}
