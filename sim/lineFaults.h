#pragma once

#include "bus/quarnBusMsg.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <random>

class SimPort;

// The faults of a real line, applied to frames on their way out: what a wiggling
// connector, a noisy cable or a controller that resets does to them. Shares are percent
// of outgoing frames; every draw comes from its own seeded generator, so the plan of
// --drop and --corrupt is the same with or without these.
struct LineFaultPlan
{
    double truncatePercent = 0; // the frame stops at a random byte
    double lengthPercent = 0;   // the length field is damaged
    double noisePercent = 0;    // a burst of random bytes goes before the frame
    double resetPercent = 0;    // the controller resets mid-frame: cut, a glitch, then quiet
    int gateCycleSeconds = 0;   // MST closes the program's send gate (153) this often

    bool any() const
    {
        return truncatePercent > 0 || lengthPercent > 0 || noisePercent > 0 || resetPercent > 0;
    }
};

class LineFaults
{
public:
    // A controller that resets is silent for this long before it sends again.
    static constexpr int kResetQuietMs = 40;
    static constexpr int kMaxNoiseBytes = 48;

    struct Counters
    {
        int truncated = 0;
        int lengthDamaged = 0;
        int noiseBursts = 0;
        int resets = 0;
    };

    struct Outcome
    {
        QByteArray bytes;
        bool frameIntact = true; // the frame's own bytes leave whole (noise may go before)
        bool reset = false;      // hold the line quiet for kResetQuietMs after these bytes
    };

    LineFaults(const LineFaultPlan& plan, quint32 seed);

    Outcome apply(const QByteArray& frame);
    Counters counters() const { return m_counters; }

private:
    bool chance(double percent);
    int between(int low, int high);

    LineFaultPlan m_plan;
    std::mt19937 m_random;
    Counters m_counters;
};

// Closes the program's send gate every cycle and opens it again a while later, as the head
// does around work that needs a quiet bus.
class GateCycler : public QObject
{
    Q_OBJECT
public:
    GateCycler(SimPort* port, int cycleSeconds, QObject* parent = nullptr);

    int closings() const { return m_closings; }

private:
    void toggle();

    SimPort* m_port;
    QTimer m_timer;
    int m_cycleMs;
    bool m_closed = false;
    int m_closings = 0;
};
