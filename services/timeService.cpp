#include "services/timeService.h"

#include "board/board.h"
#include "bus/quarnBus.h"
#include "bus/rtcGetDateTimeMsg.h"
#include "bus/rtcSetDateTimeMsg.h"

#include <QDebug>
#include <QTimer>

TimeService* TimeService::Get()
{
    static TimeService* instance = new TimeService;
    return instance;
}

TimeService::TimeService() : m_retryTimer(new QTimer(this))
{
    m_retryTimer->setObjectName(QStringLiteral("initialSyncRetryTimer"));
    m_retryTimer->setSingleShot(true);
    m_retryTimer->setInterval(kInitialSyncRetryMs);
    connect(m_retryTimer, &QTimer::timeout, this, &TimeService::InitialSyncRetry);

    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &TimeService::ReceiveBusMsg);
    requestRtcTime();
    m_retryTimer->start();
}

void TimeService::requestRtcTime()
{
    QuarnBus::Get()->sendMsg(RtcGetDateTimeMsg());
}

void TimeService::InitialSyncRetry()
{
    if (m_initialSyncDone)
        return;
    qDebug() << "Hit TimeService::InitialTimeRetry()!";
    requestRtcTime();
    m_retryTimer->start();
}

void TimeService::ReceiveBusMsg(QuarnBusMsg msg)
{
    if (msg.srcId != quint8(BusId::Bbm))
        return;
    if (msg.type == eRtcSetDateTimeMsg)
        handleSetResponse(msg);
    else if (msg.type == eRtcGetDateTimeMsg)
        handleGetResponse(msg);
}

void TimeService::handleGetResponse(const QuarnBusMsg& msg)
{
    const RtcGetDateTimeMsg answer(msg);
    const bool stopped = answer.DidOscillatorStop();
    if (stopped) {
        // Both times can only lag: a stopped clock holds the time it stopped at, and a
        // system clock that the RTC never set counts from the board's own start. The later
        // one is the nearer to the truth.
        const QDateTime held = answer.GetDateTime();
        if (held.isValid())
            m_stoppedClockLeadMs = qMax<qint64>(0, Board::Get().Now().msecsTo(held));
    }
    if (!m_oscillatorLost && stopped) {
        m_oscillatorLost = true;
        emit RtcLostOscillator();
    }
    setClockStopped(stopped);
    applyUnlessStale(msg);
    m_initialSyncDone = true;
    m_retryTimer->stop();
}

void TimeService::handleSetResponse(const QuarnBusMsg& msg)
{
    setClockStopped(RtcGetDateTimeMsg(msg).DidOscillatorStop());
    applyUnlessStale(msg);
}

void TimeService::setClockStopped(bool stopped)
{
    if (!stopped)
        m_stoppedClockLeadMs = 0;
    if (stopped == m_clockStopped)
        return;
    m_clockStopped = stopped;
    emit ClockStoppedChanged(stopped);
}

QDateTime TimeService::ProposedDateTime() const
{
    return Board::Get().Now().addMSecs(m_stoppedClockLeadMs);
}

void TimeService::applyUnlessStale(const QuarnBusMsg& msg)
{
    // A clock whose oscillator stopped counts from whenever it stopped: taking its time
    // would throw the system clock and every screenshot name back to then. Both answers
    // carry the flag in the same place.
    const RtcGetDateTimeMsg answer(msg);
    if (answer.DidOscillatorStop()) {
        qDebug() << "RTC oscillator stopped, its time is not applied:" << answer.GetDateTime();
        return;
    }
    applyIfNeeded(answer.GetDateTime());
}

void TimeService::applyIfNeeded(const QDateTime& rtcTime)
{
    // The RTC counts whole seconds: drop the clock's fraction so that the comparison is like
    // for like (51 s ahead would otherwise read as 50).
    QDateTime now = Board::Get().Now();
    now = now.addMSecs(-now.time().msec());
    if (qAbs(now.secsTo(rtcTime)) > kToleranceSecs)
        setSystemTime(rtcTime);
}

void TimeService::setSystemTime(const QDateTime& dateTime)
{
    qDebug() << "Set System date and time to: " << dateTime;
    Board::Get().SetSystemTime(dateTime);
    emit TimeChanged();
}

void TimeService::SetDateTime(const QDateTime& dateTime)
{
    // The operator's time is the best there is from now on.
    m_stoppedClockLeadMs = 0;
    setSystemTime(dateTime);
    QuarnBus::Get()->sendMsg(RtcSetDateTimeMsg(dateTime, BusId::Bbm));
}
