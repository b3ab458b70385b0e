// Receiver plus dispatcher throughput for a stream of result frames (61 bytes each),
// against the line's ceiling of 92,160 bytes per second.

#include "bus/quarnBus.h"
#include "bus/quarnBusMsg.h"
#include "bus/quarnBusMsgReceiver.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <cstdio>

namespace {

// Feeds a prepared stream through the bus's read path.
class StreamDevice : public QIODevice
{
public:
    StreamDevice() { open(QIODevice::ReadWrite | QIODevice::Unbuffered); }
    void feed(const char* data, int size)
    {
        m_data = data;
        m_size = size;
        emit readyRead();
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        const qint64 n = qMin<qint64>(max, m_size);
        memcpy(out, m_data, size_t(n));
        m_data += n;
        m_size -= int(n);
        return n;
    }
    qint64 writeData(const char*, qint64 size) override { return size; }

private:
    const char* m_data = nullptr;
    int m_size = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr double kLineRate = 92160.0;
    const int frames = argc > 1 ? atoi(argv[1]) : 200000;

    QByteArray stream;
    stream.reserve(frames * 61);
    for (int n = 0; n < frames; ++n) {
        QByteArray body(51, 0);
        body[4] = char(n % 21);
        body[10] = char(n & 0xFF);
        body[11] = char((n * 3) & 0xFF);
        stream.append(QuarnBusMsg(eQuarnGetResultResponseMsg, BusId::Tsc, 0, body).serializeFrom(BusId::Rad));
    }

    auto* device = new StreamDevice;
    QuarnBus* bus = QuarnBus::Install(device);
    qint64 delivered = 0;
    QObject::connect(bus, &QuarnBus::newMsg, [&delivered](QuarnBusMsg msg) { delivered += msg.body.size(); });

    // Receiver and dispatcher alone, fed chunks as the port would hand them over.
    QuarnBusMsgReceiver receiver(nullptr, QuarnBus::GetMyBusId());
    QObject::connect(&receiver, &QuarnBusMsgReceiver::newMsgReady, bus, &QuarnBus::onNewRawMsg);

    auto report = [&](const char* path, int chunk, double seconds) {
        const double rate = stream.size() / seconds;
        std::printf("%-22s chunk %4d B: %.1f MB/s, %5.0f x line rate%s\n", path, chunk, rate / 1e6,
                    rate / kLineRate, delivered == qint64(frames) * 51 ? "" : " (FRAMES LOST)");
    };

    for (int chunk : {1, 4096}) {
        delivered = 0;
        QElapsedTimer timer;
        timer.start();
        for (int offset = 0; offset < stream.size(); offset += chunk)
            receiver.giveNewData(QByteArray::fromRawData(stream.constData() + offset,
                                                         qMin(chunk, stream.size() - offset)));
        report("receiver+dispatcher", chunk, timer.nsecsElapsed() / 1e9);
    }
    for (int chunk : {1, 4096}) {
        delivered = 0;
        QElapsedTimer timer;
        timer.start();
        for (int offset = 0; offset < stream.size(); offset += chunk)
            device->feed(stream.constData() + offset, qMin(chunk, stream.size() - offset));
        report("through the bus port", chunk, timer.nsecsElapsed() / 1e9);
    }
    return 0;
}
