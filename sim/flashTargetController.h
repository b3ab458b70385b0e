#pragma once

#include "sim/simController.h"

// A controller the program can reprogram (HCC, KEY): status text with its hardware code,
// section erase, the stream of write packets with its checksum answer, and reset. KEY
// also takes the vibration pulses.
class FlashTargetController : public SimController
{
    Q_OBJECT
public:
    struct Timing
    {
        int eraseBaseMs = 100;
        int eraseMsPerBlock = 40;
        int checksumMs = 20;
    };

    static constexpr int kPacketSize = 256;
    static constexpr int kPacketsPerBlock = 65536 / kPacketSize;
    static constexpr int kHardwareCodeAt = 17;

    FlashTargetController(char busId, const QByteArray& version, const QByteArray& hardwareCode,
                          const Timing& timing, SimPort* port, QObject* parent);

    void handle(const QuarnBusMsg& request) override;

    QByteArray statusText() const;
    int resetCount() const { return m_resets; }
    int pulseCount() const { return m_pulses; }
    bool isAwaitingPackets() const { return m_packetsExpected > 0; }

private:
    void erase(const QuarnBusMsg& request);
    void write(const QuarnBusMsg& request);

    QByteArray m_version;
    QByteArray m_hardwareCode;
    Timing m_timing;
    int m_packetsExpected = 0;
    int m_packetsReceived = 0;
    quint32 m_checksum = 0;
    int m_resets = 0;
    int m_pulses = 0;
};
