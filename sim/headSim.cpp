#include "sim/headSim.h"

#include "sim/radController.h"

HeadSim::HeadSim(QIODevice* line, const SimOptions& options, QObject* parent)
    : QObject(parent), m_scenario(std::make_unique<SimScenario>(options.scenario, options.seed)),
      m_port(new SimPort(line, options.faults, options.seed + 100, this)),
      m_mst(new MstController(m_port, m_scenario.get(), options.mst, this)),
      m_rad(new RadController(m_port, m_scenario.get(), m_mst, options.resultsPerSecond, this)),
      m_hcc(new FlashTargetController(BusId::Hcc, "2.0.5", options.hccHardwareCode, options.flash,
                                      m_port, this)),
      m_key(new FlashTargetController(BusId::Key, "1.1.3", options.keyHardwareCode, options.flash,
                                      m_port, this)),
      m_bbm(new BbmController(m_port, options.battery, this))
{
    m_hcc->setFault(options.flashFault);
    m_key->setFault(options.flashFault);
    connect(m_port, &SimPort::received, this, &HeadSim::dispatch);
}

HeadSim::~HeadSim() = default;

void HeadSim::dispatch(const QuarnBusMsg& msg)
{
    for (SimController* controller :
         std::initializer_list<SimController*>{m_mst, m_rad, m_hcc, m_key, m_bbm}) {
        if (controller->busId() == char(msg.destId)) {
            controller->handle(msg);
            return;
        }
    }
}
