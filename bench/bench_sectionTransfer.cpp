// One 1 MiB firmware section (4,096 write packets of 256 bytes) sent from a worker thread
// through the bus to a pseudo-terminal, paced by the line's backlog as the update worker
// paces it: how fast the frames leave, and how much the bus holds back meanwhile. On the
// board the line's ceiling is 92,160 bytes per second.

#include "bench/benchRow.h"
#include "bench/rawPty.h"
#include "bus/deviceMsgs.h"
#include "bus/quarnBus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr int kPackets = 4096;
constexpr qint64 kMaxBacklog = 16 * 1024; // as the update worker keeps it
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QByteArray name;
    const int master = OpenRawPty(name);
    if (master < 0)
        return 1;
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    QuarnBus bus(name.constData(), nullptr);
    const qint64 total = qint64(kPackets) * (256 + QuarnBusMsg::kOverhead);
    std::atomic<qint64> peakBacklog{0};
    QElapsedTimer clock;
    clock.start();
    std::thread worker([&] {
        const QByteArray data(256, '\x5a');
        for (int i = 0; i < kPackets; ++i) {
            while (bus.outputBacklog() > kMaxBacklog)
                QThread::usleep(200);
            bus.sendMsg(SetEepromMsgReq(BusId::Hcc, SetEepromMsgReq::kWrite, data));
            peakBacklog = std::max<qint64>(peakBacklog, bus.outputBacklog());
        }
    });

    qint64 received = 0;
    char buffer[65536];
    while (received < total && clock.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
            received += n;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    worker.join();
    ::close(master);

    std::printf("section transfer: %lld of %lld bytes in %.3f s = %.0f bytes/s (%.1f x the "
                "board's 92,160), peak backlog %lld bytes\n",
                static_cast<long long>(received), static_cast<long long>(total), seconds,
                received / seconds, received / seconds / 92160.0,
                static_cast<long long>(peakBacklog.load()));
    // The update must not be what holds the line back.
    BenchRow("firmware section to the line", received / seconds / 92160.0, "x line", Better::Higher,
             1);
    return received == total ? 0 : 1;
}
