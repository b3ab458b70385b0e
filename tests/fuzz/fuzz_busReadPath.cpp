// libFuzzer target for the bus's read path with the whole program running: the services,
// the main window with every screen (offscreen) and all their bus handlers. Each input is
// played onto the line twice: as raw bytes, and read as a list of messages that are framed
// with a good checksum, so that every handler meets arbitrary bodies.

#include "bus/quarnBus.h"
#include "bus/quarnBusMsgReceiver.h"
#include "tests/fuzz/fuzzProgram.h"
#include "tests/support/fakeDevice.h"

#include <QCoreApplication>

namespace {

qint64 s_now = 0;
qint64 fuzzClock()
{
    return s_now;
}

struct Line
{
    FakeDevice* device = nullptr;
    QuarnBusMsgReceiver* receiver = nullptr;
};

Line& line()
{
    static Line l = [] {
        Line made;
        made.device = new FakeDevice;
        QuarnBus* bus = QuarnBus::Install(made.device);
        FuzzProgram::StartWholeProgram();
        made.receiver = bus->findChild<QuarnBusMsgReceiver*>();
        made.receiver->setClock(&fuzzClock);
        return made;
    }();
    return l;
}

// Records of type, source, param, two length bytes and the body, each framed for us.
QByteArray framed(const uint8_t* data, size_t size)
{
    QByteArray frames;
    size_t at = 0;
    while (at + 5 <= size) {
        const quint8 type = data[at];
        const char source = char(data[at + 1]);
        const char param = char(data[at + 2]);
        const int length =
            (data[at + 3] | data[at + 4] << 8) % (QuarnBusMsgReceiver::kMaxBodyLength + 1);
        at += 5;
        const int taken = int(qMin<size_t>(size_t(length), size - at));
        const QByteArray body(reinterpret_cast<const char*>(data + at), taken);
        at += size_t(taken);
        frames.append(QuarnBusMsg(QuarnBusMsgType(type), QuarnBus::GetMyBusId(), param, body)
                          .serializeFrom(source));
    }
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Line& l = line();
    l.device->feed(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    l.device->feed(framed(data, size));
    // Each input starts from an empty receiver: what the last one left half done times out.
    s_now += 1000;
    l.receiver->checkForStall();
    // Timers, queued calls and paints of what the handlers changed; every few inputs, to
    // keep the rate up while still running them on fuzzed state.
    static unsigned count = 0;
    if (++count % 16 == 0) {
        QCoreApplication::processEvents();
        // Outside an event loop, objects given to deleteLater() would wait for one that
        // never runs here, and pile up.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    l.device->takeWritten();
    return 0;
}
