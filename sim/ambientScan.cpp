#include "sim/ambientScan.h"

#include "sim/simPort.h"
#include "sim/simScenario.h"

AmbientScan::AmbientScan(SimPort* port, SimScenario* scenario, const Timing& timing,
                         QObject* parent)
    : QObject(parent), m_port(port), m_scenario(scenario), m_timing(timing)
{
    connect(&m_timer, &QTimer::timeout, this, &AmbientScan::sweepStep);
}

void AmbientScan::startAuto(const Zone& zone)
{
    m_zone = zone;
    m_auto = true;
    m_messagesSent = 0;
    m_timer.start(m_timing.autoStepMs);
}

void AmbientScan::startChannel(int channel, const Zone& zone)
{
    m_zone = zone;
    m_auto = false;
    m_channel = channel;
    m_messagesSent = 0;
    m_timer.start(m_timing.channelSweepMs);
}

void AmbientScan::stop()
{
    m_timer.stop();
}

void AmbientScan::sweepStep()
{
    const int channel = m_auto ? m_messagesSent % 3 : m_channel;
    QByteArray body;
    body.append(char(m_auto ? kAutoMode : kChannelMode));
    body.append(char(channel));
    body.append(m_scenario->ambientLevels(channel, m_zone.steps));
    m_port->send(BusId::Rad, QuarnBusMsg(eQuarnGetAmbientResponseMsg, BusId::Tsc, 0, body));
    ++m_messagesSent;
    if (m_auto && m_messagesSent >= 3 * m_timing.autoSweeps) {
        m_timer.stop();
        emit autoScanFinished();
    }
}
