#pragma once

#include "bus/quarnBusMsg.h"
#include "sim/lineFaults.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <bitset>
#include <deque>
#include <random>

class FrameLog;
class QIODevice;
class QuarnBusMsgReceiver;

// Faults the head can be told to make, for reliability work on the program.
struct FaultPlan
{
    double dropPercent = 0;    // share of outgoing frames never sent
    double corruptPercent = 0; // share of outgoing frames sent with a wrong checksum
    int delayMs = 0;           // every outgoing frame leaves this much later, in order
    std::bitset<256> silent;   // controllers whose frames never leave
    LineFaultPlan line;        // truncation, damaged lengths, noise, resets

    bool isSilent(char busId) const { return silent.test(quint8(busId)); }
};

// The head's side of the line: assembles frames for the five controllers with the bus's
// own receiver, writes every frame a controller sends (with that controller's id as
// source) and applies the fault plan on the way out.
class SimPort : public QObject
{
    Q_OBJECT
public:
    struct Counters
    {
        int received = 0;
        int sent = 0;
        int dropped = 0;
        int corrupted = 0;
        int silenced = 0;
        // Frames that left whole with a good checksum and that the line took (a listener
        // that stops reading loses writes); the program should handle every one.
        int intact = 0;
    };

    SimPort(QIODevice* line, const FaultPlan& faults, quint32 seed, QObject* parent = nullptr);
    ~SimPort() override;

    void setLog(FrameLog* log) { m_log = log; }
    QIODevice* line() const { return m_line; }

    void send(char srcId, const QuarnBusMsg& msg);
    // A held port sends nothing and counts nothing, so that its counters can be compared
    // with what the program saw once the line has drained.
    void hold() { m_held = true; }
    // A held head that goes on: what a stopped head would have sent meanwhile is lost.
    void resume() { m_held = false; }
    // Silences one controller from now on, or lets it speak again (as --silent does).
    void setSilent(char busId, bool silent) { m_faults.silent.set(quint8(busId), silent); }
    // The power went: frames a delay or a reset's quiet still holds back never leave.
    void dropHeldBack();

    Counters counters() const { return m_counters; }
    LineFaults::Counters lineCounters() const { return m_lineFaults.counters(); }

signals:
    void received(QuarnBusMsg msg);
    // A frame handed to the line (the fault plan kept it; a delay still holds it back), as
    // the controller built it.
    void sent(char srcId, QuarnBusMsg msg);

private:
    void onReadyRead();
    void onFrame(const QByteArray& frame);
    void write(const QByteArray& bytes, bool intact);
    void writeDue();
    bool chance(double percent);

    QIODevice* m_line;
    QuarnBusMsgReceiver* m_receiver;
    FrameLog* m_log = nullptr;
    FaultPlan m_faults;
    std::mt19937 m_random;
    Counters m_counters;
    LineFaults m_lineFaults;
    qint64 m_quietUntilMs = 0; // a reset controller sends nothing before this
    bool m_held = false;

    struct Delayed
    {
        qint64 dueMs;
        QByteArray frame;
        bool intact;
    };
    std::deque<Delayed> m_delayed;
    QElapsedTimer m_clock;
    QTimer m_delayTimer;
};
