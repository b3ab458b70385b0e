#pragma once

#include "bus/quarnBusMsgReceiver.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QIODevice;

// What one captured record holds. The first two bytes of every packet in the file are
// the kind and the verdict; the bus bytes follow.
namespace BusCaptureFormat {
constexpr quint16 kLinkType = 147; // LINKTYPE_USER0: private to this protocol
constexpr int kPseudoHeaderSize = 2;

enum class Kind : quint8
{
    Sent = 1,     // a frame the program wrote to the line
    Chunk = 2,    // bytes as one read of the line delivered them
    Accepted = 3, // a frame the receiver passed on
    Rejected = 4, // the bytes of a frame the receiver gave up
};

enum class Verdict : quint8
{
    Good = 0,
    BadChecksum = 1,
    BadLength = 2,
    BadDeviceId = 3,
    OutOfStep = 4,
    TimedOut = 5,
};

Verdict verdictOf(QuarnBusMsgReceiver::RejectReason reason);
} // namespace BusCaptureFormat

struct BusCaptureRecord
{
    qint64 timeUs = 0; // microseconds since the epoch
    BusCaptureFormat::Kind kind = BusCaptureFormat::Kind::Sent;
    BusCaptureFormat::Verdict verdict = BusCaptureFormat::Verdict::Good;
    QByteArray bytes;
};

// Records the bus to a pcapng file. record() only queues and returns: a thread of the
// capture's own does the writing, so a slow or failing card never holds up the GUI
// thread. A failed write (card full or pulled) closes the capture for good; the bus
// goes on without it.
class BusCapture
{
public:
    // Opens path for writing; null with error set when it cannot.
    static std::unique_ptr<BusCapture> Open(const QString& path, QString* error = nullptr);
    // Writes to sink, which must be open; the capture takes it over.
    explicit BusCapture(std::unique_ptr<QIODevice> sink);
    ~BusCapture();
    BusCapture(const BusCapture&) = delete;
    BusCapture& operator=(const BusCapture&) = delete;

    void record(BusCaptureFormat::Kind kind, const QByteArray& bytes,
                BusCaptureFormat::Verdict verdict = BusCaptureFormat::Verdict::Good);

    // Writes what is queued and closes the file; later records are ignored.
    void close();

    bool isActive() const { return !m_failed && !m_closing; }
    // Records lost because the writer fell too far behind.
    int droppedRecords() const { return m_dropped; }

    static qint64 NowUs();

private:
    void run();
    bool writeAll(const QByteArray& bytes);
    // Says why (reason, else the sink's error) in one debug line and closes the capture for
    // good.
    void fail(const QString& reason = {});

    std::unique_ptr<QIODevice> m_sink;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<BusCaptureRecord> m_queue;
    qint64 m_queuedBytes = 0;
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_failed{false};
    std::atomic<int> m_dropped{0};
    std::thread m_writer;
};

// Reads a capture written by BusCapture; false with error set on a file it cannot read.
bool ReadBusCapture(const QString& path, std::vector<BusCaptureRecord>* records,
                    QString* error = nullptr);
