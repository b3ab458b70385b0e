#include "shell/frameTally.h"

#include "bus/quarnBus.h"
#include "bus/quarnBusMsgReceiver.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int s_signalPipe[2] = {-1, -1};

void onSignal(int signal)
{
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(s_signalPipe[0], &byte, 1);
}

} // namespace

FrameTally::FrameTally(QuarnBus* bus, QObject* parent) : QObject(parent)
{
    auto* receiver = bus->findChild<QuarnBusMsgReceiver*>();
    if (!receiver)
        return;
    connect(receiver, &QuarnBusMsgReceiver::newMsgReady, this, [this] { ++m_handled; });
    connect(receiver, &QuarnBusMsgReceiver::frameRejected, this,
            [this](const QByteArray&, QuarnBusMsgReceiver::RejectReason reason) {
                ++m_rejected[int(reason)];
            });

    // Signals reach the event loop through a socket pair; a handler may do no more.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_signalPipe) != 0)
        return;
    m_signals = new QSocketNotifier(s_signalPipe[1], QSocketNotifier::Read, this);
    connect(m_signals, &QSocketNotifier::activated, this, [this] {
        char signal = 0;
        if (::read(s_signalPipe[1], &signal, 1) != 1)
            return;
        if (signal == SIGUSR1)
            print();
        else
            QCoreApplication::quit();
    });
    for (int signal : {SIGUSR1, SIGINT, SIGTERM})
        std::signal(signal, &onSignal);
}

FrameTally::~FrameTally()
{
    print();
}

void FrameTally::print() const
{
    using R = QuarnBusMsgReceiver::RejectReason;
    quint64 rejected = 0;
    for (quint64 n : m_rejected)
        rejected += n;
    std::printf(
        "frames handled %llu, rejected %llu (device id %llu, length %llu, checksum %llu, "
        "out of step %llu, timed out %llu)\n",
        qulonglong(m_handled), qulonglong(rejected), qulonglong(m_rejected[int(R::BadDeviceId)]),
        qulonglong(m_rejected[int(R::BadLength)]), qulonglong(m_rejected[int(R::BadChecksum)]),
        qulonglong(m_rejected[int(R::OutOfStep)]), qulonglong(m_rejected[int(R::TimedOut)]));
    std::fflush(stdout);
}
