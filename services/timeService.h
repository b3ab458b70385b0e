#pragma once

#include "bus/quarnBusMsg.h"

#include <QDateTime>
#include <QObject>

class QTimer;

// Keeps the instrument's clock in step with the battery board's real-time clock, writes
// that clock when the operator sets the time, and announces every change of the system
// time.
class TimeService : public QObject
{
    Q_OBJECT
public:
    static constexpr int kInitialSyncRetryMs = 1500;
    // Larger differences between the RTC and the system clock are taken as drift to fix.
    static constexpr int kToleranceSecs = 50;

    static TimeService* Get();

    // Operator input: the system clock follows at once, the RTC is written after it.
    void SetDateTime(const QDateTime& dateTime);
    bool DidRtcLoseOscillator() const { return m_oscillatorLost; }
    // The battery board's clock reports a stopped oscillator: from such an answer until one
    // without the flag, which the board gives once its clock has been set.
    bool IsClockStopped() const { return m_clockStopped; }
    // The best time there is to offer the operator: the system clock, or while the clock is
    // stopped and not yet set, the time the stopped clock held if that is later.
    QDateTime ProposedDateTime() const;

signals:
    void RtcLostOscillator();
    void TimeChanged();
    void ClockStoppedChanged(bool stopped);

public slots:
    void ReceiveBusMsg(QuarnBusMsg msg);
    void InitialSyncRetry();

private:
    TimeService();

    void handleGetResponse(const QuarnBusMsg& msg);
    void handleSetResponse(const QuarnBusMsg& msg);
    void applyUnlessStale(const QuarnBusMsg& msg);
    void applyIfNeeded(const QDateTime& rtcTime);
    void setSystemTime(const QDateTime& dateTime);
    void requestRtcTime();
    void setClockStopped(bool stopped);

    QTimer* m_retryTimer = nullptr;
    bool m_initialSyncDone = false;
    bool m_oscillatorLost = false;
    bool m_clockStopped = false;
    // How far the stopped clock's time lay ahead of the system clock when it answered.
    qint64 m_stoppedClockLeadMs = 0;
};
