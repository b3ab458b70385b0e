#include "sim/replay.h"

#include "bus/quarnBusMsg.h"
#include "bus/quarnBusMsgReceiver.h"
#include "sim/frameLog.h"
#include "sim/ptyDevice.h"

#include <QCoreApplication>
#include <QFile>
#include <QIODevice>

namespace {
bool sameKind(const QByteArray& a, const QByteArray& b)
{
    // Destination and type: the same request with other contents.
    return a.size() > 4 && b.size() > 4 && a.at(2) == b.at(2) && a.at(4) == b.at(4);
}

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}
} // namespace

BusReplay::BusReplay(QIODevice* line, const std::vector<BusCaptureRecord>& records,
                     const Options& options, QObject* parent)
    : QObject(parent), m_line(line),
      m_receiver(new QuarnBusMsgReceiver(
          this, {BusId::Mst, BusId::Rad, BusId::Hcc, BusId::Key, BusId::Bbm})),
      m_options(options)
{
    using BusCaptureFormat::Kind;
    const qint64 t0 = records.empty() ? 0 : records.front().timeUs;
    for (const BusCaptureRecord& r : records) {
        if (r.kind != Kind::Chunk && r.kind != Kind::Sent)
            continue;
        m_events.push_back({(r.timeUs - t0) / 1000, r.kind == Kind::Chunk, r.bytes});
        if (r.kind == Kind::Sent)
            ++m_expectedCount;
    }
    connect(m_line, &QIODevice::readyRead, this, &BusReplay::onReadyRead);
    connect(m_receiver, &QuarnBusMsgReceiver::newMsgReady, this, &BusReplay::onProgramFrame);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &BusReplay::step);
}

BusReplay::~BusReplay() = default;

void BusReplay::start()
{
    if (m_started)
        return;
    m_started = true;
    m_clock.start();
    note(QStringLiteral("replay of %1 head chunks and %2 program frames at speed %3")
             .arg(m_events.size() - size_t(m_expectedCount))
             .arg(m_expectedCount)
             .arg(m_options.speed));
    step();
}

qint64 BusReplay::dueMs(const Event& e) const
{
    return qint64(e.atMs / m_options.speed) + m_shiftMs;
}

void BusReplay::step()
{
    if (m_ended)
        return;
    while (m_next < m_events.size()) {
        Event& e = m_events[m_next];
        if (e.done) {
            ++m_next;
            continue;
        }
        const qint64 now = m_clock.elapsed();
        if (e.fromHead) {
            if (now < dueMs(e)) {
                m_timer.start(int(dueMs(e) - now));
                return;
            }
            m_line->write(e.bytes);
            e.done = true;
            continue;
        }
        // A program frame not seen yet holds back everything captured after it.
        const qint64 deadline = dueMs(e) + m_options.graceMs;
        if (now < deadline) {
            m_timer.start(int(deadline - now));
            return;
        }
        m_differences << QStringLiteral("missing %1").arg(describe(int(m_next)));
        note(m_differences.last());
        e.done = true;
    }
    if (m_draining)
        return;
    // Everything played: give late program frames a moment, then report.
    m_draining = true;
    QTimer::singleShot(m_options.settleMs, this, [this] {
        m_ended = true;
        note(report());
        emit finished(m_differences.size());
    });
}

void BusReplay::onReadyRead()
{
    m_receiver->giveAllFrom(m_line);
}

int BusReplay::findPending(const std::function<bool(const Event&)>& match) const
{
    int seen = 0;
    for (size_t i = m_next; i < m_events.size() && seen < m_options.lookahead; ++i) {
        const Event& e = m_events[i];
        if (e.fromHead || e.done)
            continue;
        ++seen;
        if (match(e))
            return int(i);
    }
    return -1;
}

void BusReplay::onProgramFrame(const QByteArray& frame)
{
    if (m_log)
        m_log->frame(QuarnBusMsg(frame));
    if (!m_started || m_ended)
        return;
    int index = findPending([&](const Event& e) { return e.bytes == frame; });
    if (index >= 0) {
        ++m_matched;
    } else {
        index = findPending([&](const Event& e) { return sameKind(e.bytes, frame); });
        const qint64 capturedNowMs = qint64((m_clock.elapsed() - m_shiftMs) * m_options.speed);
        const qint64 endMs = m_events.empty() ? 0 : m_events.back().atMs;
        if (index < 0 && capturedNowMs > endMs - m_options.endToleranceMs) {
            // The capture stopped before the program did; a timer of the program's that
            // fires this close to the end may have missed the capture by a hair.
            note(
                QStringLiteral("after the capture's end: %1").arg(requestName(QuarnBusMsg(frame))));
            return;
        }
        if (index < 0) {
            m_differences << QStringLiteral("unexpected %1 (%2) at %3 s")
                                 .arg(requestName(QuarnBusMsg(frame)), hex(frame))
                                 .arg(m_clock.elapsed() / 1000.0, 0, 'f', 3);
            note(m_differences.last());
            return;
        }
        m_differences << QStringLiteral("differs %1, sent %2").arg(describe(index), hex(frame));
        note(m_differences.last());
    }
    consume(index);
}

void BusReplay::consume(int index)
{
    Event& e = m_events[size_t(index)];
    e.done = true;
    // The head's bytes after this request keep their captured distance from it.
    if (size_t(index) == m_next) {
        const qint64 late = m_clock.elapsed() - dueMs(e);
        if (late > 0)
            m_shiftMs += late;
        m_timer.stop();
        step();
    }
}

QString BusReplay::describe(int index) const
{
    const Event& e = m_events[size_t(index)];
    return QStringLiteral("%1 to %2 captured at %3 s (%4)")
        .arg(requestName(QuarnBusMsg(e.bytes)),
             deviceName(e.bytes.size() > 2 ? quint8(e.bytes.at(2)) : 0))
        .arg(e.atMs / 1000.0, 0, 'f', 3)
        .arg(hex(e.bytes));
}

QString BusReplay::report() const
{
    QString text = QStringLiteral("replay: %1 of %2 program frames as captured, %3 differences")
                       .arg(m_matched)
                       .arg(m_expectedCount)
                       .arg(m_differences.size());
    for (const QString& line : m_differences)
        text += QStringLiteral("\n  ") + line;
    return text;
}

void BusReplay::note(const QString& text)
{
    if (m_log)
        m_log->note(text);
}

int RunReplay(PtyDevice* line, const QString& path, double speed, FrameLog* log)
{
    QFile out;
    out.open(stdout, QIODevice::WriteOnly);
    std::vector<BusCaptureRecord> records;
    QString error;
    if (!ReadBusCapture(path, &records, &error)) {
        out.write(
            QStringLiteral("quarn-headsim: cannot replay %1: %2\n").arg(path, error).toLocal8Bit());
        return 2;
    }
    BusReplay::Options options;
    options.speed = speed;
    BusReplay replay(line, records, options);
    replay.setLog(log);
    QObject::connect(line, &PtyDevice::listenerChanged, &replay, [&replay](bool present) {
        if (present)
            replay.start();
    });
    QObject::connect(&replay, &BusReplay::finished, qApp,
                     [](int differences) { QCoreApplication::exit(differences ? 1 : 0); });
    if (line->hasListener())
        replay.start();
    out.write(QStringLiteral("quarn-headsim: line %1, replaying %2\n")
                  .arg(line->slaveName(), path)
                  .toLocal8Bit());
    out.flush();
    const int result = QCoreApplication::exec();
    out.write((replay.report() + QLatin1Char('\n')).toLocal8Bit());
    return result;
}
