#pragma once

#include "bus/quarnBusMsg.h"
#include "sim/headSim.h"

#include <QList>
#include <QPair>

class QuarnBus;

// The simulated head on a pseudo-terminal with the program's bus object on the other end:
// every answer travels the real line and passes the program's receiver and dispatcher.
class SimHarness
{
public:
    // No unsolicited results and short controller timings.
    static SimOptions fastOptions();

    // The head on a pseudo-terminal whose other end becomes the program's own bus
    // (QuarnBus::Get()), for tests of whole screens and services; null when no line opens.
    static HeadSim* InstallAsProgramBus(QObject* parent, const SimOptions& options = fastOptions());
    // The sandboxed board and settings store, then InstallAsProgramBus; every frame the
    // head hears is appended to heard. Null when no line opens.
    static HeadSim* StartProgramOnSim(QObject* parent, QList<QuarnBusMsg>* heard,
                                      const SimOptions& options = fastOptions());

    explicit SimHarness(const SimOptions& options = fastOptions());
    ~SimHarness();
    SimHarness(const SimHarness&) = delete;
    SimHarness& operator=(const SimHarness&) = delete;

    HeadSim& sim() { return *m_sim; }
    // A new bus on the head's line as it is now (after a power cycle, a new terminal).
    void reconnect();

    void send(const QuarnBusMsg& msg);
    // What the program's bus forwarded, of one type (and source, when given).
    QList<QuarnBusMsg> received(int type, char src = 0) const;
    // Waits until count such messages arrived in all; empty on time-out.
    QList<QuarnBusMsg> waitFor(int type, int count = 1, char src = 0, int timeoutMs = 5000);
    // Sends request and returns the next answer of answerType (type 0 when none came).
    QuarnBusMsg ask(const QuarnBusMsg& request, int answerType, char src = 0);
    // What the head put on the line, including types the bus accepts without forwarding.
    QList<QuarnBusMsg> sent(int type) const;
    QuarnBusMsg askSent(const QuarnBusMsg& request, int answerType);
    void clear();

private:
    HeadSim* m_sim = nullptr;
    QuarnBus* m_bus = nullptr;
    QList<QuarnBusMsg> m_received;
    QList<QuarnBusMsg> m_sent;
};
