#include "bus/busCapture.h"

#include <QDebug>
#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <chrono>
#include <unistd.h>

namespace {
constexpr quint32 kSectionHeader = 0x0A0D0D0A;
constexpr quint32 kInterfaceDescription = 1;
constexpr quint32 kEnhancedPacket = 6;
constexpr quint32 kByteOrderMagic = 0x1A2B3C4D;
constexpr quint16 kOptEnd = 0;
constexpr quint16 kOptShbUserAppl = 4;
constexpr quint16 kOptIfName = 2;
constexpr quint16 kOptIfTsResol = 9;
constexpr quint16 kOptEpbFlags = 2;
constexpr quint32 kInbound = 1;
constexpr quint32 kOutbound = 2;
// Beyond this much unwritten data the writer is hopelessly behind (a stalled card); new
// records are dropped rather than letting the queue eat the board's memory.
constexpr qint64 kMaxQueuedBytes = 8 * 1024 * 1024;
constexpr auto kSyncInterval = std::chrono::seconds(1);

void put16(QByteArray& out, quint16 v)
{
    v = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&v), 2);
}

void put32(QByteArray& out, quint32 v)
{
    v = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&v), 4);
}

void pad(QByteArray& out)
{
    while (out.size() % 4)
        out.append('\0');
}

void option(QByteArray& out, quint16 code, const QByteArray& value)
{
    put16(out, code);
    put16(out, quint16(value.size()));
    out.append(value);
    pad(out);
}

// Wraps a block body with its type and the total length at both ends.
QByteArray block(quint32 type, QByteArray body)
{
    pad(body);
    QByteArray out;
    const quint32 total = quint32(body.size() + 12);
    put32(out, type);
    put32(out, total);
    out.append(body);
    put32(out, total);
    return out;
}

QByteArray fileHeader()
{
    QByteArray shb;
    put32(shb, kByteOrderMagic);
    put16(shb, 1);
    put16(shb, 0);
    put32(shb, 0xFFFFFFFF); // section length unknown
    put32(shb, 0xFFFFFFFF);
    option(shb, kOptShbUserAppl, "quarn24ex bus capture");
    put32(shb, kOptEnd);

    QByteArray idb;
    put16(idb, BusCaptureFormat::kLinkType);
    put16(idb, 0);
    put32(idb, 0); // no snapshot limit
    option(idb, kOptIfName, "quarn bus");
    option(idb, kOptIfTsResol, QByteArray(1, char(6))); // microseconds
    put32(idb, kOptEnd);
    return block(kSectionHeader, shb) + block(kInterfaceDescription, idb);
}

QByteArray packetBlock(const BusCaptureRecord& r)
{
    using BusCaptureFormat::Kind;
    QByteArray data;
    data.reserve(r.bytes.size() + BusCaptureFormat::kPseudoHeaderSize);
    data.append(char(r.kind));
    data.append(char(r.verdict));
    data.append(r.bytes);

    QByteArray epb;
    put32(epb, 0);
    put32(epb, quint32(quint64(r.timeUs) >> 32));
    put32(epb, quint32(quint64(r.timeUs)));
    put32(epb, quint32(data.size()));
    put32(epb, quint32(data.size()));
    epb.append(data);
    pad(epb);
    QByteArray flags;
    put32(flags, r.kind == Kind::Sent ? kOutbound : kInbound);
    option(epb, kOptEpbFlags, flags);
    put32(epb, kOptEnd);
    return block(kEnhancedPacket, epb);
}

quint32 get32(const char* p)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(p));
}
} // namespace

BusCaptureFormat::Verdict BusCaptureFormat::verdictOf(QuarnBusMsgReceiver::RejectReason reason)
{
    using R = QuarnBusMsgReceiver::RejectReason;
    switch (reason) {
    case R::BadChecksum:
        return Verdict::BadChecksum;
    case R::BadLength:
        return Verdict::BadLength;
    case R::BadDeviceId:
        return Verdict::BadDeviceId;
    case R::TimedOut:
        return Verdict::TimedOut;
    case R::OutOfStep:
        break;
    }
    return Verdict::OutOfStep;
}

std::unique_ptr<BusCapture> BusCapture::Open(const QString& path, QString* error)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = file->errorString();
        return nullptr;
    }
    return std::make_unique<BusCapture>(std::move(file));
}

BusCapture::BusCapture(std::unique_ptr<QIODevice> sink) : m_sink(std::move(sink))
{
    // The header goes out before the writer starts, from the creating thread; without it
    // there is nothing to write to.
    if (!writeAll(fileHeader())) {
        fail();
        return;
    }
    m_writer = std::thread(&BusCapture::run, this);
}

BusCapture::~BusCapture()
{
    close();
}

qint64 BusCapture::NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

void BusCapture::record(BusCaptureFormat::Kind kind, const QByteArray& bytes,
                        BusCaptureFormat::Verdict verdict)
{
    if (!isActive())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_queuedBytes > kMaxQueuedBytes) {
            ++m_dropped;
            return;
        }
        m_queue.push_back({NowUs(), kind, verdict, bytes});
        m_queuedBytes += bytes.size();
    }
    m_wake.notify_one();
}

void BusCapture::close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_one();
    if (m_writer.joinable())
        m_writer.join();
    if (m_sink && m_sink->isOpen())
        m_sink->close();
}

void BusCapture::fail(const QString& reason)
{
    qDebug().noquote() << "bus capture stopped:"
                       << (reason.isEmpty() ? m_sink->errorString() : reason);
    m_failed = true;
    m_sink->close();
}

bool BusCapture::writeAll(const QByteArray& bytes)
{
    return m_sink->write(bytes) == bytes.size();
}

void BusCapture::run()
{
    auto lastSync = std::chrono::steady_clock::now();
    for (;;) {
        std::deque<BusCaptureRecord> batch;
        bool closing = false;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait_for(lock, kSyncInterval, [this] { return m_closing || !m_queue.empty(); });
            batch.swap(m_queue);
            m_queuedBytes = 0;
            closing = m_closing;
        }
        if (!m_failed && !batch.empty()) {
            QByteArray out;
            for (const BusCaptureRecord& r : batch)
                out.append(packetBlock(r));
            // Flushed per batch, so that a crash of the program loses no more than that.
            auto* file = qobject_cast<QFileDevice*>(m_sink.get());
            bool ok = writeAll(out) && (!file || file->flush());
            // A pulled or full card often shows only when the data is pushed to it.
            const auto now = std::chrono::steady_clock::now();
            QString syncError;
            if (ok && file && (closing || now - lastSync >= kSyncInterval)) {
                // The file's own error text knows nothing of a failed fdatasync.
                ok = ::fdatasync(file->handle()) == 0;
                if (!ok)
                    syncError = qt_error_string(errno);
                lastSync = now;
            }
            if (!ok) {
                fail(syncError);
                return; // record() queues nothing more
            }
        }
        if (closing)
            return;
    }
}

bool ReadBusCapture(const QString& path, std::vector<BusCaptureRecord>* records, QString* error)
{
    auto failWith = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failWith(file.errorString());
    const QByteArray all = file.readAll();
    if (all.size() < 12 || get32(all.constData()) != kSectionHeader ||
        get32(all.constData() + 8) != kByteOrderMagic)
        return failWith(QStringLiteral("not a little-endian pcapng file"));

    int at = 0;
    bool linkTypeSeen = false;
    while (at + 12 <= all.size()) {
        const char* p = all.constData() + at;
        const quint32 type = get32(p);
        const quint32 length = get32(p + 4);
        if (length < 12 || length % 4 || at + qint64(length) > all.size())
            return failWith(QStringLiteral("damaged block at byte %1").arg(at));
        if (type == kInterfaceDescription) {
            const quint16 link = qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(p + 8));
            if (link != BusCaptureFormat::kLinkType)
                return failWith(QStringLiteral("link type %1 is not the bus's").arg(link));
            linkTypeSeen = true;
        } else if (type == kEnhancedPacket && length >= 32) {
            const quint32 captured = get32(p + 20);
            if (!linkTypeSeen || captured < BusCaptureFormat::kPseudoHeaderSize ||
                captured > length - 32)
                return failWith(QStringLiteral("damaged packet at byte %1").arg(at));
            BusCaptureRecord r;
            r.timeUs = qint64((quint64(get32(p + 12)) << 32) | get32(p + 16));
            r.kind = BusCaptureFormat::Kind(quint8(p[28]));
            r.verdict = BusCaptureFormat::Verdict(quint8(p[29]));
            r.bytes = QByteArray(p + 28 + BusCaptureFormat::kPseudoHeaderSize,
                                 int(captured) - BusCaptureFormat::kPseudoHeaderSize);
            records->push_back(std::move(r));
        }
        at += int(length);
    }
    return true;
}
