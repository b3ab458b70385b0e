#include "bus/headLink.h"

#include "bus/deviceMsgs.h"
#include "bus/settingMsgs.h"

#include <QDebug>
#include <QTimer>

namespace {

// The requests the system waits an answer for, whoever they go to.
bool expectsAnswer(quint8 type)
{
    switch (type) {
    case eStatusRequestMsg:
    case eGetSelectIdMsg:
    case eGetPingMsg:
    case eGetSmbMsg:
    case eRtcSetDateTimeMsg:
    case eRtcGetDateTimeMsg:
    case eGetFreqValueMsg:
    case eGetCountryMsg:
    case eGetSysInformationMsg:
    case eFftCorrelatedDataRequestMsg:
    case eLoadUserSettingsMsg:
    case eGetSystemDataMsg:
    case eGetUflagsMsg:
    case eGetZoneMsg:
    case eGetZoneListMsg:
        return true;
    default:
        return false;
    }
}

// What a probe asks: answers whose handling changes nothing the head did not report.
QuarnBusMsg probeFor(char busId)
{
    switch (busId) {
    case BusId::Mst:
        return GetFreqValueMsg();
    case BusId::Rad:
        return StatusRequestMsg(BusId::Rad);
    default:
        return GetPingMsg();
    }
}

} // namespace

HeadLink::HeadLink(QObject* parent)
    : QObject(parent), m_controllers{{{BusId::Mst, "MST", true},
                                      {BusId::Rad, "RAD", true},
                                      {BusId::Hcc, "HCC", false},
                                      {BusId::Key, "KEY", false},
                                      {BusId::Bbm, "BBM", true}}},
      m_checkTimer(new QTimer(this))
{
    m_checkTimer->setObjectName(QStringLiteral("headLinkCheckTimer"));
    m_checkTimer->setInterval(m_silentAfterMs / 6);
    connect(m_checkTimer, &QTimer::timeout, this, &HeadLink::Check);
}

HeadLink::~HeadLink() = default;

HeadLink::Controller* HeadLink::find(char busId)
{
    for (Controller& c : m_controllers) {
        if (c.id == busId)
            return &c;
    }
    return nullptr;
}

const HeadLink::Controller* HeadLink::find(char busId) const
{
    return const_cast<HeadLink*>(this)->find(busId);
}

void HeadLink::Watch()
{
    if (m_checkTimer->isActive())
        return;
    m_clock.start();
    m_lastCheckMs = 0;
    Reset();
    m_checkTimer->start();
}

bool HeadLink::IsWatching() const
{
    return m_checkTimer->isActive();
}

void HeadLink::setSilentAfter(int ms)
{
    m_silentAfterMs = qMax(6, ms);
    m_checkTimer->setInterval(m_silentAfterMs / 6);
}

void HeadLink::noteRequest(quint8 type, quint8 destId)
{
    if (!IsWatching() || !expectsAnswer(type))
        return;
    Controller* c = find(char(destId));
    if (!c)
        return;
    const quint32 frames = m_frames[destId];
    // An earlier request that nothing has answered yet keeps the wait's start.
    if (c->waitingSinceMs >= 0 && frames == c->framesAtRequest)
        return;
    c->waitingSinceMs = m_clock.elapsed();
    c->framesAtRequest = frames;
}

void HeadLink::Reset()
{
    const bool wasSilent = IsHeadSilent();
    for (Controller& c : m_controllers) {
        c.seenFrames = m_frames[quint8(c.id)];
        c.waitingSinceMs = -1;
        c.probedAtMs = -1;
        c.silent = false;
    }
    if (wasSilent)
        emit HeadAnswering();
}

void HeadLink::Check()
{
    const qint64 now = m_clock.elapsed();
    // A check more than one interval late measures a held-up loop: its waits start later
    // by as much, so that the head is given the full time-out of reading.
    const int interval = m_checkTimer->interval();
    const qint64 heldUp = now - m_lastCheckMs - interval;
    m_lastCheckMs = now;
    if (heldUp > interval) {
        for (Controller& c : m_controllers) {
            if (c.waitingSinceMs >= 0)
                c.waitingSinceMs = qMin(now, c.waitingSinceMs + heldUp);
        }
    }
    bool changed = false;
    bool grew = false;
    for (Controller& c : m_controllers) {
        const quint32 frames = m_frames[quint8(c.id)];
        if (frames != c.seenFrames) {
            c.seenFrames = frames;
            c.lastFrameMs = now;
        }
        if (c.waitingSinceMs >= 0 && frames != c.framesAtRequest)
            c.waitingSinceMs = -1;
        const bool silent = c.waitingSinceMs >= 0 && now - c.waitingSinceMs >= m_silentAfterMs;
        changed = changed || silent != c.silent;
        grew = grew || (silent && !c.silent);
        c.silent = silent;
    }
    const bool silent = IsHeadSilent();
    if (silent) {
        for (Controller& c : m_controllers) {
            // When another controller falls silent, the others that nobody waits for are
            // asked too: a stopped head has them all silent.
            const bool ask = c.silent || (grew && c.waitingSinceMs < 0);
            if (c.probed && ask && (c.probedAtMs < 0 || now - c.probedAtMs >= m_silentAfterMs))
                probe(c, now);
        }
    } else {
        for (Controller& c : m_controllers)
            c.probedAtMs = -1;
    }
    if (!changed)
        return;
    if (silent) {
        qDebug().noquote() << "no response from the head:"
                           << SilentControllers().join(QStringLiteral(", "));
        emit HeadSilent(SilentControllers());
    } else {
        qDebug() << "the head answers again";
        emit HeadAnswering();
    }
}

void HeadLink::probe(Controller& controller, qint64 now)
{
    controller.probedAtMs = now;
    emit ProbeWanted(probeFor(controller.id));
}

bool HeadLink::IsSilent(char busId) const
{
    const Controller* c = find(busId);
    return c && c->silent;
}

QStringList HeadLink::SilentControllers() const
{
    QStringList names;
    for (const Controller& c : m_controllers) {
        if (c.silent)
            names << QLatin1String(c.name);
    }
    return names;
}

qint64 HeadLink::MsSinceAnswer(char busId) const
{
    const Controller* c = find(busId);
    if (!c || c->lastFrameMs < 0 || !m_clock.isValid())
        return -1;
    return m_clock.elapsed() - c->lastFrameMs;
}
