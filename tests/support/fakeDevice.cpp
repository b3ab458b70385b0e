#include "tests/support/fakeDevice.h"

#include <cstring>

FakeDevice::FakeDevice(QObject* parent) : QIODevice(parent)
{
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

void FakeDevice::feed(const QByteArray& bytes)
{
    m_incoming.append(bytes);
    emit readyRead();
}

QByteArray FakeDevice::takeWritten()
{
    QByteArray bytes;
    bytes.swap(m_written);
    return bytes;
}

qint64 FakeDevice::bytesAvailable() const
{
    return m_incoming.size() + QIODevice::bytesAvailable();
}

qint64 FakeDevice::readData(char* data, qint64 maxSize)
{
    const qint64 n = qMin<qint64>(maxSize, m_incoming.size());
    std::memcpy(data, m_incoming.constData(), size_t(n));
    m_incoming.remove(0, int(n));
    return n;
}

qint64 FakeDevice::writeData(const char* data, qint64 maxSize)
{
    m_written.append(data, int(maxSize));
    return maxSize;
}
