#pragma once

#include <QByteArray>
#include <QObject>

#include <bitset>
#include <initializer_list>
#include <vector>

// Assembles checksum-verified frames from the unframed byte stream of the line.
class QuarnBusMsgReceiver : public QObject
{
    Q_OBJECT
public:
    enum msgStateT {
        eIdle = 0,
        eWaitingCompleteHeader = 1,
        eWaitingBody = 2,
        eWaitingChecksum = 3,
    };

    // Why a frame was given up; captures and counters tell the faults apart.
    enum class RejectReason {
        BadDeviceId,
        BadLength,
        BadChecksum,
        OutOfStep, // the state machine met a byte it cannot place
    };
    Q_ENUM(RejectReason)

    static constexpr int kMaxBodyLength = 266;

    QuarnBusMsgReceiver(QObject* parent, char expectedDeviceId);
    // Accepts frames for any of several ids: the simulated head answers for five devices.
    QuarnBusMsgReceiver(QObject* parent, std::initializer_list<char> acceptedDeviceIds);

    void giveNewData(const QByteArray& data);

    msgStateT currentState() const { return m_state; }

signals:
    void newMsgReady(QByteArray msgRawData);
    // The bytes of a frame given up, up to and including the byte that failed it.
    void frameRejected(QByteArray bytes, QuarnBusMsgReceiver::RejectReason reason);

private:
    using StateFunction = msgStateT (*)(QuarnBusMsgReceiver*, quint8);

    static msgStateT doIdle(QuarnBusMsgReceiver* r, quint8 b);
    static msgStateT doWaitingCompleteHeader(QuarnBusMsgReceiver* r, quint8 b);
    static msgStateT doWaitingBody(QuarnBusMsgReceiver* r, quint8 b);
    static msgStateT doWaitingChecksum(QuarnBusMsgReceiver* r, quint8 b);
    static msgStateT cleanForEnteringIdle(QuarnBusMsgReceiver* r);

    void indicateNewMsgReady();
    void handleErrorException();

    std::bitset<256> m_acceptedIds;
    QByteArray m_frame;
    quint16 m_expectedBodyLength = 0;
    msgStateT m_state = eIdle;
    std::vector<StateFunction> m_stateTable;
};
