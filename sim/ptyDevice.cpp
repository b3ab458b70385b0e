#include "sim/ptyDevice.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {
// A listener that stops reading for longer than this much output loses the surplus;
// whole writes are dropped so that no frame is cut.
constexpr int kMaxBacklog = 16 * 1024;
constexpr int kListenerPollMs = 50;
} // namespace

PtyDevice::PtyDevice(QObject* parent) : QIODevice(parent)
{
    m_listenerPoll.setInterval(kListenerPollMs);
    connect(&m_listenerPoll, &QTimer::timeout, this, &PtyDevice::checkForListener);
}

PtyDevice::~PtyDevice()
{
    close();
}

bool PtyDevice::openPty()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    char name[128] = {};
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        setErrorString(QString::fromLocal8Bit(::strerror(errno)));
        close();
        return false;
    }
    m_slaveName = QString::fromLocal8Bit(name);

    // Raw mode lives in the terminal, not in a descriptor: it outlasts this open, so every
    // later opener gets an 8-bit clean line without echo.
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        setErrorString(QString::fromLocal8Bit(::strerror(errno)));
        close();
        return false;
    }
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    ::close(slave);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] {
        emit readyRead();
        // A master whose slave nobody holds polls as readable for ever: switch to polling
        // for the next opener instead.
        if (m_master >= 0 && hungUp())
            setListener(false);
    });
    m_readNotifier->setEnabled(false);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyDevice::flushPending);
    m_writeNotifier->setEnabled(false);

    QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    m_listenerPoll.start();
    return true;
}

void PtyDevice::close()
{
    m_listenerPoll.stop();
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    m_pending.clear();
    m_listener = false;
    if (isOpen())
        QIODevice::close();
}

bool PtyDevice::hungUp() const
{
    pollfd p{m_master, POLLIN, 0};
    return ::poll(&p, 1, 0) >= 0 && (p.revents & POLLHUP);
}

void PtyDevice::checkForListener()
{
    if (!hungUp())
        setListener(true);
}

void PtyDevice::setListener(bool present)
{
    if (present == m_listener)
        return;
    m_listener = present;
    if (m_readNotifier)
        m_readNotifier->setEnabled(present);
    if (present) {
        m_listenerPoll.stop();
    } else {
        m_pending.clear();
        if (m_writeNotifier)
            m_writeNotifier->setEnabled(false);
        m_listenerPoll.start();
    }
    emit listenerChanged(present);
}

qint64 PtyDevice::readData(char* data, qint64 maxSize)
{
    if (m_master < 0)
        return -1;
    const ssize_t n = ::read(m_master, data, size_t(maxSize));
    return n > 0 ? n : 0; // EIO: nobody holds the slave; the notifier handles that
}

qint64 PtyDevice::writeData(const char* data, qint64 maxSize)
{
    if (m_master < 0)
        return -1;
    if (!m_listener || m_pending.size() + maxSize > kMaxBacklog) {
        ++m_unheardWrites;
        return maxSize;
    }
    qint64 written = 0;
    if (m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, data, size_t(maxSize));
        written = n > 0 ? n : 0;
    }
    if (written < maxSize) {
        m_pending.append(data + written, int(maxSize - written));
        m_writeNotifier->setEnabled(true);
    }
    return maxSize;
}

void PtyDevice::flushPending()
{
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n <= 0)
            return; // full again; the notifier calls back
        m_pending.remove(0, int(n));
    }
    m_writeNotifier->setEnabled(false);
}
