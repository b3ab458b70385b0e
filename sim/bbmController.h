#pragma once

#include "sim/simController.h"

#include <QDateTime>
#include <QTimer>

#include <optional>

// The battery board: battery status record on ping, smart-battery registers and the
// real-time clock. The clock is its own: it starts at the host's time and a set request
// moves only this clock.
class BbmController : public SimController
{
    Q_OBJECT
public:
    struct Options
    {
        int chargePercent = 87;
        bool mains = false;
        int chargeStepMs = 60000; // one percent down on battery, up on mains
        bool oscillatorStopped = false;
    };

    static constexpr int kStatusSize = 18;
    static constexpr int kAcFlagsAt = 7;
    static constexpr quint8 kAcBit = 0x80;
    static constexpr int kChargeAt = 16;
    static constexpr quint8 kOscillatorStopBit = 0x80;

    BbmController(SimPort* port, const Options& options, QObject* parent);

    void handle(const QuarnBusMsg& request) override;

    int chargePercent() const { return m_charge; }
    bool isOnMains() const { return m_mains; }
    void setMains(bool mains) { m_mains = mains; }
    QDateTime clock() const;
    QByteArray statusRecord() const;
    // A register's answer body: a word low byte first or a NUL-terminated text; nothing
    // for a register the battery does not have.
    std::optional<QByteArray> smbRegister(quint8 reg) const;

private:
    void stepCharge();
    QByteArray clockBody() const;

    int m_charge;
    bool m_mains;
    bool m_oscillatorStopped;
    qint64 m_clockOffsetMs = 0;
    QTimer m_chargeTimer;
};
