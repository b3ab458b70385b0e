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
    int powerOffMs = 1000; // how long the unit stays dark after the keypad controller's reset
};

// The simulated head: the five controllers on one line, each answering under its own
// bus id.
//
// The keypad controller holds the unit's power (the power key is on it), so a reset of
// it, the last request of an update, power-cycles the unit: the line drops, and after
// powerOffMs MST, RAD, HCC and KEY boot afresh, on a new pseudo-terminal when the line is
// one. The battery board runs from the battery itself and keeps its charge and clock.
class HeadSim : public QObject
{
    Q_OBJECT
public:
    // Takes the line over; it must be open.
    HeadSim(QIODevice* line, const SimOptions& options, QObject* parent = nullptr);
    ~HeadSim() override;

    SimPort* port() const { return m_port; }
    // The four below are null while the power is off, and new objects after each boot.
    MstController* mst() const { return m_mst; }
    RadController* rad() const { return m_rad; }
    FlashTargetController* hcc() const { return m_hcc; }
    FlashTargetController* key() const { return m_key; }
    BbmController* bbm() const { return m_bbm; }
    bool isPowered() const { return m_mst != nullptr; }

signals:
    // The keypad controller's reset took the power: the line is closed.
    void powerCut();
    // Up again with fresh controllers; a pseudo-terminal line has a new slave name.
    void booted();

private:
    void dispatch(const QuarnBusMsg& msg);
    void boot();
    void cutPower();

    SimOptions m_options;
    std::unique_ptr<SimScenario> m_scenario;
    SimPort* m_port;
    MstController* m_mst = nullptr;
    RadController* m_rad = nullptr;
    FlashTargetController* m_hcc = nullptr;
    FlashTargetController* m_key = nullptr;
    BbmController* m_bbm;
};
