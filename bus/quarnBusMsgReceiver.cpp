#include "bus/quarnBusMsgReceiver.h"

#include "bus/quarnBusMsg.h"

#include <QDebug>

namespace {
// A failure inside a state function; caught only in giveNewData().
struct ReceiveFailure
{
    const char* text;
    QuarnBusMsgReceiver::RejectReason reason = QuarnBusMsgReceiver::RejectReason::OutOfStep;
};
} // namespace

QuarnBusMsgReceiver::QuarnBusMsgReceiver(QObject* parent, char expectedDeviceId)
    : QuarnBusMsgReceiver(parent, {expectedDeviceId})
{
}

QuarnBusMsgReceiver::QuarnBusMsgReceiver(QObject* parent,
                                         std::initializer_list<char> acceptedDeviceIds)
    : QObject(parent)
{
    for (char id : acceptedDeviceIds)
        m_acceptedIds.set(quint8(id));
    m_frame.reserve(100);
    m_stateTable = {&doIdle, &doWaitingCompleteHeader, &doWaitingBody, &doWaitingChecksum};
}

void QuarnBusMsgReceiver::giveNewData(const QByteArray& data)
{
    if (data.isEmpty())
        return;

    QByteArray input = data;
    int i = 0;
    while (i < input.size()) {
        const quint8 b = quint8(input.at(i));
        const int heldBefore = m_frame.size();
        try {
            m_state = m_stateTable[m_state](this, b);
            ++i;
        } catch (const ReceiveFailure& failure) {
            qDebug() << "Exception in quarn bus msg receiver state handling:";
            qDebug() << failure.text;
            // Scan again from the byte after the failed frame's first sync byte, so that
            // a false sync pair or a damaged frame costs no more than itself.
            const bool byteTaken = m_frame.size() > heldBefore;
            QByteArray rejected = m_frame;
            if (!byteTaken)
                rejected.append(char(b));
            emit frameRejected(rejected, failure.reason);
            QByteArray rescan = m_frame.mid(1);
            rescan.append(input.constData() + i + (byteTaken ? 1 : 0),
                          input.size() - i - (byteTaken ? 1 : 0));
            handleErrorException();
            input = rescan;
            i = 0;
        }
    }
}

QuarnBusMsgReceiver::msgStateT QuarnBusMsgReceiver::doIdle(QuarnBusMsgReceiver* r, quint8 b)
{
    switch (r->m_frame.size()) {
    case 0:
        if (b == 0x82)
            r->m_frame.append(char(b));
        return eIdle;
    case 1:
        if (b == 0x8A) {
            r->m_frame.append(char(b));
            return eWaitingCompleteHeader;
        }
        return eIdle; // keep the 0x82 and wait for 0x8A
    default:
        throw ReceiveFailure{"Received bytes past initial sync header in doIdle"};
    }
}

QuarnBusMsgReceiver::msgStateT QuarnBusMsgReceiver::doWaitingCompleteHeader(QuarnBusMsgReceiver* r,
                                                                            quint8 b)
{
    const int held = r->m_frame.size();
    if (held == 2) {
        if (!r->m_acceptedIds.test(b))
            throw ReceiveFailure{"incoming bus device id does not match expected value.",
                                 RejectReason::BadDeviceId};
        r->m_frame.append(char(b));
        return eWaitingCompleteHeader;
    }
    if (held >= 3 && held <= 6) {
        r->m_frame.append(char(b));
        return eWaitingCompleteHeader;
    }
    if (held == 7) {
        const int length = quint8(r->m_frame.at(6)) + 256 * b;
        if (length > kMaxBodyLength)
            throw ReceiveFailure{"msg seems to exceed crazy length bounds", RejectReason::BadLength};
        r->m_expectedBodyLength = quint16(length);
        r->m_frame.append(char(b));
        return length > 0 ? eWaitingBody : eWaitingChecksum;
    }
    throw ReceiveFailure{"Received bytes outside header in doWaitingCompleteHeader()"};
}

QuarnBusMsgReceiver::msgStateT QuarnBusMsgReceiver::doWaitingBody(QuarnBusMsgReceiver* r, quint8 b)
{
    const int bodyHeld = r->m_frame.size() - QuarnBusMsg::kHeaderSize;
    if (bodyHeld > r->m_expectedBodyLength)
        throw ReceiveFailure{"doWaitingBody called with bytes past body"};
    if (bodyHeld < r->m_expectedBodyLength) {
        r->m_frame.append(char(b));
        return bodyHeld + 1 == r->m_expectedBodyLength ? eWaitingChecksum : eWaitingBody;
    }
    // Not reached: the last body byte already moved the machine on.
    return eWaitingChecksum;
}

QuarnBusMsgReceiver::msgStateT QuarnBusMsgReceiver::doWaitingChecksum(QuarnBusMsgReceiver* r,
                                                                      quint8 b)
{
    const int total = r->m_expectedBodyLength + QuarnBusMsg::kOverhead;
    if (r->m_frame.size() < total)
        r->m_frame.append(char(b));

    const int held = r->m_frame.size();
    if (held < total)
        return eWaitingChecksum;
    if (held > total)
        throw ReceiveFailure{
            "doWaitingChecksum called with more bytes than total number of msg bytes expected"};

    const char* frame = r->m_frame.constData();
    const quint16 sum = quarnChecksum(frame + 2, total - 4);
    const quint16 sent = quint16(quint8(frame[total - 2]) + 256 * quint8(frame[total - 1]));
    if (sum != sent)
        throw ReceiveFailure{"Received Msg Checksum failed", RejectReason::BadChecksum};
    r->indicateNewMsgReady();
    return cleanForEnteringIdle(r);
}

QuarnBusMsgReceiver::msgStateT QuarnBusMsgReceiver::cleanForEnteringIdle(QuarnBusMsgReceiver* r)
{
    r->m_frame.resize(0); // keeps the reserved capacity
    r->m_expectedBodyLength = 0;
    return eIdle;
}

void QuarnBusMsgReceiver::indicateNewMsgReady()
{
    emit newMsgReady(QByteArray(m_frame.constData(), m_frame.size()));
}

void QuarnBusMsgReceiver::handleErrorException()
{
    qDebug() << "Current State:";
    qDebug() << int(m_state);
    qDebug() << m_frame.toHex();
    cleanForEnteringIdle(this);
    m_state = eIdle;
}
