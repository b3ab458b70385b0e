#pragma once

#include "sim/simController.h"

#include <QList>

#include <optional>

// A controller the program can reprogram (HCC, KEY): status text with its hardware code,
// section erase, the stream of write packets with its checksum answer, and reset. KEY
// also takes the vibration pulses and acknowledges each.
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

    // What a faulty controller does while it is being programmed.
    enum class Fault
    {
        None,
        BadChecksum, // answers the last packet with a checksum one too high
        SilentErase, // never answers an erase
        SilentWrite, // erases, but never answers the last packet
    };
    static std::optional<Fault> faultFromName(const QString& name);

    // One section as the controller received it.
    struct Section
    {
        quint8 slotId = 0;
        int blocks = 0;
        QByteArray header;
        QByteArray data; // every packet, fill included
        bool answered = false;
    };

    static constexpr int kPacketSize = 256;
    static constexpr int kPacketsPerBlock = 65536 / kPacketSize;
    static constexpr int kHardwareCodeAt = 17;

    FlashTargetController(char busId, const QByteArray& version, const QByteArray& hardwareCode,
                          const Timing& timing, SimPort* port, QObject* parent);

    void setFault(Fault fault) { m_fault = fault; }
    const QList<Section>& sections() const { return m_sections; }

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
    Fault m_fault = Fault::None;
    QList<Section> m_sections;
    int m_packetsExpected = 0;
    int m_packetsReceived = 0;
    quint32 m_checksum = 0;
    int m_resets = 0;
    int m_pulses = 0;
};
