#include "sim/headSim.h"

#include "sim/ptyDevice.h"
#include "sim/radController.h"

#include <QDebug>
#include <QTimer>

HeadSim::HeadSim(QIODevice* line, const SimOptions& options, QObject* parent)
    : QObject(parent), m_options(options),
      m_scenario(std::make_unique<SimScenario>(options.scenario, options.seed)),
      m_port(new SimPort(line, options.faults, options.seed + 100, this)),
      m_bbm(new BbmController(m_port, options.battery, this))
{
    boot();
    connect(m_port, &SimPort::received, this, &HeadSim::dispatch);
}

HeadSim::~HeadSim() = default;

void HeadSim::boot()
{
    const SimOptions& o = m_options;
    m_mst = new MstController(m_port, m_scenario.get(), o.mst, this);
    m_rad = new RadController(m_port, m_scenario.get(), m_mst, o.resultsPerSecond, this);
    m_hcc =
        new FlashTargetController(BusId::Hcc, "2.0.5", o.hccHardwareCode, o.flash, m_port, this);
    m_key =
        new FlashTargetController(BusId::Key, "1.1.3", o.keyHardwareCode, o.flash, m_port, this);
    m_hcc->setFault(o.flashFault);
    m_key->setFault(o.flashFault);
}

void HeadSim::cutPower()
{
    // Their timers (results, scans, answers due) die with them.
    for (SimController* controller :
         std::initializer_list<SimController*>{m_mst, m_rad, m_hcc, m_key})
        delete controller;
    m_mst = nullptr;
    m_rad = nullptr;
    m_hcc = nullptr;
    m_key = nullptr;
    m_port->dropHeldBack();
    // The line goes once the read that brought the reset is done with it. Closing the
    // master is what the program's end sees of a power cut: the line hangs up.
    QTimer::singleShot(0, this, [this] {
        auto* pty = qobject_cast<PtyDevice*>(m_port->line());
        if (pty)
            pty->close();
        emit powerCut();
        QTimer::singleShot(m_options.powerOffMs, this, [this, pty] {
            if (pty && !pty->openPty())
                qWarning().noquote()
                    << "no pseudo-terminal after the power cut:" << pty->errorString();
            boot();
            emit booted();
        });
    });
}

void HeadSim::dispatch(const QuarnBusMsg& msg)
{
    if (!isPowered())
        return;
    for (SimController* controller :
         std::initializer_list<SimController*>{m_mst, m_rad, m_hcc, m_key, m_bbm}) {
        if (controller->busId() == char(msg.destId)) {
            controller->handle(msg);
            break;
        }
    }
    if (msg.type == eMasterResetRequest && char(msg.destId) == BusId::Key)
        cutPower();
}
