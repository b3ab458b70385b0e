#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <array>
#include <bitset>
#include <initializer_list>
#include <vector>

// Assembles checksum-verified frames from the unframed byte stream of the line.
class QIODevice;

class QuarnBusMsgReceiver : public QObject
{
    Q_OBJECT
public:
    enum msgStateT
    {
        eIdle = 0,
        eWaitingCompleteHeader = 1,
        eWaitingBody = 2,
        eWaitingChecksum = 3,
    };

    // Why a frame was given up; captures and counters tell the faults apart.
    enum class RejectReason
    {
        BadDeviceId,
        BadLength,
        BadChecksum,
        OutOfStep, // the state machine met a byte it cannot place
        TimedOut,  // a partial frame got no new byte for kStallTimeoutMs
    };
    Q_ENUM(RejectReason)

    static constexpr int kMaxBodyLength = 266;
    // About seven longest frames at 921600 baud: a partial frame quiet for this long is
    // damaged, not slow, and must not hold back the frames behind it.
    static constexpr int kStallTimeoutMs = 20;
    // Failures after the first in this interval are counted, not written one by one.
    static constexpr int kReportIntervalMs = 1000;

    // Milliseconds on a monotonic clock; tests substitute their own.
    using Clock = qint64 (*)();

    QuarnBusMsgReceiver(QObject* parent, char expectedDeviceId);
    // Accepts frames for any of several ids: the simulated head answers for five devices.
    QuarnBusMsgReceiver(QObject* parent, std::initializer_list<char> acceptedDeviceIds);

    void giveNewData(const QByteArray& data);
    // Gives everything the line holds now.
    void giveAllFrom(QIODevice* line);

    msgStateT currentState() const { return m_state; }
    void setClock(Clock clock) { m_clock = clock; }

public slots:
    // Gives up a partial frame that has had no new byte for kStallTimeoutMs and rescans
    // its bytes after the first sync byte. Run by a timer; tests call it directly.
    void checkForStall();
    // Writes the count of failures since the last report, if any. Run by a timer.
    void endReportInterval();

signals:
    void newMsgReady(QByteArray msgRawData);
    // The bytes of a frame given up, up to and including the byte that failed it.
    void frameRejected(QByteArray bytes, QuarnBusMsgReceiver::RejectReason reason);
    // Just before a quiet partial frame is given up: the owner hands over any bytes that
    // arrived but were not read yet (a busy event loop can run the timer first).
    void aboutToGiveUpPartialFrame();

private:
    using StateFunction = msgStateT (*)(QuarnBusMsgReceiver*, quint8);

    static msgStateT doIdle(QuarnBusMsgReceiver* r, quint8 b);
    static msgStateT doWaitingCompleteHeader(QuarnBusMsgReceiver* r, quint8 b);
    static msgStateT doWaitingBody(QuarnBusMsgReceiver* r, quint8 b);
    static msgStateT doWaitingChecksum(QuarnBusMsgReceiver* r, quint8 b);
    static msgStateT cleanForEnteringIdle(QuarnBusMsgReceiver* r);

    struct Failure;

    void feed(const char* data, int size);
    void giveUpPartialFrame();
    void reportFailure(const Failure& failure, const QByteArray& rejected);
    void indicateNewMsgReady();
    void handleErrorException();

    std::bitset<256> m_acceptedIds;
    QByteArray m_frame;
    quint16 m_expectedBodyLength = 0;
    msgStateT m_state = eIdle;
    std::vector<StateFunction> m_stateTable;

    Clock m_clock;
    qint64 m_lastByteAt = 0;
    bool m_feeding = false; // a handler of newMsgReady may run a nested event loop
    QTimer m_stallTimer;
    QTimer m_reportTimer;
    std::array<int, 5> m_unreported{}; // failures per RejectReason since the last report
};
