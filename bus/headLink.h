#pragma once

#include "bus/quarnBusMsg.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

#include <array>

class QTimer;

// Whether the head's controllers answer. Every accepted frame counts for its source; a
// request that a controller must answer (system data, versions, status, clock, battery,
// spectra) starts a wait. A controller whose oldest wait has run kSilentAfterMs without a
// single frame from it is silent until its next frame. Fire-and-forget requests start no
// wait, nor does the firmware transfer, whose answers take up to 20 s and are timed by the
// update itself. HCC and KEY are asked only for their status, so they count only then.
//
// The result path only bumps a counter per source; the checks, every sixth of the
// time-out, turn counters into times. While anything is silent the link asks MST, RAD and
// BBM something harmless: all of them whenever one more falls silent (so that the notice
// names every controller a stopped head silences, not only the one polled), and each
// silent one every time-out, so that one that comes back is seen even when nothing else
// asks it.
//
// Time the event loop was held up (a slow start-up, a long paint on a slow board) does
// not count as silence: nothing was read meanwhile, and the answers wait in the port.
class HeadLink : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSilentAfterMs = 3000;

    explicit HeadLink(QObject* parent = nullptr);
    ~HeadLink() override;

    // The read path: every accepted frame, by its source id.
    void noteFrameFrom(quint8 srcId) { ++m_frames[srcId]; }
    // Every request written (or meant for a line that is not open).
    void noteRequest(quint8 type, quint8 destId);

    // Checks from now on; until then nothing is ever silent. The instrument watches its
    // head from start-up; tools and most tests do not.
    void Watch();
    bool IsWatching() const;
    // Forgets every wait and every silence: a line opened anew has lost the requests sent
    // before it.
    void Reset();
    void setSilentAfter(int ms);

    bool IsHeadSilent() const { return !SilentControllers().isEmpty(); }
    bool IsSilent(char busId) const;
    // The silent controllers by name, in the order MST, RAD, HCC, KEY, BBM.
    QStringList SilentControllers() const;
    // Milliseconds since the controller's last frame, to the checks' resolution; -1 when
    // none came yet (or the link is not watching).
    qint64 MsSinceAnswer(char busId) const;

signals:
    // The set of silent controllers changed and is not empty.
    void HeadSilent(QStringList controllers);
    // Every controller that was silent has answered again.
    void HeadAnswering();
    // A request to send for a probe; the bus sends it.
    void ProbeWanted(QuarnBusMsg msg);

public slots:
    void Check();

private:
    struct Controller
    {
        char id;
        const char* name;
        bool probed; // asked something harmless while silence lasts
        quint32 seenFrames = 0;
        qint64 lastFrameMs = -1;
        qint64 waitingSinceMs = -1; // the oldest request still unanswered
        quint32 framesAtRequest = 0;
        qint64 probedAtMs = -1;
        bool silent = false;
    };

    Controller* find(char busId);
    const Controller* find(char busId) const;
    void probe(Controller& controller, qint64 now);

    std::array<quint32, 256> m_frames{};
    std::array<Controller, 5> m_controllers;
    QElapsedTimer m_clock;
    qint64 m_lastCheckMs = 0;
    QTimer* m_checkTimer = nullptr;
    int m_silentAfterMs = kSilentAfterMs;
};
