// Receiver plus dispatcher throughput for a stream of result frames (61 bytes each),
// against the line's ceiling of 92,160 bytes per second. The stream is handed over in
// chunks as a serial driver hands them (1 to 64 bytes, the sizes drawn at random), in
// single bytes and in 4 KiB blocks. Each figure is the best of several passes in processor
// time of this thread, so that other programs on a shared machine do not count.
//   bench_busReceive [frames] [passes]

#include "bench/benchRow.h"
#include "bus/quarnBus.h"
#include "bus/quarnBusMsg.h"
#include "bus/quarnBusMsgReceiver.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr double kLineRate = 92160.0;

double threadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// Feeds a prepared stream through the bus's read path, one readyRead per chunk.
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
        std::memcpy(out, m_data, size_t(n));
        m_data += n;
        m_size -= int(n);
        return n;
    }
    qint64 writeData(const char*, qint64 size) override { return size; }

private:
    const char* m_data = nullptr;
    int m_size = 0;
};

// Chunk sizes covering the whole stream: fixed, or drawn from 1 to 64.
std::vector<int> chunking(int streamSize, int fixed)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> size(1, 64);
    std::vector<int> out;
    for (int offset = 0; offset < streamSize;) {
        const int n = std::min(fixed > 0 ? fixed : size(rng), streamSize - offset);
        out.push_back(n);
        offset += n;
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(1, atoi(argv[1])) : 40000;
    const int passes = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

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

    // Receiver and dispatcher alone, without the port in front.
    QuarnBusMsgReceiver receiver(nullptr, QuarnBus::GetMyBusId());
    QObject::connect(&receiver, &QuarnBusMsgReceiver::newMsgReady, bus, &QuarnBus::onNewRawMsg);

    bool lost = false;
    auto measure = [&](const std::vector<int>& chunks, auto&& hand) {
        double best = 1e9;
        for (int pass = 0; pass < passes; ++pass) {
            delivered = 0;
            const double start = threadSeconds();
            int offset = 0;
            for (int n : chunks) {
                hand(stream.constData() + offset, n);
                offset += n;
            }
            best = std::min(best, threadSeconds() - start);
            lost = lost || delivered != qint64(frames) * 51;
        }
        return stream.size() / best / kLineRate;
    };
    const auto toReceiver = [&](const char* data, int n) {
        receiver.giveNewData(QByteArray::fromRawData(data, n));
    };
    const auto toPort = [&](const char* data, int n) { device->feed(data, n); };

    double serialThroughPort = 0;
    for (int fixed : {0, 1, 4096}) {
        const std::vector<int> chunks = chunking(stream.size(), fixed);
        const double alone = measure(chunks, toReceiver);
        const double port = measure(chunks, toPort);
        char label[32];
        std::snprintf(label, sizeof label, fixed ? "%d B" : "1-64 B", fixed);
        std::printf("chunks of %-7s receiver+dispatcher %6.0f x line rate, through the bus port "
                    "%6.0f x\n",
                    label, alone, port);
        if (fixed == 0)
            serialThroughPort = port;
    }
    if (lost) {
        std::printf("FRAMES LOST\n");
        return 1;
    }
    BenchRow("receive path, 1-64 B chunks", serialThroughPort, "x line", Better::Higher, 1000);
    return 0;
}
