#include "bus/quarnBusMsgReceiver.h"

#include "bus/quarnBusMsg.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QIODevice>

// A failure inside a state function; caught only where the bytes are fed.
struct QuarnBusMsgReceiver::Failure
{
    const char* text;
    RejectReason reason = RejectReason::OutOfStep;
};

static_assert(int(QuarnBusMsgReceiver::RejectReason::TimedOut) == 4, "one count per reason");

namespace {

qint64 monotonicMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}
} // namespace

QuarnBusMsgReceiver::QuarnBusMsgReceiver(QObject* parent, char expectedDeviceId)
    : QuarnBusMsgReceiver(parent, {expectedDeviceId})
{}

QuarnBusMsgReceiver::QuarnBusMsgReceiver(QObject* parent,
                                         std::initializer_list<char> acceptedDeviceIds)
    : QObject(parent), m_clock(&monotonicMs)
{
    for (char id : acceptedDeviceIds)
        m_acceptedIds.set(quint8(id));
    m_frame.reserve(100);
    m_stateTable = {&doIdle, &doWaitingCompleteHeader, &doWaitingBody, &doWaitingChecksum};
    m_stallTimer.setSingleShot(true);
    m_stallTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_stallTimer, &QTimer::timeout, this, &QuarnBusMsgReceiver::checkForStall);
    m_reportTimer.setSingleShot(true);
    connect(&m_reportTimer, &QTimer::timeout, this, &QuarnBusMsgReceiver::endReportInterval);
}

void QuarnBusMsgReceiver::giveAllFrom(QIODevice* line)
{
    char buffer[4096];
    for (;;) {
        const qint64 n = line->read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        giveNewData(QByteArray(buffer, int(n)));
    }
}

void QuarnBusMsgReceiver::giveNewData(const QByteArray& data)
{
    if (data.isEmpty())
        return;
    feed(data.constData(), data.size());
    if (m_frame.isEmpty())
        return;
    // The timer is started, not restarted, per chunk: checkForStall() measures the quiet
    // time itself, which spares a timer registration for every chunk of a busy line.
    m_lastByteAt = m_clock();
    if (!m_stallTimer.isActive())
        m_stallTimer.start(kStallTimeoutMs);
}

void QuarnBusMsgReceiver::feed(const char* data, int size)
{
    const bool wasFeeding = m_feeding;
    m_feeding = true;
    QByteArray rescan;
    int i = 0;
    while (i < size) {
        const quint8 b = quint8(data[i]);
        const int heldBefore = m_frame.size();
        try {
            m_state = m_stateTable[m_state](this, b);
            ++i;
        } catch (const Failure& failure) {
            // Scan again from the byte after the failed frame's first sync byte, so that
            // a false sync pair or a damaged frame costs no more than itself.
            const bool byteTaken = m_frame.size() > heldBefore;
            QByteArray rejected = m_frame;
            if (!byteTaken)
                rejected.append(char(b));
            reportFailure(failure, rejected);
            const int next = i + (byteTaken ? 1 : 0);
            QByteArray rest = m_frame.mid(1);
            rest.append(data + next, size - next);
            cleanForEnteringIdle(this);
            m_state = eIdle;
            rescan.swap(rest);
            data = rescan.constData();
            size = rescan.size();
            i = 0;
        }
    }
    m_feeding = wasFeeding;
}

void QuarnBusMsgReceiver::checkForStall()
{
    if (m_frame.isEmpty())
        return;
    if (m_feeding) {
        // Run from a dialog a frame's handler opened: the frame held is the one being
        // delivered, not a stalled one.
        m_stallTimer.start(kStallTimeoutMs);
        return;
    }
    emit aboutToGiveUpPartialFrame();
    if (m_frame.isEmpty())
        return;
    const qint64 quiet = m_clock() - m_lastByteAt;
    if (quiet < kStallTimeoutMs) {
        m_stallTimer.start(int(kStallTimeoutMs - quiet));
        return;
    }
    giveUpPartialFrame();
}

void QuarnBusMsgReceiver::giveUpPartialFrame()
{
    // Every byte held arrived before the line went quiet, so a partial frame that the
    // rescan finds among them is just as stale and goes the same way.
    while (!m_frame.isEmpty()) {
        if (m_state == eIdle) {
            cleanForEnteringIdle(this); // a lone 0x82: line noise, not a frame
            break;
        }
        const QByteArray held = m_frame;
        reportFailure({"Partial msg timed out waiting for more bytes", RejectReason::TimedOut},
                      held);
        cleanForEnteringIdle(this);
        m_state = eIdle;
        feed(held.constData() + 1, held.size() - 1);
    }
}

void QuarnBusMsgReceiver::reportFailure(const Failure& failure, const QByteArray& rejected)
{
    emit frameRejected(rejected, failure.reason);
    // A noisy line or crafted input can fail a frame every few bytes; five lines each
    // would flood the log, so within an interval only the first is written in full.
    if (m_reportTimer.isActive()) {
        ++m_unreported[size_t(failure.reason)];
        return;
    }
    qDebug() << "Exception in quarn bus msg receiver state handling:";
    qDebug() << failure.text;
    handleErrorException();
    m_reportTimer.start(kReportIntervalMs);
}

void QuarnBusMsgReceiver::endReportInterval()
{
    int total = 0;
    for (int n : m_unreported)
        total += n;
    if (total == 0) {
        m_reportTimer.stop(); // a quiet interval: the next failure is written in full again
        return;
    }
    qDebug().noquote()
        << QStringLiteral("quarn bus msg receiver: %1 more frames given up in %2 ms "
                          "(device id %3, length %4, checksum %5, out of step %6, timed out %7)")
               .arg(total)
               .arg(kReportIntervalMs)
               .arg(m_unreported[size_t(RejectReason::BadDeviceId)])
               .arg(m_unreported[size_t(RejectReason::BadLength)])
               .arg(m_unreported[size_t(RejectReason::BadChecksum)])
               .arg(m_unreported[size_t(RejectReason::OutOfStep)])
               .arg(m_unreported[size_t(RejectReason::TimedOut)]);
    m_unreported = {};
    m_reportTimer.start(kReportIntervalMs);
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
        throw Failure{"Received bytes past initial sync header in doIdle"};
    }
}

QuarnBusMsgReceiver::msgStateT QuarnBusMsgReceiver::doWaitingCompleteHeader(QuarnBusMsgReceiver* r,
                                                                            quint8 b)
{
    const int held = r->m_frame.size();
    if (held == 2) {
        if (!r->m_acceptedIds.test(b))
            throw Failure{"incoming bus device id does not match expected value.",
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
            throw Failure{"msg seems to exceed crazy length bounds", RejectReason::BadLength};
        r->m_expectedBodyLength = quint16(length);
        r->m_frame.append(char(b));
        return length > 0 ? eWaitingBody : eWaitingChecksum;
    }
    throw Failure{"Received bytes outside header in doWaitingCompleteHeader()"};
}

QuarnBusMsgReceiver::msgStateT QuarnBusMsgReceiver::doWaitingBody(QuarnBusMsgReceiver* r, quint8 b)
{
    const int bodyHeld = r->m_frame.size() - QuarnBusMsg::kHeaderSize;
    if (bodyHeld > r->m_expectedBodyLength)
        throw Failure{"doWaitingBody called with bytes past body"};
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
        throw Failure{
            "doWaitingChecksum called with more bytes than total number of msg bytes expected"};

    const char* frame = r->m_frame.constData();
    const quint16 sum = quarnChecksum(frame + 2, total - 4);
    const quint16 sent = quint16(quint8(frame[total - 2]) + 256 * quint8(frame[total - 1]));
    if (sum != sent)
        throw Failure{"Received Msg Checksum failed", RejectReason::BadChecksum};
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
}
