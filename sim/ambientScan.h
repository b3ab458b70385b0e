#pragma once

#include "sim/headSettings.h"

#include <QObject>
#include <QTimer>

class SimPort;
class SimScenario;

// The head's frequency scan: ambient levels of the three channels (automatic scan) or of
// one channel (channel scan), sent by the radio as ambient data messages.
class AmbientScan : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        int autoStepMs = 150;     // between the channels of an automatic scan
        int autoSweeps = 2;       // sweeps over the three channels before it ends
        int channelSweepMs = 500; // between the sweeps of a channel scan
    };

    // Byte 0 of the ambient data: the marker follows the quietest window.
    static constexpr quint8 kAutoMode = 1;
    static constexpr quint8 kChannelMode = 0;

    AmbientScan(SimPort* port, SimScenario* scenario, const Timing& timing, QObject* parent);

    void startAuto(const Zone& zone);
    void startChannel(int channel, const Zone& zone);
    void stop();

signals:
    void autoScanFinished();

private:
    void sweepStep();

    SimPort* m_port;
    SimScenario* m_scenario;
    Timing m_timing;
    QTimer m_timer;
    Zone m_zone;
    bool m_auto = false;
    int m_channel = 0;
    int m_messagesSent = 0;
};
