#pragma once

#include "sim/bbmController.h"
#include "sim/flashTargetController.h"
#include "sim/mstController.h"
#include "sim/simPort.h"
#include "sim/simScenario.h"

#include <QObject>

#include <memory>

class QIODevice;
class RadController;

struct SimOptions
{
    int resultsPerSecond = 20;
    SimScenario::Kind scenario = SimScenario::Kind::Sweep;
    quint32 seed = 1;
    FaultPlan faults;
    MstController::Options mst;
    FlashTargetController::Timing flash;
    BbmController::Options battery;
    QByteArray hccHardwareCode = "01";
    QByteArray keyHardwareCode = "01";
    FlashTargetController::Fault flashFault = FlashTargetController::Fault::None;
};

// The simulated head: the five controllers on one line, each answering under its own
// bus id.
class HeadSim : public QObject
{
    Q_OBJECT
public:
    // Takes the line over; it must be open.
    HeadSim(QIODevice* line, const SimOptions& options, QObject* parent = nullptr);
    ~HeadSim() override;

    SimPort* port() const { return m_port; }
    MstController* mst() const { return m_mst; }
    RadController* rad() const { return m_rad; }
    FlashTargetController* hcc() const { return m_hcc; }
    FlashTargetController* key() const { return m_key; }
    BbmController* bbm() const { return m_bbm; }

private:
    void dispatch(const QuarnBusMsg& msg);

    std::unique_ptr<SimScenario> m_scenario;
    SimPort* m_port;
    MstController* m_mst;
    RadController* m_rad;
    FlashTargetController* m_hcc;
    FlashTargetController* m_key;
    BbmController* m_bbm;
};
